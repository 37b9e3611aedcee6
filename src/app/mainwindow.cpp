#include "app/mainwindow.h"

#include "app/commandline.h"
#include "app/emulatordiscovery.h"
#include "app/emulatorfolder.h"
#include "app/emulatormissingpage.h"
#include "app/emulatorregistry.h"
#include "app/gamelistpage.h"
#include "app/gamepadcontrol.h"
#include "app/gamesession.h"
#include "app/profilecommands.h"
#include "app/programsettings.h"
#include "app/skinmanager.h"
#include "app/taskbar.h"
#include "app/traymenu.h"
#include "core/appinfo.h"
#include "core/programfiles.h"
#include "editor/editorpage.h"
#include "editor/spinedit.h"
#include "emulatorsettings/pluginera.h"
#include "launch/gamestarter.h"
#include "store/gamediscstore.h"
#include "store/playtimestore.h"
#include "store/profilestore.h"
#include "ui/accessiblenames.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QLocale>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {
constexpr int kClientWidth = 1006;
constexpr int kClientHeight = 700;
// Fits a 1366 by 768 work area at 100 % and a 1920 by 1080 screen with a panel
// at 150 % (1280 by 693 logical pixels, less the title bar).
constexpr int kMinimumWidth = 800;
constexpr int kMinimumHeight = 520;
const QString kGeometryKey = QStringLiteral("WindowGeometry");
const QString kSkinKey = QStringLiteral("Skin");
// A title bar and borders, at most.
const QSize kFrameAllowance(12, 40);
} // namespace

MainWindow::MainWindow(const QString& appFolder, const QStringList& programFileFolders) {
    m_setup.appFolder = appFolder;
    m_setup.programFileFolders = programFileFolders;
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(appinfo::kTitle);
    setWindowIcon(QIcon(QStringLiteral(":/korvello.png")));
    // A window the desktop can resize, maximise and move: the pages lay their
    // controls out for the room they get, and the settings page scrolls.
    setWindowFlags(Qt::Window);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(10);
    setFont(font);
    setMinimumSize(kMinimumWidth, kMinimumHeight);

    m_settings = std::make_unique<ProgramSettings>();
    m_profiles = std::make_unique<ProfileStore>();
    m_playTime = std::make_unique<PlayTimeStore>();
    m_discs = std::make_unique<GameDiscStore>();
    m_skinManager = std::make_unique<SkinManager>();
    const LibraryStores stores{*m_settings, *m_profiles, *m_playTime, *m_discs};

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("pages"));
    m_pages->tabBar()->hide();
    m_pages->setDocumentMode(true);
    // Its tab bar is hidden: the pages' controls take the focus.
    m_pages->setFocusPolicy(Qt::NoFocus);
    auto* whole = new QVBoxLayout(this);
    whole->setContentsMargins(0, 0, 0, 0);
    whole->addWidget(m_pages);

    m_gameListPage = new GameListPage(m_setup, stores, m_pages);
    m_pages->addTab(m_gameListPage, QStringLiteral("GameList"));
    m_editorPage = new EditorPage(m_pages);
    m_editorPage->setObjectName(QStringLiteral("editorPage"));
    m_pages->addTab(m_editorPage, QStringLiteral("New/Edit Game"));
    // The editor's fields take their names from the labels beside them.
    accessiblenames::nameFromLabels(m_editorPage);
    m_noEmulatorPage = new EmulatorMissingPage(m_pages);
    m_pages->addTab(m_noEmulatorPage, QStringLiteral("Emulator folder"));

    m_tray = new TrayMenu(windowIcon(), appinfo::kTitle, this);
    m_session = new GameSession(m_setup, stores, this);
    m_profileCommands = new ProfileCommands(m_setup, stores, m_editorPage, m_gameListPage, this);
    m_gameListPage->setSources({[this] { return m_profileCommands->folderImportOptions(); },
                                [this] { return m_profileCommands->thumbnailBlur(); }});
    m_gamepad = new GamepadControl(*m_settings, this);

    connectParts();
    connectGamepad();
    run([this] { initialize(); });
    placeWindow();
}

