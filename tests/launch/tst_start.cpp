// Start end to end: a temporary emulator folder, the main window, a real emulator process.
#include "app/commandline.h"
#include "app/mainwindow.h"
#include "app/programsettings.h"
#include "editor/editorpage.h"
#include "emulatorrun.h"
#include "gamelist/gamelistview.h"
#include "launch/processtable.h"
#include "store/columntable.h"
#include "store/gameprofile.h"
#include "store/profilestore.h"
#include "support/dialogrecorder.h"
#include "support/testfolder.h"
#include "support/windowparts.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QtTest>

namespace {

const QString kGame = QStringLiteral("Shadow of the Test");

// An emulator folder with the stand-in emulator and one game whose profile starts it.
struct EmulatorFolder {
    TestFolder folder;
    QString exeName = emulatorrun::uniqueName(QStringLiteral("start"));
    QString exePath;

    explicit EmulatorFolder(const QString& keys = {}, const QString& iso = {}) {
        exePath = emulatorrun::install(folder.path(), exeName);
        GameProfile p = emulatorrun::fixtureProfile();
        p.setValue(col::gamename, kGame);
        p.setValue(col::PCSX2ExeFile, exeName);
        p.setValue(col::PCSX2CMDKeys, keys);
        p.setValue(col::PCSX2CurrentIso, iso);
        ProfileStore store;
        store.setDatabasePath(folder.file(QStringLiteral("db.mdb")));
        store.add(p);
    }
    QString record() const { return exePath + QStringLiteral(".record"); }
};

} // namespace

class TestStart : public QObject {
    Q_OBJECT
private slots:
    void init() {
        testsupport::removeProgramSettings();
        // These starts need no disc image: "Run CDVD after start" off, as the user can set it.
        ProgramSettings().writeInt(QStringLiteral("Run"), 0);
    }
    void arguments_data();
    void arguments();
    void runningEmulatorEndedFirst();
    void firstStartKeepsTheUsersSettings();
    void prefixOnlyIsLeftRunning();
    void secondGameAsksFirst();
    void failedWriteStartsNothing_data();
    void failedWriteStartsNothing();
    void unknownGame();
    void unsafeExecutableIsRefused_data();
    void unsafeExecutableIsRefused();
    void missingFilesStartNothing_data();
    void missingFilesStartNothing();
    void newStartsFromTheEmulatorsFiles();
};

void TestStart::arguments_data() {
    QTest::addColumn<bool>("runCdvd");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("iso");
    QTest::addColumn<QStringList>("expected");

    // Relative to the program's folder, the emulator's working folder, where the test puts the image.
    const QString iso = QStringLiteral("My Game (Disc 1).iso");
    QTest::newRow("keys only") << false << "--nogui --cfgpath=\"/tmp/my cfg\"" << iso
                               << QStringList{"--nogui", "--cfgpath=/tmp/my cfg"};
    QTest::newRow("image, then keys") << true << "--nogui --cfgpath=\"/tmp/my cfg\"" << iso
                                      << QStringList{iso, "--nogui", "--cfgpath=/tmp/my cfg"};
    QTest::newRow("image and no keys") << true << "" << iso << QStringList{iso};
    QTest::newRow("nothing at all") << false << "" << iso << QStringList{};
    QTest::newRow("backslashes passed as stored")
        << true << "--elf=C:\\x.elf"
        << "D:\\ISO\\game.iso" << QStringList{"D:\\ISO\\game.iso", "--elf=C:\\x.elf"};
}

