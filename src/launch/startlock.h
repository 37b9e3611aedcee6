#pragma once

#include <QString>

// One Start at a time per emulator folder, across every copy of the program
// (two clicks on a desktop shortcut start two copies at once). Held from
// writing the emulator's configuration until the emulator has been started:
// without it two Starts interleave, several emulators run at once on the same
// memory cards, and the settings files end up holding two games' settings.
//
// The lock is an flock() on "start-<digest of the folder>.lock" in the
// program's cache folder ($XDG_CACHE_HOME/korvello), opened without following
// links; the kernel lets it go when its holder ends, however it ends.
class StartLock {
public:
    // How long a Start waits for the one under way before it gives up.
    static constexpr int kWaitMs = 5000;

    // Takes the lock of `appFolder`, waiting up to waitMs for another Start
    // to finish. Throws KorvelloError saying that another Start is under way
    // when it does not. When the lock file itself cannot be made (no cache
    // folder), Start goes on without it: a cache problem never stops a game.
    explicit StartLock(const QString& appFolder, int waitMs = kWaitMs);
    ~StartLock();
    StartLock(const StartLock&) = delete;
    StartLock& operator=(const StartLock&) = delete;

    // The lock file of that folder.
    static QString path(const QString& appFolder);

private:
    int m_fd = -1;
};
