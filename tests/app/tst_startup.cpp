// Start-up of the main window and the program's own settings.
#include "app/commandline.h"
#include "app/emulatorfolder.h"
#include "app/mainwindow.h"
#include "app/programsettings.h"
#include "app/singleinstance.h"
#include "store/profilestore.h"
#include "support/dialogrecorder.h"
#include "support/profilefixture.h"
#include "support/testfolder.h"
#include "support/windowparts.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void init() { testsupport::removeProgramSettings(); }
    void firstRunCreatesKeyWithoutRun();
    void runSurvivesRestart();
    void runThatIsNotAnIntegerIsIgnored();
    void windowShell();
    void folderWithoutEmulatorSaysSo();
    void chooserRefusesFolderWithoutEmulator_data();
    void chooserRefusesFolderWithoutEmulator();
    void secondStartBringsTheFirstForward();
};

void TestStartup::firstRunCreatesKeyWithoutRun() {
    DialogRecorder dialogs;
    TestFolder folder;
    QVERIFY(!QFile::exists(ProgramSettings::filePath()));
    MainWindow w(folder.path());
    QVERIFY(QFile::exists(ProgramSettings::filePath()));
    QSettings stored(ProgramSettings::filePath(), QSettings::IniFormat);
    QVERIFY(!stored.contains(QStringLiteral("Run")));
    // Start plays the game unless the user said otherwise.
    QVERIFY(parts(w).runDiscCheck->isChecked());
}

void TestStartup::runSurvivesRestart() {
    DialogRecorder dialogs;
    TestFolder folder;
    {
        MainWindow w(folder.path());
        parts(w).runDiscCheck->click();
        QCOMPARE(ProgramSettings().readInt(QStringLiteral("Run")), std::optional<int>(0));
    }
    {
        MainWindow w(folder.path());
        QVERIFY(!parts(w).runDiscCheck->isChecked());
        parts(w).runDiscCheck->click();
        QCOMPARE(ProgramSettings().readInt(QStringLiteral("Run")), std::optional<int>(1));
    }
    MainWindow w(folder.path());
    QVERIFY(parts(w).runDiscCheck->isChecked());
}

void TestStartup::runThatIsNotAnIntegerIsIgnored() {
    DialogRecorder dialogs;
    TestFolder folder;
    {
        QSettings s(ProgramSettings::filePath(), QSettings::IniFormat);
        s.setValue(QStringLiteral("Run"), QStringLiteral("yes please"));
    }
    MainWindow w(folder.path());
    QVERIFY(parts(w).runDiscCheck->isChecked()); // as when nothing is stored
    QVERIFY2(dialogs.messageTexts().isEmpty(), qPrintable(dialogs.messageTexts().join(u'|')));
}

