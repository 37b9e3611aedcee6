// The profile store: its statement texts and its work on a real db.mdb.
#include "core/korvelloerror.h"
#include "store/columntable.h"
#include "store/profilestore.h"
#include "support/testfolder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>
#include <thread>

namespace {

// A profile whose every value is distinct and tells its column: "v<pos>".
GameProfile profileNamed(const QString& name, const QString& tag = QStringLiteral("v")) {
    GameProfile p;
    for (int i = 0; i < kColumnCount; ++i)
        p.setValue(i, tag + QString::number(i));
    p.setValue(col::gamename, name);
    return p;
}

// A second, independent connection to the file, as another program would hold it.
class OtherConnection {
public:
    explicit OtherConnection(const QString& path) {
        static int n = 0;
        m_name = QStringLiteral("other-%1").arg(++n);
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        QVERIFY(db.open());
    }
    ~OtherConnection() {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    bool exec(const QString& statement) {
        QSqlQuery q(QSqlDatabase::database(m_name, false));
        return q.exec(statement);
    }
    QStringList column(const QString& statement, int column) {
        QSqlQuery q(QSqlDatabase::database(m_name, false));
        QStringList values;
        if (q.exec(statement))
            while (q.next())
                values.append(q.value(column).toString());
        return values;
    }

private:
    QString m_name;
};

// The update's column order written out by hand, parsed here rather than copied from the store.
QList<int> expectedUpdateOrder() {
    const QString text =
        QStringLiteral("1-6, 8-16, 7, 72, 102, 103, 17-23, 59, 24-33, 60, 63, 104, 105, 34-41, "
                       "101, 42-58, 100, 61, 64-70, 73, 74, 76-92, 71, 62, 93, 94, 95, 75, 96-99");
    QList<int> order;
    for (const QString& part : text.split(QStringLiteral(", "))) {
        const QStringList ends = part.split(u'-');
        for (int p = ends.first().toInt(); p <= ends.last().toInt(); ++p)
            order.append(p);
    }
    return order;
}

QString throwsText(const std::function<void()>& f) {
    try {
        f();
    } catch (const KorvelloError& e) {
        return e.innermostText();
    }
    return {};
}

} // namespace

class TestProfileStore : public QObject {
    Q_OBJECT
private slots:
    void quotedLiterals_data();
    void quotedLiterals();
    void singleLineStatements();
    void addStatementNamesDBAndCarriesAllValues();
    void updateStatementAssignsInDesignedOrder();

    void missingDatabaseIsCreatedWithTableDb();
    void apostropheNameStoredFoundRenamedDeleted();
    void updateChangesEveryColumnButTheName();
    void namesSortWithoutLetterCase_data();
    void namesSortWithoutLetterCase();
    void namesCompareWithoutLetterCase();
    void loadReadsNullAsEmptyText();
    void databaseRefusalsCarryItsText();

    void emptyFileIsCreatedLikeAMissingOne();
    void killedCreationLeavesNoneOrComplete();
    void namesThatAreNotUtf8AreFoundAgain();

    void unusableFileIsReportedAndUnchanged_data();
    void unusableFileIsReportedAndUnchanged();
    void missingFolderIsReported();
    void lockedDatabaseIsReportedAfterWaiting();
    void briefLockIsWaitedFor();
};

void TestProfileStore::quotedLiterals_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("literal");
    QTest::newRow("plain") << "Ico"
                           << "'Ico'";
    QTest::newRow("empty") << ""
                           << "''";
    QTest::newRow("apostrophe") << "Tom's Game"
                                << "'Tom''s Game'";
    QTest::newRow("only quotes") << "''"
                                 << "''''''";
    QTest::newRow("double quote and backslash stay") << "a\"b\\c"
                                                     << "'a\"b\\c'";
}

void TestProfileStore::quotedLiterals() {
    QFETCH(QString, value);
    QFETCH(QString, literal);
    QCOMPARE(ProfileStore::quoted(value), literal);
}

