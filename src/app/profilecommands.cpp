// The settings page's modes and its profile commands. The mode lives only in
// the enabled states of "Add Game" and "Save": new mode has "Add Game" on and
// "Save" off, edit mode the other way round.
#include "app/profilecommands.h"

#include "app/emulatordiscovery.h"
#include "app/gamelistpage.h"
#include "app/programsettings.h"
#include "core/appinfo.h"
#include "core/asciicase.h"
#include "core/korvelloerror.h"
#include "core/numbertext.h"
#include "disc/gameindex.h"
#include "editor/editorpage.h"
#include "editor/editortables.h"
#include "editor/pathedit.h"
#include "editor/profilemapping.h"
#include "editor/spinedit.h"
#include "emulatorsettings/currentcommandline.h"
#include "emulatorsettings/currentgeneration.h"
#include "emulatorsettings/currentprofilereader.h"
#include "emulatorsettings/pluginerareader.h"
#include "gamelist/artworkfiles.h"
#include "ini/inivalues.h"
#include "launch/currentbuild.h"
#include "launch/flatpakbuild.h"
#include "store/columntable.h"
#include "store/encodings.h"
#include "store/gamediscstore.h"
#include "store/gameprofile.h"
#include "store/playtimestore.h"
#include "store/profilestore.h"
#include "ui/dialogs.h"

#include <QAbstractSlider>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>

namespace {

const QString kNeedFieldsForAdd =
    QStringLiteral("Profile Name, CDVD ISO Path, GSDX Plugin, PCSX2 .exe file need field");
const QString kNeedFieldsForSave = QStringLiteral("Profile Name and CDVD ISO Path need field");
const QString kExists = QStringLiteral("Alredy exists");
const QString kDiscImageFolderKey = QStringLiteral("DiscImageFolder");

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

} // namespace

ProfileCommands::ProfileCommands(const EmulatorSetup& setup, const LibraryStores& stores, EditorPage* editor,
                                 GameListPage* gameList, QWidget* window)
    : QObject(window), m_setup(setup), m_stores(stores), m_editor(editor), m_gameList(gameList),
      m_window(window) {
    connectControls();
}

ProfileCommands::~ProfileCommands() {
    // An import still running writes its files to the end; its result has no window left to go to.
    if (m_artworkImport)
        m_artworkImport->wait();
    if (m_busyCursor)
        QGuiApplication::restoreOverrideCursor();
}

void ProfileCommands::connectControls() {
    connect(m_editor->btnNewGame, &QPushButton::clicked, this, [this] { run([this] { addGame(); }); });
    connect(m_editor->btnSave, &QPushButton::clicked, this, [this] { run([this] { saveProfile(); }); });
    connect(m_editor->btnGameList, &QPushButton::clicked, this, [this] { run([this] { showGameList(); }); });
    for (QPushButton* button : {m_editor->btnPoster, m_editor->btnThumb})
        connect(button, &QPushButton::clicked, this,
                [this, button] { run([this, button] { importArtwork(button); }); });
    // The editor's new mode offers "Add folder..." too: an empty library opens there.
    m_editor->btnAddFolder->setToolTip(
        QStringLiteral("Add every game in a folder of disc images and its subfolders"));
    connect(m_editor->btnAddFolder, &QPushButton::clicked, this,
            [this] { run([this] { m_gameList->addFolder(); }); });
    // The disc image dialog opens where the last disc image was chosen.
    m_editor->txtISOPath->setStartFolder(m_stores.settings.readText(kDiscImageFolderKey).value_or(QString()));
    connect(m_editor->txtISOPath, &PathEdit::pathChosen, this, [this](const QString& path) {
        run([this, &path] {
            const QString folder = QFileInfo(path).absolutePath();
            m_editor->txtISOPath->setStartFolder(folder);
            m_stores.settings.writeText(kDiscImageFolderKey, folder);
        });
    });
}