MainWindow::~MainWindow() {
    m_gamepad->stop();
    // The parts that use the stores go before the stores do: an artwork import
    // and a folder addition still running end first (their files complete),
    // and the play sessions stop watching.
    delete m_profileCommands;
    delete m_pages;
    delete m_session;
}

void MainWindow::connectParts() {
    GameListPage* list = m_gameListPage;
    connect(list, &GameListPage::startRequested, this, [this] { run([this] { startSelectedGame(); }); });
    connect(list, &GameListPage::editRequested, this,
            [this] { run([this] { m_profileCommands->editSelectedGame(); }); });
    connect(list, &GameListPage::newGameRequested, this,
            [this] { run([this] { m_profileCommands->openNewProfile(); }); });
    connect(list, &GameListPage::pageMenuRequested, m_tray, &TrayMenu::popup);
    connect(list, &GameListPage::currentGameChanged, this, &MainWindow::showGameTitle);
    connect(list, &GameListPage::gameListLoaded, m_profileCommands, &ProfileCommands::gameListLoaded);
    connect(list, &GameListPage::gameListShown, this, [this] { showPage(m_gameListPage); });
    connect(list, &GameListPage::folderAdditionRunning, m_profileCommands,
            &ProfileCommands::setFolderAdditionRunning);
    connect(list, &GameListPage::skinChosen, this,
            [this](int position) { run([this, position] { applyChosenSkin(position); }); });
    connect(m_editorPage->cmbASkins, &QComboBox::activated, this,
            [this](int position) { run([this, position] { applyChosenSkin(position); }); });
    connect(m_profileCommands, &ProfileCommands::pageWanted, this, &MainWindow::showPage);
    connect(m_profileCommands, &ProfileCommands::gameRenamed, this,
            [this](const QString&, const QString& newName) { showGameTitle(newName); });

    connect(m_session, &GameSession::unloadHintChanged, list, &GameListPage::setUnloadHint);
    connect(m_session, &GameSession::gameStarted, list, [list] { list->focusGrid(); });
    connect(m_session, &GameSession::sessionEnded, list,
            [this] { run([this] { m_gameListPage->refreshPlayStats(); }); });
    m_session->setPadCombination([this] { return m_gamepad->unloadCombination(); });

    connect(m_noEmulatorPage, &EmulatorMissingPage::folderChosen, this,
            [this](const QString& folder) { run([this, &folder] { chooseEmulatorFolder(folder); }); });

    connect(m_tray, &TrayMenu::restoreSettingsRequested, this,
            [this] { run([this] { m_session->restoreEmulatorSettings(); }); });
    connect(m_tray, &TrayMenu::exitRequested, this, [this] { close(); });
    connect(m_tray, &TrayMenu::iconClicked, this, [this] { run([this] { restoreFromTray(); }); });
}

void MainWindow::connectGamepad() {
    const GamepadCommands* pad = m_gamepad->commands();
    connect(m_tray, &TrayMenu::gamepadToggled, this, [this](bool on) {
        run([this, on] {
            // Pads that were connected are reported gone, and the hint follows.
            m_gamepad->setEnabled(on);
            m_session->showUnloadKeyStatus();
        });
    });
    connect(pad, &GamepadCommands::padsChanged, this,
            [this] { run([this] { m_session->showUnloadKeyStatus(); }); });
    connect(pad, &GamepadCommands::moved, this, [this](GamepadCommands::Move move) {
        if (!acceptsGamepadNavigation())
            return;
        // The grid's own keys, so that the pad moves exactly as the arrows and
        // Page Up/Down do (rows and columns of the grid, scrolling, the search's order).
        static constexpr Qt::Key kKeys[] = {Qt::Key_Up,    Qt::Key_Down,   Qt::Key_Left,
                                            Qt::Key_Right, Qt::Key_PageUp, Qt::Key_PageDown};
        m_gameListPage->pressGridKey(kKeys[static_cast<int>(move)]);
    });
    connect(pad, &GamepadCommands::activated, this, [this] { run([this] { startGameFromGamepad(); }); });
    connect(pad, &GamepadCommands::cancelled, this, [this] {
        if (acceptsGamepadNavigation())
            m_gameListPage->clearSearch();
    });
    // Wherever the focus is, as the unload key: the emulator has it while a game runs.
    connect(pad, &GamepadCommands::unloadRequested, this,
            [this] { run([this] { m_session->endStartedEmulator(); }); });
}

