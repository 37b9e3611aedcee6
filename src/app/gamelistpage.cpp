// The game list page's controls, their layout, the Tab walk and the keys.
#include "app/gamelistpage.h"

#include "app/programsettings.h"
#include "gamelist/gamelistfilter.h"
#include "gamelist/gamelistview.h"
#include "gamelist/posterview.h"
#include "gamelist/thumbnailloader.h"
#include "ui/linklabel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QShortcut>
#include <QThread>
#include <QUrl>
#include <QVBoxLayout>

namespace {
const QString kMail = QStringLiteral("tessaly@korvello.org");
const QString kHomePage = QStringLiteral("https://korvello.org/");
} // namespace

GameListPage::GameListPage(const EmulatorSetup& setup, const LibraryStores& stores, QWidget* parent)
    : QWidget(parent), m_setup(setup), m_stores(stores),
      m_shortcutProgram(QCoreApplication::applicationFilePath()) {
    setObjectName(QStringLiteral("gameListPage"));
    setContextMenuPolicy(Qt::CustomContextMenu);
    buildControls();
    layOutPage();
    buildGameMenu();
    connectControls();
    addShortcuts();
}

GameListPage::~GameListPage() {
    // A folder addition stops after the game at hand; what it stored stays.
    if (m_folderImport) {
        m_folderCancel->store(true);
        m_folderImport->wait();
    }
}

void GameListPage::setSources(Sources sources) {
    m_sources = std::move(sources);
}

bool GameListPage::runsDisc() const {
    return m_runDiscCheck->isChecked();
}

int GameListPage::gameCount() const {
    return m_gameGrid->count();
}

bool GameListPage::showsGame() const {
    return m_startButton->isEnabled();
}

void GameListPage::buildControls() {
    auto named = [](QWidget* w, const char* name) {
        w->setObjectName(QLatin1String(name));
        return w;
    };
    m_gameGrid = new GameListView(this);
    named(m_gameGrid, "gameGrid");
    m_gameGrid->setAccessibleName(QStringLiteral("Games"));
    m_gameGrid->setIconSpacing(109, 0);
    m_poster = new PosterView(this);
    named(m_poster, "poster");

    auto button = [&](const char* name, const QString& caption, const QString& toolTip) {
        auto* b = new QPushButton(caption, this);
        named(b, name)->setMinimumSize(104, 28);
        b->setToolTip(toolTip);
        return b;
    };
    m_deleteButton =
        button("deleteButton", QStringLiteral("Delete"), QStringLiteral("Delete the selected game (Delete)"));
    m_startButton =
        button("startButton", QStringLiteral("Start"), QStringLiteral("Start the selected game (Enter)"));
    m_editButton = button("editButton", QStringLiteral("Edit"),
                          QStringLiteral("Edit the selected game's settings (F2 or Ctrl+E)"));
    m_newGameButton =
        button("newGameButton", QStringLiteral("New"), QStringLiteral("Create a new game profile (Ctrl+N)"));
    m_coversButton = button("coversButton", QStringLiteral("Download covers..."),
                            QStringLiteral("Fetch covers for the games from addresses you give"));
    m_addFolderButton =
        button("addFolderButton", QStringLiteral("Add folder..."),
               QStringLiteral("Add every game in a folder of disc images and its subfolders"));

    m_runDiscCheck = new QCheckBox(QStringLiteral("Run CDVD after start"), this);
    named(m_runDiscCheck, "runDiscCheck")->setMinimumHeight(24);
    m_skinList = new QComboBox(this);
    named(m_skinList, "skinList")->setMinimumSize(200, 26);
    m_skinList->setAccessibleName(QStringLiteral("Skin"));

    m_versionLabel = new QLabel(this);
    named(m_versionLabel, "versionLabel");
    m_unloadKeyLabel = new QLabel(QStringLiteral("Press Ctrl+Alt+U to unload PCSX2"), this);
    named(m_unloadKeyLabel, "unloadKeyLabel");
    m_unloadKeyLabel->setWordWrap(true); // "Ctrl+Alt+U is taken by another program" takes two lines
    // The links are stops of the Tab walk of their own (ui/linklabel.h).
    m_mailLink = new LinkLabel(QStringLiteral("mailto:") + kMail, kMail, this);
    named(m_mailLink, "mailLink");
    m_mailLink->setAccessibleName(QStringLiteral("E-mail"));
    m_homePageLink = new LinkLabel(kHomePage, QStringLiteral("HomePage"), this);
    named(m_homePageLink, "homePageLink");
    m_homePageLink->setAccessibleName(QStringLiteral("HomePage"));

    m_searchField = new QLineEdit(this);
    named(m_searchField, "searchField");
    m_searchField->setPlaceholderText(QStringLiteral("Search games"));
    m_searchField->setClearButtonEnabled(true);
    m_searchField->setAccessibleName(QStringLiteral("Search games"));
    m_searchField->setToolTip(
        QStringLiteral("Show only the games whose names contain this text (Ctrl+F; Escape clears)"));
    m_sortLabel = new QLabel(QStringLiteral("Sort:"), this);
    named(m_sortLabel, "sortLabel");
    m_sortLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_sortList = new QComboBox(this);
    named(m_sortList, "sortList");
    m_sortList->addItems(
        {QStringLiteral("Name"), QStringLiteral("Last played"), QStringLiteral("Most played")});
    m_sortLabel->setBuddy(m_sortList);
    m_sortList->setAccessibleName(QStringLiteral("Sort games by"));
    m_sortList->setToolTip(QStringLiteral("Order of the games"));
}

