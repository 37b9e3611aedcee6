// The main window on a real X server: no task-bar button, the unload key
// grabbed while the window lives, and "Exit" ending it like the close box.
#include "app/mainwindow.h"
#include "app/taskbar.h"
#include "desktop/unloadhotkey.h"
#include "support/dialogrecorder.h"
#include "support/testfolder.h"
#include "support/windowparts.h"

#include <QAction>
#include <QSystemTrayIcon>
#include <QtTest>

class TestShellX11 : public QObject {
    Q_OBJECT
private slots:
    void init() { testsupport::removeProgramSettings(); }
    void noTaskBarButton();
    void exitAndCloseBoxReleaseTheKey_data();
    void exitAndCloseBoxReleaseTheKey();
};

void TestShellX11::noTaskBarButton() {
    DialogRecorder dialogs;
    TestFolder folder;
    MainWindow w(folder.path());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTRY_VERIFY(taskbar::isSkippingTaskBar(&w));
    QVERIFY(parts(w).trayIcon->isVisible());
    QCOMPARE(parts(w).trayIcon->contextMenu(), parts(w).trayMenu);
}

void TestShellX11::exitAndCloseBoxReleaseTheKey_data() {
    QTest::addColumn<bool>("throughMenu");
    QTest::newRow("tray menu Exit") << true;
    QTest::newRow("close box") << false;
}

void TestShellX11::exitAndCloseBoxReleaseTheKey() {
    QFETCH(bool, throughMenu);
    DialogRecorder dialogs;
    TestFolder folder;
    MainWindow w(folder.path());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(parts(w).unloadKey->isGrabbed());
    QVERIFY(parts(w).unloadKeyId != 0);
    if (throughMenu)
        parts(w).exitAction->trigger();
    else
        w.close();
    QVERIFY(!w.isVisible());
    QVERIFY(!parts(w).unloadKey->isGrabbed());
    QVERIFY(dialogs.requests.isEmpty());
}

QTEST_MAIN(TestShellX11)
#include "tst_shellx11.moc"
