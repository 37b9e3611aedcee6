// A game's context menu in the grid, and the desktop shortcut it creates: the
// file validates, its Exec line, split as the desktop entry rules say, starts
// the real program, which starts that game; renames and deletion follow.
#include "app/mainwindow.h"
#include "desktop/gameshortcuts.h"
#include "editor/editorpage.h"
#include "gamelist/gamelistview.h"
#include "launch/emulatorrun.h"
#include "store/columntable.h"
#include "store/gameprofile.h"
#include "store/profilestore.h"
#include "support/desktopexec.h"
#include "support/dialogrecorder.h"
#include "support/profilefixture.h"
#include "support/testfolder.h"
#include "support/windowparts.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Quotes, a dollar, a percent sign, a backtick and letters outside ASCII: all that
// a profile name may hold and a desktop entry must quote.
const QString kAwkward = QStringLiteral("Tony's $5 100% `Ōkami` — Édition");

// An emulator folder with a copy of the real program, the stand-in emulator and games.
struct GameFolder {
    TestFolder folder;
    QString exeName = emulatorrun::uniqueName(QStringLiteral("menu"));
    QString exePath = emulatorrun::install(folder.path(), exeName);
    QString program = folder.file(QStringLiteral("korvello"));

    explicit GameFolder(const QStringList& games) {
        QFile::copy(QStringLiteral(KORVELLO_BIN_DIR "/korvello"), program);
        QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner);
        ProfileStore store;
        store.setDatabasePath(folder.file(QStringLiteral("db.mdb")));
        for (const QString& name : games) {
            GameProfile p = emulatorrun::fixtureProfile();
            p.setValue(col::gamename, name);
            p.setValue(col::PCSX2ExeFile, exeName);
            p.setValue(col::PCSX2CMDKeys, QStringLiteral("--nogui"));
            // One of the plug-ins profilefixture::fillLists offers, so that Save finds it.
            p.setValue(col::GSDXPluginFile, QStringLiteral("libgsdx-a.so"));
            p.setValue(col::PCSX2CurrentIso, disc(name));
            store.add(p);
        }
    }
    QString disc(const QString& name) const {
        return folder.file(QStringLiteral("discs/") + name + QStringLiteral(".iso"));
    }
    // The games' disc images, as in a real library (Start passes the image to the emulator).
    void placeDiscs(const QStringList& games) const {
        QDir().mkpath(folder.file(QStringLiteral("discs")));
        for (const QString& name : games) {
            QFile image(disc(name));
            if (image.open(QIODevice::WriteOnly))
                image.close();
        }
    }
};

QStringList actionTexts(const QMenu* menu) {
    QStringList texts;
    for (const QAction* a : menu->actions())
        if (!a->isSeparator())
            texts << a->text();
    return texts;
}

QAction* action(const MainWindow& w, const QString& text) {
    for (QAction* a : parts(w).gameMenu->actions())
        if (a->text() == text)
            return a;
    return nullptr;
}

void rightClick(MainWindow& w, int row) {
    const QRect cell = parts(w).gameGrid->visualRect(parts(w).gameGrid->model()->index(row, 0));
    QContextMenuEvent event(QContextMenuEvent::Mouse, cell.center(),
                            parts(w).gameGrid->viewport()->mapToGlobal(cell.center()));
    QCoreApplication::sendEvent(parts(w).gameGrid->viewport(), &event);
}

// desktop-file-validate's complaints about a file; empty when it accepts it.
QString validatorComplaints(const QString& path) {
    QProcess p;
    p.start(QStringLiteral("desktop-file-validate"), {path});
    if (!p.waitForFinished(30000))
        return QStringLiteral("desktop-file-validate did not run (Debian package desktop-file-utils)");
    const QString output = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()).trimmed();
    return p.exitCode() != 0 && output.isEmpty() ? QStringLiteral("exit %1").arg(p.exitCode()) : output;
}

// Records what the program asks the desktop to open.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

} // namespace

class TestGameMenu : public QObject {
    Q_OBJECT
private slots:
    void init();
    void menuByMouseAndMenuKey();
    void shortcutStartsItsGame();
    void shortcutFollowsRenameAndDelete();
    void openFolder();

private:
    std::unique_ptr<QTemporaryDir> m_dataHome;
};

void TestGameMenu::init() {
    testsupport::removeProgramSettings();
    // Shortcuts and icons go to a data folder of this test's own.
    m_dataHome = std::make_unique<QTemporaryDir>();
    qputenv("XDG_DATA_HOME", m_dataHome->path().toUtf8());
}

