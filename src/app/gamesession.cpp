#include "app/gamesession.h"

#include "app/commandline.h"
#include "app/programsettings.h"
#include "core/appinfo.h"
#include "core/korvelloerror.h"
#include "desktop/unloadkey.h"
#include "emulatorsettings/settingsrestore.h"
#include "launch/currentbuild.h"
#include "launch/flatpakbuild.h"
#include "launch/gamestarter.h"
#include "launch/playsessiontracker.h"
#include "store/playtimestore.h"
#include "ui/dialogs.h"

#include <QCoreApplication>
#include <QScopeGuard>
#include <QThread>
#include <QTimer>
#include <QWidget>

namespace {
const QString kClosingText = QStringLiteral("Closing PCSX2\u2026");
}

GameSession::GameSession(const EmulatorSetup& setup, const LibraryStores& stores, QWidget* window)
    : QObject(window), m_setup(setup), m_stores(stores), m_window(window), m_unloadKey(createUnloadKey()) {
    m_playSessions = new PlaySessionTracker(m_stores.playTime, this);
    connect(m_playSessions, &PlaySessionTracker::sessionEnded, this, &GameSession::sessionEnded);
    connect(m_playSessions, &PlaySessionTracker::failed, this,
            [this](const QString& text) { run([&text] { throw KorvelloError(text); }); });
    // The hot key arrives inside Qt's event dispatch: it runs under the error report too.
    m_unloadKey->setHandler([this](qint32 id) { run([this, id] { unloadEmulator(id); }); });
    // The desktop portal answers later than registration returns.
    m_unloadKey->setStatusHandler([this] { run([this] { showUnloadKeyStatus(); }); });
    m_closingTimer = new QTimer(this);
    m_closingTimer->setInterval(50);
    connect(m_closingTimer, &QTimer::timeout, this, [this] { run([this] { checkClosing(); }); });
}

GameSession::~GameSession() {
    // An emulator still asked to quit is given the rest of its time; the program
    // does not leave it half closed.
    finishClosing();
}

void GameSession::openSessions() {
    // Games started from desktop shortcuts while the window runs are timed here too.
    m_playSessions->followDatabase(m_setup.appFolder + QStringLiteral("db.mdb"));
    m_playSessions->resumeOpenSessions();
}

void GameSession::setPadCombination(std::function<QString()> combination) {
    m_padCombination = std::move(combination);
}

void GameSession::setUnloadKeyEnabled(bool on) {
    if (on) {
        m_unloadKeyId = m_unloadKey->registerKey();
        showUnloadKeyStatus();
    } else {
        m_unloadKey->unregisterKey();
    }
}

void GameSession::showUnloadKeyStatus() {
    const QString trigger = m_unloadKey->triggerDescription();
    const QString key = trigger.isEmpty() ? QStringLiteral("Ctrl+Alt+U") : trigger;
    // With a pad connected, its combination is named beside the key.
    const QString pad = m_padCombination ? m_padCombination() : QString();
    // A key that another program holds does nothing here: the note says so
    // instead of promising it, until the key is free and grabbed.
    QString text;
    if (m_unloadKey->isTaken())
        text = pad.isEmpty() ? QStringLiteral("Ctrl+Alt+U is taken by another program")
                             : QStringLiteral("Hold %1 to unload PCSX2 (Ctrl+Alt+U is taken)").arg(pad);
    else
        text = pad.isEmpty() ? QStringLiteral("Press %1 to unload PCSX2").arg(key)
                             : QStringLiteral("Press %1 or hold %2 to unload PCSX2").arg(key, pad);
    QStringList notes;
    if (m_unloadKey->isUnavailable())
        notes << QStringLiteral("Unload key unavailable on this desktop");
    if (!pad.isEmpty())
        notes << QStringLiteral("On the gamepad, hold %1 together for a second").arg(pad);
    emit unloadHintChanged(text, notes.join(u'\n'));
}

void GameSession::startGame(const QString& game, bool runDisc) {
    if (m_starting)
        return; // a pad press while a Start waits for the emulator to quit
    // Another game that this window started still runs: ending it loses what
    // its player has not saved, so the player says so first.
    QStringList others = m_playSessions->runningGames();
    others.removeAll(game);
    if (!others.isEmpty()) {
        const auto answer = Dialogs::message(
            m_window, appinfo::kTitle,
            QStringLiteral("End %1 and start %2?").arg(others.join(QStringLiteral(", ")), game),
            QMessageBox::Question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes)
            return;
    }
    startGameEnding(game, runDisc, others);
}