void ProfileCommands::fillEmulatorLists() {
    // Renderers as the folder's builds name them.
    if (m_setup.currentBuilds) {
        for (const editortables::CurrentRendererRow& r : editortables::kCurrentRenderers)
            m_editor->cmbRenderer->addItem(QString::fromLatin1(r.text), r.number);
    } else if (m_setup.linuxPlugins) {
        for (const editortables::CurrentRendererRow& r : editortables::kLinuxPluginRenderers)
            m_editor->cmbRenderer->addItem(QString::fromLatin1(r.text), r.number);
    } else {
        for (const emulatordiscovery::Renderer& r :
             emulatordiscovery::listedRenderers(emulatordiscovery::GetOSLevel()))
            m_editor->cmbRenderer->addItem(QString::fromLatin1(r.text), r.number);
    }

    const QString ownName = appinfo::ExecutableName();
    m_editor->cmbPCSX2ExeFile->addItems(emulatordiscovery::listExecutables(m_setup.appFolder, ownName));
    // The Flatpak build, beside the folder's own: shown by its name, stored in its own form.
    if (flatpakbuild::find())
        m_editor->cmbPCSX2ExeFile->addItem(QLatin1String(flatpakbuild::kListName),
                                           QLatin1String(flatpakbuild::kExecutable));

    m_pluginFiles.clear();
    if (m_setup.currentBuilds) {
        // The one "built in" entry of the editor stands for no plug-in file.
        m_pluginFiles.append(QString());
        return;
    }
    for (const emulatordiscovery::GSPlugin& plugin :
         emulatordiscovery::scanGSPlugins(m_setup.pluginsFolder)) {
        m_editor->cmbGSPlugin->addItem(plugin.name);
        m_pluginFiles.append(plugin.file);
    }
}

void ProfileCommands::gameListLoaded(int count) {
    if (count == 0)
        openNewProfile();
    for (QPushButton* button : {m_editor->btnSave, m_editor->btnGameList})
        button->setEnabled(count >= 1);
}

void ProfileCommands::setFolderAdditionRunning(bool running) {
    m_editor->btnAddFolder->setEnabled(!running && m_editor->btnNewGame->isEnabled());
}

void ProfileCommands::openNewProfile() {
    emit pageWanted(m_editor);
    m_editor->btnDefaultClick();
    if (m_setup.currentBuilds)
        m_pluginFiles = {QString()}; // a new profile of this mode has no plug-in file
    showEmulatorsValues();
    m_editor->btnNewGame->setEnabled(true);
    m_editor->btnSave->setEnabled(false);
    m_editor->btnAddFolder->setEnabled(!m_gameList->isAddingFolder());
    m_editor->txtISOPath->setText(QString());
    m_editor->txtISOPath->setToolTip(QString()); // no stale hint of the last loaded path
    m_editor->txtGameName->clear();
    m_editor->UpdatePosterButtons();
}

void ProfileCommands::showEmulatorsValues() {
    // Without an emulator executable or a graphics plug-in the page has no whole
    // profile to start from, and its defaults stay as they are.
    const int plugin = m_editor->cmbGSPlugin->currentIndex();
    if (m_editor->cmbPCSX2ExeFile->count() == 0 || plugin < 0 || plugin >= m_pluginFiles.size())
        return;
    const GameProfile defaults = profilemapping::collectForAdd(*m_editor, m_pluginFiles);
    GameProfile today = defaults;
    if (m_setup.currentBuilds)
        currentmapping::readProfile(
            today, m_setup.settingsFolder + u'/' + QLatin1String(currentbuild::kSettingsFile), QString());
    else
        pluginera::readProfile(today, m_setup.settingsFolder);
    // A key the emulator's files leave out is its own default, which the page
    // cannot show: the page's default stands for it.
    for (int column = 0; column < kColumnCount; ++column)
        if (today.value(column).isEmpty())
            today.setValue(column, defaults.value(column));
    try {
        profilemapping::load(*m_editor, today, m_pluginFiles);
    } catch (const KorvelloError&) {
        // A value the page has no control for: the page keeps its defaults, which
        // are a whole profile of their own.
        profilemapping::load(*m_editor, defaults, m_pluginFiles);
    }
}