void TestProfileStore::singleLineStatements() {
    QCOMPARE(ProfileStore::listNamesStatement(),
             QStringLiteral("SELECT gamename, CAST(gamename AS BLOB) FROM db ORDER BY gamename"));
    QCOMPARE(ProfileStore::existsStatement(QStringLiteral("Tom's")),
             QStringLiteral("SELECT gamename FROM db WHERE gamename = 'Tom''s'"));
    QCOMPARE(ProfileStore::loadStatement(QStringLiteral("Tom's")),
             QStringLiteral("SELECT * FROM db WHERE gamename = 'Tom''s'"));
    QCOMPARE(ProfileStore::renameStatement(QStringLiteral("Tom's"), QStringLiteral("Ann's")),
             QStringLiteral("UPDATE db SET gamename = 'Ann''s' WHERE gamename = 'Tom''s'"));
    QCOMPARE(ProfileStore::deleteStatement(QStringLiteral("Tom's")),
             QStringLiteral("DELETE FROM db WHERE gamename = 'Tom''s'"));
}

void TestProfileStore::addStatementNamesDBAndCarriesAllValues() {
    GameProfile p = profileNamed(QStringLiteral("Tom's Game"));
    p.setValue(col::PCSX2CMDKeys, QStringLiteral("--cfg='x'"));
    const QStringList lines = ProfileStore::addStatement(p).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 1 + kColumnCount);
    QCOMPARE(lines.first(), QStringLiteral("INSERT INTO DB VALUES("));
    QCOMPARE(lines.at(1), QStringLiteral("'Tom''s Game',"));
    QCOMPARE(lines.at(1 + col::PCSX2CMDKeys), QStringLiteral("'--cfg=''x''',"));
    for (int pos = 1; pos < kColumnCount; ++pos) {
        if (pos == col::PCSX2CMDKeys)
            continue;
        const QString end = pos == kColumnCount - 1 ? QStringLiteral(")") : QStringLiteral(",");
        QCOMPARE(lines.at(1 + pos), QStringLiteral("'v%1'").arg(pos) + end);
    }
    QVERIFY(!ProfileStore::addStatement(p).endsWith(QStringLiteral("\r\n")));
}

void TestProfileStore::updateStatementAssignsInDesignedOrder() {
    const QString text =
        ProfileStore::updateStatement(QStringLiteral("Tom's Game"), profileNamed(QStringLiteral("X")));
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 1 + 105 + 1);
    QCOMPARE(lines.first(), QStringLiteral("UPDATE db SET"));
    QCOMPARE(lines.at(1), QStringLiteral("GSDXRenderer = 'v1'"));
    QCOMPARE(lines.last(), QStringLiteral("WHERE gamename = 'Tom''s Game'"));
    const QList<int> order = expectedUpdateOrder();
    QCOMPARE(order.size(), 105);
    for (int i = 1; i < order.size(); ++i) {
        const int pos = order.at(i);
        QCOMPARE(lines.at(1 + i),
                 QStringLiteral(",%1 = 'v%2'").arg(QLatin1String(kColumns[pos].name)).arg(pos));
    }
    QCOMPARE(text.count(QStringLiteral("gamename")), 1);
}

void TestProfileStore::missingDatabaseIsCreatedWithTableDb() {
    TestFolder folder;
    const QString path = folder.file(QStringLiteral("db.mdb"));
    ProfileStore store;
    store.setDatabasePath(path);
    QVERIFY(!QFile::exists(path)); // nothing happens before the first statement
    QCOMPARE(store.listNames(), QStringList());
    QVERIFY(QFile::exists(path));

    OtherConnection other(path);
    QStringList expected;
    for (const Column& c : kColumns)
        expected.append(QLatin1String(c.name));
    QCOMPARE(other.column(QStringLiteral("PRAGMA table_info(db)"), 1), expected);
    QCOMPARE(other.column(QStringLiteral("PRAGMA table_info(db)"), 2),
             QStringList(kColumnCount, QStringLiteral("TEXT")));
    QVERIFY(!other.exec(QStringLiteral("INSERT INTO db (gamename) VALUES (NULL)")));
    QVERIFY(other.exec(QStringLiteral("INSERT INTO db (gamename) VALUES ('Ico')")));
    QVERIFY(!other.exec(QStringLiteral("INSERT INTO db (gamename) VALUES ('ICO')")));
}

