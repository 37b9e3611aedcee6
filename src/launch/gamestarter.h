#pragma once

#include "launch/currentbuild.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class GameProfile;
class ProfileStore;
class WrittenFileStore;

// Start of one game, without any window: the window's Start and the command
// line's --start both go through it. In order: load the profile; check that its
// executable is a plain file name of an executable file in the program folder
// (it also names the processes that are ended) and, with "Run CDVD after start"
// on, that the disc image exists; write the emulator's configuration from the
// profile; end every running emulator of the same executable name; start the
// executable detached in the program folder. The last three steps run under the
// folder's StartLock: one Start at a time per emulator folder, across processes.
// Before the first write into a plug-in era settings folder the user's own files
// are kept (SettingsBackup).
//
// Every failure throws KorvelloError with the text the user reads. An unknown
// profile or a failed check changes nothing; a failing write stops before any
// process is ended or started.
class GameStarter {
public:
    // Where a start writes and what it runs. `currentBuilds` selects the
    // emulator's current builds (one PCSX2.ini, their own command line) over the
    // plug-in era's four files; `ownName` is this program's file name, which is
    // never started nor ended.
    struct Folders {
        QString appFolder;      // the emulator's folder, with a trailing '/'
        QString settingsFolder; // where the emulator's settings files are written
        bool currentBuilds = false;
        // Where the emulator loads its plug-ins from; empty: appFolder + "Plugins".
        QString pluginsFolder;
    };

    struct Started {
        QString game;       // the profile's name as stored
        QString executable; // the file name started: the one the unload key ends
        qint64 pid = 0;     // its process, for its play session
        // What the user should know about a start that went ahead, one line each; the first
        // Start into a plug-in era settings folder says here that it kept the user's files.
        QStringList notices;
    };

    GameStarter(ProfileStore& store, Folders folders, QString ownName);
    ~GameStarter();

    // Starts the game named `name` (found without letter case, as the store
    // compares names).
    Started start(const QString& name, bool runCdvd);

    // Runs once the checks have passed, before anything is written, ended or
    // started: the window ends there the other games it was told to end.
    void setAfterChecks(std::function<void()> step) { m_afterChecks = std::move(step); }
    // Called about every 20 ms while a running emulator is given time to quit (up to
    // emulatorending::kQuitWaitMs): a window keeps repainting and says what it waits for.
    void setWaitHandler(std::function<void()> idle) { m_idle = std::move(idle); }

private:
    // The Flatpak build: the current builds' Start into the sandbox's settings folder,
    // started through Flatpak, ending the tree an earlier Flatpak Start created.
    Started startFlatpak(GameProfile profile, bool runCdvd);
    // What the current builds' Start remembers of its writes to `game`'s settings file, in db.mdb.
    currentbuild::GameFileMemory gameFileMemory(const QString& game);

    std::function<void()> m_afterChecks;
    std::function<void()> m_idle;
    ProfileStore& m_store;
    Folders m_folders;
    QString m_ownName;
    // What Start last wrote into each per-game file, in db.mdb.
    std::unique_ptr<WrittenFileStore> m_written;
};
