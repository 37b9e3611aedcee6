// Adding a folder of disc images: the scan, the identification and naming,
// the stored profiles, a second run, Cancel, the window and --add-folder.
#include "app/gamelistpage.h"
#include "app/mainwindow.h"
#include "app/singleinstance.h"
#include "editor/editorpage.h"
#include "emulatorsettings/currentconfigwriter.h"
#include "emulatorsettings/currentgeneration.h"
#include "gamelist/gamelistfilter.h"
#include "gamelist/gamelistview.h"
#include "ini/inivalues.h"
#include "launch/currentbuild.h"
#include "launch/startlock.h"
#include "library/folderscan.h"
#include "library/libraryimport.h"
#include "store/columntable.h"
#include "store/defaultprofile.h"
#include "store/gamediscstore.h"
#include "store/profilestore.h"
#include "support/dialogrecorder.h"
#include "support/discimages.h"
#include "support/testfolder.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTest>
#include <QtEndian>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// A boot file: an ELF magic and a pattern.
QByteArray bootFile(int seed) {
    QByteArray elf("\x7f"
                   "ELF",
                   4);
    elf.resize(8192);
    for (int i = 4; i < elf.size(); ++i)
        elf[i] = char((i * 31 + seed * 7) & 0xff);
    return elf;
}

struct Disc {
    QString file; // relative to the discs folder
    QString boot; // the boot file's name on the disc
    int seed;
};

// The discs of the shelf: one the database knows, one it does not (named by
// its file), one whose database title holds refused characters, one raw image,
// and one whose file name is the first one's title (a clash).
const QList<Disc> kDiscs{
    {QStringLiteral("gta.iso"), QStringLiteral("SLUS_209.46"), 1},
    {QStringLiteral("Japan/Ōkami (USA).iso"), QStringLiteral("SLUS_212.15"), 2},
    {QStringLiteral("Japan/deeper/gow.iso"), QStringLiteral("SCUS_973.99"), 3},
    {QStringLiteral("raw/Okami raw.bin"), QStringLiteral("SLES_820.38"), 4},
    {QStringLiteral("Grand Theft Auto - San Andreas.iso"), QStringLiteral("SLUS_999.98"), 5},
};

struct Shelf {
    TestFolder app;
    QString discs;
    QString executable = QStringLiteral("pcsx2-test-emulator.exe");

    Shelf() {
        discs = app.file(QStringLiteral("discs"));
        QDir().mkpath(app.file(QStringLiteral("resources")));
        QFile::copy(testsupport::dataPath(QStringLiteral("disc/GameIndex.yaml")),
                    app.file(QStringLiteral("resources/GameIndex.yaml")));
        testsupport::writeAll(app.file(executable), "#!/bin/sh\n");
        QFile::setPermissions(app.file(executable),
                              QFile::permissions(app.file(executable)) | QFile::ExeOwner);
        for (const Disc& d : kDiscs) {
            const QString path = discs + u'/' + d.file;
            if (d.file.endsWith(QStringLiteral(".bin"))) {
                const QString iso = app.file(QStringLiteral("raw-source.iso"));
                discimages::writePs2Iso(iso, d.boot, bootFile(d.seed));
                QDir().mkpath(QFileInfo(path).absolutePath());
                testsupport::writeAll(path, discimages::toRawSectors(testsupport::readAll(iso), 1));
                QFile::remove(iso);
            } else {
                discimages::writePs2Iso(path, d.boot, bootFile(d.seed));
            }
        }
        // A copy of a disc already on the shelf, a damaged image, a truncated one, unrelated files.
        QFile::copy(discs + QStringLiteral("/gta.iso"), discs + QStringLiteral("/Japan/gta copy.iso"));
        QByteArray noise(300 * 1024, '\0');
        for (int i = 0; i < noise.size(); ++i)
            noise[i] = char((i * 2654435761u) >> 24);
        testsupport::writeAll(discs + QStringLiteral("/broken.iso"), noise);
        testsupport::writeAll(discs + QStringLiteral("/truncated.iso"),
                              testsupport::readAll(discs + QStringLiteral("/gta.iso")).left(34 * 1024));
        testsupport::writeAll(discs + QStringLiteral("/readme.txt"), "not a disc");
        // A folder that links back to its parent.
        QFile::link(discs, discs + QStringLiteral("/Japan/loop"));
    }

