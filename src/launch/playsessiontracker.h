#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

class PlayTimeStore;
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
// end can no longer be known.
//
// Store errors in the watcher cannot be thrown into the event loop: they are
// handed to failed(). Durations of sessions seen from their start are measured
// on the monotonic clock, so a change of the wall clock does not stretch them.
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

    int watchedCount() const { return static_cast<int>(m_watches.size()); }
    // The games whose emulator, started by this program, runs now (its process is
    // the one that was started, not a later one with its pid), sorted, each once.
    QStringList runningGames() const;
    // Ends (SIGKILL) the emulators started for `game` that still run; their
    // sessions close as any other end does.
    void endGame(const QString& game);

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
        qint64 startedMs = 0;
        qint64 startedMonotonicMs = -1; // -1 when the session was taken up from an earlier run
        int pidfd = -1;
        QSocketNotifier* notifier = nullptr;
    };

    void watch(qint64 sessionId, Watch w);
    void processEnded(qint64 sessionId);
    void pollProcesses();
    void release(Watch& w);

    PlayTimeStore& m_store;
    QHash<qint64, Watch> m_watches;
    QTimer* m_poll = nullptr;
    QElapsedTimer m_clock;
};
