// The profile commands: Add Game, Save, Edit and Delete.
#include "app/mainwindow.h"
#include "core/appinfo.h"
#include "core/asciicase.h"
#include "core/korvelloerror.h"
#include "editor/editorpage.h"
#include "editor/pathedit.h"
#include "editor/profilemapping.h"
#include "gamelist/artworkfiles.h"
#include "gamelist/gamelistview.h"
#include "launch/currentbuild.h"
#include "launch/currentcommandline.h"
#include "launch/currentgeneration.h"
#include "launch/inivalues.h"
#include "store/columntable.h"
#include "store/encodings.h"
#include "store/gamediscstore.h"
#include "store/gameprofile.h"
#include "store/playtimestore.h"
#include "store/profilestore.h"
#include "ui/dialogs.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

namespace {

const QString kNeedFieldsForAdd =
    QStringLiteral("Profile Name, CDVD ISO Path, GSDX Plugin, PCSX2 .exe file need field");
const QString kNeedFieldsForSave = QStringLiteral("Profile Name and CDVD ISO Path need field");
const QString kExists = QStringLiteral("Alredy exists");

void tell(QWidget* owner, const QString& text) {
    Dialogs::message(owner, appinfo::kTitle, text);
}

// Moves an artwork file to the new name. Never replaces a file that already has
// that name (artwork imported under the new name before Save survives), and a
// failed move leaves the file under its old name without a report.
void moveArtwork(const QString& from, const QString& to) {
    if (!QFile::exists(from))
        return;
    if (from.compare(to, Qt::CaseSensitive) != 0 && QFile::exists(to))
        return;
    QFile::rename(from, to);
}

// Says why `name` cannot be a profile's and returns false, or returns true.
// A fallback picture's name is refused: its artwork files would be the shared
// fallback pictures, which a Delete would remove.
bool acceptName(QWidget* parent, const QString& name) {
    if (!enc::IsValidProfileName(name)) {
        tell(parent, enc::ProfileNameRule());
        return false;
    }
    if (artworkfiles::isFallbackName(name)) {
        tell(parent, artworkfiles::fallbackNameRefusal(name));
        return false;
    }
    return true;
}

// With the current builds, says which command-line key their parser would
// reject (it ends the emulator with "Unknown parameter") and returns false.
bool acceptCurrentKeys(QWidget* parent, bool currentBuilds, const QString& settingsFolder,
                       const QString& keys) {
    if (!currentBuilds)
        return true;
    try {
        const IniValues settings =
            IniValues::fromFile(settingsFolder + u'/' + QString::fromLatin1(currentbuild::kSettingsFile));
        currentcommandline::translate(keys, generationOf(settings));
    } catch (const KorvelloError& error) {
        tell(parent, error.innermostText());
        return false;
    }
    return true;
}

} // namespace

void MainWindow::connectCommandHandlers() {
    connect(m_editorPage->btnNewGame, &QPushButton::clicked, this, [this] { run([this] { addGame(); }); });
    connect(m_editorPage->btnSave, &QPushButton::clicked, this, [this] { run([this] { saveProfile(); }); });
    connect(m_editButton, &QPushButton::clicked, this, [this] { run([this] { editSelectedGame(); }); });
    connect(m_deleteButton, &QPushButton::clicked, this, [this] { run([this] { deleteSelectedGame(); }); });
}

void MainWindow::addGame() {
    const QString name = enc::trimmed(m_editorPage->txtGameName->text());
    const QString isoPath = enc::trimmed(m_editorPage->txtISOPath->text());
    if (name.isEmpty() || isoPath.isEmpty() ||
        enc::trimmed(m_editorPage->cmbGSPlugin->currentText()).isEmpty() ||
        enc::trimmed(m_editorPage->cmbPCSX2ExeFile->currentText()).isEmpty()) {
        tell(this, kNeedFieldsForAdd);
        return;
    }
    if (!acceptName(this, name) ||
        !acceptCurrentKeys(this, m_currentBuilds, m_settingsFolder, m_editorPage->txtCMDKeys->text()))
        return;
    if (m_store->exists(name)) {
        tell(this, kExists);
        return;
    }
    m_currentGame = name;
    m_store->add(profilemapping::collectForAdd(*m_editorPage, m_pluginFiles));
    loadGameList();
    m_pages->setCurrentWidget(m_gameListPage);
    m_gameGrid->setFocus();
    const int row = findShownGame(name);
    if (row >= 0)
        selectGame(row);
}

