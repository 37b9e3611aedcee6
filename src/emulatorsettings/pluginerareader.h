#pragma once

#include <QString>
#include <QStringList>

class GameProfile;

// The way back from the plug-in era's four files (GSdx.ini, PCSX2_ui.ini,
// PCSX2_vm.ini, SPU2-X.ini) to a profile, through the same table and the same
// translations WriteEmulatorConfig writes with, so that a Start with the profile
// read leaves the user's lines as they are. For each key the file holds, the
// stored value is the one the writer turns back into the file's own text: the
// design's value where the builds translate (a Linux EE cycle rate of -1 is the
// profile's 1), otherwise the emulator's own text unchanged (a renderer number
// or a sound module the design's lists do not name). A key the file lacks, or a
// value no stored value writes back as it stands, leaves its column as it was.
// The profile's own disc image (CurrentIso) and its plug-in's folder are not
// read; the plug-in's file name is. A memory card folder in use by default
// ("UseDefaultMemoryCards=enabled") gives an empty folder column, which the
// writer leaves alone. Nothing is ever written.
namespace pluginera {

// Returns the keys whose value the profile cannot hold, by name.
QStringList readProfile(GameProfile& profile, const QString& settingsFolder);

} // namespace pluginera
