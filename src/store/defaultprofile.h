#pragma once

#include "store/gameprofile.h"

// The whole-profile default as a row: the values the editor page's Default
// button puts into a new profile, for profiles made without the page (games
// added from a folder, on the command line too). A test holds it to the page.
namespace defaultprofile {

// A new profile of that name for that disc image, started by that executable
// (a file name in the emulator folder) with that graphics plug-in file (empty
// for the current builds). Its disc source is the image ("Iso").
GameProfile make(const QString& name, const QString& image, const QString& executable,
                 const QString& pluginFile);

} // namespace defaultprofile
