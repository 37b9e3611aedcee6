#include "app/mainwindow.h"

#include "app/programsettings.h"
#include "app/skinmanager.h"
#include "app/taskbar.h"
#include "core/appinfo.h"
#include "editor/editorpage.h"
#include "editor/spinedit.h"
#include "gamelist/gamelistview.h"
#include "gamelist/posterview.h"
#include "gamelist/thumbnailloader.h"
#include "launch/playsessiontracker.h"
#include "input/gamepadreader.h"
#include "launch/unloadkey.h"
#include "store/gamediscstore.h"
#include "store/playtimestore.h"
#include "store/profilestore.h"
#include "ui/linklabel.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSystemTrayIcon>
#include <QTabBar>
#include <QTabWidget>
#include <QThread>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace {
const QString kMail = QStringLiteral("tessaly@korvello.org");
const QString kHomePage = QStringLiteral("https://korvello.org/");
constexpr int kClientWidth = 1006;
constexpr int kClientHeight = 700;
// Fits a 1366 by 768 work area at 100 % and a 1920 by 1080 screen with a panel
// at 150 % (1280 by 693 logical pixels, less the title bar).
constexpr int kMinimumWidth = 800;
constexpr int kMinimumHeight = 520;
const QString kGeometryKey = QStringLiteral("WindowGeometry");
// A title bar and borders, at most.
const QSize kFrameAllowance(12, 40);
} // namespace

MainWindow::MainWindow(const QString& appFolder, const QStringList& programFileFolders)
    : m_appFolder(appFolder), m_programFileFolders(programFileFolders) {
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
    m_store = std::make_unique<ProfileStore>();
    m_discs = std::make_unique<GameDiscStore>();
    m_unloadKey = createUnloadKey();
    m_skinManager = std::make_unique<SkinManager>();

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("pages"));
    m_pages->tabBar()->hide();
    m_pages->setDocumentMode(true);
    auto* whole = new QVBoxLayout(this);
    whole->setContentsMargins(0, 0, 0, 0);
    whole->addWidget(m_pages);

    buildGameListPage();
    m_editorPage = new EditorPage(m_pages);
    m_editorPage->setObjectName(QStringLiteral("editorPage"));
    m_pages->addTab(m_editorPage, QStringLiteral("New/Edit Game"));
    buildNoEmulatorPage();

    m_trayMenu = new QMenu(this);
    m_trayMenu->setObjectName(QStringLiteral("trayMenu"));
    QAction* restoreAction = m_trayMenu->addAction(QStringLiteral("Restore the emulator's own settings"));
    restoreAction->setObjectName(QStringLiteral("restoreEmulatorSettingsAction"));
    connect(restoreAction, &QAction::triggered, this, [this] { run([this] { restoreEmulatorSettings(); }); });
    m_gamepadAction = m_trayMenu->addAction(QStringLiteral("Use gamepad"));
    m_gamepadAction->setObjectName(QStringLiteral("gamepadAction"));
    m_gamepadAction->setCheckable(true);
    m_exitAction = m_trayMenu->addAction(QStringLiteral("Exit"));
    m_exitAction->setObjectName(QStringLiteral("exitAction"));

    m_trayIcon = new QSystemTrayIcon(windowIcon(), this);
    m_trayIcon->setObjectName(QStringLiteral("trayIcon"));
    m_trayIcon->setToolTip(appinfo::kTitle);
    m_trayIcon->setContextMenu(m_trayMenu);
    m_trayIcon->show();

    connectHandlers();
    run([this] { initialize(); });
    placeWindow();
}

MainWindow::~MainWindow() {
    stopGamepad();
    // An import still running writes its files to the end; its result has no window left to go to.
    if (m_artworkImport)
        m_artworkImport->wait();
    // A folder addition stops after the game at hand; what it stored stays.
    if (m_folderImport) {
        m_folderCancel->store(true);
        m_folderImport->wait();
    }
    if (m_busyCursor)
        QGuiApplication::restoreOverrideCursor();
}

