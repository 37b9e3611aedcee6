#include "tfrmmain.h"

#include "appinfo.h"
#include "editorpage.h"
#include "gamelistview.h"
#include "posterview.h"
#include "profilestore.h"
#include "programsettings.h"
#include "skinmanager.h"
#include "spinedit.h"
#include "taskbar.h"
#include "unloadhotkey.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTabBar>
#include <QTabWidget>
#include <QUrl>

namespace {
const QString kMail = QStringLiteral("tessaly@korvello.org");
const QString kHomePage = QStringLiteral("https://korvello.org/");
constexpr int kClientWidth = 1006;
constexpr int kClientHeight = 700;
} // namespace

TfrmMain::TfrmMain(const QString& appFolder) : AppFolder(appFolder) {
    setObjectName(QStringLiteral("frmMain"));
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

    RegL = std::make_unique<ProgramSettings>();
    DB = std::make_unique<ProfileStore>();
    hotKey = std::make_unique<UnloadHotKey>();
    skinManager = std::make_unique<SkinManager>();

    PageControl = new QTabWidget(this);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    PageControl->setGeometry(0, 0, kClientWidth, kClientHeight);
    PageControl->tabBar()->hide();
    PageControl->setDocumentMode(true);

    buildGameListPage();
    pgNewGame = new EditorPage(PageControl);
    pgNewGame->setObjectName(QStringLiteral("pgNewGame"));
    PageControl->addTab(pgNewGame, QStringLiteral("New/Edit Game"));

    pm1 = new QMenu(this);
    pm1->setObjectName(QStringLiteral("pm1"));
    Exit1 = pm1->addAction(QStringLiteral("Exit"));
    Exit1->setObjectName(QStringLiteral("Exit1"));

    ico1 = new QSystemTrayIcon(windowIcon(), this);
    ico1->setObjectName(QStringLiteral("ico1"));
    ico1->setToolTip(appinfo::kTitle);
    ico1->setContextMenu(pm1);
    ico1->show();

    connectHandlers();
    run([this] { FormCreate(); });
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::buildGameListPage() {
    pgGameList = new QWidget(PageControl);
    pgGameList->setObjectName(QStringLiteral("pgGameList"));
    PageControl->addTab(pgGameList, QStringLiteral("GameList"));
    pgGameList->setContextMenuPolicy(Qt::CustomContextMenu);

    auto named = [](QWidget* w, const char* name) {
        w->setObjectName(QLatin1String(name));
        return w;
    };
    img2 = new GameListView(pgGameList);
    named(img2, "img2")->setGeometry(0, 0, 572, 662);
    image1 = new PosterView(pgGameList);
    named(image1, "image1")->setGeometry(575, 0, 429, 636);

    auto button = [&](const char* name, const QString& caption, int x, int y) {
        auto* b = new QPushButton(caption, pgGameList);
        named(b, name)->setGeometry(x, y, 104, 28);
        return b;
    };
    btnDelete = button("btnDelete", QStringLiteral("Delete"), 578, 640);
    btnStart = button("btnStart", QStringLiteral("Start"), 686, 640);
    btnEdit = button("btnEdit", QStringLiteral("Edit"), 578, 670);
    btnAddGame = button("btnAddGame", QStringLiteral("New"), 686, 670);

    chkGoAfterStart = new QCheckBox(QStringLiteral("Run CDVD after start"), pgGameList);
    named(chkGoAfterStart, "chkGoAfterStart")->setGeometry(800, 642, 200, 24);
    cmbSkins = new QComboBox(pgGameList);
    named(cmbSkins, "cmbSkins")->setGeometry(800, 671, 200, 26);

    lblVer = new QLabel(pgGameList);
    named(lblVer, "lblVer")->setGeometry(6, 668, 160, 28);
    lblReadME = new QLabel(QStringLiteral("Press Ctrl+Alt+U to unload PCSX2"), pgGameList);
    named(lblReadME, "lblReadME")->setGeometry(170, 668, 180, 28);
    lblEMail = new QLabel(QStringLiteral("<a href=\"mailto:%1\">%1</a>").arg(kMail), pgGameList);
    named(lblEMail, "lblEMail")->setGeometry(354, 668, 140, 28);
    lblHomePage = new QLabel(QStringLiteral("<a href=\"%1\">HomePage</a>").arg(kHomePage), pgGameList);
    named(lblHomePage, "lblHomePage")->setGeometry(500, 668, 70, 28);
    for (QLabel* link : {lblEMail, lblHomePage}) {
        link->setTextFormat(Qt::RichText);
        link->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
        // Opened by the desktop's mail program and browser.
        connect(link, &QLabel::linkActivated, this, [](const QString& url) { QDesktopServices::openUrl(QUrl(url)); });
    }
}

void TfrmMain::connectHandlers() {
    connect(pgGameList, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { pm1->popup(pgGameList->mapToGlobal(at)); });
    connect(Exit1, &QAction::triggered, this, [this] { run([this] { Exit1Click(); }); });
    connect(ico1, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            run([this] { ico1Click(); });
    });
    connect(chkGoAfterStart, &QCheckBox::toggled, this, [this] { run([this] { chkGoAfterStartClick(); }); });
    connectGameListHandlers();
    connectLaunchHandlers();
    connectEditorHandlers();
    connectCommandHandlers();
    connectArtworkHandlers();
    connectSkinHandlers();
}

void TfrmMain::FormCreate() {
    DB->setDatabasePath(AppFolder + QStringLiteral("db.mdb"));                        // 1
    progname = QStringLiteral("Korvello (Tessaly) ");                                  // 2
    lblVer->setText(progname + QStringLiteral("v.2.1.") + appinfo::BuildNumber());     // 3
    PageControl->setCurrentWidget(pgGameList);                                         // 4
    GSpg.clear();                                                                      // 5
    SetUnloadHotKey(true);                                                             // 6
    QLocale::setDefault(QLocale::c());                                                 // 7
    pgNewGame->txtBlur->setText(QStringLiteral("0.0"));
    RegL->createKey();                                                                 // 8
    // 9: the emulator's key is read by DeriveEmulatorFolders through its own reader.
    DeriveEmulatorFolders();                                                           // 10
    SetupSkins();                                                                      // 11
    if (const std::optional<int> runValue = RegL->readInt(QStringLiteral("Run")))      // 12
        chkGoAfterStart->setChecked(*runValue != 0);
    FillRendererList();                                                                // 13
    FillExeList();
    ScanGSPlugins();
    SetIconSpacing();                                                                  // 14
    LoadGameList();                                                                    // 15
}

void TfrmMain::FormShow() {
    if (img2->count() > 0) {
        img2->setFocus();
        SelectItem(0);
    }
}

void TfrmMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    taskbar::skipTaskBar(this);
    if (!m_shown) {
        m_shown = true;
        run([this] { FormShow(); });
    }
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    run([this] { SetUnloadHotKey(false); });
    ico1->hide();
    event->accept();
}

void TfrmMain::ico1Click() {
    showNormal();
    raise();
    activateWindow();
}

void TfrmMain::Exit1Click() { close(); }

void TfrmMain::chkGoAfterStartClick() {
    RegL->writeInt(QStringLiteral("Run"), chkGoAfterStart->isChecked() ? 1 : 0);
}
