// The game list page: rebuild, selection, poster and caption.
#include "app/mainwindow.h"
#include "core/korvelloerror.h"
#include "editor/editorpage.h"
#include "gamelist/artworkfiles.h"
#include "gamelist/gamelistview.h"
#include "gamelist/jpeg.h"
#include "gamelist/posterview.h"
#include "gamelist/thumbnailloader.h"
#include "store/profilestore.h"

#include <QItemSelectionModel>
#include <QPushButton>

void MainWindow::connectGameListHandlers() {
    connect(m_gameGrid->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { run([this] { showSelectedGame(); }); });
    connect(m_gameGrid, &GameListView::mouseClicked, this,
            [this] { run([this] { reselectFocusedGame(); }); });
    connect(m_gameGrid, &GameListView::mouseDoubleClicked, this,
            [this] { run([this] { startSelectedGame(); }); });
}

void MainWindow::setIconSpacing() {
    m_gameGrid->setIconSpacing(109, 0);
}

void MainWindow::takeThumbnailsFromCache() {
    if (!m_thumbnails || m_listedNames.isEmpty())
        return;
    // A rebuild that finds the files unchanged decodes nothing: its cells are
    // the cache's. Damaged files were reported by the rebuild that found them.
    const ThumbnailLoader::Result cached = m_thumbnails->load(m_listedNames);
    m_gameGrid->replacePictures(m_listedNames, cached.cells);
}

void MainWindow::loadGameList() {
    m_gameGrid->clear();                            // 1
    const QStringList names = m_store->listNames(); // 2 and 4: the store closes its query
    // 3: unchanged thumbnails come from the cache, the others are decoded on
    // every core. A thumbnail that cannot be shown no longer ends the rebuild:
    // its game shows the fallback picture and one report names the file(s).
    if (!m_thumbnails) {
        m_thumbnails = std::make_unique<ThumbnailLoader>(m_appFolder);
        // An installed program keeps its fallback picture in its data folder.
        if (!m_programFileFolders.isEmpty())
            m_thumbnails->setFallbackFile(
                artworkfiles::fallbackPath(m_appFolder, artworkfiles::Kind::Thumbnail, m_programFileFolders));
        // The cache is written on a thread of its own: its end is handed to this window's thread.
        m_thumbnails->setCacheWrittenHandler([this] {
            QMetaObject::invokeMethod(
                this, [this] { run([this] { takeThumbnailsFromCache(); }); }, Qt::QueuedConnection);
        });
    }
    ThumbnailLoader::Result thumbnails = m_thumbnails->load(names);
    m_listedNames = names;
    m_gameGrid->setEntries(names, std::move(thumbnails.cells));
    const int n = m_gameGrid->count();
    if (n == 0) // 5
        openNewProfile();
    for (QPushButton* button :
         {m_startButton, m_deleteButton, m_editorPage->btnSave, m_editButton, m_editorPage->btnGameList})
        button->setEnabled(n >= 1); // 6
    refreshPlayStats();
    refreshDiscInfo();
    enableShownGameCommands();
    // Reported here rather than thrown: the caller (Add Game, Delete) still
    // selects its entry in the complete list.
    if (!thumbnails.errors.isEmpty())
        ErrorReport::show(this, KorvelloError(thumbnails.report()));
}

void MainWindow::selectGame(int position) {
    if (position >= 0 && position < m_gameGrid->count())
        m_gameGrid->selectRow(position);
}

void MainWindow::showSelectedGame() {
    const int row = m_gameGrid->selectedRow();
    // A change that leaves nothing selected keeps the current game, caption and poster.
    if (m_gameGrid->count() == 0 || row < 0)
        return;
    m_currentGame = m_gameGrid->caption(row);
    setWindowTitle(m_programName + m_currentGame);
    m_poster->showPicture(jpeg::decodeFile(artworkfiles::pathOrFallback(
        m_appFolder, artworkfiles::Kind::Poster, m_currentGame, m_programFileFolders)));
}

void MainWindow::reselectFocusedGame() {
    // A click on empty space leaves nothing selected: the entry with the focus mark is selected again.
    if (m_gameGrid->selectedRow() < 0 && m_gameGrid->count() > 0)
        selectGame(m_gameGrid->focusedRow());
}
