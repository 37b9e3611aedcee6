#pragma once

#include <QString>
#include <QStringList>

class GameDiscStore;
class PlayTimeStore;
class ProfileStore;
class ProgramSettings;

// The emulator folder a window serves, as the window found it when it opened.
// The pages and controllers read it; only the window fills it in.
struct EmulatorSetup {
    QString appFolder; // the program's folder, ends in "/"
    // Where the fallback pictures and the skins are found; empty: appFolder alone.
    QStringList programFileFolders;
    QString settingsFolder;     // the emulator's settings folder (its inis)
    QString pluginsFolder;      // the plug-in era's plug-ins folder
    bool currentBuilds = false; // the folder holds the current (plug-in-less) builds
    bool linuxPlugins = false;  // the plug-in era's plug-ins are the Linux builds
};

// The stores the pages share, owned by the window.
struct LibraryStores {
    ProgramSettings& settings;
    ProfileStore& profiles;
    PlayTimeStore& playTime;
    GameDiscStore& discs;
};
