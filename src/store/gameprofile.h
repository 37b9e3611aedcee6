#pragma once

#include "store/columntable.h"

#include <QString>
#include <QStringList>

// One row of table `db`: 106 values held as text in their stored forms,
// addressed by column position or by column name.
class GameProfile {
public:
    GameProfile();
    explicit GameProfile(QStringList values); // exactly kColumnCount values

    const QString& value(int position) const { return m_values.at(position); }
    void setValue(int position, const QString& value) { m_values[position] = value; }
    QString value(const QString& columnName) const;
    void setValue(const QString& columnName, const QString& value);

    // Integer conversion of an N or 01 column; throws KorvelloError when the text is not an integer.
    int intValue(int position) const;

    const QStringList& values() const { return m_values; }
    bool operator==(const GameProfile& other) const = default;

private:
    QStringList m_values;
};
