#pragma once

#include <QString>

// Names and folders every part of the program shares.
namespace appinfo {

// The application title: message boxes and the window caption before a game is chosen.
inline const QString kTitle = QStringLiteral("Korvello (Tessaly)");

// Build number shown in the version label.
QString BuildNumber();

// The folder of the running executable, ending in "/". Every program-relative
// path (db.mdb, Images, Skins, inis, Plugins) is this followed by a relative name.
QString AppFolder();

// The running executable's file name: never listed, started or ended as an emulator.
QString ExecutableName();

} // namespace appinfo
