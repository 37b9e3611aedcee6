#pragma once

#include "app/windowcontext.h"
#include "ui/errorreport.h"

#include "launch/emulatorending.h"

#include <QElapsedTimer>
#include <QObject>
#include <functional>
#include <memory>

class PlaySessionTracker;
class QTimer;
class QWidget;
class UnloadKey;

// Starting and ending the emulator from the window: Start with its question
// about a game that still runs, the unload key (Ctrl+Alt+U or the desktop
// portal's shortcut) and its hint, the play sessions of the games started, and
// putting the emulator's own settings back. The work itself is the launch
// layer's (GameStarter, emulatorlauncher, flatpakbuild), shared with the
// command line.
class GameSession : public QObject {
    Q_OBJECT
public:
    // window: the owner of the questions and notices shown.
    GameSession(const EmulatorSetup& setup, const LibraryStores& stores, QWidget* window);
    ~GameSession() override;

    // Opens the play sessions of db.mdb and takes up those an earlier run left open.
    void openSessions();
    // Grabs (true) or lets go of (false) the unload key.
    void setUnloadKeyEnabled(bool on);
    // What the pad's unload combination is ("Select+Start"), named in the hint; empty without a pad.
    void setPadCombination(std::function<QString()> combination);
    // Says again what unloads the emulator (unloadHintChanged).
    void showUnloadKeyStatus();

    // Starts `game`; another game this window started that still runs is
    // ended first, once the player agrees.
    void startGame(const QString& game, bool runDisc);
    // Starts `game`, ending `gamesToEnd` (other games this window started) once
    // the start's checks have passed.
    void startGameEnding(const QString& game, bool runDisc, const QStringList& gamesToEnd);
    // The unload key with id `id` was pressed: ends the emulator that Start last started.
    void unloadEmulator(qint32 id);
    // Ends the emulator that Start (here or on the command line) last started:
    // what the unload key and the gamepad's unload combination do. The emulator
    // is asked to quit and, while the window goes on, given time to save
    // ("Closing PCSX2..." in the hint); what still runs after that is ended.
    void endStartedEmulator();
    // Whether an emulator asked to quit is still being waited for.
    bool isClosing() const { return !m_closing.isEmpty(); }
    // Puts back the emulator's own settings files kept before Korvello's first Start.
    void restoreEmulatorSettings();

    // Whether an emulator this window started still runs.
    bool isGameRunning() const;
    const UnloadKey& unloadKey() const { return *m_unloadKey; }
    // The id of the registered unload key, 0 when none.
    qint32 unloadKeyId() const { return m_unloadKeyId; }
    // The file name of the emulator that Start last started.
    QString startedExecutable() const { return m_startedExecutable; }
    const PlaySessionTracker& playSessions() const { return *m_playSessions; }

signals:
    // What unloads the emulator, for the game list page's note.
    void unloadHintChanged(const QString& text, const QString& toolTip);
    // A game was started.
    void gameStarted(const QString& game);
    // A started game's session ended; the play figures changed.
    void sessionEnded();

private:
    // Every 50 ms while closing: the asked emulator ended or its time is up.
    void checkClosing();
    // Waits for a closing under way to end (a Start must not ask the emulator twice).
    void finishClosing();
    // What the window does while a Start or the question's answer waits for an emulator to quit.
    std::function<void()> waitHandler();
    template <typename F> void run(F&& f) { ErrorReport::guard(m_window, std::forward<F>(f)); }

    const EmulatorSetup& m_setup;
    LibraryStores m_stores;
    QWidget* m_window;
    std::unique_ptr<UnloadKey> m_unloadKey;
    qint32 m_unloadKeyId = 0;
    PlaySessionTracker* m_playSessions = nullptr; // watches the emulators Start started
    QString m_startedExecutable;
    std::function<QString()> m_padCombination;
    bool m_starting = false;          // a Start runs (and may wait for an emulator to quit)
    emulatorending::Ending m_closing; // the emulator being closed, empty when none
    QElapsedTimer m_closingClock;
    QTimer* m_closingTimer = nullptr;
};
