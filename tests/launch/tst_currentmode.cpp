// The main window over an emulator folder of the current builds: detection,
// the editor's lists, Add without a plug-in, Start and the unload key.
#include "app/mainwindow.h"
#include "editor/editorpage.h"
#include "editor/pathedit.h"
#include "emulatorrun.h"
#include "launch/currentbuild.h"
#include "store/columntable.h"
#include "store/gameprofile.h"
#include "store/profilestore.h"
#include "support/dialogrecorder.h"
#include "support/testfolder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
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
    void addStartAndUnload();
    void saveKeepsThePluginEraFile();
};

void TestCurrentMode::listsAndLabel() {
    DialogRecorder dialogs;
    Folder f({QStringLiteral("PCSX2.ini")});
    MainWindow w(f.folder.path());
    QVERIFY(w.m_currentBuilds);
    QCOMPARE(w.m_settingsFolder, f.folder.file(QStringLiteral("inis")));
    EditorPage& page = *w.m_editorPage;
    QCOMPARE(itemTexts(page.cmbGSPlugin), QStringList{QStringLiteral("built in")});
    QVERIFY(!page.cmbGSPlugin->isEnabled());
    QCOMPARE(itemTexts(page.cmbRenderer),
             (QStringList{"Automatic", "OpenGL (Hardware)", "Vulkan (Hardware)", "Software", "Null"}));
    QCOMPARE(itemNumbers(page.cmbRenderer), (QList<int>{-1, 12, 14, 13, 11}));
    QVERIFY(w.m_versionLabel->text().endsWith(QStringLiteral("\nfor the emulator's current builds")));
    QVERIFY(dialogs.messageTexts().isEmpty());
}

void TestCurrentMode::pluginEraFolderUnchanged() {
    // The plug-in era's own files win over a PCSX2.ini beside them.
    DialogRecorder dialogs;
    Folder f({QStringLiteral("PCSX2.ini"), QStringLiteral("PCSX2_vm.ini")});
    MainWindow w(f.folder.path());
    QVERIFY(!w.m_currentBuilds);
    QVERIFY(w.m_editorPage->cmbGSPlugin->isEnabled());
    QVERIFY(!itemTexts(w.m_editorPage->cmbGSPlugin).contains(QStringLiteral("built in")));
    QCOMPARE(w.m_editorPage->cmbRenderer->itemText(0), QStringLiteral("Direct3D9 (Hardware)"));
    QVERIFY(!w.m_versionLabel->text().contains(u'\n'));
}

void TestCurrentMode::currentExecutableAlone() {
    // A fresh install: no settings file yet, only the current builds' executable.
    DialogRecorder dialogs;
    Folder f({});
    emulatorrun::install(f.folder.path(), QStringLiteral("pcsx2-qt"));
    MainWindow w(f.folder.path());
    QVERIFY(w.m_currentBuilds);
    QCOMPARE(w.m_settingsFolder, currentbuild::settingsFolder(f.folder.path()));
    QCOMPARE(itemTexts(w.m_editorPage->cmbGSPlugin), QStringList{QStringLiteral("built in")});
}

void TestCurrentMode::addStartAndUnload() {
    DialogRecorder dialogs;
    emulatorrun::Reaper reaper;
    Folder f({QStringLiteral("PCSX2.ini")});
    MainWindow w(f.folder.path());
    w.show();
    EditorPage& page = *w.m_editorPage;

    // Add asks for no plug-in: "built in" stands for it.
    w.openNewProfile();
    page.txtGameName->setText(QStringLiteral("Current Game"));
    // Start refuses a disc image that does not exist, so the test makes one.
    const QString image = f.folder.file(QStringLiteral("current.iso"));
    {
        QFile disc(image);
        QVERIFY(disc.open(QIODevice::WriteOnly));
    }
    page.txtISOPath->setText(image);
    QCOMPARE(page.cmbPCSX2ExeFile->currentText(), f.exeName);
    page.btnNewGame->click();
    QVERIFY2(dialogs.messageTexts().isEmpty(), qPrintable(dialogs.messageTexts().join(u'|')));
    const std::optional<GameProfile> stored = w.m_store->load(QStringLiteral("Current Game"));
    QVERIFY(stored);
    QCOMPARE(stored->value(col::GSDXPluginFile), QString());
    QCOMPARE(stored->value(col::GSDXRenderer), QStringLiteral("-1"));
    QCOMPARE(w.m_currentGame, QStringLiteral("Current Game"));

    // Start writes PCSX2.ini and gives the image after "--".
    w.m_runDiscCheck->setChecked(true);
    w.m_startButton->click();
    const std::optional<emulatorrun::Record> record = emulatorrun::waitForRecord(f.exePath);
    QVERIFY(record);
    reaper.add(record->pid);
    QCOMPARE(record->arguments, (QStringList{QStringLiteral("--"), image}));
    QCOMPARE(record->workingFolder + u'/', f.folder.path());
    QCOMPARE(w.m_startedExecutable, f.exeName);
    const QByteArray written = testsupport::readAll(f.settings());
    QVERIFY(written.contains("\nRenderer=-1\n"));
    QVERIFY(written.contains("\nOsdShowFPS = true\n"));
    QVERIFY(!QFile::exists(f.folder.file(QStringLiteral("inis/GSdx.ini"))));
    QVERIFY(dialogs.messageTexts().isEmpty());

    // Ctrl+Alt+U ends it as in the plug-in era.
    w.unloadEmulator(w.m_unloadKeyAtom);
    QVERIFY(emulatorrun::waitForEnd(record->pid));
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
    QCOMPARE(w.m_currentGame, QStringLiteral("Old Game"));
    w.editSelectedGame();
    QCOMPARE(w.m_editorPage->cmbGSPlugin->currentText(), QStringLiteral("built in"));
    w.m_editorPage->btnSave->click();
    QVERIFY2(dialogs.messageTexts().isEmpty(), qPrintable(dialogs.messageTexts().join(u'|')));
    QCOMPARE(w.m_store->load(QStringLiteral("Old Game"))->value(col::GSDXPluginFile),
             QStringLiteral("GSdx32-SSE4.dll"));

    w.openNewProfile();
    w.m_editorPage->txtGameName->setText(QStringLiteral("New Game"));
    w.m_editorPage->txtISOPath->setText(QStringLiteral("/games/new.iso"));
    w.m_editorPage->btnNewGame->click();
    QVERIFY2(dialogs.messageTexts().isEmpty(), qPrintable(dialogs.messageTexts().join(u'|')));
    QCOMPARE(w.m_store->load(QStringLiteral("New Game"))->value(col::GSDXPluginFile), QString());
}

QTEST_MAIN(TestCurrentMode)
#include "tst_currentmode.moc"