void TestProfileStore::apostropheNameStoredFoundRenamedDeleted() {
    TestFolder folder;
    ProfileStore store;
    store.setDatabasePath(folder.file(QStringLiteral("db.mdb")));
    const QString name = QStringLiteral("Tom's 'Quoted' Game");
    const GameProfile profile = profileNamed(name, QStringLiteral("it's "));
    store.add(profile);
    QCOMPARE(store.listNames(), QStringList{name});
    QVERIFY(store.exists(name));
    QVERIFY(!store.exists(QStringLiteral("Tom")));
    QCOMPARE(store.load(name), std::optional<GameProfile>(profile));

    const QString renamed = QStringLiteral("Ann's Game");
    store.rename(name, renamed);
    QVERIFY(!store.exists(name));
    QVERIFY(store.exists(renamed));
    GameProfile expected = profile;
    expected.setValue(col::gamename, renamed);
    QCOMPARE(store.load(renamed), std::optional<GameProfile>(expected));
    QCOMPARE(store.load(name), std::nullopt);

    store.remove(renamed);
    QVERIFY(!store.exists(renamed));
    QCOMPARE(store.listNames(), QStringList());
}

void TestProfileStore::updateChangesEveryColumnButTheName() {
    TestFolder folder;
    ProfileStore store;
    store.setDatabasePath(folder.file(QStringLiteral("db.mdb")));
    store.add(profileNamed(QStringLiteral("Ico")));
    store.add(profileNamed(QStringLiteral("Okami")));
    // The values carry another name: the update must not assign it.
    store.update(QStringLiteral("Ico"), profileNamed(QStringLiteral("Other"), QStringLiteral("new'")));
    GameProfile expected = profileNamed(QStringLiteral("Ico"), QStringLiteral("new'"));
    QCOMPARE(store.load(QStringLiteral("Ico")), std::optional<GameProfile>(expected));
    QCOMPARE(store.load(QStringLiteral("Okami")),
             std::optional<GameProfile>(profileNamed(QStringLiteral("Okami"))));
    QVERIFY(!store.exists(QStringLiteral("Other")));
}

void TestProfileStore::namesSortWithoutLetterCase_data() {
    QTest::addColumn<QStringList>("added");
    const QStringList names{QStringLiteral("beta"), QStringLiteral("Alpha"), QStringLiteral("gamma"),
                            QStringLiteral("Delta"), QStringLiteral("alps")};
    QTest::newRow("mixed") << names;
    QStringList reversed(names.rbegin(), names.rend());
    QTest::newRow("reversed") << reversed;
    QStringList sorted = names;
    sorted.sort(Qt::CaseSensitive); // upper case first: the order the engine must not keep
    QTest::newRow("case-sensitive order") << sorted;
}

void TestProfileStore::namesSortWithoutLetterCase() {
    QFETCH(QStringList, added);
    TestFolder folder;
    ProfileStore store;
    store.setDatabasePath(folder.file(QStringLiteral("db.mdb")));
    for (const QString& name : added)
        store.add(profileNamed(name));
    QCOMPARE(store.listNames(),
             (QStringList{QStringLiteral("Alpha"), QStringLiteral("alps"), QStringLiteral("beta"),
                          QStringLiteral("Delta"), QStringLiteral("gamma")}));
}

