// Play sessions of real processes (the stand-in emulator): their end is seen
// however it comes, open sessions of an earlier run are taken up or dropped,
// and no session is ever counted twice.
#include "launch/playsessiontracker.h"
#include "launch/processidentity.h"
#include "store/playtimestore.h"

#include "emulatorrun.h"
#include "store/columntable.h"
#include "store/profilestore.h"
#include "support/testfolder.h"

#include <QDateTime>
#include <QSignalSpy>
#include <QtTest>

#include <atomic>
#include <csignal>
#include <ctime>

namespace {

struct Fixture {
    TestFolder folder;
    QString db = folder.file(QStringLiteral("db.mdb"));
    QString exe = emulatorrun::install(folder.path(), emulatorrun::uniqueName(QStringLiteral("tracker")));
    PlayTimeStore store;
    emulatorrun::Reaper reaper;

    Fixture() {
        ProfileStore profiles;
        profiles.setDatabasePath(db);
        GameProfile p;
        p.setValue(col::gamename, QStringLiteral("Ōkami"));
        profiles.add(p);
        store.setDatabasePath(db);
    }
    qint64 start(const QStringList& arguments = {}) {
        const qint64 pid = emulatorrun::startDirectly(exe, arguments);
        reaper.add(pid);
        return pid;
    }
};

// The test's own time source: the system's clocks, moved by these amounts.
std::atomic<qint64> g_wallShiftMs{0};
std::atomic<qint64> g_bootShiftMs{0};
struct ClockShift {
    ClockShift() {
        g_wallShiftMs = 0;
        g_bootShiftMs = 0;
        PlaySessionTracker::setClocks({[] { return QDateTime::currentMSecsSinceEpoch() + g_wallShiftMs; },
                                       [] {
                                           timespec now{};
                                           ::clock_gettime(CLOCK_BOOTTIME, &now);
                                           return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000 +
                                                  g_bootShiftMs;
                                       }});
    }
    ~ClockShift() { PlaySessionTracker::setClocks({}); }
};

} // namespace

class TestPlaySessionTracker : public QObject {
    Q_OBJECT
private slots:
    void identityTellsProcessesApart();
    void endIsSeenHoweverItComes_data();
    void endIsSeenHoweverItComes();
    void processThatAlreadyEndedRecordsNothing();
    void resumedSessionIsCountedToItsEnd();
    void sessionsOfEndedOrReusedProcessesAreDropped();
    void twoWatchersCountOnce();
    void movedWallClockNeverChangesALength_data();
    void movedWallClockNeverChangesALength();
};

void TestPlaySessionTracker::identityTellsProcessesApart() {
    Fixture f;
    const qint64 pid = f.start();
    QVERIFY(pid > 0);
    const QString identity = processIdentity(pid);
    QVERIFY(!identity.isEmpty());
    QCOMPARE(processIdentity(pid), identity);
    QVERIFY(processIdentity(pid) != processIdentity(::getpid()));
    ::kill(static_cast<pid_t>(pid), SIGKILL);
    QVERIFY(emulatorrun::waitForEnd(pid));
    QVERIFY(processIdentity(pid).isEmpty());
    QVERIFY(processIdentity(0).isEmpty());
}

void TestPlaySessionTracker::endIsSeenHoweverItComes_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("signal"); // 0: the process ends by itself
    QTest::newRow("ends by itself") << QStringList{QStringLiteral("--exit-after=1")} << 0;
    QTest::newRow("killed") << QStringList() << int(SIGKILL);
    QTest::newRow("asked to end") << QStringList() << int(SIGTERM);
}

void TestPlaySessionTracker::endIsSeenHoweverItComes() {
    QFETCH(QStringList, arguments);
    QFETCH(int, signal);
    Fixture f;
    PlaySessionTracker tracker(f.store);
    QSignalSpy ended(&tracker, &PlaySessionTracker::sessionEnded);
    const qint64 pid = f.start(arguments);
    tracker.gameStarted(QStringLiteral("Ōkami"), pid);
    QCOMPARE(tracker.watchedCount(), 1);
    const QList<PlaySession> open = f.store.openSessions();
    QCOMPARE(open.size(), 1);
    QCOMPARE(open.first().game, QStringLiteral("Ōkami"));
    QCOMPARE(open.first().pid, pid);
    QCOMPARE(open.first().process, processIdentity(pid));
    QVERIFY(qAbs(open.first().started - QDateTime::currentMSecsSinceEpoch()) < 5'000);
    if (signal)
        ::kill(static_cast<pid_t>(pid), signal);
    QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 5000);
    QCOMPARE(tracker.watchedCount(), 0);
    // A few seconds of play are not counted.
    QVERIFY(f.store.openSessions().isEmpty());
    QVERIFY(f.store.sessions(QStringLiteral("Ōkami")).isEmpty());
}

void TestPlaySessionTracker::processThatAlreadyEndedRecordsNothing() {
    Fixture f;
    const qint64 pid = f.start();
    ::kill(static_cast<pid_t>(pid), SIGKILL);
    QVERIFY(emulatorrun::waitForEnd(pid));
    PlaySessionTracker tracker(f.store);
    tracker.gameStarted(QStringLiteral("Ōkami"), pid);
    QCOMPARE(tracker.watchedCount(), 0);
    QVERIFY(f.store.openSessions().isEmpty());
}

