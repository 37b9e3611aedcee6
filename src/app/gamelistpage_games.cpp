// Deleting a game, a game's context menu in the grid ("Start", "Edit",
// "Delete", "Create desktop shortcut", "Open folder") and the desktop
// shortcuts that follow a profile's renames and deletion.
#include "app/gamelistpage.h"

#include "core/appinfo.h"
#include "core/korvelloerror.h"
#include "desktop/gameshortcuts.h"
#include "gamelist/artworkfiles.h"
#include "gamelist/gamelistview.h"
#include "store/columntable.h"
#include "store/gamediscstore.h"
#include "store/playtimestore.h"
#include "store/profilestore.h"
#include "ui/dialogs.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QStandardPaths>
#include <QUrl>

namespace {

GameShortcuts shortcutsFor(const QString& program, const QString& appFolder) {
    return GameShortcuts(GameShortcuts::defaultApplicationsFolder(), program, appFolder);
}

// A shortcut without a thumbnail shows the program's icon by its theme name. An
// installed program brings it in the hicolor theme; a copy in an emulator
// folder puts its own picture into the user's theme once, so that the name
// always resolves.
void ensureProgramIcon() {
    const QString id = GameShortcuts::appId();
    for (const char* size : {"48x48", "64x64", "128x128", "256x256"}) {
        if (!QStandardPaths::locate(
                 QStandardPaths::GenericDataLocation,
                 QStringLiteral("icons/hicolor/%1/apps/%2.png").arg(QLatin1String(size), id))
                 .isEmpty())
            return;
    }
    if (!QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                                QStringLiteral("icons/hicolor/scalable/apps/%1.svg").arg(id))
             .isEmpty())
        return;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                           QStringLiteral("/icons/hicolor/64x64/apps");
    const QString target = folder + u'/' + id + QStringLiteral(".png");
    // The shortcut works without it (the desktop shows a generic icon), so a
    // failure here is not worth an error of its own.
    if (QDir().mkpath(folder) && QFile::copy(QStringLiteral(":/korvello.png"), target))
        QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ReadGroup | QFileDevice::ReadOther);
}

} // namespace

void GameListPage::buildGameMenu() {
    m_gameMenu = new QMenu(this);
    m_gameMenu->setObjectName(QStringLiteral("gameMenu"));
    const auto add = [this](const QString& text, const char* name, auto handler) {
        QAction* action = m_gameMenu->addAction(text);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, handler);
    };
    add(QStringLiteral("Start"), "startAction", [this] { emit startRequested(); });
    add(QStringLiteral("Edit"), "editAction", [this] { emit editRequested(); });
    add(QStringLiteral("Delete"), "deleteAction", [this] { run([this] { deleteSelectedGame(); }); });
    m_gameMenu->addSeparator();
    add(QStringLiteral("Create desktop shortcut"), "shortcutAction",
        [this] { run([this] { createShortcutForSelectedGame(); }); });
    add(QStringLiteral("Open folder"), "openFolderAction",
        [this] { run([this] { openSelectedGameFolder(); }); });
}

void GameListPage::showGameMenu(int row, const QPoint& globalPos) {
    // The menu acts on the game it was opened on: that game becomes the selected one.
    if (row != m_gameGrid->selectedRow())
        selectGame(row);
    if (m_currentGame.isEmpty())
        return;
    m_gameMenu->popup(globalPos);
}

void GameListPage::deleteSelectedGame() {
    if (m_currentGame.isEmpty())
        return;
    const auto answer =
        Dialogs::message(this, QStringLiteral("Warning"), QStringLiteral("Delete '%1'?").arg(m_currentGame),
                         QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No,
                         QMessageBox::No); // Enter alone never deletes a game
    if (answer != QMessageBox::Yes)
        return;
    m_stores.profiles.remove(m_currentGame);
    m_stores.playTime.removeGame(m_currentGame);
    m_stores.discs.removeGame(m_currentGame);
    for (const artworkfiles::Kind kind : {artworkfiles::Kind::Poster, artworkfiles::Kind::Thumbnail}) {
        const QString file = artworkfiles::path(m_setup.appFolder, kind, m_currentGame);
        if (QFile::exists(file))
            QFile::remove(file);
    }
    shortcutsFor(m_shortcutProgram, m_setup.appFolder).remove(m_currentGame);
    const int position = m_gameGrid->selectedRow();
    loadGameList();
    if (position > 0)
        selectGame(position - 1);
    else if (m_gameGrid->count() > 0)
        selectGame(0);
}

void GameListPage::createShortcutForSelectedGame() {
    if (m_currentGame.isEmpty())
        return;
    const QString thumbnail =
        artworkfiles::path(m_setup.appFolder, artworkfiles::Kind::Thumbnail, m_currentGame);
    const bool ownPicture = QFileInfo::exists(thumbnail);
    if (!ownPicture)
        ensureProgramIcon();
    GameShortcuts shortcuts = shortcutsFor(m_shortcutProgram, m_setup.appFolder);
    shortcuts.create(m_currentGame, ownPicture ? thumbnail : GameShortcuts::appId());
    Dialogs::message(this, appinfo::kTitle,
                     QStringLiteral("\"%1\" is now in the applications menu: %2")
                         .arg(m_currentGame, QDir::toNativeSeparators(shortcuts.filePath(m_currentGame))),
                     QMessageBox::Information);
}

void GameListPage::openSelectedGameFolder() {
    const std::optional<GameProfile> profile = m_stores.profiles.load(m_currentGame);
    if (!profile)
        throw KorvelloError(
            QStringLiteral("There is no game named \"%1\" in the database").arg(m_currentGame));
    const QString image = profile->value(col::PCSX2CurrentIso);
    const QString folder = QFileInfo(image).absolutePath();
    if (!QFileInfo(image).isAbsolute() || !QFileInfo(folder).isDir())
        throw KorvelloError(QStringLiteral("The folder of the disc image %1 does not exist").arg(image));
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(folder)))
        throw KorvelloError(QStringLiteral("Unable to open the folder %1").arg(folder));
}

void GameListPage::updateGameShortcut(const QString& oldName, const QString& newName) {
    GameShortcuts shortcuts = shortcutsFor(m_shortcutProgram, m_setup.appFolder);
    if (!shortcuts.exists(oldName))
        return;
    const QString thumbnail = artworkfiles::path(m_setup.appFolder, artworkfiles::Kind::Thumbnail, newName);
    const bool ownPicture = QFileInfo::exists(thumbnail);
    if (!ownPicture)
        ensureProgramIcon();
    shortcuts.rename(oldName, newName, ownPicture ? thumbnail : GameShortcuts::appId());
}