void TestStartup::windowShell() {
    DialogRecorder dialogs;
    TestFolder folder;
    MainWindow w(folder.path());
    QCOMPARE(w.windowTitle(), QStringLiteral("Korvello (Tessaly)"));
    QCOMPARE(parts(w).versionLabel->text(), QStringLiteral("Korvello (Tessaly) v.2.1.345"));
    // The first size; the desktop may resize and maximise the window, down to a
    // minimum that fits a 1366 by 768 screen, and 1920 by 1080 at 150 %.
    QCOMPARE(w.size(), QSize(1006, 700));
    QVERIFY(w.minimumWidth() <= 1366 - 20 && w.minimumHeight() <= 1040 / 1.5 - 40);
    QCOMPARE(w.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    QVERIFY(w.windowFlags() & Qt::WindowMaximizeButtonHint);
    QVERIFY(w.windowFlags() & Qt::WindowMinimizeButtonHint);
    QCOMPARE(w.font().family(), QStringLiteral("Arial"));
    QCOMPARE(w.font().pixelSize(), 10);
    QVERIFY(parts(w).pages->tabBar()->isHidden());
    QCOMPARE(parts(w).pages->count(), 3);
    QCOMPARE(parts(w).pages->tabText(0), QStringLiteral("GameList"));
    QCOMPARE(parts(w).pages->tabText(1), QStringLiteral("New/Edit Game"));
    QCOMPARE(parts(w).pages->tabText(2), QStringLiteral("Emulator folder"));
    for (const char* name :
         {"gameGrid", "poster", "startButton", "deleteButton", "editButton", "newGameButton", "runDiscCheck",
          "skinList", "versionLabel", "unloadKeyLabel", "mailLink", "homePageLink"})
        QVERIFY2(parts(w).gameListPage->findChild<QWidget*>(QLatin1String(name)), name);
    QCOMPARE(parts(w).unloadKeyLabel->text(), QStringLiteral("Press Ctrl+Alt+U to unload PCSX2"));
    QCOMPARE(parts(w).exitAction->text(), QStringLiteral("Exit"));
}

void TestStartup::folderWithoutEmulatorSaysSo() {
    // The program alone in a folder: no emulator beside it, no games.
    DialogRecorder dialogs;
    QTemporaryDir alone;
    MainWindow w(alone.path() + u'/');
    QCOMPARE(parts(w).pages->currentWidget(), parts(w).noEmulatorPage);
    QVERIFY2(parts(w).noEmulatorText->text().contains(QStringLiteral("holds no emulator")),
             qPrintable(parts(w).noEmulatorText->text()));
    QVERIFY(parts(w).noEmulatorText->text().contains(QStringLiteral("\"inis\"")));
    QVERIFY(parts(w).noEmulatorText->text().contains(alone.path()));
    QCOMPARE(parts(w).chooseFolderButton->text(), QStringLiteral("Choose the emulator's folder..."));
    QVERIFY(dialogs.requests.isEmpty());

    // A folder with an emulator: the window closes to open again there, and
    // later starts know the folder.
    TestFolder emulator;
    w.show();
    dialogs.pathAnswers.enqueue(emulator.path());
    parts(w).chooseFolderButton->click();
    QCOMPARE(parts(w).nextFolder, emulator.path());
    QVERIFY(!w.isVisible());
    QCOMPARE(ProgramSettings().readText(CommandLine::folderKey()), std::optional<QString>(emulator.path()));

    // A folder with games but no emulator yet keeps showing its games.
    DialogRecorder quiet;
    QTemporaryDir withGames;
    {
        ProfileStore store;
        store.setDatabasePath(withGames.filePath(QStringLiteral("db.mdb")));
        store.add(profilefixture::nonDefaultProfile(QStringLiteral("Ico")));
    }
    MainWindow games(withGames.path() + u'/');
    QCOMPARE(parts(games).pages->currentWidget(), parts(games).gameListPage);
}

void TestStartup::chooserRefusesFolderWithoutEmulator_data() {
    QTest::addColumn<QString>("content"); // what the refused folder holds
    QTest::newRow("empty") << "";
    QTest::newRow("a plain file") << "readme.txt";
    QTest::newRow("a folder named like the executable") << "pcsx2.exe/";
}

void TestStartup::chooserRefusesFolderWithoutEmulator() {
    QFETCH(QString, content);
    DialogRecorder dialogs;
    QTemporaryDir refused;
    if (content.endsWith(u'/'))
        QVERIFY(QDir(refused.path()).mkpath(content));
    else if (!content.isEmpty())
        testsupport::writeAll(refused.filePath(content), "text");
    TestFolder emulator;
    dialogs.pathAnswers.enqueue(refused.path());
    dialogs.pathAnswers.enqueue(emulator.path());
    const QString chosen = emulatorfolder::choose(nullptr, QDir::homePath(), QStringLiteral("korvello"));
    QCOMPARE(chosen, emulator.path());
    // The chooser said what to choose; the refusal named the folder and what was looked for.
    QCOMPARE(dialogs.requests.size(), 3);
    QCOMPARE(dialogs.requests.at(0).kind, Dialogs::Kind::ChooseFolder);
    QVERIFY(dialogs.requests.at(0).title.contains(QStringLiteral("executable")));
    QCOMPARE(dialogs.requests.at(1).kind, Dialogs::Kind::Message);
    QVERIFY2(dialogs.requests.at(1).text.contains(refused.path()) &&
                 dialogs.requests.at(1).text.contains(QStringLiteral("executable")) &&
                 dialogs.requests.at(1).text.contains(QStringLiteral("\"inis\"")),
             qPrintable(dialogs.requests.at(1).text));
    // Asked again where the refused folder was.
    QCOMPARE(dialogs.requests.at(2).text, refused.path());
    QVERIFY(!QFileInfo::exists(refused.filePath(QStringLiteral("db.mdb"))));

    // Cancelled: nothing chosen.
    dialogs.clear();
    QCOMPARE(emulatorfolder::choose(nullptr, QDir::homePath(), QStringLiteral("korvello")), QString());
}

void TestStartup::secondStartBringsTheFirstForward() {
    QTemporaryDir folder;
    QTemporaryDir otherFolder;
    SingleInstance first(folder.path());
    QVERIFY(!first.handOverToRunning()); // nothing runs yet
    first.listen();
    QSignalSpy raised(&first, &SingleInstance::raiseRequested);

    // Another folder is another window.
    SingleInstance other(otherFolder.path());
    QVERIFY(!other.handOverToRunning());
    // The same folder, named another way, hands over and asks the first to come forward.
    SingleInstance second(folder.path() + QStringLiteral("/./"));
    QVERIFY(second.handOverToRunning());
    QVERIFY(raised.wait(3000));
    QCOMPARE(raised.count(), 1);
    // And reached through a link.
    QTemporaryDir links;
    const QString link = links.filePath(QStringLiteral("emulator"));
    QVERIFY(QFile::link(folder.path(), link));
    SingleInstance linked(link);
    QVERIFY(linked.handOverToRunning());
    QVERIFY(raised.wait(3000));

    // The socket lives where only this user can create it, never in the shared temporary folder.
    const QFileInfo socketFolder(QFileInfo(SingleInstance::serverName(folder.path())).path());
    QVERIFY(socketFolder.isAbsolute());
    QVERIFY(socketFolder.absoluteFilePath() != QFileInfo(QDir::tempPath()).absoluteFilePath());
    QCOMPARE(socketFolder.ownerId(), uint(::getuid()));
    QCOMPARE(socketFolder.permissions() & (QFileDevice::WriteGroup | QFileDevice::WriteOther |
                                           QFileDevice::ExeGroup | QFileDevice::ExeOther),
             QFileDevice::Permissions());
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