void TestStart::arguments() {
    QFETCH(bool, runCdvd);
    QFETCH(QString, keys);
    QFETCH(QString, iso);
    QFETCH(QStringList, expected);
    DialogRecorder dialogs;
    emulatorrun::Reaper reaper;
    EmulatorFolder f(keys, iso);
    testsupport::writeAll(f.folder.file(iso), "disc");
    MainWindow w(f.folder.path());
    w.show();
    QCOMPARE(parts(w).currentGame, kGame);
    parts(w).runDiscCheck->setChecked(runCdvd);
    QVERIFY(parts(w).startButton->isEnabled());
    parts(w).startButton->click();

    const std::optional<emulatorrun::Record> record = emulatorrun::waitForRecord(f.exePath);
    QVERIFY(record);
    reaper.add(record->pid);
    QCOMPARE(record->arguments, expected);
    QCOMPARE(record->workingFolder + u'/', f.folder.path());
    QCOMPARE(parts(w).startedExecutable, f.exeName);
    QVERIFY2(dialogs.messageTexts().isEmpty(), qPrintable(dialogs.messageTexts().join(u'|')));
    // The sound file of a new set is named as the Linux SPU2-X opens it.
    for (const char* name : {"GSdx.ini", "PCSX2_ui.ini", "PCSX2_vm.ini", "spu2-x.ini"})
        QVERIFY2(QFile::exists(f.folder.file(QStringLiteral("inis/") + name)), name);
    // A new GSdx.ini is the Linux plug-in's: the profile's SDL software renderer as OpenGL software.
    QVERIFY(testsupport::readAll(f.folder.file(QStringLiteral("inis/GSdx.ini"))).contains("Renderer = 13\n"));
    QCOMPARE(w.focusWidget(), static_cast<QWidget*>(parts(w).gameGrid));
}

void TestStart::firstStartKeepsTheUsersSettings() {
    DialogRecorder dialogs;
    emulatorrun::Reaper reaper;
    EmulatorFolder f(QStringLiteral("--nogui"));
    const QByteArray own("Renderer = 12\nextrathreads = 2\n");
    testsupport::writeAll(f.folder.file(QStringLiteral("inis/GSdx.ini")), own);
    MainWindow w(f.folder.path());
    w.show();

    parts(w).startButton->click();
    std::optional<emulatorrun::Record> record = emulatorrun::waitForRecord(f.exePath);
    QVERIFY(record);
    reaper.add(record->pid);
    // One line, once: the user's file is kept beside the settings, and how to get it back.
    QCOMPARE(dialogs.messageTexts().size(), 1);
    QVERIFY(!dialogs.messageTexts().first().contains(u'\n'));
    QVERIFY(dialogs.messageTexts().first().contains(QLatin1String("Restore the emulator's own settings")));
    QCOMPARE(dialogs.requests.first().icon, QMessageBox::Information);
    QCOMPARE(testsupport::readAll(f.folder.file(QStringLiteral("inis/Korvello backup/GSdx.ini"))), own);

    QFile::remove(f.record());
    dialogs.clear();
    parts(w).startButton->click();
    record = emulatorrun::waitForRecord(f.exePath);
    QVERIFY(record);
    reaper.add(record->pid);
    QVERIFY2(dialogs.messageTexts().isEmpty(), qPrintable(dialogs.messageTexts().join(u'|')));
    QCOMPARE(testsupport::readAll(f.folder.file(QStringLiteral("inis/Korvello backup/GSdx.ini"))), own);

    // The tray menu's command puts it back and says so.
    QAction* restore = w.findChild<QAction*>(QStringLiteral("restoreEmulatorSettingsAction"));
    QVERIFY(restore);
    restore->trigger();
    QCOMPARE(testsupport::readAll(f.folder.file(QStringLiteral("inis/GSdx.ini"))), own);
    QCOMPARE(dialogs.messageTexts().size(), 1);
    QVERIFY2(dialogs.messageTexts().first().contains(QLatin1String("GSdx.ini")),
             qPrintable(dialogs.messageTexts().first()));
    QVERIFY(!QFile::exists(f.folder.file(QStringLiteral("inis/PCSX2_vm.ini"))));
}