void TestProfileStore::namesCompareWithoutLetterCase() {
    TestFolder folder;
    ProfileStore store;
    store.setDatabasePath(folder.file(QStringLiteral("db.mdb")));
    store.add(profileNamed(QStringLiteral("Zone of the Enders")));
    QVERIFY(store.exists(QStringLiteral("ZONE OF THE ENDERS")));
    QVERIFY(store.load(QStringLiteral("zone of the enders")).has_value());
    store.rename(QStringLiteral("zone OF the enders"), QStringLiteral("ZOE"));
    QCOMPARE(store.listNames(), QStringList{QStringLiteral("ZOE")});
    store.remove(QStringLiteral("zoe"));
    QCOMPARE(store.listNames(), QStringList());
}

void TestProfileStore::loadReadsNullAsEmptyText() {
    TestFolder folder;
    const QString path = folder.file(QStringLiteral("db.mdb"));
    ProfileStore store;
    store.setDatabasePath(path);
    store.listNames();
    {
        OtherConnection other(path);
        QVERIFY(other.exec(
            QStringLiteral("INSERT INTO db (gamename, PCSX2CurrentIso) VALUES ('Ico', '/iso/ico.iso')")));
    }
    GameProfile expected;
    expected.setValue(col::gamename, QStringLiteral("Ico"));
    expected.setValue(col::PCSX2CurrentIso, QStringLiteral("/iso/ico.iso"));
    QCOMPARE(store.load(QStringLiteral("Ico")), std::optional<GameProfile>(expected));
}

void TestProfileStore::databaseRefusalsCarryItsText() {
    TestFolder folder;
    ProfileStore store;
    store.setDatabasePath(folder.file(QStringLiteral("db.mdb")));
    store.add(profileNamed(QStringLiteral("Ico")));
    store.add(profileNamed(QStringLiteral("Okami")));
    QCOMPARE(throwsText([&] { store.add(profileNamed(QStringLiteral("ico"))); }),
             QStringLiteral("UNIQUE constraint failed: db.gamename"));
    QCOMPARE(throwsText([&] { store.rename(QStringLiteral("Ico"), QStringLiteral("Okami")); }),
             QStringLiteral("UNIQUE constraint failed: db.gamename"));
    // A failed statement leaves the store usable.
    QCOMPARE(store.listNames(), (QStringList{QStringLiteral("Ico"), QStringLiteral("Okami")}));
}

void TestProfileStore::emptyFileIsCreatedLikeAMissingOne() {
    // What an older copy left when it was killed between creating the file and its table.
    TestFolder folder;
    const QString path = folder.file(QStringLiteral("db.mdb"));
    testsupport::writeAll(path, QByteArray());
    ProfileStore store;
    store.setDatabasePath(path);
    QCOMPARE(store.listNames(), QStringList());
    store.add(profileNamed(QStringLiteral("Ico")));
    QCOMPARE(store.listNames(), QStringList{QStringLiteral("Ico")});
    QVERIFY(QFileInfo(path).size() > 0);
    // The file was built under another name in the same folder, which is gone again.
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("db.mdb")});
}

void TestProfileStore::killedCreationLeavesNoneOrComplete() {
    // A child process creates db.mdb over and over and is killed at random
    // moments: each time the file must be missing or hold table db.
    TestFolder folder;
    const QString path = folder.file(QStringLiteral("db.mdb"));
    int complete = 0;
    // Forty rounds, and more (up to 400) until at least one kill found the file there: the file
    // exists only between one creation's rename and the next removal, a small part of each cycle.
    for (int round = 0; round < 400 && (round < 40 || complete == 0); ++round) {
        QProcess creator;
        creator.start(QStringLiteral(KORVELLO_STORE_CREATOR), {path});
        QVERIFY(creator.waitForStarted());
        QVERIFY(creator.waitForReadyRead(10000)); // the first creation is done
        QThread::usleep(QRandomGenerator::global()->bounded(3000));
        creator.kill();
        QVERIFY(creator.waitForFinished());
        if (!QFile::exists(path))
            continue;
        QVERIFY2(QFileInfo(path).size() > 0,
                 qPrintable(QStringLiteral("empty db.mdb after kill %1").arg(round)));
        OtherConnection other(path);
        QVERIFY2(other.exec(QStringLiteral("SELECT gamename FROM db")),
                 qPrintable(QStringLiteral("no table db after kill %1").arg(round)));
        ++complete;
        QVERIFY(QFile::remove(path));
    }
    QVERIFY(complete > 0); // the kills did land while the file was there
}