    LibraryImport::Options options() const {
        LibraryImport::Options o;
        o.databasePath = app.file(QStringLiteral("db.mdb"));
        o.executable = executable;
        o.pluginFile = QStringLiteral("libGSdx-1.0.so");
        o.gameIndexPath = app.file(QStringLiteral("resources/GameIndex.yaml"));
        return o;
    }
};

QStringList storedNames(const QString& db) {
    ProfileStore store;
    store.setDatabasePath(db);
    return store.listNames();
}

} // namespace

class TstAddFolder : public QObject {
    Q_OBJECT
private slots:
    void scanFindsEachImageOnce();
    void scanNamesWhatItSkips();
    void addsOneProfilePerGame();
    void discFoundTwiceKeepsTheShallowerImage();
    void failedBatchKeepsTheStoredGames();
    void chdIsAddedThroughTheEmulatorsGameList();
    void cancelKeepsOnlyCompleteGames();
    void currentBuildsStartFromTheEmulatorsSettings();
    void windowAddsAFolder();
    void cancelKeepsTheDialogUntilTheWorkStops();
    void commandLineAddsAFolder();
    void additionsAtOnceAddEachDiscOnce();
    void openWindowShowsGamesAddedOnTheCommandLine();
    void pluginEraSetsKeepTheirBytes_data();
    void pluginEraSetsKeepTheirBytes();
};

void TstAddFolder::scanFindsEachImageOnce() {
    TestFolder f;
    const QString root = f.file(QStringLiteral("shelf"));
    QDir().mkpath(root + QStringLiteral("/a/b"));
    for (const char* name : {"one.ISO", "two.cso", "three.zso", "four.chd", "five.iso.gz", "track.bin",
                             "a/b/six.bin", "notes.txt", "cover.jpg"})
        testsupport::writeAll(root + u'/' + QLatin1String(name), "x");
    // The cue's tracks are the cue's; the other .bin stands on its own.
    testsupport::writeAll(root + QStringLiteral("/game.cue"),
                          "FILE \"track.bin\" BINARY\r\n  TRACK 01 MODE2/2352\r\n    INDEX 01 00:00:00\r\n");
    QFile::link(root, root + QStringLiteral("/a/b/back to the top"));
    {
        // A name that is not UTF-8 is reported, not guessed at.
        const QByteArray bad = QFile::encodeName(root) + "/a/bad\xff\xfe.iso";
        FILE* file = std::fopen(bad.constData(), "w");
        QVERIFY(file);
        std::fclose(file);
    }
    const FolderScan::Result r = FolderScan::scan(root);
    QStringList found;
    for (const QString& path : r.images)
        found << QDir(root).relativeFilePath(path);
    ::unlink((QFile::encodeName(root) + "/a/bad\xff\xfe.iso").constData()); // QTemporaryDir cannot name it
    QCOMPARE(found,
             QStringList({QStringLiteral("five.iso.gz"), QStringLiteral("four.chd"),
                          QStringLiteral("game.cue"), QStringLiteral("one.ISO"), QStringLiteral("three.zso"),
                          QStringLiteral("two.cso"), QStringLiteral("a/b/six.bin")}));
    QCOMPARE(r.skipped.size(), 1);
    QVERIFY(r.skipped.first().second.contains(QStringLiteral("UTF-8")));

    // Many unrelated files cost a walk and nothing more.
    const QString big = f.file(QStringLiteral("big"));
    QDir().mkpath(big);
    for (int i = 0; i < 50000; ++i) {
        const QByteArray name = QFile::encodeName(big) + "/file" + QByteArray::number(i) + ".txt";
        FILE* file = std::fopen(name.constData(), "w");
        QVERIFY(file);
        std::fclose(file);
    }
    QElapsedTimer timer;
    timer.start();
    const FolderScan::Result many = FolderScan::scan(big);
    QCOMPARE(many.images.size(), 0);
    QCOMPARE(many.filesSeen, 50000);
    QVERIFY2(timer.elapsed() < 10000, "50,000 unrelated files took more than 10 s");
}

