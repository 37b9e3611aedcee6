// The game list page's grid: the rebuild from db.mdb and the thumbnail cache,
// the selection with its poster, the search, the sort orders, play figures and
// the discs' lines in the tool tips.
#include "app/gamelistpage.h"

#include "app/programsettings.h"
#include "core/korvelloerror.h"
#include "disc/gameindex.h"
#include "gamelist/artworkfiles.h"
#include "gamelist/gamelistfilter.h"
#include "gamelist/gamelistview.h"
#include "gamelist/jpeg.h"
#include "gamelist/posterview.h"
#include "gamelist/thumbnailloader.h"
#include "store/gamediscstore.h"
#include "store/playtimestore.h"
#include "store/profilestore.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

namespace {
const QString kSortKey = QStringLiteral("Sort");
const QString kRunKey = QStringLiteral("Run");
} // namespace

void GameListPage::takeThumbnailsFromCache() {
    if (!m_thumbnails || m_listedNames.isEmpty())
        return;
    // A rebuild that finds the files unchanged decodes nothing: its cells are
    // the cache's. Damaged files were reported by the rebuild that found them.
    const ThumbnailLoader::Result cached = m_thumbnails->load(m_listedNames);
    m_gameGrid->replacePictures(m_listedNames, cached.pictures);
}

void GameListPage::forgetThumbnails() {
    m_thumbnails.reset();
}

void GameListPage::loadGameList() {
    m_gameGrid->clear();
    const QStringList names = m_stores.profiles.listNames(); // the store closes its query
    // Unchanged thumbnails come from the cache, the others are decoded on
    // every core. A thumbnail that cannot be shown does not end the rebuild:
    // its game shows the fallback picture and one report names the file(s).
    if (!m_thumbnails) {
        m_thumbnails = std::make_unique<ThumbnailLoader>(m_setup.appFolder);
        // An installed program keeps its fallback picture in its data folder.
        if (!m_setup.programFileFolders.isEmpty())
            m_thumbnails->setFallbackFile(artworkfiles::fallbackPath(
                m_setup.appFolder, artworkfiles::Kind::Thumbnail, m_setup.programFileFolders));
        // The cache is written on a thread of its own: its end is handed to the window's thread.
        m_thumbnails->setCacheWrittenHandler([this] {
            QMetaObject::invokeMethod(
                this, [this] { run([this] { takeThumbnailsFromCache(); }); }, Qt::QueuedConnection);
        });
    }
    // A screen scaled to 150 % and more shows thumbnails of twice the size where they exist.
    m_thumbnails->setScale(ThumbnailLoader::scaleFor(m_gameGrid->devicePixelRatioF()));
    ThumbnailLoader::Result thumbnails = m_thumbnails->load(names);
    m_listedNames = names;
    m_gameGrid->setEntries(names, std::move(thumbnails.pictures));
    const int n = m_gameGrid->count();
    // An empty library opens the settings page for a new game.
    emit gameListLoaded(n);
    for (QPushButton* button : {m_startButton, m_deleteButton, m_editButton})
        button->setEnabled(n >= 1);
    refreshPlayStats();
    refreshDiscInfo();
    enableShownGameCommands();
    // Reported here rather than thrown: the caller (Add Game, Delete) still
    // selects its entry in the complete list.
    if (!thumbnails.errors.isEmpty())
        ErrorReport::show(this, KorvelloError(thumbnails.report()));
}

void GameListPage::restoreOptions() {
    {
        // Start plays the game unless the user said otherwise; showing the
        // default writes nothing.
        const std::optional<int> runValue = m_stores.settings.readInt(kRunKey);
        const QSignalBlocker quiet(m_runDiscCheck);
        m_runDiscCheck->setChecked(!runValue || *runValue != 0);
    }
    connect(m_runDiscCheck, &QCheckBox::toggled, this,
            [this](bool on) { run([this, on] { m_stores.settings.writeInt(kRunKey, on ? 1 : 0); }); });
}

void GameListPage::restoreSortOrder() {
    const std::optional<int> stored = m_stores.settings.readInt(kSortKey);
    if (stored && *stored >= 0 && *stored < m_sortList->count())
        sortGames(*stored, false);
}

