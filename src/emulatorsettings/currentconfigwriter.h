#pragma once

#include "emulatorsettings/currentgeneration.h"
#include "ini/iniwriter.h"

#include <QList>
#include <QString>

class GameProfile;

// Writing a profile for the emulator's current builds: the rows of kCurrentKeys
// (currentmapping.h) that the generation reads and that have a value, in the
// table's order, into the game's own settings file with one replacement of the
// file. PCSX2.ini, the user's global settings, is never written.

// The keys and values written for the profile. Throws KorvelloError when a
// number column holds no number; then nothing is written.
QList<IniAssignment> currentAssignments(const GameProfile& profile, CurrentGeneration generation);

// Writes them into `gameSettingsFile` (found without letter case; created when
// missing, its folder too). A key whose line already holds the same value, as
// the emulator reads it, keeps its bytes; the lines of keys Korvello does not own
// are never touched. Throws KorvelloError "Unable to write to <path>" when the
// file cannot be written; the file is then unchanged.
void writeCurrentGameSettings(const GameProfile& profile, const QString& gameSettingsFile,
                              CurrentGeneration generation);