// A batch that cannot be stored (here the database refuses every row past the
// second, as a full disk would) ends the addition: the summary counts and names the
// games stored before it, and the error.
void TstAddFolder::failedBatchKeepsTheStoredGames() {
    Shelf shelf;
    const QString db = shelf.app.file(QStringLiteral("db.mdb"));
    {
        ProfileStore store;
        store.setDatabasePath(db);
        store.add(
            defaultprofile::make(QStringLiteral("Already Here"), QString(), shelf.executable, QString()));
    }
    {
        QSqlDatabase sql = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("trigger"));
        sql.setDatabaseName(db);
        QVERIFY(sql.open());
        QSqlQuery q(sql);
        QVERIFY2(q.exec(QStringLiteral(
                     "CREATE TRIGGER full BEFORE INSERT ON db WHEN (SELECT COUNT(*) FROM db) >= 2 "
                     "BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END")),
                 qPrintable(q.lastError().text()));
        sql.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("trigger"));
    LibraryImport::Options options = shelf.options();
    options.batchSize = 1;
    const LibraryImport::Summary s = LibraryImport(options).run(shelf.discs);
    QVERIFY2(s.stoppedBy.contains(QStringLiteral("database or disk is full")), qPrintable(s.stoppedBy));
    QCOMPARE(s.added.size(), 1);
    QStringList stored = storedNames(db);
    stored.removeAll(QStringLiteral("Already Here"));
    QCOMPARE(stored, s.added);
    const QString text = LibraryImport::summaryText(s);
    QVERIFY2(text.contains(QStringLiteral("The addition stopped: database or disk is full")) &&
                 text.contains(QStringLiteral("Added: 1")),
             qPrintable(text));
}

// A CHD image, which only the emulator's game list cache identifies, is added for a
// current builds' folder from that folder's own cache: neither the window nor
// --add-folder names the cache, the import finds it from the settings folder.
void TstAddFolder::chdIsAddedThroughTheEmulatorsGameList() {
    const QString chdman = QStandardPaths::findExecutable(QStringLiteral("chdman"));
    if (chdman.isEmpty())
        QSKIP("chdman is not installed (mame-tools; scripts/install-deps.sh --test installs it)");
    TestFolder app;
    const QString discs = app.file(QStringLiteral("discs"));
    for (const char* folder : {"work", "inis", "cache"})
        QVERIFY(QDir().mkpath(app.file(QLatin1String(folder))));
    const QString iso = app.file(QStringLiteral("source.iso"));
    QVERIFY(discimages::writePs2Iso(iso, QStringLiteral("SLUS_209.46"), bootFile(3)));
    QVERIFY(discimages::writeFile(app.file(QStringLiteral("work/game.bin")),
                                  discimages::toRawSectors(testsupport::readAll(iso), 2)));
    QVERIFY(discimages::writeFile(app.file(QStringLiteral("work/game.cue")),
                                  "FILE \"game.bin\" BINARY\n TRACK 01 MODE2/2352\n  INDEX 01 00:00:00\n"));
    QDir().mkpath(discs);
    const QString chd = discs + QStringLiteral("/Shadow.chd");
    QProcess make;
    make.start(chdman, {QStringLiteral("createcd"), QStringLiteral("-i"),
                        app.file(QStringLiteral("work/game.cue")), QStringLiteral("-o"), chd});
    QVERIFY(make.waitForFinished(120000));
    QVERIFY2(make.exitCode() == 0, make.readAllStandardError().constData());
    // A portable current builds' folder whose game list knows the image.
    const QString inis = app.file(QStringLiteral("inis"));
    QVERIFY(discimages::writeFile(inis + QStringLiteral("/PCSX2.ini"), "[UI]\nSettingsVersion = 1\n"));
    const QFileInfo info(chd);
    QVERIFY(discimages::writeFile(
        app.file(QStringLiteral("cache/gamelist.cache")),
        discimages::gameListCache(
            {{info.absoluteFilePath(), QStringLiteral("SLUS-20946"), 0, quint64(info.size()),
              quint64(info.lastModified().toSecsSinceEpoch()), 0xCAFEF00D}})));

    LibraryImport::Options options;
    options.databasePath = app.file(QStringLiteral("db.mdb"));
    options.executable = QStringLiteral("pcsx2-qt");
    options.currentSettingsFolder = inis;
    const LibraryImport::Summary s = LibraryImport(options).run(discs);
    QVERIFY2(s.failed.isEmpty(), qPrintable(s.failed.isEmpty() ? QString() : s.failed.first().second));
    QCOMPARE(s.added, QStringList{QStringLiteral("Shadow")});
    GameDiscStore discStore;
    discStore.setDatabasePath(options.databasePath);
    const GameDisc d = discStore.find(QStringLiteral("Shadow"));
    QCOMPARE(d.serial, QStringLiteral("SLUS-20946"));
    QCOMPARE(d.crc, 0xCAFEF00Du);
}

