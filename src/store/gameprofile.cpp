#include "store/gameprofile.h"

#include "core/korvelloerror.h"
#include "core/numbertext.h"

GameProfile::GameProfile() : m_values(kColumnCount) {}

GameProfile::GameProfile(QStringList values) : m_values(std::move(values)) {
    if (m_values.size() != kColumnCount)
        throw KorvelloError(
            QStringLiteral("A game profile has %1 values, not %2").arg(kColumnCount).arg(m_values.size()));
}

static int checkedPosition(const QString& columnName) {
    const int p = columnPosition(columnName);
    if (p < 0)
        throw KorvelloError(QStringLiteral("Table db has no column %1").arg(columnName));
    return p;
}

QString GameProfile::value(const QString& columnName) const {
    return m_values.at(checkedPosition(columnName));
}

void GameProfile::setValue(const QString& columnName, const QString& value) {
    m_values[checkedPosition(columnName)] = value;
}

int GameProfile::intValue(int position) const {
    return numbertext::toInt(m_values.at(position));
}
