// Play sessions end to end: the main window starts the real stand-in emulator
// and the sessions it records are read back from db.mdb. One game is unloaded
// with the unload key's handler, one ends by itself, one is replaced by a
// second Start, one is still running when the window closes (taken up by the
// next window) and one ends while no window runs (dropped).
#include "app/mainwindow.h"
#include "app/programsettings.h"

#include "emulatorrun.h"
#include "gamelist/gamelistview.h"
#include "launch/playsessiontracker.h"
#include "launch/processidentity.h"
#include "store/columntable.h"
#include "store/playtimestore.h"
#include "store/profilestore.h"
#include "support/dialogrecorder.h"
#include "support/testfolder.h"
#include "support/windowparts.h"

#include <QPushButton>
#include <QtTest>

#include <csignal>
#include <ctime>
#include <memory>

namespace {

struct Game {
    QString name;
    QString keys;
    QString exeName;
    QString exePath;
};

// Milliseconds a session lasted.
qint64 lengthOf(const PlaySession& s) {
    return s.ended - s.started;
}

} // namespace

class TestPlaySessions : public QObject {
    Q_OBJECT
private slots:
    void init() {
        testsupport::removeProgramSettings();
        // The stand-in games have no disc image: Start runs the emulator without one.
        ProgramSettings().writeInt(QStringLiteral("Run"), 0);
    }
    void sessionsOfRealEmulators();
    void windowTakesUpSessionsOpenedWhileItRuns();
};