void TestGameMenu::menuByMouseAndMenuKey() {
    DialogRecorder dialogs;
    GameFolder f({QStringLiteral("Alpha"), QStringLiteral("Beta"), QStringLiteral("Gamma")});
    MainWindow w(f.folder.path());
    w.show();
    QCOMPARE(parts(w).currentGame, QStringLiteral("Alpha"));

    rightClick(w, 1);
    QTRY_VERIFY(parts(w).gameMenu->isVisible());
    QCOMPARE(actionTexts(parts(w).gameMenu),
             (QStringList{"Start", "Edit", "Delete", "Create desktop shortcut", "Open folder"}));
    // The menu acts on the game it was opened on.
    QCOMPARE(parts(w).currentGame, QStringLiteral("Beta"));
    QCOMPARE(parts(w).gameGrid->selectedRow(), 1);
    parts(w).gameMenu->hide();

    // The Menu key opens it for the selected game, on that game.
    parts(w).gameListPage->selectGame(2);
    QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(0, 0),
                          parts(w).gameGrid->mapToGlobal(QPoint(0, 0)));
    QCoreApplication::sendEvent(parts(w).gameGrid, &key);
    QTRY_VERIFY(parts(w).gameMenu->isVisible());
    QCOMPARE(parts(w).currentGame, QStringLiteral("Gamma"));
    const QRect cell = parts(w).gameGrid->visualRect(parts(w).gameGrid->model()->index(2, 0));
    QVERIFY(parts(w).gameMenu->geometry().contains(parts(w).gameGrid->viewport()->mapToGlobal(cell.center()) +
                                                   QPoint(2, 2)));
    parts(w).gameMenu->hide();

    // "Edit" from the menu opens the editor on that game.
    rightClick(w, 0);
    QTRY_VERIFY(parts(w).gameMenu->isVisible());
    action(w, QStringLiteral("Edit"))->trigger();
    QCOMPARE(parts(w).pages->currentWidget(), static_cast<QWidget*>(parts(w).editorPage));
    QCOMPARE(parts(w).editorPage->txtGameName->text(), QStringLiteral("Alpha"));
    QVERIFY(dialogs.messageTexts().isEmpty());
}

void TestGameMenu::shortcutStartsItsGame() {
    DialogRecorder dialogs;
    emulatorrun::Reaper reaper;
    GameFolder f({QStringLiteral("Alpha"), kAwkward});
    f.placeDiscs({kAwkward});
    MainWindow w(f.folder.path());
    w.gameListPage()->setShortcutProgram(f.program);
    w.show();

    const int row = parts(w).gameGrid->findCaption(kAwkward);
    QVERIFY(row >= 0);
    rightClick(w, row);
    QTRY_VERIFY(parts(w).gameMenu->isVisible());
    action(w, QStringLiteral("Create desktop shortcut"))->trigger();

    const QString applications = m_dataHome->filePath(QStringLiteral("applications"));
    const QStringList files = QDir(applications).entryList({QStringLiteral("*.desktop")}, QDir::Files);
    QCOMPARE(files.size(), 1);
    const QString path = applications + u'/' + files.first();
    QCOMPARE(dialogs.requests.size(), 1);
    QVERIFY(dialogs.messageTexts().first().contains(path));
    const QString complaints = validatorComplaints(path);
    QVERIFY2(complaints.isEmpty(), qPrintable(complaints));

    const QHash<QString, QString> keys = desktopexec::readGroup(path);
    // Without a thumbnail of its own, the program's icon, which the user's theme now holds.
    QCOMPARE(keys.value(QStringLiteral("Icon")), GameShortcuts::appId());
    QVERIFY(QFile::exists(
        m_dataHome->filePath(QStringLiteral("icons/hicolor/64x64/apps/org.korvello.Korvello.png"))));
    QString why;
    const std::optional<QStringList> argv = desktopexec::splitExec(keys.value(QStringLiteral("Exec")), &why);
    QVERIFY2(argv, qPrintable(why));
    QCOMPARE(argv->first(), f.program);

    // Run as a launcher would: the program with the split arguments, in another folder.
    QProcess launcher;
    launcher.setWorkingDirectory(QDir::rootPath());
    launcher.start(argv->first(), argv->mid(1));
    QVERIFY(launcher.waitForFinished(30000));
    QCOMPARE(QString::fromUtf8(launcher.readAllStandardError()), QString());
    QCOMPARE(launcher.exitCode(), 0);
    const std::optional<emulatorrun::Record> record = emulatorrun::waitForRecord(f.exePath);
    QVERIFY(record);
    reaper.add(record->pid);
    QCOMPARE(record->arguments, (QStringList{f.disc(kAwkward), QStringLiteral("--nogui")}));
    QCOMPARE(record->workingFolder + u'/', f.folder.path());
    QVERIFY(QFile::exists(f.folder.file(QStringLiteral("inis/GSdx.ini"))));

    // The window's unload key ends the emulator that the shortcut started.
    parts(w).session->unloadEmulator(parts(w).unloadKeyId);
    QVERIFY(emulatorrun::waitForEnd(record->pid));
}