void MainWindow::buildGameListPage() {
    m_gameListPage = new QWidget(m_pages);
    m_gameListPage->setObjectName(QStringLiteral("gameListPage"));
    m_pages->addTab(m_gameListPage, QStringLiteral("GameList"));
    m_gameListPage->setContextMenuPolicy(Qt::CustomContextMenu);

    auto named = [](QWidget* w, const char* name) {
        w->setObjectName(QLatin1String(name));
        return w;
    };
    m_gameGrid = new GameListView(m_gameListPage);
    named(m_gameGrid, "gameGrid");
    m_poster = new PosterView(m_gameListPage);
    named(m_poster, "poster");

    auto button = [&](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, m_gameListPage);
        named(b, name)->setMinimumSize(104, 28);
        return b;
    };
    m_deleteButton = button("deleteButton", QStringLiteral("Delete"));
    m_startButton = button("startButton", QStringLiteral("Start"));
    m_editButton = button("editButton", QStringLiteral("Edit"));
    m_newGameButton = button("newGameButton", QStringLiteral("New"));
    m_coversButton = button("coversButton", QStringLiteral("Download covers..."));
    m_coversButton->setToolTip(QStringLiteral("Fetch covers for the games from addresses you give"));
    m_addFolderButton = button("addFolderButton", QStringLiteral("Add folder..."));

    m_runDiscCheck = new QCheckBox(QStringLiteral("Run CDVD after start"), m_gameListPage);
    named(m_runDiscCheck, "runDiscCheck")->setMinimumHeight(24);
    m_skinList = new QComboBox(m_gameListPage);
    named(m_skinList, "skinList")->setMinimumSize(200, 26);

    m_versionLabel = new QLabel(m_gameListPage);
    named(m_versionLabel, "versionLabel");
    m_unloadKeyLabel = new QLabel(QStringLiteral("Press Ctrl+Alt+U to unload PCSX2"), m_gameListPage);
    named(m_unloadKeyLabel, "unloadKeyLabel");
    m_unloadKeyLabel->setWordWrap(true); // "Ctrl+Alt+U is taken by another program" takes two lines
    m_mailLink = new LinkLabel(QStringLiteral("mailto:") + kMail, kMail, m_gameListPage);
    named(m_mailLink, "mailLink");
    m_homePageLink = new LinkLabel(kHomePage, QStringLiteral("HomePage"), m_gameListPage);
    named(m_homePageLink, "homePageLink");
    for (QLabel* link : {m_mailLink, m_homePageLink}) {
        // Opened by the desktop's mail program and browser.
        connect(link, &QLabel::linkActivated, this,
                [](const QString& url) { QDesktopServices::openUrl(QUrl(url)); });
    }
    buildLibraryControls();
    layOutGameListPage();
}

void MainWindow::layOutGameListPage() {
    // Left: the search row, the grid (as many columns as its width holds) and
    // the notes; right: the poster over the commands. Only the grid and the
    // poster take what the window gives beyond its first size.
    auto* searchRow = new QHBoxLayout;
    searchRow->setContentsMargins(4, 4, 4, 0);
    searchRow->setSpacing(4);
    searchRow->addWidget(m_searchField, 1);
    searchRow->addWidget(m_coversButton);
    searchRow->addWidget(m_addFolderButton);
    searchRow->addWidget(m_sortLabel);
    searchRow->addWidget(m_sortList);
    m_sortList->setMinimumWidth(138);

    auto* notes = new QHBoxLayout;
    notes->setContentsMargins(6, 0, 0, 2);
    notes->setSpacing(4);
    notes->addWidget(m_versionLabel);
    notes->addWidget(m_unloadKeyLabel, 1);
    notes->addWidget(m_mailLink);
    notes->addWidget(m_homePageLink);
    m_unloadKeyLabel->setMinimumWidth(150);
    for (QLabel* note : {m_versionLabel, m_unloadKeyLabel, m_mailLink, m_homePageLink})
        note->setMinimumHeight(28);

    auto* left = new QVBoxLayout;
    left->setSpacing(4);
    left->addLayout(searchRow);
    left->addWidget(m_gameGrid, 1);
    left->addLayout(notes);
    m_gameGrid->setMinimumSize(2 * 109 + 30, 200);

    // The commands: a grid of buttons and the options beside them; a new
    // command takes a cell of its own here.
    m_commandGrid = new QGridLayout;
    m_commandGrid->setContentsMargins(3, 0, 2, 2);
    m_commandGrid->setHorizontalSpacing(4);
    m_commandGrid->setVerticalSpacing(2);
    m_commandGrid->addWidget(m_deleteButton, 0, 0);
    m_commandGrid->addWidget(m_startButton, 0, 1);
    m_commandGrid->addWidget(m_editButton, 1, 0);
    m_commandGrid->addWidget(m_newGameButton, 1, 1);
    m_commandGrid->addWidget(m_runDiscCheck, 0, 3);
    m_commandGrid->addWidget(m_skinList, 1, 3);
    m_commandGrid->setColumnMinimumWidth(2, 6);
    m_commandGrid->setColumnStretch(3, 1);

    auto* right = new QVBoxLayout;
    right->setSpacing(4);
    right->addWidget(m_poster, 1);
    right->addLayout(m_commandGrid);
    m_poster->setMinimumSize(200, 200);

    auto* page = new QHBoxLayout(m_gameListPage);
    page->setContentsMargins(0, 0, 2, 0);
    page->setSpacing(3);
    page->addLayout(left, 1);
    page->addLayout(right, 0);
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

void MainWindow::connectHandlers() {
    connectShortcutHandlers();
    connect(m_gameListPage, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { m_trayMenu->popup(m_gameListPage->mapToGlobal(at)); });
    connect(m_exitAction, &QAction::triggered, this, [this] { run([this] { exitProgram(); }); });
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            run([this] { restoreFromTray(); });
    });
    connect(m_runDiscCheck, &QCheckBox::toggled, this, [this] { run([this] { rememberRunDisc(); }); });
    connectGameListHandlers();
    connectLaunchHandlers();
    connectEditorHandlers();
    connectCommandHandlers();
    connectArtworkHandlers();
    connectSkinHandlers();
    connectLibraryHandlers();
    connectCoverHandlers();
    connectGamepadHandlers();
    connectAddFolderHandlers();
}