void GameListPage::layOutPage() {
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

    auto* page = new QHBoxLayout(this);
    page->setContentsMargins(0, 0, 2, 0);
    page->setSpacing(3);
    page->addLayout(left, 1);
    page->addLayout(right, 0);

    // The whole page in reading order, from the search row to the links; Tab
    // after the last goes back to the first, Shift+Tab the other way.
    const QList<QWidget*> chain{m_searchField,   m_coversButton, m_addFolderButton, m_sortList,
                                m_gameGrid,      m_deleteButton, m_startButton,     m_editButton,
                                m_newGameButton, m_runDiscCheck, m_skinList,        m_mailLink,
                                m_homePageLink};
    for (qsizetype i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain.at(i - 1), chain.at(i));
}

void GameListPage::connectControls() {
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { emit pageMenuRequested(mapToGlobal(at)); });
    for (QLabel* link : {m_mailLink, m_homePageLink}) {
        // Opened by the desktop's mail program and browser.
        connect(link, &QLabel::linkActivated, this,
                [](const QString& url) { QDesktopServices::openUrl(QUrl(url)); });
    }
    connect(m_gameGrid->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { run([this] { showSelectedGame(); }); });
    connect(m_gameGrid, &GameListView::mouseClicked, this,
            [this] { run([this] { reselectFocusedGame(); }); });
    connect(m_gameGrid, &GameListView::mouseDoubleClicked, this, &GameListPage::startRequested);
    connect(m_gameGrid, &GameListView::startRequested, this, [this] {
        if (m_startButton->isEnabled())
            emit startRequested();
    });
    connect(m_gameGrid, &GameListView::editRequested, this, [this] {
        if (m_editButton->isEnabled())
            m_editButton->click();
    });
    connect(m_gameGrid, &GameListView::deleteRequested, this, [this] {
        if (m_deleteButton->isEnabled())
            run([this] { deleteSelectedGame(); });
    });
    connect(m_gameGrid, &GameListView::entryMenuRequested, this,
            [this](int row, const QPoint& at) { run([this, row, at] { showGameMenu(row, at); }); });
    // Elsewhere in the grid the page's own menu opens, as on the rest of the page.
    connect(m_gameGrid, &GameListView::emptyMenuRequested, this, &GameListPage::pageMenuRequested);

    connect(m_startButton, &QPushButton::clicked, this, &GameListPage::startRequested);
    connect(m_editButton, &QPushButton::clicked, this, &GameListPage::editRequested);
    connect(m_newGameButton, &QPushButton::clicked, this, &GameListPage::newGameRequested);
    connect(m_deleteButton, &QPushButton::clicked, this, [this] { run([this] { deleteSelectedGame(); }); });
    connect(m_coversButton, &QPushButton::clicked, this, [this] { run([this] { openCoverDownload(); }); });
    connect(m_addFolderButton, &QPushButton::clicked, this, [this] { run([this] { addFolder(); }); });
    // activated: only the user's pick is reported, not a selection by program.
    connect(m_skinList, &QComboBox::activated, this, &GameListPage::skinChosen);
    connect(m_searchField, &QLineEdit::textChanged, this,
            [this](const QString& text) { run([this, &text] { searchGames(text); }); });
    connect(m_sortList, &QComboBox::activated, this,
            [this](int index) { run([this, index] { sortGames(index, true); }); });
}

