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

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTabBar>
#include <QTabWidget>
#include <QThread>
#include <QUrl>

namespace {
const QString kMail = QStringLiteral("tessaly@korvello.org");
const QString kHomePage = QStringLiteral("https://korvello.org/");
constexpr int kClientWidth = 1006;
constexpr int kClientHeight = 700;
} // namespace

MainWindow::MainWindow(const QString& appFolder, const QStringList& programFileFolders)
    : m_appFolder(appFolder), m_programFileFolders(programFileFolders) {
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(appinfo::kTitle);
    setWindowIcon(QIcon(QStringLiteral(":/korvello.png")));
    // Fixed single border with a minimize box and no maximize box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(kClientWidth, kClientHeight);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(10);
    setFont(font);
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());

    m_settings = std::make_unique<ProgramSettings>();
    m_store = std::make_unique<ProfileStore>();
    m_discs = std::make_unique<GameDiscStore>();
    m_unloadKey = createUnloadKey();
    m_skinManager = std::make_unique<SkinManager>();

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("pages"));
    m_pages->setGeometry(0, 0, kClientWidth, kClientHeight);
    m_pages->tabBar()->hide();
    m_pages->setDocumentMode(true);

    buildGameListPage();
    m_editorPage = new EditorPage(m_pages);
    m_editorPage->setObjectName(QStringLiteral("editorPage"));
    m_pages->addTab(m_editorPage, QStringLiteral("New/Edit Game"));

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
    named(m_gameGrid, "gameGrid")->setGeometry(0, 0, 572, 662);
    m_poster = new PosterView(m_gameListPage);
    named(m_poster, "poster")->setGeometry(575, 0, 429, 636);

    auto button = [&](const char* name, const QString& caption, int x, int y) {
        auto* b = new QPushButton(caption, m_gameListPage);
        named(b, name)->setGeometry(x, y, 104, 28);
        return b;
    };
    m_deleteButton = button("deleteButton", QStringLiteral("Delete"), 578, 640);
    m_startButton = button("startButton", QStringLiteral("Start"), 686, 640);
    m_editButton = button("editButton", QStringLiteral("Edit"), 578, 670);
    m_newGameButton = button("newGameButton", QStringLiteral("New"), 686, 670);
    // Beside the search row, over the grid it fills.
    m_coversButton = button("coversButton", QStringLiteral("Download covers..."), 256, 4);
    m_coversButton->setGeometry(256, 4, 120, 26);
    m_coversButton->setToolTip(QStringLiteral("Fetch covers for the games from addresses you give"));
    m_addFolderButton = button("addFolderButton", QStringLiteral("Add folder..."), 794, 670);

    m_runDiscCheck = new QCheckBox(QStringLiteral("Run CDVD after start"), m_gameListPage);
    named(m_runDiscCheck, "runDiscCheck")->setGeometry(800, 642, 200, 24);
    m_skinList = new QComboBox(m_gameListPage);
    named(m_skinList, "skinList")->setGeometry(902, 671, 98, 26);

    m_versionLabel = new QLabel(m_gameListPage);
    named(m_versionLabel, "versionLabel")->setGeometry(6, 668, 160, 28);
    m_unloadKeyLabel = new QLabel(QStringLiteral("Press Ctrl+Alt+U to unload PCSX2"), m_gameListPage);
    named(m_unloadKeyLabel, "unloadKeyLabel")->setGeometry(170, 668, 180, 28);
    m_unloadKeyLabel->setWordWrap(true); // "Ctrl+Alt+U is taken by another program" takes two lines
    m_mailLink = new QLabel(QStringLiteral("<a href=\"mailto:%1\">%1</a>").arg(kMail), m_gameListPage);
    named(m_mailLink, "mailLink")->setGeometry(354, 668, 140, 28);
    m_homePageLink = new QLabel(QStringLiteral("<a href=\"%1\">HomePage</a>").arg(kHomePage), m_gameListPage);
    named(m_homePageLink, "homePageLink")->setGeometry(500, 668, 70, 28);
    for (QLabel* link : {m_mailLink, m_homePageLink}) {
        link->setTextFormat(Qt::RichText);
        link->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
        // Opened by the desktop's mail program and browser.
        connect(link, &QLabel::linkActivated, this,
                [](const QString& url) { QDesktopServices::openUrl(QUrl(url)); });
    }
    buildLibraryControls();
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
    findEmulatorFolders();                                                              // 10
    setUpSkins();                                                                       // 11
    if (const std::optional<int> runValue = m_settings->readInt(QStringLiteral("Run"))) // 12
        m_runDiscCheck->setChecked(*runValue != 0);
    fillRendererList(); // 13
    fillExecutableList();
    scanGraphicsPlugins();
    setIconSpacing(); // 14
    loadGameList();   // 15
    restoreLibrary();
}

void MainWindow::finishFirstShow() {
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
    run([this] { setUnloadKeyEnabled(false); });
    stopGamepad();
    m_trayIcon->hide();
    event->accept();
}

void MainWindow::restoreFromTray() {
    showNormal();
    raise();
    activateWindow();
}

void MainWindow::exitProgram() {
    close();
}

void MainWindow::rememberRunDisc() {
    m_settings->writeInt(QStringLiteral("Run"), m_runDiscCheck->isChecked() ? 1 : 0);
}
