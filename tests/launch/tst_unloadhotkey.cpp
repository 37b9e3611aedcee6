// The unload hot key on a private X server, pressed with xdotool; the game
// started by a double click on the list.
#include "app/mainwindow.h"
#include "app/programsettings.h"
#include "desktop/unloadhotkey.h"
#include "emulatorrun.h"
#include "gamelist/gamelistview.h"
#include "store/columntable.h"
#include "store/gameprofile.h"
#include "store/profilestore.h"
#include "support/dialogrecorder.h"
#include "support/testfolder.h"
#include "support/windowparts.h"

#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kGame = QStringLiteral("Shadow of the Test");

struct EmulatorFolder {
    TestFolder folder;
    QString exeName = emulatorrun::uniqueName(QStringLiteral("hotkey"));
    QString exePath = emulatorrun::install(folder.path(), exeName);

    EmulatorFolder() {
        GameProfile p = emulatorrun::fixtureProfile();
        p.setValue(col::gamename, kGame);
        p.setValue(col::PCSX2ExeFile, exeName);
        p.setValue(col::PCSX2CMDKeys, QStringLiteral("--nogui --fullscreen"));
        ProfileStore store;
        store.setDatabasePath(folder.file(QStringLiteral("db.mdb")));
        store.add(p);
    }
};

bool press(const QStringList& keys) {
    for (const QString& key : keys) {
        if (QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), key}) != 0)
            return false;
    }
    return true;
}

// Lets the window handle what the X server sent for a while.
void settle() {
    QTest::qWait(400);
}

} // namespace

class TestUnloadHotKey : public QObject {
    Q_OBJECT
private slots:
    void init() {
        testsupport::removeProgramSettings();
        // These starts need no disc image: "Run CDVD after start" off, as the user can set it.
        ProgramSettings().writeInt(QStringLiteral("Run"), 0);
    }
    void beforeAnyStartNothingEnds();
    void doubleClickStartsAndHotKeyEnds_data();
    void doubleClickStartsAndHotKeyEnds();
    void releasedWhenTheWindowCloses();
    void takenByAnotherCopyUntilItCloses();
    void endsWhatTheCommandLineStarted();
};

void TestUnloadHotKey::beforeAnyStartNothingEnds() {
    DialogRecorder dialogs;
    emulatorrun::Reaper reaper;
    EmulatorFolder f;
    const qint64 running = emulatorrun::startDirectly(f.exePath);
    QVERIFY(running > 0);
    reaper.add(running);
    MainWindow w(f.folder.path());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(parts(w).unloadKey->isGrabbed());
    QVERIFY(parts(w).unloadKeyId != 0);
    QVERIFY(parts(w).startedExecutable.isEmpty());

    QVERIFY(press({QStringLiteral("ctrl+alt+u")}));
    settle();
    QVERIFY(emulatorrun::isAlive(running));
    QVERIFY(dialogs.messageTexts().isEmpty());
}

void TestUnloadHotKey::doubleClickStartsAndHotKeyEnds_data() {
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QStringList>("after");
    QTest::newRow("plain") << QStringList{} << QStringList{};
    QTest::newRow("Caps Lock on") << QStringList{"Caps_Lock"} << QStringList{"Caps_Lock"};
    QTest::newRow("Num Lock on") << QStringList{"Num_Lock"} << QStringList{"Num_Lock"};
}

void TestUnloadHotKey::doubleClickStartsAndHotKeyEnds() {
    QFETCH(QStringList, before);
    QFETCH(QStringList, after);
    DialogRecorder dialogs;
    emulatorrun::Reaper reaper;
    EmulatorFolder f;
    MainWindow w(f.folder.path());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(parts(w).gameGrid->count(), 1);

    const QRect item = parts(w).gameGrid->visualRect(parts(w).gameGrid->model()->index(0, 0));
    QTest::mouseDClick(parts(w).gameGrid->viewport(), Qt::LeftButton, {}, item.center());
    const std::optional<emulatorrun::Record> record = emulatorrun::waitForRecord(f.exePath);
    QVERIFY(record);
    reaper.add(record->pid);
    QCOMPARE(record->arguments, QStringList({QStringLiteral("--nogui"), QStringLiteral("--fullscreen")}));
    // The sound file under the name the Linux plug-in opens.
    for (const char* ini : {"GSdx.ini", "PCSX2_ui.ini", "PCSX2_vm.ini", "spu2-x.ini"})
        QVERIFY2(QFile::exists(f.folder.file(QStringLiteral("inis/") + QLatin1String(ini))), ini);
    QCOMPARE(parts(w).startedExecutable, f.exeName);
    QVERIFY(emulatorrun::isAlive(record->pid));

    QVERIFY(press(before));
    const bool pressed = press({QStringLiteral("ctrl+alt+u")});
    QVERIFY(press(after));
    QVERIFY(pressed);
    QTRY_VERIFY_WITH_TIMEOUT(!emulatorrun::isAlive(record->pid), 5000);
    QVERIFY2(dialogs.messageTexts().isEmpty(), qPrintable(dialogs.messageTexts().join(u'|')));
}

