#pragma once

#include <QString>
#include <QStringList>

// Starting the emulator's executable for a game.
namespace emulatorlauncher {

// The emulator's arguments: with "Run CDVD after start" on, the disc image path
// as one argument (as stored, even when empty), then the profile's command-line
// keys split as a shell would split them (quotes group, and are removed).
QStringList startArguments(bool runCdvd, const QString& currentIso, const QString& cmdKeys);

// Whether `name` is a plain file name: not empty, no "/" or NUL, not "." or "..".
bool isPlainFileName(const QString& name);

// Refuses, with KorvelloError naming the value, an executable that Start must
// not use: anything but a plain file name (empty, holding "/" or NUL) of a
// regular file in appFolder, and the program's own file `ownName`. Start checks
// before it writes, ends or starts anything, because the name also selects the
// processes that are ended.
void checkExecutable(const QString& appFolder, const QString& exeFile, const QString& ownName);

// Refuses, before anything is written or ended, a Start that cannot work:
// throws KorvelloError naming the file when appFolder + exeFile is not an
// executable file, or, with runCdvd, when the disc image does not exist (a
// relative image path is taken from appFolder, the emulator's working folder).
void checkStartable(const QString& appFolder, const QString& exeFile, bool runCdvd,
                    const QString& currentIso);

// The disc image part of checkStartable: with runCdvd, throws when the image (a relative
// path taken from appFolder) does not exist.
void checkDiscImage(const QString& appFolder, bool runCdvd, const QString& currentIso);

// Starts appFolder + exeFile detached, with appFolder as its working folder.
// Throws KorvelloError naming the program when it cannot be started. `pid`,
// when given, receives the started process's id (its play session is tracked by it).
void startEmulator(const QString& appFolder, const QString& exeFile, const QStringList& arguments,
                   qint64* pid = nullptr);

} // namespace emulatorlauncher