void MainWindow::saveProfile() {
    const QString name = enc::trimmed(m_editorPage->txtGameName->text());
    const QString isoPath = enc::trimmed(m_editorPage->txtISOPath->text());
    if (name.isEmpty() || isoPath.isEmpty()) {
        tell(this, kNeedFieldsForSave);
        return;
    }
    if (!acceptName(this, name) ||
        !acceptCurrentKeys(this, m_currentBuilds, m_settingsFolder, m_editorPage->txtCMDKeys->text()))
        return;
    const bool renamed = name != m_currentGame;
    // A rename onto a name that another profile has would leave two rows with one
    // name (and a later Delete would remove both): refuse it before any statement.
    // Changing only the letter case of the profile's own name is still a rename.
    if (renamed && !equalAsciiNoCase(name, m_currentGame) && m_store->exists(name)) {
        tell(this, kExists);
        return;
    }
    const QString oldName = m_currentGame;
    m_store->update(m_currentGame, profilemapping::collectForUpdate(*m_editorPage, m_pluginFiles));
    if (renamed) {
        m_store->rename(m_currentGame, name);
        m_playTime->renameGame(m_currentGame, name);
        m_discs->renameGame(m_currentGame, name);
        for (const artworkfiles::Kind kind : {artworkfiles::Kind::Poster, artworkfiles::Kind::Thumbnail})
            moveArtwork(artworkfiles::path(m_appFolder, kind, m_currentGame),
                        artworkfiles::path(m_appFolder, kind, name));
        m_currentGame = name;
        refreshPlayStats();
    }
    updateGameShortcut(oldName, m_currentGame);
    m_pages->setCurrentWidget(m_gameListPage);
    if (renamed) {
        // The new name takes its place in the order at once, with its moved thumbnail.
        loadGameList();
        const int row = findShownGame(name);
        if (row >= 0)
            selectGame(row);
        setWindowTitle(m_programName + name);
    }
    m_gameGrid->setFocus();
}

void MainWindow::editSelectedGame() {
    const std::optional<GameProfile> row = m_store->load(m_currentGame);
    if (!row)
        throw KorvelloError(QStringLiteral("The profile '%1' is not in the database").arg(m_currentGame));
    if (m_currentBuilds) {
        // "built in" stands for the profile's own plug-in file, so that a Save in this
        // mode keeps what the plug-in era needs should the folder go back to it.
        m_pluginFiles = {row->value(col::GSDXPluginFile)};
    }
    profilemapping::load(*m_editorPage, *row, m_pluginFiles);
    m_editorPage->UpdatePosterButtons();
    m_pages->setCurrentWidget(m_editorPage);
    m_editorPage->btnNewGame->setEnabled(false);
    m_editorPage->btnAddFolder->setEnabled(false); // a folder's games are new ones
    m_editorPage->btnSave->setEnabled(true);
    m_loadedValues = editorValues();
}

void MainWindow::deleteSelectedGame() {
    if (m_currentGame.isEmpty())
        return;
    const auto answer =
        Dialogs::message(this, QStringLiteral("Warning"), QStringLiteral("Delete '%1'?").arg(m_currentGame),
                         QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No,
                         QMessageBox::No); // Enter alone never deletes a game
    if (answer != QMessageBox::Yes)
        return;
    m_store->remove(m_currentGame);
    m_playTime->removeGame(m_currentGame);
    m_discs->removeGame(m_currentGame);
    for (const artworkfiles::Kind kind : {artworkfiles::Kind::Poster, artworkfiles::Kind::Thumbnail}) {
        const QString file = artworkfiles::path(m_appFolder, kind, m_currentGame);
        if (QFile::exists(file))
            QFile::remove(file);
    }
    removeGameShortcut(m_currentGame);
    const int position = m_gameGrid->selectedRow();
    loadGameList();
    if (position > 0)
        selectGame(position - 1);
    else if (m_gameGrid->count() > 0)
        selectGame(0);
}