QString ProfileCommands::editorValues() const {
    // The skin list and the blur radius belong to no profile.
    const QList<const QWidget*> unstored{m_editor->cmbASkins, m_editor->txtBlur};
    auto isUnstored = [&](const QWidget* w) {
        for (; w && w != m_editor; w = w->parentWidget())
            if (unstored.contains(w))
                return true;
        return false;
    };
    QStringList values;
    for (const QWidget* w : m_editor->findChildren<QWidget*>()) {
        if (isUnstored(w))
            continue;
        if (const auto* edit = qobject_cast<const QLineEdit*>(w))
            values << edit->text();
        else if (const auto* box = qobject_cast<const QCheckBox*>(w))
            values << QString::number(box->checkState());
        else if (const auto* button = qobject_cast<const QAbstractButton*>(w);
                 button && button->isCheckable())
            values << QString::number(button->isChecked());
        else if (const auto* list = qobject_cast<const QComboBox*>(w))
            values << QString::number(list->currentIndex()) + list->currentText();
        else if (const auto* slider = qobject_cast<const QAbstractSlider*>(w))
            values << QString::number(slider->value());
    }
    return values.join(QChar(0));
}

void ProfileCommands::showGameList() {
    // Leaving a loaded profile's changes behind loses them: the user confirms it.
    if (m_editor->btnSave->isEnabled() && editorValues() != m_loadedValues) {
        const auto answer =
            Dialogs::message(m_window, appinfo::kTitle,
                             QStringLiteral("Discard the changes to '%1'?").arg(m_gameList->currentGame()),
                             QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes)
            return;
    }
    // Nothing is stored; the page keeps its values and its mode.
    emit pageWanted(m_gameList);
    m_gameList->focusGrid();
}

// With the current builds, says which command-line key their parser would
// reject (it ends the emulator with "Unknown parameter") and returns false.
bool ProfileCommands::acceptCurrentKeys(const QString& keys) const {
    if (!m_setup.currentBuilds)
        return true;
    try {
        const IniValues settings = IniValues::fromFile(m_setup.settingsFolder + u'/' +
                                                       QString::fromLatin1(currentbuild::kSettingsFile));
        currentcommandline::translate(keys, generationOf(settings));
    } catch (const KorvelloError& error) {
        tell(m_window, error.innermostText());
        return false;
    }
    return true;
}

void ProfileCommands::addGame() {
    const QString name = enc::trimmed(m_editor->txtGameName->text());
    const QString isoPath = enc::trimmed(m_editor->txtISOPath->text());
    if (name.isEmpty() || isoPath.isEmpty() || enc::trimmed(m_editor->cmbGSPlugin->currentText()).isEmpty() ||
        enc::trimmed(m_editor->cmbPCSX2ExeFile->currentText()).isEmpty()) {
        tell(m_window, kNeedFieldsForAdd);
        return;
    }
    if (!acceptName(m_window, name) || !acceptCurrentKeys(m_editor->txtCMDKeys->text()))
        return;
    if (m_stores.profiles.exists(name)) {
        tell(m_window, kExists);
        return;
    }
    m_stores.profiles.add(profilemapping::collectForAdd(*m_editor, m_pluginFiles));
    m_gameList->loadGameList();
    emit pageWanted(m_gameList);
    m_gameList->focusGrid();
    m_gameList->selectGameNamed(name);
}

