#pragma once

#include <QString>
#include <QStringList>

// Where the program's own files are found: the fallback pictures
// (Images/*_unknown.jpg) and the skins. A copy that stands in the emulator's
// folder keeps them beside itself; an installed program keeps them in its data
// folder, <prefix>/share/korvello, found from the executable's folder (so that
// an installation can be moved) and then in the system's data folders.
namespace programfiles {

// The folders searched, in order, each ending in "/": the emulator folder, the
// executable's folder, the data folder relative to the executable, then
// "korvello/" in each of $XDG_DATA_HOME and $XDG_DATA_DIRS. No duplicates.
QStringList searchFolders(const QString& appFolder, const QString& executableFolder);

// The first folder of `folders` + `relative` that exists, or the first folder +
// `relative` when none does (so that messages name the path the user expects).
QString locateIn(const QStringList& folders, const QString& relative);

// Whether the executable in `executableFolder` runs from the installed layout:
// its data folder (<prefix>/share/korvello beside <prefix>/bin) exists. A copy
// anywhere else is a copy standing in a folder of its own.
bool isInstalledLayout(const QString& executableFolder);

// locateIn(searchFolders(appFolder, the running executable's folder), relative).
QString locate(const QString& appFolder, const QString& relative);

} // namespace programfiles