// What is named like an image but cannot be read as one is listed with its reason.
void TstAddFolder::scanNamesWhatItSkips() {
    TestFolder f;
    const QString root = f.file(QStringLiteral("shelf"));
    QVERIFY(QDir().mkpath(root + QStringLiteral("/locked")));
    QVERIFY(::mkfifo(QFile::encodeName(root + QStringLiteral("/pipe.iso")).constData(), 0600) == 0);
    QVERIFY(QFile::link(root + QStringLiteral("/moved away.iso"), root + QStringLiteral("/gone.iso")));
    testsupport::writeAll(root + QStringLiteral("/locked/inside.iso"), "x");
    // Listed but not entered (root enters every folder, so this part is checked for others only).
    const bool enforced = ::geteuid() != 0;
    QVERIFY(QFile::setPermissions(root + QStringLiteral("/locked"), QFileDevice::ReadOwner));
    const FolderScan::Result r = FolderScan::scan(root);
    QFile::setPermissions(root + QStringLiteral("/locked"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QHash<QString, QString> why;
    for (const auto& [path, reason] : r.skipped)
        why.insert(QFileInfo(path).fileName(), reason);
    QCOMPARE(why.value(QStringLiteral("pipe.iso")),
             QStringLiteral("it is not a file (a FIFO, a device or a socket)"));
    QCOMPARE(why.value(QStringLiteral("gone.iso")), QStringLiteral("it is a link to %1, which does not exist")
                                                        .arg(root + QStringLiteral("/moved away.iso")));
    if (enforced)
        QVERIFY2(why.value(QStringLiteral("locked")).contains(QStringLiteral("listed but not entered")),
                 qPrintable(why.keys().join(u'|')));
    QVERIFY(!r.images.contains(root + QStringLiteral("/pipe.iso")));
}

// The walk meets the copy first (its folder comes first by name, deeper down);
// the image kept is the one in the fewest folders, whatever the walk's order.
void TstAddFolder::discFoundTwiceKeepsTheShallowerImage() {
    Shelf shelf;
    const QString root = shelf.app.file(QStringLiteral("two"));
    QVERIFY(discimages::writePs2Iso(root + QStringLiteral("/Games/MGS3.iso"), QStringLiteral("SLUS_209.46"),
                                    bootFile(7)));
    QVERIFY(QDir().mkpath(root + QStringLiteral("/Backup/old")));
    QVERIFY(QFile::copy(root + QStringLiteral("/Games/MGS3.iso"),
                        root + QStringLiteral("/Backup/old/copy of MGS3.iso")));
    const LibraryImport::Summary s = LibraryImport(shelf.options()).run(root);
    QCOMPARE(s.added.size(), 1);
    ProfileStore store;
    store.setDatabasePath(shelf.app.file(QStringLiteral("db.mdb")));
    QCOMPARE(store.load(s.added.first())->value(col::PCSX2CurrentIso),
             root + QStringLiteral("/Games/MGS3.iso"));
    QCOMPARE(s.present.size(), 1);
    QVERIFY2(LibraryImport::summaryText(s).contains(
                 QStringLiteral("copy of MGS3.iso: %1, added from MGS3.iso").arg(s.added.first())),
             qPrintable(LibraryImport::summaryText(s)));
}

void TstAddFolder::addsOneProfilePerGame() {
    Shelf shelf;
    const LibraryImport::Summary s = LibraryImport(shelf.options()).run(shelf.discs);
    QCOMPARE(s.gameIndexEntries, 5);
    QStringList added = s.added;
    added.sort(Qt::CaseInsensitive);
    // The disc named by its file comes first in the folder and keeps the name;
    // the database's disc of the same title gets its region added.
    const QString title = QStringLiteral("Grand Theft Auto - San Andreas");
    const QString gta = title + QStringLiteral(" (NTSC-U)");
    QCOMPARE(added, QStringList({QStringLiteral("God of War: \"Chains\""), title, gta,
                                 QStringLiteral("Ōkami"), QStringLiteral("Ōkami (USA)")}));
    QCOMPARE(s.present.size(), 1); // the copy of gta.iso, by its serial and CRC
    QVERIFY(s.present.first().first.endsWith(QStringLiteral("gta copy.iso")));
    // The summary says which image was left out and which game has its disc.
    QVERIFY2(LibraryImport::summaryText(s).contains(QStringLiteral("gta copy.iso: ") + gta +
                                                    QStringLiteral(", added from gta.iso")),
             qPrintable(LibraryImport::summaryText(s)));
    QCOMPARE(s.failed.size(), 2); // the damaged and the truncated image, each with its reason
    for (const auto& [file, reason] : s.failed)
        QVERIFY2(!reason.isEmpty(), qPrintable(file));

    const QString db = shelf.app.file(QStringLiteral("db.mdb"));
    ProfileStore store;
    store.setDatabasePath(db);
    const std::optional<GameProfile> row = store.load(gta);
    QVERIFY(row);
    const GameProfile expected = defaultprofile::make(gta, shelf.discs + QStringLiteral("/gta.iso"),
                                                      shelf.executable, QStringLiteral("libGSdx-1.0.so"));
    QCOMPARE(row->values(), expected.values());
    QCOMPARE(row->value(col::PCSX2CdvdSource), QStringLiteral("Iso"));

    GameDiscStore discs;
    discs.setDatabasePath(db);
    const GameDisc d = discs.find(gta);
    QCOMPARE(d.serial, QStringLiteral("SLUS-20946"));
    QCOMPARE(d.crc, discimages::expectedCrc(bootFile(1)));
    QCOMPARE(d.region, QStringLiteral("NTSC-U"));
    QCOMPARE(d.compat, 5);
    QCOMPARE(discs.find(QStringLiteral("Ōkami (USA)")).region, QString()); // not in the database
    QCOMPARE(discs.find(QStringLiteral("Ōkami")).serial, QStringLiteral("SLES-82038"));

    // A second run adds nothing, and what is there stays as it was.
    const QStringList before = storedNames(db);
    const LibraryImport::Summary again = LibraryImport(shelf.options()).run(shelf.discs);
    QCOMPARE(again.added, QStringList());
    QCOMPARE(again.present.size(), 6);
    QCOMPARE(storedNames(db), before);
    QCOMPARE(store.load(gta)->values(), expected.values());
}

void TstAddFolder::cancelKeepsOnlyCompleteGames() {
    Shelf shelf;
    LibraryImport::Options o = shelf.options();
    o.batchSize = 1;
    std::atomic_bool cancel = false;
    int seen = 0;
    const LibraryImport::Summary s =
        LibraryImport(o).run(shelf.discs, &cancel, [&](int done, int total, const QString&) {
            if (total > 0 && done >= 3 && ++seen)
                cancel = true;
        });
    QVERIFY(s.cancelled);
    QVERIFY(!s.added.isEmpty());
    QVERIFY(s.added.size() < 5);
    const QString db = shelf.app.file(QStringLiteral("db.mdb"));
    const QStringList names = storedNames(db);
    QCOMPARE(names.size(), s.added.size());
    GameDiscStore discs;
    discs.setDatabasePath(db);
    ProfileStore store;
    store.setDatabasePath(db);
    for (const QString& name : names) {
        QVERIFY2(!discs.find(name).serial.isEmpty(), qPrintable(name));
        QCOMPARE(store.load(name)->value(col::PCSX2ExeFile), shelf.executable);
    }
}

void TstAddFolder::currentBuildsStartFromTheEmulatorsSettings() {
    // The current builds: a game added starts from what the emulator would use for
    // its disc today, PCSX2.ini under the disc's own game settings file, so that a
    // Start without edits changes neither file.
    Shelf shelf;
    const QString inis = shelf.app.file(QStringLiteral("inis"));
    QDir().mkpath(inis);
    const QString settingsIni = inis + QStringLiteral("/PCSX2.ini");
    testsupport::writeAll(settingsIni, "[UI]\nSettingsVersion = 1\nStartFullscreen = false\n\n"
                                       "[EmuCore]\nEnableCheats = false\nEnablePatches = true\n");
    const CurrentGeneration generation = generationOf(IniValues::fromFile(settingsIni));
    const QString gameFile =
        currentbuild::gameSettingsPath(shelf.app.file(QString()), QStringLiteral("SLUS-20946"),
                                       discimages::expectedCrc(bootFile(1)), generation);
    // The game's file as an earlier Start left it, with cheats the other way round
    // from the defaults.
    GameProfile seed = defaultprofile::make(QStringLiteral("seed"), QString(), shelf.executable, QString());
    const QString cheats = seed.value(col::PCSX2EnableCheats) == QStringLiteral("enabled")
                               ? QStringLiteral("disabled")
                               : QStringLiteral("enabled");
    seed.setValue(col::PCSX2EnableCheats, cheats);
    writeCurrentGameSettings(seed, gameFile, generation);
    const QByteArray settingsBefore = testsupport::readAll(settingsIni);
    const QByteArray gameBefore = testsupport::readAll(gameFile);

    LibraryImport::Options o = shelf.options();
    o.pluginFile.clear();
    o.currentSettingsFolder = inis;
    const LibraryImport::Summary s = LibraryImport(o).run(shelf.discs);
    const QString gta = QStringLiteral("Grand Theft Auto - San Andreas (NTSC-U)");
    QVERIFY(s.added.contains(gta));
    ProfileStore store;
    store.setDatabasePath(o.databasePath);
    const std::optional<GameProfile> row = store.load(gta);
    QVERIFY(row);
    QCOMPARE(row->value(col::PCSX2EnableCheats), cheats);

    // What Start writes for the game as added.
    writeCurrentGameSettings(*row, gameFile, generation);
    QCOMPARE(testsupport::readAll(gameFile), gameBefore);
    QCOMPARE(testsupport::readAll(settingsIni), settingsBefore);
}

void TstAddFolder::windowAddsAFolder() {
    Shelf shelf;
    DialogRecorder dialogs;
    MainWindow window(shelf.app.path());
    window.show();
    QCOMPARE(window.findChild<QComboBox*>(QStringLiteral("cmbPCSX2ExeFile"))->currentText(),
             shelf.executable);
    dialogs.clear();
    dialogs.pathAnswers.enqueue(shelf.discs);
    QSignalSpy added(window.gameListPage(), &GameListPage::folderAdded);
    // An empty library opens the editor in new mode, which offers the folder too.
    auto* inEditor = window.findChild<QPushButton*>(QStringLiteral("btnAddFolder"));
    QVERIFY(inEditor && inEditor->isVisible() && inEditor->isEnabled());
    QTest::mouseClick(inEditor, Qt::LeftButton);
    QVERIFY(added.wait(60000));
    const QStringList texts = dialogs.messageTexts();
    QCOMPARE(texts.size(), 1);
    QVERIFY2(texts.first().contains(QStringLiteral("Added: 5")), qPrintable(texts.first()));
    QVERIFY(texts.first().contains(QStringLiteral("Already in the library: 1")));
    QVERIFY(texts.first().contains(QStringLiteral("Not identified: 2")));
    auto* grid = window.findChild<GameListView*>(QStringLiteral("gameGrid"));
    QCOMPARE(grid->count(), 5);
    const int row = [&] {
        for (int r = 0; r < grid->count(); ++r)
            if (grid->caption(r) == QStringLiteral("Grand Theft Auto - San Andreas (NTSC-U)"))
                return r;
        return -1;
    }();
    QVERIFY(row >= 0);
    const QString tip = grid->filter()->index(row, 0).data(Qt::ToolTipRole).toString();
    QVERIFY2(tip.contains(QStringLiteral("SLUS-20946")) && tip.contains(QStringLiteral("NTSC-U")) &&
                 tip.contains(QStringLiteral("Playable")),
             qPrintable(tip));

    // A second addition adds nothing and says so.
    dialogs.clear();
    dialogs.pathAnswers.enqueue(shelf.discs);
    auto* button = window.findChild<QPushButton*>(QStringLiteral("addFolderButton"));
    QVERIFY(button && button->isVisible());
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(added.wait(60000));
    QVERIFY(dialogs.messageTexts().value(0).contains(QStringLiteral("Added: 0")));
    QCOMPARE(grid->count(), 5);
}

// Cancel while the addition waits for another one to end (the library's lock is
// held here): the dialog stays, says it is cancelling, and goes when the work
// has stopped, within a second.
void TstAddFolder::cancelKeepsTheDialogUntilTheWorkStops() {
    Shelf shelf;
    DialogRecorder dialogs;
    const StartLock other(
        QStringLiteral("library"), shelf.app.path(), [] { return false; }, QStringLiteral("busy"));
    MainWindow window(shelf.app.path());
    window.show();
    QSignalSpy added(window.gameListPage(), &GameListPage::folderAdded);
    dialogs.pathAnswers.enqueue(shelf.discs);
    window.findChild<QPushButton*>(QStringLiteral("btnAddFolder"))->click();
    auto* progress = window.findChild<QProgressDialog*>(QStringLiteral("addFolderProgress"));
    QVERIFY(progress);
    QTRY_VERIFY(progress->isVisible());
    QTest::qWait(300); // the worker waits for the other addition
    QVERIFY(added.isEmpty());
    QPushButton* cancel = progress->findChild<QPushButton*>();
    QVERIFY(cancel);
    QElapsedTimer clock;
    clock.start();
    cancel->click();
    QVERIFY(progress->isVisible());
    QVERIFY2(progress->labelText().startsWith(QStringLiteral("Cancelling")),
             qPrintable(progress->labelText()));
    QVERIFY(added.wait(5000));
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY2(dialogs.messageTexts().value(0).startsWith(QStringLiteral("Cancelled.")),
             qPrintable(dialogs.messageTexts().join(u'|')));
    QCOMPARE(storedNames(shelf.app.file(QStringLiteral("db.mdb"))).size(), 0);
}

void TstAddFolder::commandLineAddsAFolder() {
    Shelf shelf;
    auto run = [&] {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(KORVELLO_BIN_DIR "/korvello"),
                {QStringLiteral("--folder"), shelf.app.path(), QStringLiteral("--add-folder"), shelf.discs});
        p.waitForFinished(120000);
        return std::make_pair(p.exitCode(),
                              QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()));
    };
    const auto [code, out] = run();
    QCOMPARE(code, 0);
    QVERIFY2(out.contains(QStringLiteral("Added: 5")), qPrintable(out));
    QVERIFY(out.contains(QStringLiteral("added: Ōkami (USA)")));
    QCOMPARE(storedNames(shelf.app.file(QStringLiteral("db.mdb"))).size(), 5);
    const auto [code2, out2] = run();
    QCOMPARE(code2, 0);
    QVERIFY2(out2.contains(QStringLiteral("Added: 0")), qPrintable(out2));
}

