// Start-up of the main window and the program's own settings.
#include "dialogrecorder.h"
#include "programsettings.h"
#include "testfolder.h"
#include "tfrmmain.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QSettings>
#include <QTabBar>
#include <QTabWidget>
#include <QtTest>

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void init() { testsupport::removeProgramSettings(); }
    void firstRunCreatesKeyWithoutRun();
    void runSurvivesRestart();
    void runThatIsNotAnIntegerIsIgnored();
    void windowShell();
};

void TestStartup::firstRunCreatesKeyWithoutRun() {
    DialogRecorder dialogs;
    TestFolder folder;
    QVERIFY(!QFile::exists(ProgramSettings::filePath()));
    TfrmMain w(folder.path());
    QVERIFY(QFile::exists(ProgramSettings::filePath()));
    QSettings stored(ProgramSettings::filePath(), QSettings::IniFormat);
    QVERIFY(!stored.contains(QStringLiteral("Run")));
    QVERIFY(!w.chkGoAfterStart->isChecked());
}

void TestStartup::runSurvivesRestart() {
    DialogRecorder dialogs;
    TestFolder folder;
    {
        TfrmMain w(folder.path());
        w.chkGoAfterStart->click();
        QCOMPARE(ProgramSettings().readInt(QStringLiteral("Run")), std::optional<int>(1));
    }
    {
        TfrmMain w(folder.path());
        QVERIFY(w.chkGoAfterStart->isChecked());
        w.chkGoAfterStart->click();
        QCOMPARE(ProgramSettings().readInt(QStringLiteral("Run")), std::optional<int>(0));
    }
    TfrmMain w(folder.path());
    QVERIFY(!w.chkGoAfterStart->isChecked());
}

void TestStartup::runThatIsNotAnIntegerIsIgnored() {
    DialogRecorder dialogs;
    TestFolder folder;
    {
        QSettings s(ProgramSettings::filePath(), QSettings::IniFormat);
        s.setValue(QStringLiteral("Run"), QStringLiteral("yes please"));
    }
    TfrmMain w(folder.path());
    QVERIFY(!w.chkGoAfterStart->isChecked());
    QVERIFY2(dialogs.messageTexts().isEmpty(), qPrintable(dialogs.messageTexts().join(u'|')));
}

void TestStartup::windowShell() {
    DialogRecorder dialogs;
    TestFolder folder;
    TfrmMain w(folder.path());
    QCOMPARE(w.windowTitle(), QStringLiteral("Korvello (Tessaly)"));
    QCOMPARE(w.progname, QStringLiteral("Korvello (Tessaly) "));
    QCOMPARE(w.lblVer->text(), QStringLiteral("Korvello (Tessaly) v.2.1.345"));
    QCOMPARE(w.size(), QSize(1006, 700));
    QCOMPARE(w.minimumSize(), w.maximumSize());
    QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(w.windowFlags() & Qt::WindowMinimizeButtonHint);
    QCOMPARE(w.font().family(), QStringLiteral("Arial"));
    QCOMPARE(w.font().pixelSize(), 10);
    QVERIFY(w.PageControl->tabBar()->isHidden());
    QCOMPARE(w.PageControl->count(), 2);
    QCOMPARE(w.PageControl->tabText(0), QStringLiteral("GameList"));
    QCOMPARE(w.PageControl->tabText(1), QStringLiteral("New/Edit Game"));
    for (const char* name : {"img2", "image1", "btnStart", "btnDelete", "btnEdit", "btnAddGame", "chkGoAfterStart",
                             "cmbSkins", "lblVer", "lblReadME", "lblEMail", "lblHomePage"})
        QVERIFY2(w.pgGameList->findChild<QWidget*>(QLatin1String(name)), name);
    QCOMPARE(w.lblReadME->text(), QStringLiteral("Press Ctrl+Alt+U to unload PCSX2"));
    QCOMPARE(w.Exit1->text(), QStringLiteral("Exit"));
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
