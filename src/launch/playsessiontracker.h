#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class PlayTimeStore;
class QFileSystemWatcher;
class QSocketNotifier;
class QTimer;

// Play sessions of the emulators this program starts. A started game opens a
// session in the play-time store; the end of its process, however it comes (it
// quits, the unload key, a later Start that ends it, anything else), closes it.
// The end is seen through a pidfd, which becomes readable when the process ends
// whoever its parent is; where pidfds are not available the process is looked
// for once a second instead.
//
// Sessions left open by an earlier run of the program (closed while a game ran,
// or killed) are taken up again by resumeOpenSessions(): one whose process still
// runs is watched to its end, one whose process is gone is dropped, because its
// end can no longer be known. followDatabase() does the same whenever db.mdb
// changes, so a running window takes up the sessions that `korvello --start`
// (a desktop shortcut) opens while it runs; detachWatches() lets a --start
// without a window leave a small process of its own behind that closes them.
//
// Store errors in the watcher cannot be thrown into the event loop: they are
// handed to failed(). A session lasts from its process's start to its end as
// CLOCK_BOOTTIME counts them (the start is the process's own, from
// /proc/<pid>/stat), so a change of the wall clock never stretches or shortens
// it, whoever takes the session up; the wall clock only places it in time.
class PlaySessionTracker : public QObject {
    Q_OBJECT
public:
    explicit PlaySessionTracker(PlayTimeStore& store, QObject* parent = nullptr);
    ~PlaySessionTracker() override;

    // The emulator for `game` has just been started as process `pid`. Throws
    // KorvelloError when the store cannot record it. A process that has already
    // ended records nothing: it ran far less than a counted session.
    void gameStarted(const QString& game, qint64 pid);
    // Throws KorvelloError when the store cannot be read or written.
    void resumeOpenSessions();
    // Takes up new open sessions whenever the database file `path` changes
    // (inotify, no polling); errors go to failed().
    void followDatabase(const QString& path);
    // For a process about to end (korvello --start): each watched session is
    // handed to a child process of its own, outside this one's session, that
    // waits for the emulator's end and closes the session in `databasePath`.
    // The watches here end. Without a child (fork failed) the session stays
    // open, for a window to take up.
    void detachWatches(const QString& databasePath);

    // The clocks every duration and time is taken from: wall time and
    // CLOCK_BOOTTIME, in milliseconds. Tests set their own; empty functions
    // give back the system's.
    struct Clocks {
        std::function<qint64()> wallMs;
        std::function<qint64()> bootMs;
    };
    static void setClocks(Clocks clocks);
    static qint64 wallNowMs();
    static qint64 bootNowMs();

    int watchedCount() const { return static_cast<int>(m_watches.size()); }
    // The games whose emulator, started by this program, runs now (its process is
    // the one that was started, not a later one with its pid), sorted, each once.
    QStringList runningGames() const;
    // Ends the emulators started for `game` that still run: asked to quit first and
    // given time to save (emulatorending; `idle` is called while they are waited
    // for), then ended. Their sessions close as any other end does. Returns whether
    // some did not quit in time and had to be ended.
    bool endGame(const QString& game, const std::function<void()>& idle = {});

signals:
    // A watched session ended; the games' figures may have changed.
    void sessionEnded();
    // A store error while closing a session, with the error's text.
    void failed(const QString& text);

private:
    struct Watch {
        QString game;
        qint64 pid = 0;
        QString identity;
        qint64 startedMs = 0;      // wall time, as stored
        qint64 startedBootMs = -1; // the process's start on CLOCK_BOOTTIME; -1 when unknown
        int pidfd = -1;
        QSocketNotifier* notifier = nullptr;
    };

    void watch(qint64 sessionId, Watch w);
    void processEnded(qint64 sessionId);
    void pollProcesses();
    void release(Watch& w);
    // When the session of `w` ends now, in wall time.
    static qint64 endedMs(const Watch& w);

    PlayTimeStore& m_store;
    QHash<qint64, Watch> m_watches;
    QTimer* m_poll = nullptr;
    QFileSystemWatcher* m_databaseWatcher = nullptr;
};