// Two additions of the same folder at once, one of them through a link to the
// program folder: the second waits for the first and adds nothing twice.
void TstAddFolder::additionsAtOnceAddEachDiscOnce() {
    Shelf shelf;
    // Enough discs that the two additions overlap.
    constexpr int kMore = 30;
    for (int i = 0; i < kMore; ++i)
        QVERIFY(discimages::writePs2Iso(shelf.discs + QStringLiteral("/more/Game %1.iso").arg(i),
                                        QStringLiteral("SLES_%1.%2").arg(500 + i).arg(10 + i % 80),
                                        bootFile(100 + i)));
    TestFolder links;
    const QString linked = links.file(QStringLiteral("korvello-link"));
    QVERIFY(QFile::link(shelf.app.path(), linked));
    for (int round = 0; round < 2; ++round) {
        QFile::remove(shelf.app.file(QStringLiteral("db.mdb")));
        std::vector<std::unique_ptr<QProcess>> runs;
        for (const QString& folder : {shelf.app.path(), linked}) {
            runs.push_back(std::make_unique<QProcess>());
            runs.back()->start(
                QStringLiteral(KORVELLO_BIN_DIR "/korvello"),
                {QStringLiteral("--folder"), folder, QStringLiteral("--add-folder"), shelf.discs});
        }
        QStringList outputs;
        for (const auto& p : runs) {
            QVERIFY(p->waitForFinished(120000));
            const QString out = QString::fromUtf8(p->readAllStandardOutput() + p->readAllStandardError());
            QVERIFY2(p->exitCode() == 0, qPrintable(out));
            outputs << out;
        }
        QCOMPARE(storedNames(shelf.app.file(QStringLiteral("db.mdb"))).size(), 5 + kMore);
        QVERIFY2(outputs.join(u'|').contains(QStringLiteral("Added: %1").arg(5 + kMore)) &&
                     outputs.join(u'|').contains(QStringLiteral("Added: 0")),
                 qPrintable(outputs.join(u'|')));
    }
}

