#pragma once

#include <QString>
#include <QStringList>

// Starting the emulator's executable for a game.
namespace emulatorlauncher {

// The emulator's arguments: with "Run CDVD after start" on, the disc image path
// as one argument (as stored, even when empty), then the profile's command-line
// keys split as a shell would split them (quotes group, and are removed).
QStringList startArguments(bool runCdvd, const QString& currentIso, const QString& cmdKeys);

// Starts appFolder + exeFile detached, with appFolder as its working folder.
// A program that cannot start is not reported; the answer only tells tests.
// `pid`, when given, receives the started process's id (its play session is
// tracked by it).
bool startEmulator(const QString& appFolder, const QString& exeFile, const QStringList& arguments,
                   qint64* pid = nullptr);

} // namespace emulatorlauncher