void TestPlaySessionTracker::resumedSessionIsCountedToItsEnd() {
    Fixture f;
    const qint64 pid = f.start();
    // An earlier run started it and was closed while it ran; the game runs 90 s.
    const qint64 started = QDateTime::currentMSecsSinceEpoch();
    const qint64 id = f.store.openSession(QStringLiteral("Ōkami"), pid, processIdentity(pid), started);
    const ClockShift shift;
    PlaySessionTracker tracker(f.store);
    QSignalSpy ended(&tracker, &PlaySessionTracker::sessionEnded);
    tracker.resumeOpenSessions();
    QCOMPARE(tracker.watchedCount(), 1);
    tracker.resumeOpenSessions(); // taken up once only
    QCOMPARE(tracker.watchedCount(), 1);
    QCOMPARE(f.store.openSessions().size(), 1);
    g_bootShiftMs = 90'000;
    ::kill(static_cast<pid_t>(pid), SIGKILL);
    QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 5000);
    const QList<PlaySession> sessions = f.store.sessions(QStringLiteral("Ōkami"));
    QCOMPARE(sessions.size(), 1);
    QCOMPARE(sessions.first().id, id);
    const qint64 length = sessions.first().ended - sessions.first().started;
    QVERIFY2(length >= 90'000 && length < 100'000, qPrintable(QString::number(length)));
}

void TestPlaySessionTracker::sessionsOfEndedOrReusedProcessesAreDropped() {
    Fixture f;
    const qint64 gone = f.start();
    const QString goneIdentity = processIdentity(gone);
    ::kill(static_cast<pid_t>(gone), SIGKILL);
    QVERIFY(emulatorrun::waitForEnd(gone));
    const qint64 reused = f.start();
    const qint64 started = QDateTime::currentMSecsSinceEpoch() - 60'000;
    f.store.openSession(QStringLiteral("Ōkami"), gone, goneIdentity, started);
    // The pid now belongs to another process than the one the session saw.
    f.store.openSession(QStringLiteral("Ōkami"), reused, QStringLiteral("another-boot/1"), started);
    PlaySessionTracker tracker(f.store);
    tracker.resumeOpenSessions();
    QCOMPARE(tracker.watchedCount(), 0);
    QVERIFY(f.store.openSessions().isEmpty());
    QVERIFY(f.store.sessions(QStringLiteral("Ōkami")).isEmpty());
    QVERIFY(emulatorrun::isAlive(reused));
}

void TestPlaySessionTracker::twoWatchersCountOnce() {
    Fixture f;
    const qint64 pid = f.start();
    f.store.openSession(QStringLiteral("Ōkami"), pid, processIdentity(pid),
                        QDateTime::currentMSecsSinceEpoch());
    const ClockShift shift; // the game runs 30 s
    // A second running copy of the program with its own connection.
    PlayTimeStore otherStore;
    otherStore.setDatabasePath(f.db);
    PlaySessionTracker first(f.store);
    PlaySessionTracker second(otherStore);
    QSignalSpy firstEnded(&first, &PlaySessionTracker::sessionEnded);
    QSignalSpy secondEnded(&second, &PlaySessionTracker::sessionEnded);
    first.resumeOpenSessions();
    second.resumeOpenSessions();
    QCOMPARE(first.watchedCount() + second.watchedCount(), 2);
    g_bootShiftMs = 30'000;
    ::kill(static_cast<pid_t>(pid), SIGKILL);
    QTRY_VERIFY_WITH_TIMEOUT(firstEnded.size() == 1 && secondEnded.size() == 1, 5000);
    const QList<PlaySession> sessions = f.store.sessions(QStringLiteral("Ōkami"));
    QCOMPARE(sessions.size(), 1);
    QCOMPARE(f.store.stats().value(QStringLiteral("Ōkami")).seconds / 10, qint64(3)); // 30 s, counted once
}

// A 12-second game while the wall clock is moved forward by a day: 12 seconds,
// whether the session was seen from its start or taken up from the store.
void TestPlaySessionTracker::movedWallClockNeverChangesALength_data() {
    QTest::addColumn<bool>("takenUp");
    QTest::newRow("seen from its start") << false;
    QTest::newRow("taken up from the store") << true;
}

void TestPlaySessionTracker::movedWallClockNeverChangesALength() {
    QFETCH(bool, takenUp);
    Fixture f;
    const ClockShift shift;
    PlaySessionTracker tracker(f.store);
    QSignalSpy ended(&tracker, &PlaySessionTracker::sessionEnded);
    const qint64 pid = f.start();
    if (takenUp) {
        f.store.openSession(QStringLiteral("Ōkami"), pid, processIdentity(pid),
                            PlaySessionTracker::wallNowMs());
        tracker.resumeOpenSessions();
    } else {
        tracker.gameStarted(QStringLiteral("Ōkami"), pid);
    }
    QCOMPARE(tracker.watchedCount(), 1);
    g_wallShiftMs = 24 * 3'600'000;
    g_bootShiftMs = 12'000;
    ::kill(static_cast<pid_t>(pid), SIGKILL);
    QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 5000);
    const QList<PlaySession> sessions = f.store.sessions(QStringLiteral("Ōkami"));
    QCOMPARE(sessions.size(), 1);
    const qint64 length = sessions.first().ended - sessions.first().started;
    QVERIFY2(length >= 12'000 && length < 17'000, qPrintable(QString::number(length)));
}

QTEST_GUILESS_MAIN(TestPlaySessionTracker)
#include "tst_playsessiontracker.moc"