void TestProfileStore::namesThatAreNotUtf8AreFoundAgain() {
    // Rows written by another program with names that are not UTF-8: each
    // listed name finds its own row again in every statement.
    TestFolder folder;
    const QString path = folder.file(QStringLiteral("db.mdb"));
    ProfileStore store;
    store.setDatabasePath(path);
    store.add(profileNamed(QStringLiteral("Caf\u00e9")));
    const QList<QByteArray> foreign{QByteArrayLiteral("Caf\xe9"), QByteArrayLiteral("Ok\xff\xfe"),
                                    QByteArrayLiteral("\xc3\x28 it's")};
    {
        OtherConnection other(path);
        for (const QByteArray& name : foreign)
            QVERIFY(other.exec(QStringLiteral("INSERT INTO db (gamename, GSDXRenderer) VALUES "
                                              "(CAST(X'%1' AS TEXT), 'r')")
                                   .arg(QString::fromLatin1(name.toHex()))));
    }
    const QStringList names = store.listNames();
    QCOMPARE(names.size(), 4);
    QVERIFY(names.contains(QStringLiteral("Caf\u00e9")));
    for (const QString& name : names) {
        QVERIFY(store.exists(name));
        const std::optional<GameProfile> row = store.load(name);
        QVERIFY(row.has_value());
        QCOMPARE(row->value(col::gamename), name);
    }
    // Update, rename and delete act on that row and no other.
    const QString latin1 = names.at(names.indexOf(QStringLiteral("Caf\u00e9")) == 0 ? 1 : 0);
    QVERIFY(latin1 != QStringLiteral("Caf\u00e9"));
    store.update(latin1, profileNamed(latin1, QStringLiteral("u")));
    QCOMPARE(store.load(latin1)->value(col::GSDXRenderer), QStringLiteral("u1"));
    QCOMPARE(store.load(QStringLiteral("Caf\u00e9"))->value(col::GSDXRenderer), QStringLiteral("v1"));
    store.rename(latin1, QStringLiteral("Renamed"));
    QVERIFY(!store.exists(latin1));
    QVERIFY(store.exists(QStringLiteral("Renamed")));
    for (const QString& name : names) {
        if (name != latin1 && name != QStringLiteral("Caf\u00e9"))
            store.remove(name);
    }
    QCOMPARE(store.listNames(), (QStringList{QStringLiteral("Caf\u00e9"), QStringLiteral("Renamed")}));
}

void TestProfileStore::unusableFileIsReportedAndUnchanged_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error");
    QByteArray foreign = "Standard Jet DB\0 this is not an SQLite file at all";
    foreign.append(QByteArray(4096, 'x'));
    QTest::newRow("not a database") << foreign << "file is not a database";

    // An SQLite file with other tables, made once in a scratch folder.
    TestFolder scratch;
    const QString path = scratch.file(QStringLiteral("other.db"));
    {
        OtherConnection other(path);
        QVERIFY(other.exec(QStringLiteral("CREATE TABLE games (gamename TEXT)")));
        QVERIFY(other.exec(QStringLiteral("INSERT INTO games VALUES ('Ico')")));
    }
    QTest::newRow("no table db") << testsupport::readAll(path) << "no such table: db";
}