void MainWindow::initialize() {
    const QString database = m_setup.appFolder + QStringLiteral("db.mdb");
    m_profiles->setDatabasePath(database);
    m_playTime->setDatabasePath(database);
    m_discs->setDatabasePath(database);
    m_programName = QStringLiteral("Korvello (Tessaly) ");
    m_pages->setCurrentWidget(m_gameListPage);
    m_session->setUnloadKeyEnabled(true);
    QLocale::setDefault(QLocale::c());
    m_editorPage->txtBlur->setText(QStringLiteral("0.0"));
    m_settings->createKey();
    m_tray->showGamepadEnabled(m_gamepad->isEnabledInSettings());
    m_gamepad->startIfEnabled();
    // The emulator's key is read by findEmulatorFolders through its own reader.
    findEmulatorFolders();
    m_gameListPage->setVersionText(
        m_programName + QStringLiteral("v.2.1.") + appinfo::BuildNumber() +
        (m_setup.currentBuilds ? QStringLiteral("\nfor the emulator's current builds") : QString()));
    setUpSkins();
    m_gameListPage->restoreOptions();
    m_profileCommands->fillEmulatorLists();
    m_gameListPage->loadGameList();
    m_gameListPage->restoreSortOrder();
    m_session->openSessions();
    // An empty list in a folder without an emulator: nothing could be added
    // there, so the window says what is missing instead.
    if (m_gameListPage->gameCount() == 0)
        showNoEmulatorNotice();
}

void MainWindow::findEmulatorFolders() {
    const emulatordiscovery::Folders folders =
        emulatordiscovery::deriveFolders(m_setup.appFolder, EmulatorRegistry(), QString());
    m_setup.pluginsFolder = folders.pluginsFolder;
    // The emulator folder's own files say which builds it serves; the plug-in era stays
    // wherever its files are, so its behaviour is untouched.
    const GameStarter::Folders start =
        emulatordiscovery::startFolders(m_setup.appFolder, folders.settingsFolder, appinfo::ExecutableName());
    m_setup.currentBuilds = start.currentBuilds;
    m_setup.settingsFolder = start.settingsFolder;
    // The plug-in era's files say whether its plug-ins are the Linux builds, as Start decides it.
    m_setup.linuxPlugins = !m_setup.currentBuilds && pluginera::detect(m_setup.settingsFolder).linuxPlugins;
    m_editorPage->setLinuxPluginsMode(m_setup.linuxPlugins);
    if (m_setup.currentBuilds)
        m_editorPage->setCurrentBuildsMode(true);
    // The editor's memory card default is derived from the settings folder.
    m_editorPage->m_settingsFolder = m_setup.settingsFolder;
}

void MainWindow::setUpSkins() {
    // A new application style sheet re-polishes every widget, and Qt then gives
    // widgets without a font rule the application's font rather than the one
    // they inherited from the window. With the window's font as the
    // application's font, every skin change keeps the program's font.
    QApplication::setFont(font());
    m_skinManager->SkinDirectory =
        m_setup.programFileFolders.isEmpty()
            ? m_setup.appFolder + QStringLiteral("Skins")
            : programfiles::locateIn(m_setup.programFileFolders, QStringLiteral("Skins"));
    const QStringList names = m_skinManager->GetSkinNames();
    QComboBox* editorSkins = m_editorPage->cmbASkins;
    editorSkins->clear();
    editorSkins->addItems(names);
    editorSkins->setEnabled(!names.isEmpty());
    m_gameListPage->showSkins(names, 0);
    if (names.isEmpty())
        return; // the engine stays off: the standard look

    // A stored position that is no longer in the list (skins removed since)
    // falls back to the first skin, and the choice is written again.
    int position = m_settings->readInt(kSkinKey).value_or(0);
    if (position < 0 || position >= names.size())
        position = 0;
    applyChosenSkin(position);
    m_skinManager->setActive(true);
}

