#pragma once

#include "emulatorsettings/pluginera.h"
#include "ini/inidocument.h"

#include <QString>
#include <array>

class GameProfile;

// Copies a game profile into the emulator's four configuration files before a
// start: 104 keys, 103 from profile columns and one constant, applied in the
// order of kIniKeys. Every other line of the four files stays as it was.
//
// Each file is read once, all of its keys are applied in memory, and it is
// replaced once (IniDocument). GSdx.ini is written in the form its reader
// reads: a file that starts with a section header (the Windows build's) gets
// the keyed [Settings] route; a missing or empty file, or one whose first
// "=" line comes before any header (the Linux build's flat form), gets flat
// "key = value" lines spelled as the Linux build asks for them.

// The emulator's configuration files in its settings folder.
enum class IniFile { GSdx, Ui, Vm, Spu2 };

// How a key's value is made from its column.
enum class ValueRule {
    AsStored,         // the column's text unchanged
    Msaa,             // the integer 0, 1, 2, 3 as "0", "2", "4", "8"; anything else empty
    DoubledBackslash, // every "\" written as "\\"
    PluginPath,       // AppFolder + "Plugins/" + the column, then "\" doubled
    AlwaysDisabled,   // the constant "disabled"; no column
    OneZero,          // "TRUE" as "1", any other word as "0", empty stays empty: the
                      // sound plug-in's Linux build reads only 1 and 0, Windows both
};

struct IniKey {
    IniFile file;
    const char* section; // nullptr: the line route, which finds the key's line without sections
    const char* key;
    int column; // position in table db (columntable.h), -1 for the constant
    ValueRule rule;
    // GSdx.ini only: the key as the graphics plug-in's Linux build asks for it in
    // its flat, case-sensitive file (the Windows build finds `key` without case).
    const char* linuxKey = nullptr;
};

inline constexpr int kIniKeyCount = 104;
extern const std::array<IniKey, kIniKeyCount> kIniKeys;

// The file's name as the program spells it ("PCSX2_ui.ini", ...).
QString iniFileName(IniFile file);
// The value written for a key of the table, from the profile.
QString iniValue(const IniKey& key, const GameProfile& profile, const QString& appFolder);

// The four files of a settings folder, each read once, and the builds they tell of.
// The sound file is found without letter case; a missing one is created under the
// name the Linux SPU2-X opens (its CfgHelpers join the settings folder and "spu2-x.ini").
struct EmulatorFiles {
    std::array<IniDocument, 4> docs;
    pluginera::Builds builds;
    IniDocument& of(IniFile file) { return docs[static_cast<std::size_t>(file)]; }

    static EmulatorFiles open(const QString& settingsFolder);
};

// One key as it is written for the builds that read the folder.
struct KeyWrite {
    QString key;
    QString value;
    bool skip = false; // nothing is written: the user's own line stays as it is
};
// How `value` (iniValue's) is written for `builds`: the spelling and value those
// builds read, or skip. `flat`: GSdx.ini is in the Linux build's flat form.
KeyWrite keyWriteFor(const IniKey& key, const QString& value, const GameProfile& profile,
                     const pluginera::Builds& builds, bool flat);

// Writes the 104 keys into the files in `iniPath`. A value that cannot be
// written safely (a line break, or a blank in a flat GSdx.ini) is refused before
// any file changes. Otherwise the first key whose write fails (a missing folder,
// a read-only file) throws the same KorvelloError as a write of its own would;
// the keys before it are written, each touched file replaced once, and the
// failing file is left as it was.
//
// The values are written as the builds that read the folder take them
// (pluginera::detect): for the Linux plug-ins and the 1.4 and 1.6 cores the
// renderer, scaling, thread count, sound module, EE cycle rate, VU stealing,
// vsync and disc source are translated, keys those builds never read are left
// alone, and a value with no meaning there leaves the user's own line as it is.
// "Filenames"/"GS" names the plug-in in `pluginsFolder`, the folder the emulator
// loads its plug-ins from; without it, AppFolder + "Plugins". A profile without a
// memory card folder leaves "UseDefaultMemoryCards" and "MemoryCards" as they are, and an
// empty value adds no line for a key the file lacks (the emulator takes its default).
void WriteEmulatorConfig(const GameProfile& profile, const QString& iniPath, const QString& appFolder);
void WriteEmulatorConfig(const GameProfile& profile, const QString& iniPath, const QString& appFolder,
                         const QString& pluginsFolder);