void TestPlaySessions::sessionsOfRealEmulators() {
    DialogRecorder dialogs;
    emulatorrun::Reaper reaper;
    TestFolder folder;
    const QString db = folder.file(QStringLiteral("db.mdb"));
    // Each game its own executable, so that ending one never ends another.
    QList<Game> games = {
        {QStringLiteral("Ends By Itself"), QStringLiteral("--exit-after=12"), {}, {}},
        {QStringLiteral("Gone While Closed"), {}, {}, {}},
        {QStringLiteral("Left Running"), {}, {}, {}},
        {QStringLiteral("Replaced Later"), {}, {}, {}},
        {QStringLiteral("Unloaded By Key"), {}, {}, {}},
    };
    {
        ProfileStore store;
        store.setDatabasePath(db);
        for (int i = 0; i < games.size(); ++i) {
            Game& g = games[i];
            g.exeName = emulatorrun::uniqueName(QStringLiteral("sess%1").arg(i));
            g.exePath = emulatorrun::install(folder.path(), g.exeName);
            GameProfile p = emulatorrun::fixtureProfile();
            p.setValue(col::gamename, g.name);
            p.setValue(col::PCSX2ExeFile, g.exeName);
            p.setValue(col::PCSX2CMDKeys, g.keys);
            store.add(p);
        }
    }
    PlayTimeStore playTime;
    playTime.setDatabasePath(db);

    auto window = std::make_unique<MainWindow>(folder.path());
    window->show();
    QCOMPARE(parts(*window).gameGrid->count(), games.size());
    QHash<QString, qint64> pids;
    // Start each game while the others go on running, through the start itself:
    // the window's Start button would first ask to end them.
    auto start = [&](int row) {
        const Game& g = games.at(row);
        QFile::remove(g.exePath + QStringLiteral(".record"));
        parts(*window).gameListPage->selectGame(row);
        window->session()->startGameEnding(parts(*window).currentGame,
                                           parts(*window).runDiscCheck->isChecked(), {});
        const std::optional<emulatorrun::Record> record = emulatorrun::waitForRecord(g.exePath);
        QVERIFY2(record, qPrintable(g.name));
        reaper.add(record->pid);
        pids.insert(g.name, record->pid);
    };
    for (int row = 0; row < games.size(); ++row) {
        start(row);
        if (QTest::currentTestFailed())
            return;
    }
    QCOMPARE(playTime.openSessions().size(), games.size());
    for (const PlaySession& s : playTime.openSessions()) {
        QCOMPARE(s.pid, pids.value(s.game));
        QCOMPARE(s.process, processIdentity(s.pid));
    }

    QTest::qWait(11'000);
    // The unload key ends the last started game ("Unloaded By Key").
    parts(*window).session->unloadEmulator(parts(*window).unloadKeyId);
    QVERIFY(emulatorrun::waitForEnd(pids.value(games[4].name)));
    // A second Start of "Replaced Later" ends its first session.
    const qint64 firstReplaced = pids.value(games[3].name);
    start(3);
    QVERIFY(emulatorrun::waitForEnd(firstReplaced));
    // "Ends By Itself" quits after 12 s.
    QVERIFY(emulatorrun::waitForEnd(pids.value(games[0].name), 10'000));
    QTRY_COMPARE_WITH_TIMEOUT(playTime.openSessions().size(), 3, 5000); // left, gone, the replacement

    // The window closes with three games running; one of them ends meanwhile.
    window->close();
    window.reset();
    ::kill(static_cast<pid_t>(pids.value(games[1].name)), SIGKILL);
    QVERIFY(emulatorrun::waitForEnd(pids.value(games[1].name)));
    QCOMPARE(playTime.openSessions().size(), 3);

    window = std::make_unique<MainWindow>(folder.path());
    window->show();
    // "Gone While Closed" ended unseen: dropped. The two running are watched again.
    QCOMPARE(playTime.openSessions().size(), 2);
    QVERIFY(playTime.sessions(games[1].name).isEmpty());
    ::kill(static_cast<pid_t>(pids.value(games[2].name)), SIGKILL);
    ::kill(static_cast<pid_t>(pids.value(games[3].name)), SIGKILL);
    QTRY_COMPARE_WITH_TIMEOUT(playTime.openSessions().size(), 0, 5000);

    auto only = [&](const QString& game) {
        const QList<PlaySession> sessions = playTime.sessions(game);
        return sessions.size() == 1 ? sessions.first() : PlaySession{};
    };
    const PlaySession unloaded = only(games[4].name);
    QVERIFY2(lengthOf(unloaded) >= 10'000 && lengthOf(unloaded) < 30'000,
             qPrintable(QString::number(lengthOf(unloaded))));
    const PlaySession ended = only(games[0].name);
    QVERIFY2(lengthOf(ended) >= 11'500 && lengthOf(ended) < 20'000,
             qPrintable(QString::number(lengthOf(ended))));
    // The replaced session counts; the replacement ran a moment only and does not.
    const PlaySession replaced = only(games[3].name);
    QCOMPARE(replaced.pid, firstReplaced);
    QVERIFY2(lengthOf(replaced) >= 10'000 && lengthOf(replaced) < 30'000,
             qPrintable(QString::number(lengthOf(replaced))));
    // Counted from its Start in the first window to its end seen by the second.
    const PlaySession left = only(games[2].name);
    QVERIFY2(lengthOf(left) >= 11'000 && lengthOf(left) < 40'000,
             qPrintable(QString::number(lengthOf(left))));
    QVERIFY(playTime.sessions(games[1].name).isEmpty());

    const QHash<QString, PlayStats> stats = playTime.stats();
    QCOMPARE(stats.size(), 4);
    QCOMPARE(stats.value(games[2].name).seconds, lengthOf(left) / 1000);
    QTRY_COMPARE(parts(*window).gameGrid->model()->index(2, 0).data(Qt::ToolTipRole).toString(),
                 games[2].name + QStringLiteral("\nPlay time: under 1 min\nLast played: today"));
    QVERIFY2(dialogs.messageTexts().isEmpty(), qPrintable(dialogs.messageTexts().join(u'|')));
}

// A desktop shortcut's `korvello --start` opens its session in db.mdb while a
// window runs: the window takes it up at once (it follows the file, it does
// not poll) and counts it to the emulator's end.
void TestPlaySessions::windowTakesUpSessionsOpenedWhileItRuns() {
    DialogRecorder dialogs;
    emulatorrun::Reaper reaper;
    TestFolder folder;
    const QString db = folder.file(QStringLiteral("db.mdb"));
    const QString exe =
        emulatorrun::install(folder.path(), emulatorrun::uniqueName(QStringLiteral("takeup")));
    {
        ProfileStore store;
        store.setDatabasePath(db);
        GameProfile p = emulatorrun::fixtureProfile();
        p.setValue(col::gamename, QStringLiteral("From A Shortcut"));
        store.add(p);
    }
    MainWindow window(folder.path());
    window.show();
    QCOMPARE(parts(window).playSessions->watchedCount(), 0);

    const qint64 pid = emulatorrun::startDirectly(exe);
    QVERIFY(pid > 0);
    reaper.add(pid);
    PlayTimeStore playTime;
    playTime.setDatabasePath(db);
    playTime.openSession(QStringLiteral("From A Shortcut"), pid, processIdentity(pid),
                         QDateTime::currentMSecsSinceEpoch() - 20'000);
    QTRY_COMPARE_WITH_TIMEOUT(parts(window).playSessions->watchedCount(), 1, 5000);
    // The game runs 12 s on the test's own boot-time clock.
    PlaySessionTracker::setClocks({{}, [] {
                                       timespec now{};
                                       ::clock_gettime(CLOCK_BOOTTIME, &now);
                                       return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000 + 12'000;
                                   }});
    ::kill(static_cast<pid_t>(pid), SIGKILL);
    QTRY_VERIFY_WITH_TIMEOUT(playTime.openSessions().isEmpty(), 5000);
    PlaySessionTracker::setClocks({});
    const QList<PlaySession> sessions = playTime.sessions(QStringLiteral("From A Shortcut"));
    QCOMPARE(sessions.size(), 1);
    // From the process's own start, not from what the store was told.
    QVERIFY2(lengthOf(sessions.first()) >= 12'000 && lengthOf(sessions.first()) < 17'000,
             qPrintable(QString::number(lengthOf(sessions.first()))));
    QVERIFY2(dialogs.messageTexts().isEmpty(), qPrintable(dialogs.messageTexts().join(u'|')));
}

QTEST_MAIN(TestPlaySessions)
#include "tst_playsessions.moc"
