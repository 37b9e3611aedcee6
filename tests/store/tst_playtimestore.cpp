// The play-time table in db.mdb: sessions opened, closed, dropped, carried by a
// rename and removed by a delete, and table db left exactly as it was.
#include "store/playtimestore.h"
#include "store/playtimetext.h"

#include "store/columntable.h"
#include "store/profilestore.h"
#include "support/errortext.h"
#include "support/testfolder.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

namespace {

constexpr qint64 kT0 = 1'765'000'000'000; // a fixed moment, in ms since the epoch

// A db.mdb made by the profile store, holding the given games.
struct GameDb {
    TestFolder folder;
    QString path = folder.file(QStringLiteral("db.mdb"));

    explicit GameDb(const QStringList& games) {
        ProfileStore store;
        store.setDatabasePath(path);
        store.listNames();
        for (const QString& name : games) {
            GameProfile p;
            p.setValue(col::gamename, name);
            store.add(p);
        }
    }
};

// Rows of a statement through a connection of the test's own, one text per row and column.
QStringList rowsOf(const QString& path, const QString& statement) {
    QStringList rows;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(statement))
                while (q.next()) {
                    QStringList values;
                    for (int i = 0; i < q.record().count(); ++i)
                        values.append(q.value(i).toString());
                    rows.append(values.join(u'|'));
                }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
    return rows;
}

} // namespace

class TestPlayTimeStore : public QObject {
    Q_OBJECT
private slots:
    void closeCountsOnlyLongSessions_data();
    void closeCountsOnlyLongSessions();
    void sessionIsNeverClosedTwice();
    void dropRemovesOnlyOpenSessions();
    void statsSumPerGameKeyedByTheListedName();
    void shortSessionsInTheTableNeverCount();
    void renameCarriesAndDeleteRemoves();
    void tableDbIsNeverAltered();
    void readingCreatesNothing();
    void refusesFilesThatAreNotTheGameDatabase();
    void durationText_data();
    void durationText();
    void dayText_data();
    void dayText();
    void toolTipText();
};

