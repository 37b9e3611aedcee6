// The gamepad on the real main window, with a virtual pad: moving through the
// grid as the keys do, starting the stand-in emulator with the south button,
// clearing the search, unloading with the held combination while another
// window is active, unplugging and plugging back, and the switch in the menu.
#include "app/mainwindow.h"
#include "app/programsettings.h"
#include "gamelist/gamelistview.h"
#include "input/virtualpad.h"
#include "launch/emulatorrun.h"
#include "store/columntable.h"
#include "store/gameprofile.h"
#include "store/profilestore.h"
#include "support/dialogrecorder.h"
#include "support/testfolder.h"
#include "support/windowparts.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

namespace {

const QString kWithPad = QStringLiteral("Press Ctrl+Alt+U or hold Select+Start to unload PCSX2");
const QString kWithoutPad = QStringLiteral("Press Ctrl+Alt+U to unload PCSX2");

// Twelve games: three rows of the grid's five columns.
struct GameFolder {
    TestFolder folder;
    QString exeName = emulatorrun::uniqueName(QStringLiteral("pad"));
    QString exePath = emulatorrun::install(folder.path(), exeName);

    GameFolder() {
        ProfileStore store;
        store.setDatabasePath(folder.file(QStringLiteral("db.mdb")));
        for (int i = 0; i < 12; ++i) {
            GameProfile p = emulatorrun::fixtureProfile();
            p.setValue(col::gamename, QStringLiteral("Game %1").arg(i, 2, 10, QLatin1Char('0')));
            p.setValue(col::PCSX2ExeFile, exeName);
            p.setValue(col::PCSX2CMDKeys, QStringLiteral("--nogui"));
            store.add(p);
        }
    }
};

// A window shown and active, with the pad seen (the hint names its combination).
bool showWithPad(MainWindow& w) {
    w.show();
    w.activateWindow();
    return QTest::qWaitForWindowActive(&w) &&
           QTest::qWaitFor([&] { return parts(w).unloadKeyLabel->text() == kWithPad; }, 5000);
}

// Holds Back and Start together for `ms`, then lets go.
void holdCombination(VirtualPad& pad, int ms) {
    pad.setButton(SDL_CONTROLLER_BUTTON_BACK, true);
    pad.setButton(SDL_CONTROLLER_BUTTON_START, true);
    QTest::qWait(ms);
    pad.setButton(SDL_CONTROLLER_BUTTON_BACK, false);
    pad.setButton(SDL_CONTROLLER_BUTTON_START, false);
    QTest::qWait(60);
}

} // namespace

class TestGamepad : public QObject {
    Q_OBJECT
private slots:
    void init() {
        testsupport::removeProgramSettings();
        // The stand-in games have no disc image: Start runs the emulator without one.
        ProgramSettings().writeInt(QStringLiteral("Run"), 0);
    }
    void movesAsTheKeysDo_data();
    void movesAsTheKeysDo();
    void eastClearsTheSearch();
    void southStartsAndTheHeldCombinationUnloads();
    void unplugAndPlugBack();
    void switchedOffDoesNothing();
};

void TestGamepad::movesAsTheKeysDo_data() {
    QTest::addColumn<int>("button"); // SDL_GameControllerButton, or -1 for the stick
    QTest::addColumn<int>("stickX");
    QTest::addColumn<int>("stickY");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("expected"); // the row the key leads to from row 6
    QTest::newRow("d-pad right") << int(SDL_CONTROLLER_BUTTON_DPAD_RIGHT) << 0 << 0 << int(Qt::Key_Right)
                                 << 7;
    QTest::newRow("d-pad left") << int(SDL_CONTROLLER_BUTTON_DPAD_LEFT) << 0 << 0 << int(Qt::Key_Left) << 5;
    QTest::newRow("d-pad down") << int(SDL_CONTROLLER_BUTTON_DPAD_DOWN) << 0 << 0 << int(Qt::Key_Down) << 11;
    QTest::newRow("d-pad up") << int(SDL_CONTROLLER_BUTTON_DPAD_UP) << 0 << 0 << int(Qt::Key_Up) << 1;
    QTest::newRow("stick right") << -1 << 32767 << 0 << int(Qt::Key_Right) << 7;
    QTest::newRow("stick up") << -1 << 0 << -32768 << int(Qt::Key_Up) << 1;
    QTest::newRow("left shoulder") << int(SDL_CONTROLLER_BUTTON_LEFTSHOULDER) << 0 << 0 << int(Qt::Key_PageUp)
                                   << -1;
    QTest::newRow("right shoulder") << int(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER) << 0 << 0
                                    << int(Qt::Key_PageDown) << -1;
}

