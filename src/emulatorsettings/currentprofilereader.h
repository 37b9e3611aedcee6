#pragma once

#include "emulatorsettings/currentgeneration.h"

#include <QString>
#include <QStringList>

class GameProfile;
class IniValues;

// The way back from the current builds' files to a profile: every row of
// kCurrentKeys (currentmapping.h) that the generation reads, taken from the
// game's settings file where it holds the key and from PCSX2.ini otherwise,
// as the emulator layers them. For values the mapping can express, a Start with
// the profile read (writeCurrentGameSettings) leaves both files byte-identical;
// a value it cannot express (a renderer of the plug-in era's numbers, a custom
// upscale, SDL sound, VU0 and VU1 clamped apart) leaves its column as it was.
// [UI] StartFullscreen, which Start gives on the command line, is read from
// PCSX2.ini. Nothing is ever written.
namespace currentmapping {

void readProfile(GameProfile& profile, const IniValues& globalSettings, const IniValues& gameSettings,
                 CurrentGeneration generation);

// What the user changed in the emulator since Korvello last wrote the game's file:
// each row the generation reads whose value in `game` (the file now) differs from
// `lastWritten` (what Korvello wrote), a key removed included, is read back into
// `profile` as readProfile reads it (the game's file over `global`). Every other
// column stays. Returns the changed keys by name, each once, in the table's order.
QStringList takeInEdits(GameProfile& profile, const IniValues& global, const IniValues& lastWritten,
                        const IniValues& game, CurrentGeneration generation);

// The same from files: `settingsIni` (PCSX2.ini, which also gives the generation)
// and `gameSettingsIni` (may be empty or missing).
void readProfile(GameProfile& profile, const QString& settingsIni, const QString& gameSettingsIni);

} // namespace currentmapping
