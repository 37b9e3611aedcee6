// The main window over an emulator folder of the current builds: detection,
// the editor's lists, Add without a plug-in, Start and the unload key.
#include "app/emulatordiscovery.h"
#include "app/emulatorregistry.h"
#include "app/mainwindow.h"
#include "discfixture.h"
#include "editor/editorpage.h"
#include "editor/keyhelp.h"
#include "editor/pathedit.h"
#include "emulatorrun.h"
#include "launch/currentbuild.h"
#include "store/columntable.h"
#include "store/gameprofile.h"
#include "store/profilestore.h"
#include "support/dialogrecorder.h"
#include "support/testfolder.h"
#include "support/windowparts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QByteArray kSettings = "[UI]\nSettingsVersion = 1\n\n[EmuCore/GS]\nRenderer = 14\nOsdShowFPS = true\n";

QStringList itemTexts(const QComboBox* box) {
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts << box->itemText(i);
    return texts;
}

QList<int> itemNumbers(const QComboBox* box) {
    QList<int> numbers;
    for (int i = 0; i < box->count(); ++i)
        numbers << box->itemData(i).toInt();
    return numbers;
}

// An emulator folder with the stand-in emulator and the files of the given settings folder.
struct Folder {
    TestFolder folder;
    QString exeName = emulatorrun::uniqueName(QStringLiteral("mode"));
    QString exePath;
    explicit Folder(const QStringList& settingsFiles) {
        exePath = emulatorrun::install(folder.path(), exeName);
        for (const QString& name : settingsFiles)
            testsupport::writeAll(folder.file(QStringLiteral("inis/") + name), kSettings);
    }
    QString settings() const { return folder.file(QStringLiteral("inis/PCSX2.ini")); }
};

} // namespace

class TestCurrentMode : public QObject {
    Q_OBJECT
private slots:
    void init() { testsupport::removeProgramSettings(); }
    void listsAndLabel();
    void pluginEraFolderUnchanged();
    void currentExecutableAlone();
    void leftoversOfAnOldFirstRun();
    void addStartAndUnload();
    void saveRefusesOldKeys();
    void saveKeepsThePluginEraFile();
};

void TestCurrentMode::listsAndLabel() {
    DialogRecorder dialogs;
    Folder f({QStringLiteral("PCSX2.ini")});
    MainWindow w(f.folder.path());
    QVERIFY(parts(w).currentBuilds);
    QCOMPARE(parts(w).settingsFolder, f.folder.file(QStringLiteral("inis")));
    EditorPage& page = *parts(w).editorPage;
    QCOMPARE(itemTexts(page.cmbGSPlugin), QStringList{QStringLiteral("built in")});
    QVERIFY(!page.cmbGSPlugin->isEnabled());
    QCOMPARE(itemTexts(page.cmbRenderer),
             (QStringList{"Automatic", "OpenGL (Hardware)", "Vulkan (Hardware)", "Software", "Null"}));
    QCOMPARE(itemNumbers(page.cmbRenderer), (QList<int>{-1, 12, 14, 13, 11}));
    QVERIFY(parts(w).versionLabel->text().endsWith(QStringLiteral("\nfor the emulator's current builds")));
    QVERIFY(dialogs.messageTexts().isEmpty());
}

void TestCurrentMode::pluginEraFolderUnchanged() {
    // The plug-in era's own files win over a PCSX2.ini beside them.
    DialogRecorder dialogs;
    Folder f({QStringLiteral("PCSX2.ini"), QStringLiteral("PCSX2_vm.ini")});
    MainWindow w(f.folder.path());
    QVERIFY(!parts(w).currentBuilds);
    QVERIFY(parts(w).editorPage->cmbGSPlugin->isEnabled());
    QVERIFY(!itemTexts(parts(w).editorPage->cmbGSPlugin).contains(QStringLiteral("built in")));
    // No GSdx.ini of the Windows form: the Linux graphics plug-in's own renderers.
    QCOMPARE(parts(w).editorPage->cmbRenderer->itemText(0), QStringLiteral("OpenGL (Hardware)"));
    QVERIFY(!parts(w).versionLabel->text().contains(u'\n'));
}

void TestCurrentMode::currentExecutableAlone() {
    // A fresh install: no settings file yet, only the current builds' executable.
    DialogRecorder dialogs;
    Folder f({});
    emulatorrun::install(f.folder.path(), QStringLiteral("pcsx2-qt"));
    MainWindow w(f.folder.path());
    QVERIFY(parts(w).currentBuilds);
    QCOMPARE(parts(w).settingsFolder, currentbuild::settingsFolder(f.folder.path()));
    QCOMPARE(itemTexts(parts(w).editorPage->cmbGSPlugin), QStringList{QStringLiteral("built in")});
}