void MainWindow::initialize() {
    m_store->setDatabasePath(m_appFolder + QStringLiteral("db.mdb")); // 1
    m_playTime->setDatabasePath(m_appFolder + QStringLiteral("db.mdb"));
    // Games started from desktop shortcuts while the window runs are timed here too.
    m_playSessions->followDatabase(m_appFolder + QStringLiteral("db.mdb"));
    m_discs->setDatabasePath(m_appFolder + QStringLiteral("db.mdb"));
    m_programName = QStringLiteral("Korvello (Tessaly) ");                                      // 2
    m_versionLabel->setText(m_programName + QStringLiteral("v.2.1.") + appinfo::BuildNumber()); // 3
    m_pages->setCurrentWidget(m_gameListPage);                                                  // 4
    m_pluginFiles.clear();                                                                      // 5
    setUnloadKeyEnabled(true);                                                                  // 6
    QLocale::setDefault(QLocale::c());                                                          // 7
    m_editorPage->txtBlur->setText(QStringLiteral("0.0"));
    m_settings->createKey(); // 8
    setUpGamepad();
    // 9: the emulator's key is read by findEmulatorFolders through its own reader.
    findEmulatorFolders(); // 10
    setUpSkins();          // 11
    {
        // 12: Start plays the game unless the user said otherwise; showing the
        // default writes nothing.
        const std::optional<int> runValue = m_settings->readInt(QStringLiteral("Run"));
        const QSignalBlocker quiet(m_runDiscCheck);
        m_runDiscCheck->setChecked(!runValue || *runValue != 0);
    }
    fillRendererList(); // 13
    fillExecutableList();
    scanGraphicsPlugins();
    setIconSpacing(); // 14
    loadGameList();   // 15
    restoreLibrary();
    // An empty list in a folder without an emulator: nothing could be added
    // there, so the window says what is missing instead.
    if (m_gameGrid->count() == 0)
        showNoEmulatorNotice();
}

void MainWindow::finishFirstShow() {
    // The window takes the keyboard when it opens, also out of the task bar.
    activateWindow();
    if (m_gameGrid->count() > 0) {
        m_gameGrid->setFocus();
        selectGame(0);
    }
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    taskbar::skipTaskBar(this);
    if (!m_shown) {
        m_shown = true;
        run([this] { finishFirstShow(); });
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    run([this] { rememberGeometry(); });
    run([this] { setUnloadKeyEnabled(false); });
    stopGamepad();
    m_trayIcon->hide();
    event->accept();
}

void MainWindow::restoreFromTray() {
    // Out of the tray or from under other windows; a maximised window stays maximised.
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void MainWindow::exitProgram() {
    close();
}

void MainWindow::rememberRunDisc() {
    m_settings->writeInt(QStringLiteral("Run"), m_runDiscCheck->isChecked() ? 1 : 0);
}
