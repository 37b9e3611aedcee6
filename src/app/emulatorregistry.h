#pragma once

#include <QHash>
#include <QString>
#include <optional>

// The emulator's registry key, read only: on Linux the emulator keeps it as the
// file $XDG_CONFIG_HOME/PCSX2/PCSX2-reg.ini of plain key=value lines at top
// level. The key exists when the file exists. Values are taken as written; no
// escapes are interpreted (the "\\" pairs are the caller's rule).
class EmulatorRegistry {
public:
    EmulatorRegistry();

    static QString filePath();
    bool keyExists() const { return m_exists; }
    // A value of the top level, its name compared without letter case, as the registry does.
    std::optional<QString> value(const QString& name) const;

private:
    bool m_exists = false;
    QHash<QString, QString> m_values; // names folded to lower case
};
