#pragma once

#include <QString>
#include <QStringList>

// Starting the emulator's executable for a game.
namespace emulatorlauncher {

// The emulator's arguments: with "Run CDVD after start" on, the disc image path
// as one argument (as stored, even when empty), then the profile's command-line
// keys split as a shell would split them (quotes group, and are removed).
QStringList startArguments(bool runCdvd, const QString& currentIso, const QString& cmdKeys);

// Refuses, before anything is written or ended, a Start that cannot work:
// throws KorvelloError naming the file when appFolder + exeFile is not an
// executable file, or, with runCdvd, when the disc image does not exist (a
// relative image path is taken from appFolder, the emulator's working folder).
void checkStartable(const QString& appFolder, const QString& exeFile, bool runCdvd,
                    const QString& currentIso);

// Starts appFolder + exeFile detached, with appFolder as its working folder.
// Throws KorvelloError naming the program when it cannot be started.
void startEmulator(const QString& appFolder, const QString& exeFile, const QStringList& arguments);

} // namespace emulatorlauncher