void TestPlayTimeStore::closeCountsOnlyLongSessions_data() {
    QTest::addColumn<qint64>("lengthMs");
    QTest::addColumn<bool>("counted");
    QTest::newRow("9.999 s") << qint64(9'999) << false;
    QTest::newRow("exactly 10 s") << qint64(10'000) << true;
    QTest::newRow("an hour") << qint64(3'600'000) << true;
    QTest::newRow("clock went back") << qint64(-5'000) << false;
}

void TestPlayTimeStore::closeCountsOnlyLongSessions() {
    QFETCH(qint64, lengthMs);
    QFETCH(bool, counted);
    GameDb db({QStringLiteral("Alpha")});
    PlayTimeStore store;
    store.setDatabasePath(db.path);
    const qint64 id = store.openSession(QStringLiteral("Alpha"), 4242, QStringLiteral("boot/1"), kT0);
    QCOMPARE(store.openSessions().size(), 1);
    QVERIFY(store.closeSession(id, kT0 + lengthMs));
    QVERIFY(store.openSessions().isEmpty());
    const QList<PlaySession> sessions = store.sessions(QStringLiteral("Alpha"));
    QCOMPARE(sessions.size(), counted ? 1 : 0);
    if (counted) {
        QCOMPARE(sessions.first().started, kT0);
        QCOMPARE(sessions.first().ended, kT0 + lengthMs);
        QCOMPARE(sessions.first().pid, qint64(4242));
    }
    QCOMPARE(store.stats().contains(QStringLiteral("Alpha")), counted);
}

void TestPlayTimeStore::sessionIsNeverClosedTwice() {
    GameDb db({QStringLiteral("Alpha")});
    // Two copies of the program watching the same process.
    PlayTimeStore first;
    PlayTimeStore second;
    first.setDatabasePath(db.path);
    second.setDatabasePath(db.path);
    const qint64 id = first.openSession(QStringLiteral("Alpha"), 1, QStringLiteral("b/1"), kT0);
    QVERIFY(first.closeSession(id, kT0 + 60'000));
    QVERIFY(!second.closeSession(id, kT0 + 61'000));
    QVERIFY(!second.dropSession(id));
    QCOMPARE(first.stats().value(QStringLiteral("Alpha")).seconds, qint64(60));
    QCOMPARE(first.sessions(QStringLiteral("Alpha")).first().ended, kT0 + 60'000);
}

void TestPlayTimeStore::dropRemovesOnlyOpenSessions() {
    GameDb db({QStringLiteral("Alpha")});
    PlayTimeStore store;
    store.setDatabasePath(db.path);
    const qint64 done = store.openSession(QStringLiteral("Alpha"), 1, QStringLiteral("b/1"), kT0);
    QVERIFY(store.closeSession(done, kT0 + 20'000));
    const qint64 open = store.openSession(QStringLiteral("Alpha"), 2, QStringLiteral("b/2"), kT0 + 30'000);
    QVERIFY(store.dropSession(open));
    QVERIFY(!store.dropSession(done));
    QVERIFY(!store.dropSession(open));
    const QList<PlaySession> sessions = store.sessions(QStringLiteral("Alpha"));
    QCOMPARE(sessions.size(), 1);
    QCOMPARE(sessions.first().id, done);
}

void TestPlayTimeStore::statsSumPerGameKeyedByTheListedName() {
    GameDb db({QStringLiteral("Alpha"), QStringLiteral("Énigme"), QStringLiteral("Never")});
    PlayTimeStore store;
    store.setDatabasePath(db.path);
    auto session = [&](const QString& game, qint64 start, qint64 lengthMs) {
        store.closeSession(store.openSession(game, 1, QStringLiteral("b/1"), start), start + lengthMs);
    };
    session(QStringLiteral("Alpha"), kT0, 3'600'000);
    session(QStringLiteral("ALPHA"), kT0 + 7'200'000, 300'000); // names compare without letter case
    session(QStringLiteral("Énigme"), kT0 + 100'000, 45'000);
    store.openSession(QStringLiteral("Énigme"), 2, QStringLiteral("b/2"), kT0 + 900'000); // still running
    const QHash<QString, PlayStats> stats = store.stats();
    QCOMPARE(stats.size(), 2);
    QCOMPARE(stats.value(QStringLiteral("Alpha")).seconds, qint64(3'900));
    QCOMPARE(stats.value(QStringLiteral("Alpha")).lastPlayed.toMSecsSinceEpoch(), kT0 + 7'500'000);
    QCOMPARE(stats.value(QStringLiteral("Énigme")).seconds, qint64(45));
    QVERIFY(!stats.contains(QStringLiteral("Never")));
}

// Sessions under ten seconds written by another copy or an older database
// count neither in the play time nor in "last played".
void TestPlayTimeStore::shortSessionsInTheTableNeverCount() {
    GameDb db({QStringLiteral("Alpha"), QStringLiteral("Brief")});
    PlayTimeStore store;
    store.setDatabasePath(db.path);
    store.closeSession(store.openSession(QStringLiteral("Alpha"), 1, QStringLiteral("b/1"), kT0),
                       kT0 + 60'000);
    rowsOf(db.path, QStringLiteral("INSERT INTO %1 (gamename, pid, process, started, ended) VALUES "
                                   "('Alpha', 2, 'b/2', %2, %3), ('Brief', 3, 'b/3', %2, %4)")
                        .arg(PlayTimeStore::tableName())
                        .arg(kT0 + 600'000)
                        .arg(kT0 + 609'999)
                        .arg(kT0 + 605'000));
    QCOMPARE(store.sessions(QStringLiteral("Alpha")).size(), 2);
    const QHash<QString, PlayStats> stats = store.stats();
    QCOMPARE(stats.size(), 1);
    QCOMPARE(stats.value(QStringLiteral("Alpha")).seconds, qint64(60));
    QCOMPARE(stats.value(QStringLiteral("Alpha")).lastPlayed.toMSecsSinceEpoch(), kT0 + 60'000);
}

void TestPlayTimeStore::renameCarriesAndDeleteRemoves() {
    GameDb db({QStringLiteral("Alpha"), QStringLiteral("Beta")});
    PlayTimeStore store;
    store.setDatabasePath(db.path);
    for (const QString& game : {QStringLiteral("Alpha"), QStringLiteral("Beta")})
        store.closeSession(store.openSession(game, 1, QStringLiteral("b/1"), kT0), kT0 + 600'000);
    const qint64 running =
        store.openSession(QStringLiteral("Alpha"), 2, QStringLiteral("b/2"), kT0 + 700'000);

    ProfileStore profiles;
    profiles.setDatabasePath(db.path);
    profiles.rename(QStringLiteral("Alpha"), QStringLiteral("alpha it's"));
    store.renameGame(QStringLiteral("Alpha"), QStringLiteral("alpha it's"));
    QVERIFY(store.sessions(QStringLiteral("Alpha")).isEmpty());
    QCOMPARE(store.sessions(QStringLiteral("alpha it's")).size(), 2);
    QCOMPARE(store.stats().value(QStringLiteral("alpha it's")).seconds, qint64(600));
    // The running session closes under the new name.
    QVERIFY(store.closeSession(running, kT0 + 760'000));
    QCOMPARE(store.stats().value(QStringLiteral("alpha it's")).seconds, qint64(660));

    profiles.remove(QStringLiteral("Beta"));
    store.removeGame(QStringLiteral("Beta"));
    QVERIFY(store.sessions(QStringLiteral("Beta")).isEmpty());
    QCOMPARE(store.stats().keys(), QStringList{QStringLiteral("alpha it's")});
}

void TestPlayTimeStore::tableDbIsNeverAltered() {
    GameDb db({QStringLiteral("Alpha"), QStringLiteral("Beta")});
    const QString schema = QStringLiteral("SELECT sql FROM sqlite_master WHERE name = 'db'");
    const QString rows = QStringLiteral("SELECT * FROM db ORDER BY gamename");
    const QStringList schemaBefore = rowsOf(db.path, schema);
    const QStringList rowsBefore = rowsOf(db.path, rows);
    {
        PlayTimeStore store;
        store.setDatabasePath(db.path);
        store.closeSession(store.openSession(QStringLiteral("Alpha"), 1, QStringLiteral("b/1"), kT0),
                           kT0 + 60'000);
        store.renameGame(QStringLiteral("Alpha"), QStringLiteral("Gamma"));
        store.removeGame(QStringLiteral("Beta"));
    }
    QCOMPARE(rowsOf(db.path, schema), schemaBefore);
    QCOMPARE(rowsOf(db.path, rows), rowsBefore);
    QCOMPARE(rowsOf(db.path, QStringLiteral("PRAGMA table_info(db)")).size(), kColumnCount);
    // Profiles still work on the file, as an older copy of the program would use it.
    ProfileStore profiles;
    profiles.setDatabasePath(db.path);
    QCOMPARE(profiles.listNames(), (QStringList{QStringLiteral("Alpha"), QStringLiteral("Beta")}));
}

void TestPlayTimeStore::readingCreatesNothing() {
    GameDb db({QStringLiteral("Alpha")});
    PlayTimeStore store;
    store.setDatabasePath(db.path);
    QVERIFY(store.stats().isEmpty());
    QVERIFY(store.openSessions().isEmpty());
    QVERIFY(!store.closeSession(1, kT0));
    store.renameGame(QStringLiteral("Alpha"), QStringLiteral("Beta"));
    store.removeGame(QStringLiteral("Alpha"));
    const QString ours =
        QStringLiteral("SELECT name FROM sqlite_master WHERE name = '%1'").arg(PlayTimeStore::tableName());
    QVERIFY(rowsOf(db.path, ours).isEmpty());
    store.openSession(QStringLiteral("Alpha"), 1, QStringLiteral("b/1"), kT0);
    QCOMPARE(rowsOf(db.path, ours).size(), 1);
}

void TestPlayTimeStore::refusesFilesThatAreNotTheGameDatabase() {
    TestFolder folder;
    PlayTimeStore store;
    // A missing file is not created: the profile store creates it, with table db.
    store.setDatabasePath(folder.file(QStringLiteral("db.mdb")));
    QVERIFY(
        !errorOf([&] { store.openSession(QStringLiteral("A"), 1, QStringLiteral("b/1"), kT0); }).isEmpty());
    QVERIFY(!QFile::exists(folder.file(QStringLiteral("db.mdb"))));

    // A database without table db stays exactly as it is.
    const QString other = folder.file(QStringLiteral("other.mdb"));
    rowsOf(other, QStringLiteral("CREATE TABLE games (name TEXT)"));
    const QByteArray before = testsupport::readAll(other);
    store.setDatabasePath(other);
    QCOMPARE(errorOf([&] { store.openSession(QStringLiteral("A"), 1, QStringLiteral("b/1"), kT0); }),
             QStringLiteral("no such table: db"));
    QCOMPARE(testsupport::readAll(other), before);

    // Not a database at all.
    const QString text = folder.file(QStringLiteral("text.mdb"));
    testsupport::writeAll(text, QByteArray(4096, 'x'));
    store.setDatabasePath(text);
    QVERIFY(!errorOf([&] { store.stats(); }).isEmpty());
    QCOMPARE(testsupport::readAll(text), QByteArray(4096, 'x'));
}

void TestPlayTimeStore::durationText_data() {
    QTest::addColumn<qint64>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("none") << qint64(0) << QStringLiteral("0 h 00 min");
    QTest::newRow("seconds only") << qint64(45) << QStringLiteral("under 1 min");
    QTest::newRow("minutes") << qint64(5 * 60 + 59) << QStringLiteral("0 h 05 min");
    QTest::newRow("hours and minutes") << qint64(12 * 3600 + 5 * 60 + 30) << QStringLiteral("12 h 05 min");
    QTest::newRow("many hours") << qint64(1234 * 3600 + 59 * 60) << QStringLiteral("1234 h 59 min");
}

void TestPlayTimeStore::durationText() {
    QFETCH(qint64, seconds);
    QFETCH(QString, text);
    QCOMPARE(playtimetext::duration(seconds), text);
}

void TestPlayTimeStore::dayText_data() {
    QTest::addColumn<QDateTime>("when");
    QTest::addColumn<QString>("text");
    const QDate today(2026, 3, 1);
    QTest::newRow("today early") << QDateTime(today, QTime(0, 0, 1)) << QStringLiteral("today");
    QTest::newRow("yesterday late") << QDateTime(today.addDays(-1), QTime(23, 59))
                                    << QStringLiteral("yesterday");
    QTest::newRow("two days ago") << QDateTime(today.addDays(-2), QTime(12, 0))
                                  << QStringLiteral("27 Feb 2026");
    QTest::newRow("last year") << QDateTime(QDate(2025, 12, 24), QTime(8, 0))
                               << QStringLiteral("24 Dec 2025");
}

void TestPlayTimeStore::dayText() {
    QFETCH(QDateTime, when);
    QFETCH(QString, text);
    // Stored as UTC: the day is the user's local day.
    QCOMPARE(playtimetext::day(when.toUTC(), QDate(2026, 3, 1)), text);
}

void TestPlayTimeStore::toolTipText() {
    const QDate today(2026, 3, 1);
    PlayStats played{12 * 3600 + 5 * 60, QDateTime(today, QTime(10, 0)).toUTC()};
    QCOMPARE(playtimetext::toolTip(QStringLiteral("Ōkami"), &played, today),
             QStringLiteral("Ōkami\nPlay time: 12 h 05 min\nLast played: today"));
    QCOMPARE(playtimetext::toolTip(QStringLiteral("Ōkami"), nullptr, today),
             QStringLiteral("Ōkami\nNot played yet"));
}

QTEST_GUILESS_MAIN(TestPlayTimeStore)
#include "tst_playtimestore.moc"
