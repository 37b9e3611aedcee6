// The emulator's game database as the library reads it.
#include "core/korvelloerror.h"
#include "disc/gameindex.h"
#include "support/testfolder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTest>

class TstGameIndex : public QObject {
    Q_OBJECT
private slots:
    void readsEntries_data();
    void readsEntries();
    void lineEndsAndEdges();
    void unreadableFileIsReported();
    void findsThePortableCopyFirst();
    void findsTheFlatpaksCopy_data();
    void findsTheFlatpaksCopy();
    void fullSizeDatabase();
};

void TstGameIndex::readsEntries_data() {
    QTest::addColumn<QString>("serial");
    QTest::addColumn<bool>("known");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("region");
    QTest::addColumn<int>("compat");
    // Nested keys (a patch's text holding "name:") never reach the entry; the
    // first of two serials that differ only in letter case wins, as in the emulator.
    QTest::newRow("quoted, nested keys skipped") << "SLUS-20946" << true << "Grand Theft Auto - San Andreas"
                                                 << "NTSC-U" << 5;
    QTest::newRow("letter case of the lookup") << "slus-20946" << true << "Grand Theft Auto - San Andreas"
                                               << "NTSC-U" << 5;
    QTest::newRow("UTF-8 title") << "SLES-82038" << true << "Ōkami"
                                 << "PAL-M5" << 6;
    QTest::newRow("plain scalars, comment") << "SCUS-97399" << true << "God of War: \"Chains\""
                                            << "NTSC-U" << 4;
    QTest::newRow("escapes, single quotes") << "SLPM-66275" << true << "\"Quoted\" ゴッド \\ slash"
                                            << "NTSC-J" << 0;
    QTest::newRow("no name") << "SLUS-99999" << true << ""
                             << "NTSC-U" << 0;
    QTest::newRow("not listed") << "SLUS-00000" << false << ""
                                << "" << 0;
}

void TstGameIndex::readsEntries() {
    QFETCH(QString, serial);
    QFETCH(bool, known);
    QFETCH(QString, title);
    QFETCH(QString, region);
    QFETCH(int, compat);
    const GameIndex index = GameIndex::load(testsupport::dataPath(QStringLiteral("disc/GameIndex.yaml")));
    QCOMPARE(index.size(), 5);
    const GameIndex::Entry* entry = index.lookup(serial);
    QCOMPARE(entry != nullptr, known);
    if (!entry)
        return;
    QCOMPARE(entry->title, title);
    QCOMPARE(entry->region, region);
    QCOMPARE(entry->compat, compat);
}

void TstGameIndex::lineEndsAndEdges() {
    // CR LF line ends, a file without a final line end, an entry that is not a mapping.
    const GameIndex crlf =
        GameIndex::parse("SLUS-1:\r\n  name: \"A\"\r\n  region: B\r\nSLUS-2:\r\n  name: C");
    QCOMPARE(crlf.size(), 2);
    QCOMPARE(crlf.lookup(QStringLiteral("SLUS-1"))->title, QStringLiteral("A"));
    QCOMPARE(crlf.lookup(QStringLiteral("SLUS-1"))->region, QStringLiteral("B"));
    QCOMPARE(crlf.lookup(QStringLiteral("SLUS-2"))->title, QStringLiteral("C"));
    QVERIFY(GameIndex::parse(QByteArray()).isEmpty());
    // Garbage, a truncated quote and an out-of-range rating give what can be read and no more.
    const GameIndex odd = GameIndex::parse(QByteArray("\x01\xff: x\nSLUS-3:\n  name: \"open\n  compat: 99\n"
                                                      "   name: deeper\n"));
    QVERIFY(odd.lookup(QStringLiteral("SLUS-3")));
    QCOMPARE(odd.lookup(QStringLiteral("SLUS-3"))->title, QStringLiteral("open"));
    QCOMPARE(odd.lookup(QStringLiteral("SLUS-3"))->compat, 6);
    QCOMPARE(GameIndex::compatText(5), QStringLiteral("Playable"));
    QCOMPARE(GameIndex::compatText(0), QString());
}

void TstGameIndex::unreadableFileIsReported() {
    TestFolder folder;
    try {
        GameIndex::load(folder.file(QStringLiteral("missing/GameIndex.yaml")));
        QFAIL("a missing database was read");
    } catch (const KorvelloError& error) {
        QVERIFY2(error.text().contains(QStringLiteral("GameIndex.yaml")), qPrintable(error.text()));
    }
}

void TstGameIndex::findsThePortableCopyFirst() {
    TestFolder folder;
    QVERIFY(QDir().mkpath(folder.file(QStringLiteral("resources"))));
    QCOMPARE(GameIndex::candidatePaths(folder.path()).first(),
             folder.file(QStringLiteral("resources/GameIndex.yaml")));
    QVERIFY(GameIndex::candidatePaths(folder.path())
                .contains(QDir::homePath() +
                          QStringLiteral("/.local/share/flatpak/app/net.pcsx2.PCSX2/current/"
                                         "active/files/share/PCSX2/resources/GameIndex.yaml")));
    testsupport::writeAll(folder.file(QStringLiteral("resources/GameIndex.yaml")), "SLUS-1:\n  name: A\n");
    QCOMPARE(GameIndex::find(folder.path()), folder.file(QStringLiteral("resources/GameIndex.yaml")));
}