void TestProfileStore::unusableFileIsReportedAndUnchanged() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);
    TestFolder folder;
    const QString path = folder.file(QStringLiteral("db.mdb"));
    testsupport::writeAll(path, bytes);
    QVERIFY(QFile::exists(path));
    ProfileStore store;
    store.setDatabasePath(path);
    // The add statement names the table "DB", which the engine's message repeats.
    const auto reports = [&](const std::function<void()>& f) {
        const QString text = throwsText(f);
        QVERIFY2(text.compare(error, Qt::CaseInsensitive) == 0, qPrintable(text));
    };
    reports([&] { store.listNames(); });
    reports([&] { store.exists(QStringLiteral("Ico")); });
    reports([&] { store.load(QStringLiteral("Ico")); });
    reports([&] { store.add(profileNamed(QStringLiteral("Ico"))); });
    reports([&] { store.update(QStringLiteral("Ico"), profileNamed(QStringLiteral("Ico"))); });
    reports([&] { store.rename(QStringLiteral("Ico"), QStringLiteral("Rez")); });
    reports([&] { store.remove(QStringLiteral("Ico")); });
    QCOMPARE(testsupport::readAll(path), bytes);
    QCOMPARE(QDir(folder.path()).entryList(QStringList{QStringLiteral("db.mdb*")}, QDir::Files),
             QStringList{QStringLiteral("db.mdb")});
}

void TestProfileStore::missingFolderIsReported() {
    TestFolder folder;
    ProfileStore store;
    store.setDatabasePath(folder.file(QStringLiteral("gone/db.mdb")));
    QVERIFY(!throwsText([&] { store.listNames(); }).isEmpty());
    QVERIFY(!QFile::exists(folder.file(QStringLiteral("gone"))));
    // Once the folder is there, the next statement opens and creates the file.
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("gone")));
    QCOMPARE(store.listNames(), QStringList());
}

void TestProfileStore::lockedDatabaseIsReportedAfterWaiting() {
    TestFolder folder;
    const QString path = folder.file(QStringLiteral("db.mdb"));
    {
        ProfileStore creator;
        creator.setDatabasePath(path);
        creator.add(profileNamed(QStringLiteral("Ico")));
    }
    OtherConnection writer(path);
    QVERIFY(writer.exec(QStringLiteral("BEGIN EXCLUSIVE")));
    const QByteArray before = testsupport::readAll(path);
    ProfileStore store;
    store.setDatabasePath(path);
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(throwsText([&] { store.listNames(); }), QStringLiteral("database is locked"));
    QVERIFY2(timer.elapsed() >= ProfileStore::kBusyTimeoutMs - 100,
             qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(throwsText([&] { store.add(profileNamed(QStringLiteral("Okami"))); }),
             QStringLiteral("database is locked"));
    QCOMPARE(testsupport::readAll(path), before);
    QVERIFY(writer.exec(QStringLiteral("ROLLBACK")));
    QCOMPARE(store.listNames(), QStringList{QStringLiteral("Ico")});
}

void TestProfileStore::briefLockIsWaitedFor() {
    TestFolder folder;
    const QString path = folder.file(QStringLiteral("db.mdb"));
    ProfileStore store;
    store.setDatabasePath(path);
    store.add(profileNamed(QStringLiteral("Ico")));

    // Another program holds the write lock for half a second, on its own thread.
    std::atomic<bool> locked = false;
    std::thread other([&] {
        {
            OtherConnection writer(path);
            writer.exec(QStringLiteral("BEGIN EXCLUSIVE"));
            writer.exec(QStringLiteral("INSERT INTO db (gamename) VALUES ('Okami')"));
            locked = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            writer.exec(QStringLiteral("COMMIT"));
        }
    });
    while (!locked)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    store.add(profileNamed(QStringLiteral("Rez")));
    other.join();
    QCOMPARE(store.listNames(),
             (QStringList{QStringLiteral("Ico"), QStringLiteral("Okami"), QStringLiteral("Rez")}));
}

QTEST_GUILESS_MAIN(TestProfileStore)
#include "tst_profilestore.moc"