void GameListPage::selectGame(int position) {
    if (position >= 0 && position < m_gameGrid->count())
        m_gameGrid->selectRow(position);
}

void GameListPage::selectGameNamed(const QString& name) {
    const int row = findShownGame(name);
    if (row >= 0)
        selectGame(row);
}

void GameListPage::takeFirstFocus() {
    m_firstFocusTaken = true;
    if (m_gameGrid->count() > 0) {
        m_gameGrid->setFocus();
        selectGame(0);
    }
}

void GameListPage::showSelectedGame() {
    const int row = m_gameGrid->selectedRow();
    // A change that leaves nothing selected keeps the current game, caption and poster.
    if (m_gameGrid->count() == 0 || row < 0)
        return;
    m_currentGame = m_gameGrid->caption(row);
    emit currentGameChanged(m_currentGame);
    m_poster->showPicture(jpeg::decodeFile(artworkfiles::pathOrFallback(
        m_setup.appFolder, artworkfiles::Kind::Poster, m_currentGame, m_setup.programFileFolders)));
}

void GameListPage::reselectFocusedGame() {
    // A click on empty space leaves nothing selected: the entry with the focus mark is selected again.
    if (m_gameGrid->selectedRow() < 0 && m_gameGrid->count() > 0)
        selectGame(m_gameGrid->focusedRow());
}

void GameListPage::showArtwork(const QString& game, const QImage& poster, const QImage& thumbnail) {
    if (!poster.isNull())
        m_poster->showPicture(poster);
    if (thumbnail.isNull() || game.isEmpty())
        return;
    const int row = m_gameGrid->findCaption(game);
    if (row >= 0 && m_gameGrid->caption(row) == game)
        m_gameGrid->setEntryImage(row, thumbnail);
}

void GameListPage::searchGames(const QString& text) {
    m_gameGrid->filter()->setSearchText(text);
    followVisibleSelection();
}

void GameListPage::sortGames(int index, bool remember) {
    m_sortList->setCurrentIndex(index);
    m_gameGrid->filter()->setOrder(static_cast<GameListFilter::Order>(index));
    if (remember)
        m_stores.settings.writeInt(kSortKey, index);
    followVisibleSelection();
}

void GameListPage::enableShownGameCommands() {
    // With no game shown, Start, Delete and Edit would act on a game the user
    // cannot see: they wait until the search shows one again. Without a search
    // this is the rebuild's own rule (on with at least one game).
    const bool shown = m_gameGrid->visibleCount() > 0;
    for (QPushButton* button : {m_startButton, m_deleteButton, m_editButton})
        button->setEnabled(shown);
}

void GameListPage::followVisibleSelection() {
    enableShownGameCommands();
    const int selected = m_gameGrid->selectedRow();
    if (selected >= 0)
        m_gameGrid->scrollTo(m_gameGrid->model()->index(selected, 0));
    else if (m_gameGrid->visibleCount() > 0 && m_firstFocusTaken)
        selectGame(0);
}

int GameListPage::findShownGame(const QString& name) {
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

void GameListPage::refreshPlayStats() {
    m_gameGrid->filter()->setPlayStats(m_stores.playTime.stats());
    const int selected = m_gameGrid->selectedRow();
    if (selected >= 0)
        m_gameGrid->scrollTo(m_gameGrid->model()->index(selected, 0));
}

void GameListPage::refreshDiscInfo() {
    QHash<QString, QString> lines;
    const QHash<QString, GameDisc> discs = m_stores.discs.all();
    for (auto it = discs.cbegin(); it != discs.cend(); ++it) {
        QStringList parts{it->serial};
        if (!it->region.isEmpty())
            parts << it->region;
        if (const QString compat = GameIndex::compatText(it->compat); !compat.isEmpty())
            parts << QStringLiteral("compatibility: %1").arg(compat);
        parts.removeAll(QString());
        if (!parts.isEmpty())
            lines.insert(it.key(), parts.join(QStringLiteral(" · ")));
    }
    m_gameGrid->filter()->setDiscLines(std::move(lines));
}