void TestCurrentMode::leftoversOfAnOldFirstRun() {
    // A 2.x PCSX2.ini beside what an aborted first run of a 1.6 build left in the same inis
    // folder (PCSX2_ui.ini, PCSX2_vm.ini) and its registry file naming that folder, with the
    // current builds' executable: the current builds' mode, in that folder.
    DialogRecorder dialogs;
    Folder f({});
    emulatorrun::install(f.folder.path(), QStringLiteral("pcsx2-qt"));
    QTemporaryDir config;
    const QByteArray xdg = config.path().toUtf8();
    const QByteArray oldXdg = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", xdg);
    const QString inis = config.path() + QStringLiteral("/PCSX2/inis");
    QVERIFY(QDir().mkpath(inis));
    testsupport::writeAll(inis + QStringLiteral("/PCSX2.ini"),
                          "[UI]\nSettingsVersion = 1\n[SPU2/Output]\nBackend = Cubeb\n");
    testsupport::writeAll(inis + QStringLiteral("/PCSX2_ui.ini"), "[ProgramLog]\r\nVisible=disabled\r\n");
    testsupport::writeAll(inis + QStringLiteral("/PCSX2_vm.ini"),
                          "[EmuCore]\r\nCdvdVerboseReads=disabled\r\n");
    testsupport::writeAll(config.path() + QStringLiteral("/PCSX2/PCSX2-reg.ini"),
                          "DocumentsFolderMode=User\nSettingsFolder=" + inis.toUtf8() +
                              "\nInstall_Dir=/usr/bin\n");
    const emulatordiscovery::Folders folders =
        emulatordiscovery::deriveFolders(f.folder.path(), EmulatorRegistry());
    QCOMPARE(folders.settingsFolder, inis);
    const GameStarter::Folders start =
        emulatordiscovery::startFolders(f.folder.path(), folders.settingsFolder, QStringLiteral("korvello"));
    {
        MainWindow w(f.folder.path());
        QVERIFY(parts(w).currentBuilds);
        QCOMPARE(parts(w).settingsFolder, inis);
        // The key help lists the current builds' own options.
        parts(w).editorPage->btnKeyHelp->click();
        QCOMPARE(dialogs.messageTexts().last(), keyhelp::currentText());
        QVERIFY(keyhelp::currentText().contains(QStringLiteral("-nofullscreen")));
    }
    if (oldXdg.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", oldXdg);
    QVERIFY(start.currentBuilds);
    QCOMPARE(start.settingsFolder, inis);
}

void TestCurrentMode::addStartAndUnload() {
    DialogRecorder dialogs;
    emulatorrun::Reaper reaper;
    Folder f({QStringLiteral("PCSX2.ini")});
    MainWindow w(f.folder.path());
    w.show();
    EditorPage& page = *parts(w).editorPage;

    // Add asks for no plug-in: "built in" stands for it.
    parts(w).commands->openNewProfile();
    page.txtGameName->setText(QStringLiteral("Current Game"));
    // Start writes the game's own settings file, named by the disc: the test makes one.
    if (discfixture::xorriso().isEmpty())
        QSKIP("xorriso is not installed (scripts/install-deps.sh --test installs it)");
    const discfixture::Disc disc = discfixture::makeIso(f.folder.path(), QStringLiteral("current.iso"));
    QVERIFY(!disc.path.isEmpty());
    const QString image = disc.path;
    page.txtISOPath->setText(image);
    QCOMPARE(page.cmbPCSX2ExeFile->currentText(), f.exeName);
    page.btnNewGame->click();
    QVERIFY2(dialogs.messageTexts().isEmpty(), qPrintable(dialogs.messageTexts().join(u'|')));
    const std::optional<GameProfile> stored = parts(w).store->load(QStringLiteral("Current Game"));
    QVERIFY(stored);
    QCOMPARE(stored->value(col::GSDXPluginFile), QString());
    // New started from what PCSX2.ini says: its renderer, not the page's "automatic".
    QCOMPARE(stored->value(col::GSDXRenderer), QStringLiteral("14"));
    QCOMPARE(parts(w).currentGame, QStringLiteral("Current Game"));

    // Start writes the game's settings file, leaves PCSX2.ini alone and gives the image after "--".
    parts(w).runDiscCheck->setChecked(true);
    parts(w).startButton->click();
    const std::optional<emulatorrun::Record> record = emulatorrun::waitForRecord(f.exePath);
    QVERIFY(record);
    reaper.add(record->pid);
    QCOMPARE(record->arguments.mid(1), (QStringList{QStringLiteral("--"), image}));
    QVERIFY(record->arguments.first() == u"-fullscreen" || record->arguments.first() == u"-nofullscreen");
    QCOMPARE(record->workingFolder + u'/', f.folder.path());
    QCOMPARE(parts(w).startedExecutable, f.exeName);
    QCOMPARE(testsupport::readAll(f.settings()), kSettings);
    const QString gameFile = f.folder.file(
        QStringLiteral("gamesettings/%1_%2.ini")
            .arg(disc.serial, QStringLiteral("%1").arg(disc.crc, 8, 16, QLatin1Char('0')).toUpper()));
    QVERIFY2(testsupport::readAll(gameFile).contains("Renderer=14\r\n"), qPrintable(gameFile));
    QVERIFY(!QFile::exists(f.folder.file(QStringLiteral("inis/GSdx.ini"))));
    QVERIFY2(dialogs.messageTexts().isEmpty(), qPrintable(dialogs.messageTexts().join(u'|')));

    // A disc image that cannot be identified still starts the game, and the window says why the
    // game's settings were not applied.
    testsupport::writeAll(image, QByteArray(4096, 'x'));
    QFile::remove(f.exePath + QStringLiteral(".record")); // the second emulator writes its own
    parts(w).startButton->click();
    const std::optional<emulatorrun::Record> second = emulatorrun::waitForRecord(f.exePath);
    QVERIFY(second && second->pid != record->pid);
    reaper.add(second->pid);
    QCOMPARE(dialogs.messageTexts().size(), 1);
    QVERIFY2(
        dialogs.messageTexts().first().startsWith(QStringLiteral("This game's settings were not applied")),
        qPrintable(dialogs.messageTexts().first()));

    // Ctrl+Alt+U ends it as in the plug-in era.
    parts(w).session->unloadEmulator(parts(w).unloadKeyId);
    QVERIFY(emulatorrun::waitForEnd(second->pid));
}

void TestCurrentMode::saveRefusesOldKeys() {
    // A key the current builds' parser rejects is refused at Save, with its name; one with an
    // exact equivalent is kept as the user typed it and translated at Start.
    DialogRecorder dialogs;
    Folder f({QStringLiteral("PCSX2.ini")});
    {
        GameProfile p = emulatorrun::fixtureProfile();
        p.setValue(col::gamename, QStringLiteral("Keyed Game"));
        ProfileStore store;
        store.setDatabasePath(f.folder.file(QStringLiteral("db.mdb")));
        store.add(p);
    }
    MainWindow w(f.folder.path());
    w.show();
    parts(w).commands->editSelectedGame();
    parts(w).editorPage->txtCMDKeys->setText(QStringLiteral("--nogui --usecd"));
    parts(w).editorPage->btnSave->click();
    QCOMPARE(dialogs.messageTexts().size(), 1);
    QVERIFY2(dialogs.messageTexts().first().contains(QStringLiteral("\"--usecd\"")),
             qPrintable(dialogs.messageTexts().first()));
    QVERIFY(parts(w).store->load(QStringLiteral("Keyed Game"))->value(col::PCSX2CMDKeys) !=
            u"--nogui --usecd");
    parts(w).editorPage->txtCMDKeys->setText(QStringLiteral("--nogui"));
    parts(w).editorPage->btnSave->click();
    QCOMPARE(dialogs.messageTexts().size(), 1);
    QCOMPARE(parts(w).store->load(QStringLiteral("Keyed Game"))->value(col::PCSX2CMDKeys),
             QStringLiteral("--nogui"));
}

void TestCurrentMode::saveKeepsThePluginEraFile() {
    // A profile made in the plug-in era, edited and saved here, keeps its plug-in file;
    // a new profile made after it has none.
    DialogRecorder dialogs;
    Folder f({QStringLiteral("PCSX2.ini")});
    {
        GameProfile p = emulatorrun::fixtureProfile();
        p.setValue(col::gamename, QStringLiteral("Old Game"));
        ProfileStore store;
        store.setDatabasePath(f.folder.file(QStringLiteral("db.mdb")));
        store.add(p);
    }
    MainWindow w(f.folder.path());
    w.show();
    QCOMPARE(parts(w).currentGame, QStringLiteral("Old Game"));
    parts(w).commands->editSelectedGame();
    QCOMPARE(parts(w).editorPage->cmbGSPlugin->currentText(), QStringLiteral("built in"));
    parts(w).editorPage->btnSave->click();
    QVERIFY2(dialogs.messageTexts().isEmpty(), qPrintable(dialogs.messageTexts().join(u'|')));
    QCOMPARE(parts(w).store->load(QStringLiteral("Old Game"))->value(col::GSDXPluginFile),
             QStringLiteral("GSdx32-SSE4.dll"));

    parts(w).commands->openNewProfile();
    parts(w).editorPage->txtGameName->setText(QStringLiteral("New Game"));
    parts(w).editorPage->txtISOPath->setText(QStringLiteral("/games/new.iso"));
    parts(w).editorPage->btnNewGame->click();
    QVERIFY2(dialogs.messageTexts().isEmpty(), qPrintable(dialogs.messageTexts().join(u'|')));
    QCOMPARE(parts(w).store->load(QStringLiteral("New Game"))->value(col::GSDXPluginFile), QString());
}

QTEST_MAIN(TestCurrentMode)
#include "tst_currentmode.moc"
