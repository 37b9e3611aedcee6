#pragma once

#include <QString>
#include <array>

class GameProfile;

// Copies a game profile into the emulator's four configuration files before a
// start: 104 keys, 103 from profile columns and one constant, written in the
// order of kIniKeys. Every other line of the four files stays as it was.

// The emulator's configuration files in its settings folder.
enum class IniFile { GSdx, Ui, Vm, Spu2 };

// How a key's value is made from its column.
enum class ValueRule {
    AsStored,         // the column's text unchanged
    Msaa,             // the integer 0, 1, 2, 3 as "0", "2", "4", "8"; anything else empty
    DoubledBackslash, // every "\" written as "\\"
    PluginPath,       // AppFolder + "Plugins/" + the column, then "\" doubled
    AlwaysDisabled,   // the constant "disabled"; no column
};

struct IniKey {
    IniFile file;
    const char* section; // nullptr: the line route, which finds the key's line without sections
    const char* key;
    int column; // position in table db (columntable.h), -1 for the constant
    ValueRule rule;
};

inline constexpr int kIniKeyCount = 104;
extern const std::array<IniKey, kIniKeyCount> kIniKeys;

// The file's name as the program spells it ("PCSX2_ui.ini", ...).
QString iniFileName(IniFile file);
// The value written for a key of the table, from the profile.
QString iniValue(const IniKey& key, const GameProfile& profile, const QString& appFolder);

// Writes the 104 keys into the files in `iniPath`. The first failing write throws
// KorvelloError and ends the writing; the keys written before it stay written.
void WriteEmulatorConfig(const GameProfile& profile, const QString& iniPath, const QString& appFolder);