void MainWindow::applyChosenSkin(int position) {
    QComboBox* editorSkins = m_editorPage->cmbASkins;
    if (position < 0 || position >= editorSkins->count())
        return;
    m_gameListPage->showSkin(position);
    editorSkins->setCurrentIndex(position);
    m_skinManager->setSkinName(editorSkins->itemText(position));
    m_settings->writeInt(kSkinKey, position);
}

bool MainWindow::isSkinActive() const {
    return m_skinManager->Active();
}

void MainWindow::showPage(QWidget* page) {
    m_pages->setCurrentWidget(page);
}

void MainWindow::showGameTitle(const QString& game) {
    setWindowTitle(m_programName + game);
}

void MainWindow::showNoEmulatorNotice() {
    const QString missing = emulatorfolder::missingEmulator(m_setup.appFolder, appinfo::ExecutableName());
    if (missing.isEmpty())
        return;
    m_pages->setCurrentWidget(m_noEmulatorPage);
    m_noEmulatorPage->setMissing(missing);
}

void MainWindow::chooseEmulatorFolder(const QString& folder) {
    // Later starts of an installed program, or of a copy without an emulator
    // beside it, work there too.
    m_settings->createKey();
    m_settings->writeText(CommandLine::folderKey(), folder);
    m_nextFolder = folder;
    close();
}

void MainWindow::startSelectedGame() {
    m_session->startGame(m_gameListPage->currentGame(), m_gameListPage->runsDisc());
}

bool MainWindow::acceptsGamepadNavigation() const {
    return isActiveWindow() && m_pages->currentWidget() == m_gameListPage &&
           !QApplication::activePopupWidget() && !QApplication::activeModalWidget();
}

void MainWindow::startGameFromGamepad() {
    if (!acceptsGamepadNavigation() || !m_gameListPage->showsGame())
        return;
    // While an emulator this program started runs, the pad belongs to the game:
    // a desktop that leaves this window active over a game just started (focus
    // stealing prevention) would otherwise restart the game on the player's
    // first press of the south button. The unload combination ends it first.
    if (m_session->isGameRunning())
        return;
    startSelectedGame();
}

void MainWindow::placeWindow() {
    // The size and place the user left the window at; the first time, the
    // first size, smaller where the screen's work area is smaller, centred.
    if (const std::optional<QString> stored = m_settings->readText(kGeometryKey))
        if (restoreGeometry(QByteArray::fromBase64(stored->toLatin1())))
            return;
    const QScreen* screen = this->screen();
    // The offscreen platform's screen is a placeholder with no work area to fit.
    if (!screen || QGuiApplication::platformName() == QLatin1String("offscreen")) {
        resize(kClientWidth, kClientHeight);
        return;
    }
    // Room for the frame the window manager adds, which is not known before the window is shown.
    const QRect area =
        screen->availableGeometry().adjusted(0, 0, -kFrameAllowance.width(), -kFrameAllowance.height());
    resize(std::max(minimumWidth(), std::min(kClientWidth, area.width())),
           std::max(minimumHeight(), std::min(kClientHeight, area.height())));
    move(screen->availableGeometry().center() - QRect(QPoint(), size() + kFrameAllowance).center());
}

void MainWindow::rememberGeometry() {
    m_settings->writeText(kGeometryKey, QString::fromLatin1(saveGeometry().toBase64()));
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    taskbar::skipTaskBar(this);
    if (!m_shown) {
        m_shown = true;
        // The window takes the keyboard when it opens, also out of the task bar.
        run([this] {
            activateWindow();
            m_gameListPage->takeFirstFocus();
        });
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    run([this] { rememberGeometry(); });
    run([this] { m_session->setUnloadKeyEnabled(false); });
    m_gamepad->stop();
    m_tray->hideIcon();
    event->accept();
}

void MainWindow::showLibraryChanges() {
    // An addition of the window's own reloads the list when it ends.
    if (m_gameListPage->isAddingFolder())
        return;
    const QString current = m_gameListPage->currentGame();
    m_gameListPage->loadGameList();
    if (!current.isEmpty())
        m_gameListPage->selectGameNamed(current);
}

void MainWindow::restoreFromTray() {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}