void GameSession::startGameEnding(const QString& game, bool runDisc, const QStringList& gamesToEnd) {
    // The same start as `korvello --start`: one class does it for both.
    GameStarter starter(
        m_stores.profiles,
        {m_setup.appFolder, m_setup.settingsFolder, m_setup.currentBuilds, m_setup.pluginsFolder},
        appinfo::ExecutableName());
    if (m_starting)
        return;
    m_starting = true;
    const auto done = qScopeGuard([this] { m_starting = false; });
    // An unload under way ends first: the emulator is never asked twice.
    finishClosing();
    // A start that its checks refuse leaves the other games running.
    QStringList forced;
    starter.setAfterChecks([this, gamesToEnd, &forced] {
        for (const QString& other : gamesToEnd)
            if (m_playSessions->endGame(other, waitHandler()))
                forced.append(emulatorending::forcedText());
    });
    starter.setWaitHandler(waitHandler());
    GameStarter::Started started;
    try {
        started = starter.start(game, runDisc);
    } catch (...) {
        showUnloadKeyStatus();
        throw;
    }
    showUnloadKeyStatus();
    started.notices = forced + started.notices;
    m_startedExecutable = started.executable;
    // Kept in the settings file too, so that `korvello --unload` ends it, and
    // so that this window's key ends what a `korvello --start` started since.
    m_stores.settings.writeText(CommandLine::lastEmulatorKey(), m_startedExecutable);
    emit gameStarted(game);
    if (started.pid > 0)
        m_playSessions->gameStarted(game, started.pid);
    // The game runs; what it runs without is said once, after the start.
    if (!started.notices.isEmpty())
        Dialogs::message(m_window, appinfo::kTitle, started.notices.join(u'\n'), QMessageBox::Information);
}

void GameSession::unloadEmulator(qint32 id) {
    if (id != m_unloadKeyId)
        return;
    endStartedEmulator();
}

void GameSession::endStartedEmulator() {
    if (isClosing())
        return; // asked already; a second SIGTERM would make the emulator quit without saving
    const std::optional<QString> last = m_stores.settings.readText(CommandLine::lastEmulatorKey());
    const QString exeFile = last && !last->isEmpty() ? *last : m_startedExecutable;
    emulatorending::Ending ending;
    if (flatpakbuild::isFlatpak(exeFile)) {
        if (const qint64 root = flatpakbuild::startedProcess(); root > 0)
            ending = emulatorending::ofTree(root);
    } else {
        ending = emulatorending::ofExecutable(exeFile, appinfo::ExecutableName());
    }
    if (ending.isEmpty())
        return;
    emulatorending::ask(ending);
    m_closing = ending;
    m_closingClock.start();
    emit unloadHintChanged(kClosingText, QString());
    m_closingTimer->start();
}

void GameSession::checkClosing() {
    if (!isClosing()) {
        m_closingTimer->stop();
        return;
    }
    const bool running = emulatorending::anyRunning(m_closing);
    if (running && m_closingClock.elapsed() < emulatorending::kQuitWaitMs)
        return;
    m_closingTimer->stop();
    emulatorending::finish(m_closing);
    m_closing = {};
    showUnloadKeyStatus();
    if (running)
        emit unloadHintChanged(emulatorending::forcedText(), QString());
}

void GameSession::finishClosing() {
    while (isClosing()) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        checkClosing();
        if (isClosing())
            QThread::msleep(20);
    }
}

std::function<void()> GameSession::waitHandler() {
    return [this, said = false]() mutable {
        if (!said) {
            emit unloadHintChanged(kClosingText, QString());
            said = true;
        }
        // The window keeps repainting; the user's clicks wait for the Start to end.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
}

void GameSession::restoreEmulatorSettings() {
    const QString done = ::restoreEmulatorSettings(
        m_setup.settingsFolder,
        currentbuild::gameSettingsFolders(m_setup.settingsFolder, m_setup.currentBuilds));
    Dialogs::message(m_window, appinfo::kTitle, done, QMessageBox::Information);
}

bool GameSession::isGameRunning() const {
    return m_playSessions->watchedCount() > 0;
}