void TestStart::runningEmulatorEndedFirst() {
    DialogRecorder dialogs;
    emulatorrun::Reaper reaper;
    EmulatorFolder f(QStringLiteral("--nogui"));
    // Two of the same name, one started under other letter case.
    const qint64 first = emulatorrun::startDirectly(f.exePath);
    reaper.add(first);
    const QString upper = emulatorrun::install(f.folder.path(), f.exeName.toUpper());
    const qint64 second = emulatorrun::startDirectly(upper);
    reaper.add(second);
    QVERIFY(first > 0 && second > 0);
    QFile::remove(f.record());

    MainWindow w(f.folder.path());
    w.show();
    parts(w).startButton->click();
    const std::optional<emulatorrun::Record> record = emulatorrun::waitForRecord(f.exePath);
    QVERIFY(record);
    reaper.add(record->pid);
    QVERIFY(record->pid != first);
    QVERIFY(emulatorrun::waitForEnd(first));
    QVERIFY(emulatorrun::waitForEnd(second));
    QVERIFY(emulatorrun::isAlive(record->pid));
}

void TestStart::prefixOnlyIsLeftRunning() {
    DialogRecorder dialogs;
    emulatorrun::Reaper reaper;
    EmulatorFolder f;
    const QString longer = emulatorrun::install(f.folder.path(), f.exeName + QStringLiteral("-helper"));
    const qint64 other = emulatorrun::startDirectly(longer);
    QVERIFY(other > 0);
    reaper.add(other);
    QVERIFY(IsProcessRunning(f.exeName));

    MainWindow w(f.folder.path());
    w.show();
    parts(w).startButton->click();
    const std::optional<emulatorrun::Record> record = emulatorrun::waitForRecord(f.exePath);
    QVERIFY(record);
    reaper.add(record->pid);
    QTest::qWait(200);
    QVERIFY(emulatorrun::isAlive(other));
}