void TestGamepad::movesAsTheKeysDo() {
    QFETCH(int, button);
    QFETCH(int, stickX);
    QFETCH(int, stickY);
    QFETCH(int, key);
    QFETCH(int, expected);
    DialogRecorder dialogs;
    VirtualPad pad;
    QVERIFY2(pad.plug(), qPrintable(pad.error()));
    GameFolder f;
    MainWindow w(f.folder.path());
    QVERIFY(showWithPad(w));

    // Where the keyboard's key leads from row 6 ...
    parts(w).gameListPage->selectGame(6);
    QTest::keyClick(parts(w).gameGrid, static_cast<Qt::Key>(key));
    const int byKey = parts(w).gameGrid->selectedRow();
    if (expected >= 0)
        QCOMPARE(byKey, expected);
    QVERIFY(byKey != 6);

    // ... the pad leads too, with the focus in the search field.
    parts(w).gameListPage->selectGame(6);
    parts(w).searchField->setFocus();
    if (button >= 0) {
        pad.tap(static_cast<SDL_GameControllerButton>(button));
    } else {
        pad.setAxis(SDL_CONTROLLER_AXIS_LEFTX, stickX);
        pad.setAxis(SDL_CONTROLLER_AXIS_LEFTY, stickY);
        QTest::qWait(60);
        pad.setAxis(SDL_CONTROLLER_AXIS_LEFTX, 0);
        pad.setAxis(SDL_CONTROLLER_AXIS_LEFTY, 0);
    }
    QTRY_COMPARE(parts(w).gameGrid->selectedRow(), byKey);
    QTRY_VERIFY(parts(w).gameGrid->hasFocus());
    QCOMPARE(parts(w).currentGame, parts(w).gameGrid->caption(byKey));

    // Held, the direction repeats after a pause, as a held key does.
    if (key == Qt::Key_Right) {
        parts(w).gameListPage->selectGame(0);
        pad.setButton(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
        QTest::qWait(800);
        pad.setButton(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, false);
        QTest::qWait(100);
        QVERIFY2(parts(w).gameGrid->selectedRow() >= 3,
                 qPrintable(QString::number(parts(w).gameGrid->selectedRow())));
    }
    QVERIFY(dialogs.messageTexts().isEmpty());
}

void TestGamepad::eastClearsTheSearch() {
    DialogRecorder dialogs;
    VirtualPad pad;
    QVERIFY2(pad.plug(), qPrintable(pad.error()));
    GameFolder f;
    MainWindow w(f.folder.path());
    QVERIFY(showWithPad(w));
    parts(w).searchField->setText(QStringLiteral("Game 1"));
    QCOMPARE(parts(w).gameGrid->visibleCount(), 2); // Game 10 and Game 11
    pad.tap(SDL_CONTROLLER_BUTTON_B);
    QTRY_COMPARE(parts(w).searchField->text(), QString());
    QCOMPARE(parts(w).gameGrid->visibleCount(), 12);
    QVERIFY(parts(w).gameGrid->hasFocus());
    pad.tap(SDL_CONTROLLER_BUTTON_B); // nothing to clear: nothing happens
    QCOMPARE(parts(w).gameGrid->visibleCount(), 12);
    QVERIFY(dialogs.messageTexts().isEmpty());
}

void TestGamepad::southStartsAndTheHeldCombinationUnloads() {
    DialogRecorder dialogs;
    emulatorrun::Reaper reaper;
    VirtualPad pad;
    QVERIFY2(pad.plug(), qPrintable(pad.error()));
    GameFolder f;
    MainWindow w(f.folder.path());
    QVERIFY(showWithPad(w));
    QCOMPARE(parts(w).unloadKeyLabel->toolTip().contains(
                 QStringLiteral("hold Select+Start together for a second")),
             true);

    pad.tap(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    QTRY_COMPARE(parts(w).currentGame, QStringLiteral("Game 01"));
    pad.tap(SDL_CONTROLLER_BUTTON_A);
    const std::optional<emulatorrun::Record> record = emulatorrun::waitForRecord(f.exePath);
    QVERIFY(record);
    reaper.add(record->pid);
    QCOMPARE(record->arguments, QStringList{QStringLiteral("--nogui")});
    QCOMPARE(parts(w).startedExecutable, f.exeName);

    // While the game runs, the south button is the game's: no second Start
    // ends and restarts it, even with this window still active.
    QTest::qWait(300);
    pad.tap(SDL_CONTROLLER_BUTTON_A);
    QTest::qWait(300);
    QVERIFY(emulatorrun::isAlive(record->pid));
    QCOMPARE(emulatorrun::waitForRecord(f.exePath, 0)->pid, record->pid);

    // The emulator's window has the focus now: the pad no longer moves the grid ...
    QWidget other;
    other.setWindowTitle(QStringLiteral("PCSX2"));
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QVERIFY(!w.isActiveWindow());
    pad.tap(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    QTest::qWait(200);
    QCOMPARE(parts(w).currentGame, QStringLiteral("Game 01"));

    // ... a short press of the combination is the game's alone ...
    holdCombination(pad, 250);
    QTest::qWait(1500);
    QVERIFY(emulatorrun::isAlive(record->pid));

    // ... and held for a second it ends the emulator, as the unload key does.
    pad.setButton(SDL_CONTROLLER_BUTTON_BACK, true);
    pad.setButton(SDL_CONTROLLER_BUTTON_START, true);
    QTRY_VERIFY_WITH_TIMEOUT(!emulatorrun::isAlive(record->pid), 5000);
    pad.setButton(SDL_CONTROLLER_BUTTON_BACK, false);
    pad.setButton(SDL_CONTROLLER_BUTTON_START, false);
    QVERIFY2(dialogs.messageTexts().isEmpty(), qPrintable(dialogs.messageTexts().join(u'|')));
}

void TestGamepad::unplugAndPlugBack() {
    DialogRecorder dialogs;
    VirtualPad pad;
    QVERIFY2(pad.plug(), qPrintable(pad.error()));
    GameFolder f;
    MainWindow w(f.folder.path());
    QVERIFY(showWithPad(w));

    // Unplugged with the d-pad held: the label forgets the pad and the grid stops moving.
    pad.setButton(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
    QTRY_COMPARE(parts(w).gameGrid->selectedRow(), 1);
    pad.unplug();
    QTRY_COMPARE(parts(w).unloadKeyLabel->text(), kWithoutPad);
    QTest::qWait(600);
    QCOMPARE(parts(w).gameGrid->selectedRow(), 1);

    QVERIFY2(pad.plug(), qPrintable(pad.error()));
    QTRY_COMPARE(parts(w).unloadKeyLabel->text(), kWithPad);
    pad.tap(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    QTRY_COMPARE(parts(w).gameGrid->selectedRow(), 6);
    QVERIFY(dialogs.messageTexts().isEmpty());
}

void TestGamepad::switchedOffDoesNothing() {
    DialogRecorder dialogs;
    emulatorrun::Reaper reaper;
    VirtualPad pad;
    QVERIFY2(pad.plug(), qPrintable(pad.error()));
    GameFolder f;
    {
        MainWindow w(f.folder.path());
        QVERIFY(showWithPad(w));
        QVERIFY(parts(w).gamepadAction->isCheckable());
        QVERIFY(parts(w).gamepadAction->isChecked());
        QVERIFY(parts(w).trayMenu->actions().contains(parts(w).gamepadAction));

        parts(w).gamepadAction->trigger(); // off
        QVERIFY(!parts(w).gamepadAction->isChecked());
        QCOMPARE(parts(w).unloadKeyLabel->text(), kWithoutPad);
        QCOMPARE(ProgramSettings().readInt(QStringLiteral("Gamepad")), std::optional<int>(0));

        parts(w).startButton->click();
        const std::optional<emulatorrun::Record> record = emulatorrun::waitForRecord(f.exePath);
        QVERIFY(record);
        reaper.add(record->pid);
        const int row = parts(w).gameGrid->selectedRow();
        pad.tap(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
        holdCombination(pad, 1500);
        QCOMPARE(parts(w).gameGrid->selectedRow(), row);
        QVERIFY(emulatorrun::isAlive(record->pid));
    }
    {
        // The switch is kept: the next start reads no pad ...
        MainWindow w(f.folder.path());
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QVERIFY(!parts(w).gamepadAction->isChecked());
        pad.tap(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
        QTest::qWait(200);
        QCOMPARE(parts(w).gameGrid->selectedRow(), 0);
        QCOMPARE(parts(w).unloadKeyLabel->text(), kWithoutPad);

        // ... until it is switched on again.
        parts(w).gamepadAction->trigger();
        QCOMPARE(ProgramSettings().readInt(QStringLiteral("Gamepad")), std::optional<int>(1));
        QTRY_COMPARE(parts(w).unloadKeyLabel->text(), kWithPad);
        pad.tap(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
        QTRY_COMPARE(parts(w).gameGrid->selectedRow(), 1);
    }
    QVERIFY(dialogs.messageTexts().isEmpty());
}

QTEST_MAIN(TestGamepad)
#include "tst_gamepad.moc"
