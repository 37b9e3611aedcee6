// The main window on a real X server: no task-bar button, the unload key
// grabbed while the window lives, and "Exit" ending it like the close box.
#include "dialogrecorder.h"
#include "taskbar.h"
#include "testfolder.h"
#include "tfrmmain.h"
#include "unloadhotkey.h"

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
    TfrmMain w(folder.path());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTRY_VERIFY(taskbar::isSkippingTaskBar(&w));
    QVERIFY(w.ico1->isVisible());
    QCOMPARE(w.ico1->contextMenu(), w.pm1);
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
    TfrmMain w(folder.path());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(w.hotKey->isGrabbed());
    QVERIFY(w.hk != 0);
    if (throughMenu)
        w.Exit1->trigger();
    else
        w.close();
    QVERIFY(!w.isVisible());
    QVERIFY(!w.hotKey->isGrabbed());
    QVERIFY(dialogs.requests.isEmpty());
}

QTEST_MAIN(TestShellX11)
#include "tst_shellx11.moc"