void GameListPage::addShortcuts() {
    auto shortcut = [this](QWidget* scope, const QKeySequence& keys, Qt::ShortcutContext context,
                           auto handler) {
        auto* s = new QShortcut(keys, scope, nullptr, nullptr, context);
        connect(s, &QShortcut::activated, this, handler);
        return s;
    };
    const auto page = Qt::WidgetWithChildrenShortcut;
    shortcut(this, QKeySequence::Find, page, [this] {
        m_searchField->setFocus(Qt::ShortcutFocusReason);
        m_searchField->selectAll();
    });
    shortcut(this, QKeySequence(Qt::CTRL | Qt::Key_N), page, [this] { m_newGameButton->click(); });
    for (const QKeySequence& keys : {QKeySequence(Qt::Key_F2), QKeySequence(Qt::CTRL | Qt::Key_E)})
        shortcut(this, keys, page, [this] {
            if (m_editButton->isEnabled())
                m_editButton->click();
        });
    // In the search field: Escape clears it (and, once empty, returns to the
    // grid); Down and Enter go on to the grid with the selection as it is.
    shortcut(m_searchField, QKeySequence(Qt::Key_Escape), Qt::WidgetShortcut, [this] {
        if (m_searchField->text().isEmpty())
            m_gameGrid->setFocus(Qt::ShortcutFocusReason);
        else
            m_searchField->clear();
    });
    for (const QKeySequence& keys :
         {QKeySequence(Qt::Key_Down), QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)})
        shortcut(m_searchField, keys, Qt::WidgetShortcut,
                 [this] { m_gameGrid->setFocus(Qt::ShortcutFocusReason); });
}

void GameListPage::setVersionText(const QString& text) {
    m_versionLabel->setText(text);
}

void GameListPage::setUnloadHint(const QString& text, const QString& toolTip) {
    m_unloadKeyLabel->setText(text);
    m_unloadKeyLabel->setToolTip(toolTip);
}

void GameListPage::showSkins(const QStringList& names, int position) {
    m_skinList->clear();
    m_skinList->addItems(names);
    m_skinList->setEnabled(!names.isEmpty());
    if (!names.isEmpty())
        m_skinList->setCurrentIndex(position);
}

void GameListPage::showSkin(int position) {
    m_skinList->setCurrentIndex(position);
}

void GameListPage::focusGrid() {
    m_gameGrid->setFocus();
}

void GameListPage::pressGridKey(Qt::Key key) {
    m_gameGrid->setFocus(Qt::OtherFocusReason);
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(m_gameGrid, &press);
}

void GameListPage::clearSearch() {
    m_searchField->clear();
    m_gameGrid->setFocus(Qt::OtherFocusReason);
}
