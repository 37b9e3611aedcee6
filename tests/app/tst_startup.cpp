// Start-up of the main window and the program's own settings.
#include "app/mainwindow.h"
#include "app/programsettings.h"
#include "support/dialogrecorder.h"
#include "support/testfolder.h"

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
    MainWindow w(folder.path());
    QVERIFY(QFile::exists(ProgramSettings::filePath()));
    QSettings stored(ProgramSettings::filePath(), QSettings::IniFormat);
    QVERIFY(!stored.contains(QStringLiteral("Run")));
    QVERIFY(!w.m_runDiscCheck->isChecked());
}

void TestStartup::runSurvivesRestart() {
    DialogRecorder dialogs;
    TestFolder folder;
    {
        MainWindow w(folder.path());
        w.m_runDiscCheck->click();
        QCOMPARE(ProgramSettings().readInt(QStringLiteral("Run")), std::optional<int>(1));
    }
    {
        MainWindow w(folder.path());
        QVERIFY(w.m_runDiscCheck->isChecked());
        w.m_runDiscCheck->click();
        QCOMPARE(ProgramSettings().readInt(QStringLiteral("Run")), std::optional<int>(0));
    }
    MainWindow w(folder.path());
    QVERIFY(!w.m_runDiscCheck->isChecked());
}

void TestStartup::runThatIsNotAnIntegerIsIgnored() {
    DialogRecorder dialogs;
    TestFolder folder;
    {
        QSettings s(ProgramSettings::filePath(), QSettings::IniFormat);
        s.setValue(QStringLiteral("Run"), QStringLiteral("yes please"));
    }
    MainWindow w(folder.path());
    QVERIFY(!w.m_runDiscCheck->isChecked());
    QVERIFY2(dialogs.messageTexts().isEmpty(), qPrintable(dialogs.messageTexts().join(u'|')));
}

void TestStartup::windowShell() {
    DialogRecorder dialogs;
    TestFolder folder;
    MainWindow w(folder.path());
    QCOMPARE(w.windowTitle(), QStringLiteral("Korvello (Tessaly)"));
    QCOMPARE(w.m_programName, QStringLiteral("Korvello (Tessaly) "));
    QCOMPARE(w.m_versionLabel->text(), QStringLiteral("Korvello (Tessaly) v.2.1.345"));
    QCOMPARE(w.size(), QSize(1006, 700));
    QCOMPARE(w.minimumSize(), w.maximumSize());
    QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(w.windowFlags() & Qt::WindowMinimizeButtonHint);
    QCOMPARE(w.font().family(), QStringLiteral("Arial"));
    QCOMPARE(w.font().pixelSize(), 10);
    QVERIFY(w.m_pages->tabBar()->isHidden());
    QCOMPARE(w.m_pages->count(), 2);
    QCOMPARE(w.m_pages->tabText(0), QStringLiteral("GameList"));
    QCOMPARE(w.m_pages->tabText(1), QStringLiteral("New/Edit Game"));
    for (const char* name :
         {"gameGrid", "poster", "startButton", "deleteButton", "editButton", "newGameButton", "runDiscCheck",
          "skinList", "versionLabel", "unloadKeyLabel", "mailLink", "homePageLink"})
        QVERIFY2(w.m_gameListPage->findChild<QWidget*>(QLatin1String(name)), name);
    QCOMPARE(w.m_unloadKeyLabel->text(), QStringLiteral("Press Ctrl+Alt+U to unload PCSX2"));
    QCOMPARE(w.m_exitAction->text(), QStringLiteral("Exit"));
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