void TestUnloadHotKey::releasedWhenTheWindowCloses() {
    DialogRecorder dialogs;
    emulatorrun::Reaper reaper;
    EmulatorFolder f;
    MainWindow w(f.folder.path());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    parts(w).startButton->click();
    const std::optional<emulatorrun::Record> record = emulatorrun::waitForRecord(f.exePath);
    QVERIFY(record);
    reaper.add(record->pid);

    w.close();
    QVERIFY(!parts(w).unloadKey->isGrabbed());
    QVERIFY(press({QStringLiteral("ctrl+alt+u")}));
    settle();
    QVERIFY(emulatorrun::isAlive(record->pid));
}

// A second copy of Korvello cannot have the key while the first holds it: its
// label says so, and it takes the key over once the first copy has closed.
void TestUnloadHotKey::takenByAnotherCopyUntilItCloses() {
    DialogRecorder dialogs;
    emulatorrun::Reaper reaper;
    TestFolder firstFolder;
    QTemporaryDir firstSettings;
    QVERIFY(QFile::copy(QStringLiteral(KORVELLO_BIN_DIR "/korvello"),
                        firstFolder.file(QStringLiteral("korvello"))));
    QFile::setPermissions(firstFolder.file(QStringLiteral("korvello")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QProcess first;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), firstSettings.path());
    first.setProcessEnvironment(env);
    first.start(firstFolder.file(QStringLiteral("korvello")), {});
    QVERIFY(first.waitForStarted());
    // The first copy holds the key once this program can no longer grab it.
    auto heldElsewhere = [] {
        UnloadHotKey probe;
        probe.registerKey();
        return probe.isTaken();
    };
    QTRY_VERIFY_WITH_TIMEOUT(heldElsewhere(), 20000);

    EmulatorFolder f;
    MainWindow w(f.folder.path());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(parts(w).unloadKey->isTaken());
    QVERIFY(!parts(w).unloadKey->isGrabbed());
    QCOMPARE(parts(w).unloadKeyLabel->text(), QStringLiteral("Ctrl+Alt+U is taken by another program"));
    parts(w).startButton->click();
    const std::optional<emulatorrun::Record> record = emulatorrun::waitForRecord(f.exePath);
    QVERIFY(record);
    reaper.add(record->pid);

    first.terminate();
    QVERIFY(first.waitForFinished(10000));
    QTRY_COMPARE_WITH_TIMEOUT(parts(w).unloadKeyLabel->text(),
                              QStringLiteral("Press Ctrl+Alt+U to unload PCSX2"), 5000);
    QVERIFY(parts(w).unloadKey->isGrabbed());
    QVERIFY(press({QStringLiteral("ctrl+alt+u")}));
    QTRY_VERIFY_WITH_TIMEOUT(!emulatorrun::isAlive(record->pid), 5000);
    QVERIFY2(dialogs.messageTexts().isEmpty(), qPrintable(dialogs.messageTexts().join(u'|')));
}

void TestUnloadHotKey::endsWhatTheCommandLineStarted() {
    // A window runs; `korvello --start` starts a game beside it (without grabbing
    // the key a second time), and the window's key ends that emulator.
    DialogRecorder dialogs;
    emulatorrun::Reaper reaper;
    EmulatorFolder f;
    const QString program = f.folder.file(QStringLiteral("korvello"));
    QVERIFY(QFile::copy(QStringLiteral(KORVELLO_BIN_DIR "/korvello"), program));
    QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner);
    MainWindow w(f.folder.path());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(parts(w).unloadKey->isGrabbed());

    QProcess start;
    start.start(program, {QStringLiteral("--start"), kGame});
    QVERIFY(start.waitForFinished(30000));
    QCOMPARE(QString::fromUtf8(start.readAllStandardError()), QString());
    QCOMPARE(start.exitCode(), 0);
    const std::optional<emulatorrun::Record> record = emulatorrun::waitForRecord(f.exePath);
    QVERIFY(record);
    reaper.add(record->pid);
    QVERIFY(parts(w).unloadKey->isGrabbed());

    QVERIFY(press({QStringLiteral("ctrl+alt+u")}));
    QTRY_VERIFY_WITH_TIMEOUT(!emulatorrun::isAlive(record->pid), 5000);
}

QTEST_MAIN(TestUnloadHotKey)
#include "tst_unloadhotkey.moc"
