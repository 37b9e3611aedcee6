// The game list page's library tools: the search field and the sort choice
// above the grid, the grid's keys and the page's shortcuts, the tool tips and
// accessible names, and play time (sessions recorded for every Start, figures
// shown in the grid's tool tips and used by the sort orders).
#include "app/mainwindow.h"

#include "app/programsettings.h"
#include "core/korvelloerror.h"
#include "editor/editorpage.h"
#include "gamelist/gamelistfilter.h"
#include "gamelist/gamelistview.h"
#include "launch/playsessiontracker.h"
#include "store/playtimestore.h"
#include "ui/accessiblenames.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTabWidget>

namespace {
const QString kSortKey = QStringLiteral("Sort");
}

void MainWindow::buildLibraryControls() {
    m_searchField = new QLineEdit(m_gameListPage);
    m_searchField->setObjectName(QStringLiteral("searchField"));
    m_searchField->setPlaceholderText(QStringLiteral("Search games"));
    m_searchField->setClearButtonEnabled(true);
    m_searchField->setAccessibleName(QStringLiteral("Search games"));
    m_searchField->setToolTip(
        QStringLiteral("Show only the games whose names contain this text (Ctrl+F; Escape clears)"));
    m_sortLabel = new QLabel(QStringLiteral("Sort:"), m_gameListPage);
    m_sortLabel->setObjectName(QStringLiteral("sortLabel"));
    m_sortLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_sortList = new QComboBox(m_gameListPage);
    m_sortList->setObjectName(QStringLiteral("sortList"));
    m_sortList->addItems(
        {QStringLiteral("Name"), QStringLiteral("Last played"), QStringLiteral("Most played")});
    m_sortLabel->setBuddy(m_sortList);
    m_sortList->setAccessibleName(QStringLiteral("Sort games by"));
    m_sortList->setToolTip(QStringLiteral("Order of the games"));

    m_gameGrid->setAccessibleName(QStringLiteral("Games"));
    m_startButton->setToolTip(QStringLiteral("Start the selected game (Enter)"));
    m_deleteButton->setToolTip(QStringLiteral("Delete the selected game (Delete)"));
    m_editButton->setToolTip(QStringLiteral("Edit the selected game's settings (F2 or Ctrl+E)"));
    m_newGameButton->setToolTip(QStringLiteral("Create a new game profile (Ctrl+N)"));
    m_skinList->setAccessibleName(QStringLiteral("Skin"));
    m_mailLink->setAccessibleName(QStringLiteral("E-mail"));
    m_homePageLink->setAccessibleName(QStringLiteral("HomePage"));
    // The links are stops of the Tab walk of their own (ui/linklabel.h).

    m_playTime = std::make_unique<PlayTimeStore>();
    m_playSessions = new PlaySessionTracker(*m_playTime, this);
}