void TestGameMenu::shortcutFollowsRenameAndDelete() {
    DialogRecorder dialogs;
    GameFolder f({QStringLiteral("Alpha"), QStringLiteral("Beta")});
    MainWindow w(f.folder.path());
    w.gameListPage()->setShortcutProgram(f.program);
    w.show();
    fillWindowLists(w);
    const GameShortcuts shortcuts(GameShortcuts::defaultApplicationsFolder(), f.program, f.folder.path());
    parts(w).gameListPage->selectGame(1);
    parts(w).gameListPage->createShortcutForSelectedGame();
    QVERIFY(shortcuts.exists(QStringLiteral("Beta")));

    // Renamed in the editor, with a thumbnail of its own by then.
    testsupport::writeAll(f.folder.file(QStringLiteral("Images/thumb_Beta.jpg")),
                          testsupport::readAll(f.folder.file(QStringLiteral("Images/thumb_unknown.jpg"))));
    parts(w).commands->editSelectedGame();
    parts(w).editorPage->txtGameName->setText(QStringLiteral("Beta 2"));
    parts(w).commands->saveProfile();
    QCOMPARE(parts(w).currentGame, QStringLiteral("Beta 2"));
    QVERIFY(!shortcuts.exists(QStringLiteral("Beta")));
    QVERIFY(shortcuts.exists(QStringLiteral("Beta 2")));
    const QHash<QString, QString> keys = desktopexec::readGroup(shortcuts.filePath(QStringLiteral("Beta 2")));
    QCOMPARE(keys.value(QStringLiteral("Name")), QStringLiteral("Beta 2"));
    QCOMPARE(keys.value(QStringLiteral("Icon")), f.folder.file(QStringLiteral("Images/thumb_Beta 2.jpg")));
    QCOMPARE(desktopexec::splitExec(keys.value(QStringLiteral("Exec")))->last(),
             QStringLiteral("--start=Beta 2"));

    // A game without a shortcut gets none by a rename.
    parts(w).gameListPage->selectGame(0);
    parts(w).commands->editSelectedGame();
    parts(w).editorPage->txtGameName->setText(QStringLiteral("Alpha 2"));
    parts(w).commands->saveProfile();
    QVERIFY(!shortcuts.exists(QStringLiteral("Alpha 2")));

    dialogs.buttonAnswers.enqueue(QMessageBox::Yes);
    parts(w).gameListPage->selectGame(parts(w).gameGrid->findCaption(QStringLiteral("Beta 2")));
    parts(w).gameListPage->deleteSelectedGame();
    QVERIFY(!shortcuts.exists(QStringLiteral("Beta 2")));
    QVERIFY(QDir(GameShortcuts::defaultApplicationsFolder()).entryList(QDir::Files).isEmpty());
}

void TestGameMenu::openFolder() {
    DialogRecorder dialogs;
    UrlRecorder opened;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &opened, "open");
    GameFolder f({QStringLiteral("Alpha")});
    MainWindow w(f.folder.path());
    w.show();

    // The disc image's folder is missing: said so, nothing opened.
    action(w, QStringLiteral("Open folder"))->trigger();
    QCOMPARE(dialogs.messageTexts().size(), 1);
    QVERIFY(dialogs.messageTexts().first().contains(f.folder.file(QStringLiteral("discs/Alpha.iso"))));
    QVERIFY(opened.urls.isEmpty());

    QVERIFY(QDir(f.folder.path()).mkpath(QStringLiteral("discs")));
    action(w, QStringLiteral("Open folder"))->trigger();
    QCOMPARE(opened.urls, QList<QUrl>{QUrl::fromLocalFile(f.folder.file(QStringLiteral("discs")))});
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
}

QTEST_MAIN(TestGameMenu)
#include "tst_gamemenu.moc"