void TstGameIndex::findsTheFlatpaksCopy_data() {
    QTest::addColumn<QString>("variable"); // set to the installation ("" for the home folder's default)
    QTest::addColumn<QString>("installation");
    QTest::addColumn<QString>("resources"); // in the application's files
    QTest::newRow("user, bin/resources (the current build)") << ""
                                                             << "home/.local/share/flatpak"
                                                             << "bin/resources";
    QTest::newRow("user, share/PCSX2") << ""
                                       << "home/.local/share/flatpak"
                                       << "share/PCSX2/resources";
    QTest::newRow("FLATPAK_USER_DIR") << "FLATPAK_USER_DIR"
                                      << "user"
                                      << "bin/resources";
    QTest::newRow("XDG_DATA_HOME") << "XDG_DATA_HOME"
                                   << "data/flatpak"
                                   << "bin/resources";
    QTest::newRow("FLATPAK_SYSTEM_DIR") << "FLATPAK_SYSTEM_DIR"
                                        << "system"
                                        << "bin/resources";
    QTest::newRow("installations.d") << "FLATPAK_CONFIG_DIR"
                                     << "sdcard/flatpak"
                                     << "bin/resources";
}

// A game added for the Flatpak is named from the database in the Flatpak's
// own files, wherever flatpak installed it.
void TstGameIndex::findsTheFlatpaksCopy() {
    QFETCH(QString, variable);
    QFETCH(QString, installation);
    QFETCH(QString, resources);
    TestFolder folder;
    const QList<QByteArray> variables{"HOME", "FLATPAK_USER_DIR", "XDG_DATA_HOME", "FLATPAK_SYSTEM_DIR",
                                      "FLATPAK_CONFIG_DIR"};
    QHash<QByteArray, QByteArray> saved;
    for (const QByteArray& name : variables) {
        if (qEnvironmentVariableIsSet(name.constData()))
            saved.insert(name, qgetenv(name.constData()));
        qunsetenv(name.constData());
    }
    qputenv("HOME", folder.file("home").toUtf8());
    // Nothing outside the test's folder may answer first.
    qputenv("FLATPAK_SYSTEM_DIR", folder.file("nothing").toUtf8());
    qputenv("FLATPAK_CONFIG_DIR", folder.file("nothing").toUtf8());
    for (const QString& path : {QStringLiteral("config/installations.d"), QStringLiteral("home")})
        QVERIFY(QDir().mkpath(folder.file(path)));
    if (variable == "FLATPAK_CONFIG_DIR") {
        testsupport::writeAll(folder.file("config/installations.d/sdcard.conf"),
                              "[Installation \"sdcard\"]\nDisplayName=SD card\nPath=" +
                                  folder.file("sdcard/flatpak").toUtf8() + "\nStorageType=sdcard\n");
        qputenv("FLATPAK_CONFIG_DIR", folder.file("config").toUtf8());
    } else if (variable == "XDG_DATA_HOME") {
        qputenv("XDG_DATA_HOME", folder.file("data").toUtf8());
    } else if (!variable.isEmpty()) {
        qputenv(variable.toUtf8().constData(), folder.file(installation).toUtf8());
    }
    const QString database = folder.file(installation + "/app/net.pcsx2.PCSX2/current/active/files/" +
                                         resources + "/GameIndex.yaml");
    QVERIFY(QDir().mkpath(QFileInfo(database).path()));
    testsupport::writeAll(database, "SLUS-1:\n  name: A\n");
    const QString found = GameIndex::find(QString());
    for (const QByteArray& name : variables) {
        qunsetenv(name.constData());
        if (saved.contains(name))
            qputenv(name.constData(), saved.value(name));
    }
    QCOMPARE(found, database);
}

void TstGameIndex::fullSizeDatabase() {
    // As large as the emulator's own (some 12,000 entries with their fixes and
    // patches, about 10 MB): parsed once, then every lookup is a hash probe.
    QByteArray text;
    for (int i = 0; i < 12000; ++i) {
        text +=
            QStringLiteral("SLUS-%1:\n  name: \"Game %1\"\n  region: \"NTSC-U\"\n  compat: %2\n  gsHWFixes:\n"
                           "    autoFlush: 1\n  patches:\n    default:\n      content: |-\n")
                .arg(i, 5, 10, QLatin1Char('0'))
                .arg(i % 7)
                .toUtf8();
        for (int line = 0; line < 20; ++line)
            text += "        patch=1,EE,0010a4c8,word,00000000 // name: not a title\n";
    }
    QVERIFY(text.size() > 10'000'000);
    QElapsedTimer timer;
    timer.start();
    const GameIndex index = GameIndex::parse(text);
    const qint64 parseMs = timer.elapsed();
    QCOMPARE(index.size(), 12000);
    timer.restart();
    for (int i = 0; i < 12000; ++i) {
        const GameIndex::Entry* entry =
            index.lookup(QStringLiteral("SLUS-%1").arg(i, 5, 10, QLatin1Char('0')));
        QVERIFY(entry);
        QCOMPARE(entry->compat, i % 7);
    }
    const qint64 lookupNs = timer.nsecsElapsed() / 12000;
    qInfo("parsed 12,000 entries (%lld bytes) in %lld ms; a lookup takes %lld ns", qint64(text.size()),
          parseMs, lookupNs);
    QVERIFY2(lookupNs < 20'000, "a lookup takes more than 20 microseconds");
}

QTEST_MAIN(TstGameIndex)
#include "tst_gameindex.moc"