void MainWindow::connectLibraryHandlers() {
    // Both pages exist now: Tab runs down the game list page as it reads
    // (search row, grid, buttons, options, links), and the editor's fields
    // take their names from the labels beside them.
    // The whole page in reading order, from the search row to the links; Tab
    // after the last goes back to the first, Shift+Tab the other way.
    const QList<QWidget*> chain{m_searchField,  m_coversButton, m_addFolderButton, m_sortList,
                                m_gameGrid,     m_deleteButton, m_startButton,     m_editButton,
                                m_newGameButton, m_runDiscCheck, m_skinList,       m_mailLink,
                                m_homePageLink};
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain.at(i - 1), chain.at(i));
    m_pages->setFocusPolicy(Qt::NoFocus); // its tab bar is hidden: the pages' controls take the focus
    accessiblenames::nameFromLabels(m_editorPage);

    connect(m_searchField, &QLineEdit::textChanged, this,
            [this](const QString& text) { run([this, &text] { searchGames(text); }); });
    connect(m_sortList, &QComboBox::activated, this,
            [this](int index) { run([this, index] { sortGames(index, true); }); });

    auto shortcut = [this](QWidget* scope, const QKeySequence& keys, Qt::ShortcutContext context,
                           auto handler) {
        auto* s = new QShortcut(keys, scope, nullptr, nullptr, context);
        connect(s, &QShortcut::activated, this, handler);
        return s;
    };
    const auto page = Qt::WidgetWithChildrenShortcut;
    shortcut(m_gameListPage, QKeySequence::Find, page, [this] {
        m_searchField->setFocus(Qt::ShortcutFocusReason);
        m_searchField->selectAll();
    });
    shortcut(m_gameListPage, QKeySequence(Qt::CTRL | Qt::Key_N), page, [this] { m_newGameButton->click(); });
    for (const QKeySequence& keys : {QKeySequence(Qt::Key_F2), QKeySequence(Qt::CTRL | Qt::Key_E)})
        shortcut(m_gameListPage, keys, page, [this] {
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

    connect(m_gameGrid, &GameListView::startRequested, this, [this] {
        if (m_startButton->isEnabled())
            run([this] { startSelectedGame(); });
    });
    connect(m_gameGrid, &GameListView::editRequested, this, [this] {
        if (m_editButton->isEnabled())
            m_editButton->click();
    });
    connect(m_gameGrid, &GameListView::deleteRequested, this, [this] {
        if (m_deleteButton->isEnabled())
            run([this] { deleteSelectedGame(); });
    });

    connect(m_playSessions, &PlaySessionTracker::sessionEnded, this,
            [this] { run([this] { refreshPlayStats(); }); });
    connect(m_playSessions, &PlaySessionTracker::failed, this,
            [this](const QString& text) { run([&text] { throw KorvelloError(text); }); });
}

void MainWindow::restoreLibrary() {
    const std::optional<int> stored = m_settings->readInt(kSortKey);
    if (stored && *stored >= 0 && *stored < m_sortList->count())
        sortGames(*stored, false);
    m_playSessions->resumeOpenSessions();
}

void MainWindow::searchGames(const QString& text) {
    m_gameGrid->filter()->setSearchText(text);
    followVisibleSelection();
}

void MainWindow::sortGames(int index, bool remember) {
    m_sortList->setCurrentIndex(index);
    m_gameGrid->filter()->setOrder(static_cast<GameListFilter::Order>(index));
    if (remember)
        m_settings->writeInt(kSortKey, index);
    followVisibleSelection();
}

void MainWindow::enableShownGameCommands() {
    // With no game shown, Start, Delete and Edit would act on a game the user
    // cannot see: they wait until the search shows one again. Without a search
    // this is the rebuild's own rule (on with at least one game).
    const bool shown = m_gameGrid->visibleCount() > 0;
    for (QPushButton* button : {m_startButton, m_deleteButton, m_editButton})
        button->setEnabled(shown);
}

void MainWindow::followVisibleSelection() {
    enableShownGameCommands();
    const int selected = m_gameGrid->selectedRow();
    if (selected >= 0)
        m_gameGrid->scrollTo(m_gameGrid->model()->index(selected, 0));
    else if (m_gameGrid->visibleCount() > 0 && m_shown)
        selectGame(0);
}

int MainWindow::findShownGame(const QString& name) {
    int row = m_gameGrid->findCaption(name);
    if (row < 0 && !m_searchField->text().isEmpty()) {
        // A new game the search hides would be added out of sight: show every game again.
        const QSignalBlocker quiet(m_searchField);
        m_searchField->clear();
        m_gameGrid->filter()->setSearchText(QString());
        enableShownGameCommands();
        row = m_gameGrid->findCaption(name);
    }
    return row;
}

void MainWindow::refreshPlayStats() {
    m_gameGrid->filter()->setPlayStats(m_playTime->stats());
    const int selected = m_gameGrid->selectedRow();
    if (selected >= 0)
        m_gameGrid->scrollTo(m_gameGrid->model()->index(selected, 0));
}