void TestStart::secondGameAsksFirst() {
    DialogRecorder dialogs;
    emulatorrun::Reaper reaper;
    EmulatorFolder f(QStringLiteral("--first"));
    const QString other = QStringLiteral("Another Test");
    const QString broken = QStringLiteral("Broken Test");
    {
        ProfileStore store;
        store.setDatabasePath(f.folder.file(QStringLiteral("db.mdb")));
        GameProfile p = emulatorrun::fixtureProfile();
        p.setValue(col::gamename, other);
        p.setValue(col::PCSX2ExeFile, f.exeName);
        p.setValue(col::PCSX2CMDKeys, QStringLiteral("--other"));
        store.add(p);
        p.setValue(col::gamename, broken);
        p.setValue(col::PCSX2ExeFile, QStringLiteral("no-such-emulator.exe"));
        store.add(p);
    }
    MainWindow w(f.folder.path());
    w.show();
    auto startGame = [&w](const QString& name) {
        parts(w).gameListPage->selectGame(parts(w).gameListPage->findShownGame(name));
        QCOMPARE(parts(w).currentGame, name);
        parts(w).startButton->click();
    };
    startGame(kGame);
    std::optional<emulatorrun::Record> first = emulatorrun::waitForRecord(f.exePath);
    QVERIFY(first);
    reaper.add(first->pid);
    QFile::remove(f.record());
    QVERIFY(dialogs.requests.isEmpty());

    // Another game while the first runs: asked, with No as the default; No starts nothing.
    dialogs.buttonAnswers.enqueue(QMessageBox::No);
    startGame(other);
    QCOMPARE(dialogs.requests.size(), 1);
    const Dialogs::Request& asked = dialogs.requests.at(0);
    QCOMPARE(asked.text, QStringLiteral("End Shadow of the Test and start Another Test?"));
    QCOMPARE(asked.buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(asked.defaultButton, QMessageBox::No);
    QTest::qWait(300);
    QVERIFY(!QFile::exists(f.record()));
    QVERIFY(emulatorrun::isAlive(first->pid));

    // Yes, but the start's own checks refuse it: the running game is left alone.
    dialogs.clear();
    dialogs.buttonAnswers.enqueue(QMessageBox::Yes);
    startGame(broken);
    QCOMPARE(dialogs.requests.size(), 2); // the question, then the refusal
    QTest::qWait(300);
    QVERIFY(emulatorrun::isAlive(first->pid));

    // Yes: the first game ends and the other starts.
    dialogs.clear();
    dialogs.buttonAnswers.enqueue(QMessageBox::Yes);
    startGame(other);
    QCOMPARE(dialogs.messageTexts(),
             QStringList{QStringLiteral("End Shadow of the Test and start Another Test?")});
    const std::optional<emulatorrun::Record> second = emulatorrun::waitForRecord(f.exePath);
    QVERIFY(second);
    reaper.add(second->pid);
    QCOMPARE(second->arguments, QStringList{QStringLiteral("--other")});
    QVERIFY(emulatorrun::waitForEnd(first->pid));

    // The same game again asks nothing: Start restarts it, as it always has.
    dialogs.clear();
    QFile::remove(f.record());
    startGame(other);
    const std::optional<emulatorrun::Record> again = emulatorrun::waitForRecord(f.exePath);
    QVERIFY(again);
    reaper.add(again->pid);
    QVERIFY(dialogs.requests.isEmpty());
}

void TestStart::failedWriteStartsNothing_data() {
    QTest::addColumn<QString>("cause");
    QTest::addColumn<QString>("failingFile");
    QTest::newRow("settings folder missing") << "missing folder"
                                             << "inis/GSdx.ini";
    QTest::newRow("read-only file") << "read-only"
                                    << "inis/PCSX2_vm.ini";
}

void TestStart::failedWriteStartsNothing() {
    QFETCH(QString, cause);
    QFETCH(QString, failingFile);
    DialogRecorder dialogs;
    emulatorrun::Reaper reaper;
    EmulatorFolder f;
    const qint64 running = emulatorrun::startDirectly(f.exePath);
    QVERIFY(running > 0);
    reaper.add(running);
    QFile::remove(f.record());
    if (cause == QLatin1String("missing folder")) {
        QVERIFY(QDir(f.folder.file(QStringLiteral("inis"))).removeRecursively());
    } else {
        const QString vm = f.folder.file(failingFile);
        testsupport::writeAll(vm, "[EmuCore]\r\nHostFs=disabled\r\n");
        QFile::setPermissions(vm, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    }

    MainWindow w(f.folder.path());
    w.show();
    // What the unload key ends: the emulator an earlier Start started.
    ProgramSettings().writeText(CommandLine::lastEmulatorKey(), QStringLiteral("earlier.exe"));
    parts(w).startButton->click();

    QCOMPARE(dialogs.messageTexts(),
             QStringList{QStringLiteral("Unable to write to ") + f.folder.file(failingFile) + u'.'});
    QCOMPARE(dialogs.requests.first().icon, QMessageBox::Critical);
    QTest::qWait(300);
    QVERIFY(emulatorrun::isAlive(running));
    QVERIFY(!QFile::exists(f.record()));
    QCOMPARE(parts(w).startedExecutable, QString());
    QCOMPARE(ProgramSettings().readText(CommandLine::lastEmulatorKey()), QStringLiteral("earlier.exe"));
}

void TestStart::unknownGame() {
    DialogRecorder dialogs;
    EmulatorFolder f;
    MainWindow w(f.folder.path());
    w.show();
    // Another copy of the program deleted the game the window shows.
    ProfileStore store;
    store.setDatabasePath(f.folder.file(QStringLiteral("db.mdb")));
    GameProfile gone = *store.load(kGame);
    gone.setValue(col::gamename, QStringLiteral("No Such Game"));
    store.add(gone);
    parts(w).gameListPage->loadGameList();
    parts(w).gameListPage->selectGameNamed(QStringLiteral("No Such Game"));
    QCOMPARE(parts(w).currentGame, QStringLiteral("No Such Game"));
    store.remove(QStringLiteral("No Such Game"));
    parts(w).startButton->click();
    QCOMPARE(dialogs.messageTexts().size(), 1);
    QVERIFY(dialogs.messageTexts().first().contains(QStringLiteral("No Such Game")));
    QCOMPARE(QDir(f.folder.file(QStringLiteral("inis"))).entryList(QDir::Files), QStringList());
    QTest::qWait(200);
    QVERIFY(!QFile::exists(f.record()));
}

void TestStart::unsafeExecutableIsRefused_data() {
    QTest::addColumn<QString>("form");
    QTest::newRow("name of a program elsewhere") << "name";
    QTest::newRow("path out of the folder") << "relative";
    QTest::newRow("absolute path") << "absolute";
    QTest::newRow("empty") << "empty";
    QTest::newRow("a folder in the folder") << "folder";
}

void TestStart::unsafeExecutableIsRefused() {
    // A stored executable names the processes Start ends and the program it
    // starts: only a file in the program's folder may do either.
    QFETCH(QString, form);
    DialogRecorder dialogs;
    emulatorrun::Reaper reaper;
    EmulatorFolder f;
    TestFolder elsewhere;
    const QString name = emulatorrun::uniqueName(QStringLiteral("away"));
    const QString outside = emulatorrun::install(elsewhere.path(), name);
    const qint64 running = emulatorrun::startDirectly(outside);
    QVERIFY(running > 0);
    reaper.add(running);
    QFile::remove(outside + QStringLiteral(".record"));

    QString value;
    if (form == QLatin1String("name"))
        value = name;
    else if (form == QLatin1String("relative"))
        value = QDir(f.folder.path()).relativeFilePath(outside);
    else if (form == QLatin1String("absolute"))
        value = outside;
    else if (form == QLatin1String("folder"))
        value = QStringLiteral("Plugins");
    {
        ProfileStore store;
        store.setDatabasePath(f.folder.file(QStringLiteral("db.mdb")));
        GameProfile p = *store.load(kGame);
        p.setValue(col::PCSX2ExeFile, value);
        store.update(kGame, p);
    }

    MainWindow w(f.folder.path());
    w.show();
    // What the unload key ends: the emulator an earlier Start started.
    ProgramSettings().writeText(CommandLine::lastEmulatorKey(), QStringLiteral("earlier.exe"));
    parts(w).startButton->click();

    QCOMPARE(dialogs.messageTexts().size(), 1);
    const QString text = dialogs.messageTexts().first();
    // A name that is not a plain file name is refused as such; a plain one
    // that is no executable file of the folder is named as missing or unusable.
    QVERIFY2(text.contains(value) && (text.contains(QStringLiteral("not the name of a file")) ||
                                      text.contains(QStringLiteral("does not exist")) ||
                                      text.contains(QStringLiteral("not an executable file"))),
             qPrintable(text));
    QCOMPARE(QDir(f.folder.file(QStringLiteral("inis"))).entryList(QDir::Files), QStringList());
    QTest::qWait(300);
    QVERIFY(emulatorrun::isAlive(running));
    QVERIFY(!QFile::exists(outside + QStringLiteral(".record")));
    QVERIFY(!QFile::exists(f.record()));
    QCOMPARE(parts(w).startedExecutable, QString());
    QCOMPARE(ProgramSettings().readText(CommandLine::lastEmulatorKey()), QStringLiteral("earlier.exe"));
}

// A Start that cannot work says which file is missing, and neither writes the
// configuration nor ends the emulator that is running.
void TestStart::missingFilesStartNothing_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("runCdvd");
    QTest::addColumn<QString>("message"); // %1: the program folder
    QTest::newRow("executable missing") << "no exe" << false << "The emulator \"%1gone.exe\" does not exist.";
    QTest::newRow("executable not executable")
        << "not executable" << false
        << "The emulator \"%1plain.exe\" cannot be started: it is not an executable file.";
    QTest::newRow("executable is a folder")
        << "folder" << false
        << "The emulator \"%1folder.exe\" cannot be started: it is not an executable file.";
    QTest::newRow("disc image missing")
        << "no image" << true << "The disc image \"/nowhere/Missing Disc.iso\" does not exist.";
    QTest::newRow("disc image missing, run without disc") << "no image" << false << "";
}

void TestStart::missingFilesStartNothing() {
    QFETCH(QString, fault);
    QFETCH(bool, runCdvd);
    QFETCH(QString, message);
    DialogRecorder dialogs;
    emulatorrun::Reaper reaper;
    EmulatorFolder f(QString(), QStringLiteral("/nowhere/Missing Disc.iso"));
    const qint64 running = emulatorrun::startDirectly(f.exePath);
    QVERIFY(running > 0);
    reaper.add(running);
    QFile::remove(f.record());

    MainWindow w(f.folder.path());
    w.show();
    parts(w).runDiscCheck->setChecked(runCdvd);
    QString exe;
    if (fault == QLatin1String("no exe")) {
        exe = QStringLiteral("gone.exe");
    } else if (fault == QLatin1String("not executable")) {
        exe = QStringLiteral("plain.exe");
        testsupport::writeAll(f.folder.file(exe), "#!/bin/sh\n");
    } else if (fault == QLatin1String("folder")) {
        exe = QStringLiteral("folder.exe");
        QVERIFY(QDir(f.folder.path()).mkpath(exe));
    }
    if (!exe.isEmpty()) {
        std::optional<GameProfile> p = parts(w).store->load(kGame);
        QVERIFY(p);
        p->setValue(col::PCSX2ExeFile, exe);
        parts(w).store->update(kGame, *p);
    }
    // What the unload key ends: the emulator an earlier Start started.
    ProgramSettings().writeText(CommandLine::lastEmulatorKey(), QStringLiteral("earlier.exe"));
    parts(w).startButton->click();

    if (message.isEmpty()) {
        // Without the disc the emulator starts, its image named only in its settings.
        const std::optional<emulatorrun::Record> record = emulatorrun::waitForRecord(f.exePath);
        QVERIFY(record);
        reaper.add(record->pid);
        QVERIFY2(dialogs.messageTexts().isEmpty(), qPrintable(dialogs.messageTexts().join(u'|')));
        return;
    }
    QCOMPARE(dialogs.messageTexts(), QStringList{message.arg(f.folder.path())});
    QCOMPARE(dialogs.requests.first().icon, QMessageBox::Critical);
    QTest::qWait(300);
    QVERIFY(emulatorrun::isAlive(running));
    QVERIFY(!QFile::exists(f.record()));
    QCOMPARE(parts(w).startedExecutable, QString());
    QCOMPARE(ProgramSettings().readText(CommandLine::lastEmulatorKey()), QStringLiteral("earlier.exe"));
    QCOMPARE(QDir(f.folder.file(QStringLiteral("inis"))).entryList(QDir::Files), QStringList());
}

// New shows what the emulator uses today: the page's defaults overlaid with
// the plug-in era's files, so that adding the game changes nothing there.
void TestStart::newStartsFromTheEmulatorsFiles() {
    DialogRecorder dialogs;
    EmulatorFolder f;
    QVERIFY(QDir().mkpath(f.folder.file(QStringLiteral("Plugins"))));
    QVERIFY(QFile::copy(QStringLiteral(KORVELLO_TEST_PLUGINS "/libgsdx-ogl.so"),
                        f.folder.file(QStringLiteral("Plugins/libgsdx-ogl.so"))));
    QVERIFY(QDir().mkpath(f.folder.file(QStringLiteral("inis"))));
    testsupport::writeAll(f.folder.file(QStringLiteral("inis/PCSX2_vm.ini")),
                          "[EmuCore]\nEnablePatches=disabled\n[EmuCore/Speedhacks]\nEECycleRate=-1\n"
                          "VUCycleSteal=2\n");
    testsupport::writeAll(f.folder.file(QStringLiteral("inis/GSdx.ini")), "interlace = 2\nRenderer = 13\n");
    MainWindow w(f.folder.path());
    EditorPage* page = parts(w).editorPage;
    page->chkPatches->setChecked(true);
    parts(w).commands->openNewProfile();
    QCOMPARE(parts(w).pages->currentWidget(), page);
    QVERIFY(!page->chkPatches->isChecked());
    QCOMPARE(page->cmbInterlacing->currentIndex(), 2);
    QCOMPARE(page->cmbRenderer->currentText(), QStringLiteral("OpenGL (Software)"));
    QVERIFY(page->txtGameName->text().isEmpty());
    QVERIFY(!page->btnSave->isEnabled());
    QVERIFY2(dialogs.messageTexts().isEmpty(), qPrintable(dialogs.messageTexts().join(u'|')));
}

QTEST_MAIN(TestStart)
#include "tst_start.moc"
