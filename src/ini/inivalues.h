#pragma once

#include <QHash>
#include <QString>
#include <optional>

// The values of one INI file, for reading only: each key of each section as its
// trimmed text, sections and keys found without ASCII letter case. Where a
// section or a key stands twice, the first one counts, as it is the one the
// keyed writer (IniDocument::setValue) changes. A missing or unreadable file
// holds no values.
class IniValues {
public:
    IniValues() = default;
    static IniValues fromFile(const QString& path);
    static IniValues fromBytes(const QByteArray& bytes);

    std::optional<QString> value(const QString& section, const QString& key) const;
    bool contains(const QString& section, const QString& key) const {
        return value(section, key).has_value();
    }
    bool isEmpty() const { return m_values.isEmpty(); }

private:
    QHash<QString, QString> m_values; // "section\nkey" in lower case -> value
};
