#pragma once

#include "launch/iniwriter.h"

#include <QList>
#include <QString>

class GameProfile;

// Writing a profile for the emulator's current builds: the rows of kCurrentKeys
// (currentmapping.h) that have a value, in the table's order, into PCSX2.ini of
// the settings folder, with one replacement of the file. The per-game files in
// "gamesettings" are never touched: when the user has one, its values win in the
// emulator as they always do.

// The keys and values written for the profile. Throws KorvelloError when a
// number column holds no number; then nothing is written.
QList<IniAssignment> currentAssignments(const GameProfile& profile);

// Writes them into `settingsFolder`/PCSX2.ini (found without letter case).
// Throws KorvelloError "Unable to write to <path>" when the file cannot be
// written (a missing folder included); the file is then unchanged.
void writeCurrentEmulatorConfig(const GameProfile& profile, const QString& settingsFolder);