// The window of the folder is open while --add-folder adds games: its list
// shows them, without a restart.
void TstAddFolder::openWindowShowsGamesAddedOnTheCommandLine() {
    Shelf shelf;
    DialogRecorder dialogs;
    MainWindow window(shelf.app.path());
    SingleInstance instance(shelf.app.path());
    instance.listen();
    instance.serve(window);
    window.show();
    auto* grid = window.findChild<GameListView*>(QStringLiteral("gameGrid"));
    QCOMPARE(grid->count(), 0);
    QProcess p;
    p.start(QStringLiteral(KORVELLO_BIN_DIR "/korvello"),
            {QStringLiteral("--folder"), shelf.app.path(), QStringLiteral("--add-folder"), shelf.discs});
    QTRY_COMPARE_WITH_TIMEOUT(grid->count(), 5, 60000);
    QVERIFY(p.state() == QProcess::NotRunning || p.waitForFinished(60000));
    QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
    QVERIFY2(dialogs.messageTexts().isEmpty(), qPrintable(dialogs.messageTexts().join(u'|')));
}

void TstAddFolder::pluginEraSetsKeepTheirBytes_data() {
    QTest::addColumn<QString>("set");
    const QString sets = QStringLiteral(KORVELLO_SOURCE_DIR "/../shared/testdata/linux-sets/");
    for (const QString& user : QDir(sets).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        QTest::newRow(qPrintable(user)) << sets + user;
}

// A real user's plug-in era settings, then --add-folder and --start of the game
// it added, with no edit between: every file keeps its bytes but for the line
// that points the emulator at the game's disc.
void TstAddFolder::pluginEraSetsKeepTheirBytes() {
    if (!QFileInfo(QStringLiteral(KORVELLO_SOURCE_DIR "/../shared/testdata/linux-sets")).isDir())
        QSKIP("The real users' sets (../shared/testdata/linux-sets) are not here");
    QFETCH(QString, set);
    TestFolder app;
    QVERIFY(QDir().mkpath(app.file(QStringLiteral("inis"))));
    QMap<QString, QByteArray> before;
    for (const QString& name : QDir(set).entryList(QDir::Files)) {
        before.insert(name, testsupport::readAll(set + u'/' + name));
        testsupport::writeAll(app.file(QStringLiteral("inis/") + name), before.value(name));
    }
    const QString emulator = app.file(QStringLiteral("pcsx2"));
    testsupport::writeAll(emulator, "#!/bin/sh\nexit 0\n");
    QFile::setPermissions(emulator, QFile::permissions(emulator) | QFile::ExeOwner);
    const QString discs = app.file(QStringLiteral("discs"));
    QVERIFY(QDir().mkpath(discs));
    QVERIFY(discimages::writePs2Iso(discs + QStringLiteral("/Game.iso"), QStringLiteral("SLUS_209.46"),
                                    bootFile(3)));

    const auto run = [&](const QStringList& arguments) {
        QProcess p;
        p.start(QStringLiteral(KORVELLO_BIN_DIR "/korvello"),
                QStringList{QStringLiteral("--folder"), app.path()} + arguments);
        p.waitForFinished(60000);
        return std::make_pair(p.exitCode(),
                              QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()));
    };
    const auto [addCode, added] = run({QStringLiteral("--add-folder"), discs});
    QCOMPARE(addCode, 0);
    QVERIFY2(added.contains(QStringLiteral("Added: 1")), qPrintable(added));
    const QString game = storedNames(app.file(QStringLiteral("db.mdb"))).value(0);
    const auto [startCode, started] = run({QStringLiteral("--start"), game});
    QVERIFY2(startCode == 0, qPrintable(started));

    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        QList<QByteArray> was = it.value().split('\n');
        QList<QByteArray> now =
            testsupport::readAll(app.file(QStringLiteral("inis/") + it.key())).split('\n');
        for (QList<QByteArray>* lines : {&was, &now})
            for (QByteArray& line : *lines)
                if (it.key() == QLatin1String("PCSX2_ui.ini") && line.startsWith("CurrentIso="))
                    line = "CurrentIso=<the game's disc>";
        QVERIFY2(now == was, qPrintable(it.key() + QStringLiteral(" changed")));
    }
    QVERIFY(testsupport::readAll(app.file(QStringLiteral("inis/PCSX2_ui.ini")))
                .contains("CurrentIso=" + QFile::encodeName(discs + QStringLiteral("/Game.iso"))));
}

QTEST_MAIN(TstAddFolder)
#include "tst_addfolder.moc"
