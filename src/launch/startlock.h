#pragma once

#include <QString>

#include <functional>

// One holder at a time of a piece of work on a folder, across every copy of the
// program (two clicks on a desktop shortcut start two copies at once; the
// window and --add-folder may add games to one library at once).
//
// Start holds it from writing the emulator's configuration until the emulator
// has been started: without it two Starts interleave, several emulators run at
// once on the same memory cards, and the settings files end up holding two
// games' settings. An addition of a folder holds it while it stores games:
// without it two additions store the same discs twice under other names.
//
// The lock is an flock() on "<kind>-<digest of the folder's real path>.lock"
// in the program's cache folder ($XDG_CACHE_HOME/korvello), opened without
// following links; the kernel lets it go when its holder ends, however it ends.
// A folder reached through a link has the lock of the folder it leads to.
class StartLock {
public:
    // How long a Start waits for the one under way before it gives up.
    static constexpr int kWaitMs = 5000;

    // Takes the Start lock of `appFolder`, waiting up to waitMs for another
    // Start to finish. Throws KorvelloError saying that another Start is under
    // way when it does not, and when something that is not a lock file (a
    // FIFO, a link, a folder) sits at the lock's name. When the cache folder
    // cannot be made at all, Start goes on without the lock, with a warning
    // that says so: a cache problem never stops a game.
    explicit StartLock(const QString& appFolder, int waitMs = kWaitMs);

    // The lock of another kind of work: waits while `keepWaiting` says so
    // (checked every 20 ms); throws KorvelloError `busy` when it gives up.
    StartLock(const QString& kind, const QString& folder, const std::function<bool()>& keepWaiting,
              const QString& busy);
    ~StartLock();
    StartLock(const StartLock&) = delete;
    StartLock& operator=(const StartLock&) = delete;

    // The Start lock file of that folder, and that of another kind of work.
    static QString path(const QString& appFolder);
    static QString path(const QString& kind, const QString& folder);

private:
    void take(const QString& file, const std::function<bool()>& keepWaiting, const QString& busy);

    int m_fd = -1;
};