void ProfileCommands::saveProfile() {
    const QString name = enc::trimmed(m_editor->txtGameName->text());
    const QString isoPath = enc::trimmed(m_editor->txtISOPath->text());
    if (name.isEmpty() || isoPath.isEmpty()) {
        tell(m_window, kNeedFieldsForSave);
        return;
    }
    if (!acceptName(m_window, name) || !acceptCurrentKeys(m_editor->txtCMDKeys->text()))
        return;
    const QString oldName = m_gameList->currentGame();
    const bool renamed = name != oldName;
    // A rename onto a name that another profile has would leave two rows with one
    // name (and a later Delete would remove both): refuse it before any statement.
    // Changing only the letter case of the profile's own name is still a rename.
    if (renamed && !equalAsciiNoCase(name, oldName) && m_stores.profiles.exists(name)) {
        tell(m_window, kExists);
        return;
    }
    m_stores.profiles.update(oldName, profilemapping::collectForUpdate(*m_editor, m_pluginFiles));
    if (renamed) {
        m_stores.profiles.rename(oldName, name);
        m_stores.playTime.renameGame(oldName, name);
        m_stores.discs.renameGame(oldName, name);
        for (const artworkfiles::Kind kind : {artworkfiles::Kind::Poster, artworkfiles::Kind::Thumbnail})
            moveArtwork(artworkfiles::path(m_setup.appFolder, kind, oldName),
                        artworkfiles::path(m_setup.appFolder, kind, name));
        m_gameList->refreshPlayStats();
    }
    m_gameList->updateGameShortcut(oldName, renamed ? name : oldName);
    emit pageWanted(m_gameList);
    if (renamed) {
        // The new name takes its place in the order at once, with its moved thumbnail.
        m_gameList->loadGameList();
        m_gameList->selectGameNamed(name);
        emit gameRenamed(oldName, name);
    }
    m_gameList->focusGrid();
}

void ProfileCommands::editSelectedGame() {
    const QString game = m_gameList->currentGame();
    const std::optional<GameProfile> row = m_stores.profiles.load(game);
    if (!row)
        throw KorvelloError(QStringLiteral("The profile '%1' is not in the database").arg(game));
    if (m_setup.currentBuilds) {
        // "built in" stands for the profile's own plug-in file, so that a Save in this
        // mode keeps what the plug-in era needs should the folder go back to it.
        m_pluginFiles = {row->value(col::GSDXPluginFile)};
    }
    profilemapping::load(*m_editor, *row, m_pluginFiles);
    m_editor->UpdatePosterButtons();
    emit pageWanted(m_editor);
    m_editor->btnNewGame->setEnabled(false);
    m_editor->btnAddFolder->setEnabled(false); // a folder's games are new ones
    m_editor->btnSave->setEnabled(true);
    m_loadedValues = editorValues();
}

LibraryImport::Options ProfileCommands::folderImportOptions() const {
    // The executable chosen on the editor page, or the only one found.
    const QComboBox* executables = m_editor->cmbPCSX2ExeFile;
    // An entry's stored form is its data where it has one (the Flatpak build), else its text.
    const auto storedForm = [executables](int i) {
        const QString stored = executables->itemData(i).toString();
        return stored.isEmpty() ? executables->itemText(i) : stored;
    };
    QString executable =
        executables->currentIndex() >= 0 &&
                executables->currentText() == executables->itemText(executables->currentIndex())
            ? storedForm(executables->currentIndex())
            : executables->currentText().trimmed();
    if (executable.isEmpty() && executables->count() == 1)
        executable = storedForm(0);
    if (executable.isEmpty())
        throw KorvelloError(
            executables->count() == 0
                ? QStringLiteral("No emulator executable is in %1").arg(m_setup.appFolder)
                : QStringLiteral("Choose the emulator executable on the settings page first"));
    LibraryImport::Options options;
    options.databasePath = m_setup.appFolder + QStringLiteral("db.mdb");
    options.executable = executable;
    if (!m_setup.currentBuilds) {
        const int plugin = m_editor->cmbGSPlugin->currentIndex();
        options.pluginFile = m_pluginFiles.value(plugin >= 0 ? plugin : 0);
    }
    options.gameIndexPath = GameIndex::find(m_setup.appFolder);
    if (m_setup.currentBuilds)
        options.currentSettingsFolder = m_setup.settingsFolder;
    else
        options.pluginEraSettingsFolder = m_setup.settingsFolder;
    return options;
}

double ProfileCommands::thumbnailBlur() const {
    try {
        return numbertext::toDouble(m_editor->txtBlur->text());
    } catch (const std::exception&) {
        return 0.0;
    }
}
