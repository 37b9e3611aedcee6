#pragma once

#include "app/windowcontext.h"
#include "library/coverdownload.h"
#include "library/libraryimport.h"
#include "ui/errorreport.h"

#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>

class CoverDownloadDialog;
class GameListView;
class PosterView;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressDialog;
class QPushButton;
class QThread;
class ThumbnailLoader;

// The game list page: the grid of thumbnails with its search and sort, the
// poster, the page's commands (Start, Edit, New and Delete, "Download
// covers...", "Add folder...", a game's context menu) and its notes. It owns
// these controls and the selection; what spans pages (starting a game,
// editing a profile, the page menu) it asks for through its signals.
class GameListPage : public QWidget {
    Q_OBJECT
public:
    // What the page needs from the settings page: the choices a folder's new
    // games are made with, and the blur a downloaded cover's thumbnail gets.
    struct Sources {
        std::function<LibraryImport::Options()> folderImportOptions;
        std::function<double()> thumbnailBlur;
    };

    GameListPage(const EmulatorSetup& setup, const LibraryStores& stores, QWidget* parent);
    ~GameListPage() override;
    void setSources(Sources sources);

    // The selected game's name; "" until a game was selected.
    QString currentGame() const { return m_currentGame; }
    // Whether "Run CDVD after start" is ticked.
    bool runsDisc() const;
    // Every game in the grid, also those the search hides.
    int gameCount() const;
    // Whether the grid shows a game that Start, Edit and Delete can act on.
    bool showsGame() const;

    // ---- The grid (gamelistpage_grid.cpp) ----
    // Rebuilds the grid from db.mdb and the thumbnails.
    void loadGameList();
    void selectGame(int position);
    // The position of the game in the grid; a search that hides it is cleared first.
    int findShownGame(const QString& name);
    // Selects the game by name when the grid shows it.
    void selectGameNamed(const QString& name);
    // The first game selected and the grid focused, as the window first opens.
    void takeFirstFocus();
    void focusGrid();
    // "Run CDVD after start" as stored (on unless turned off); the user's changes are stored.
    void restoreOptions();
    // The stored sort order.
    void restoreSortOrder();
    void refreshPlayStats();
    // A picture just imported is shown at once: the poster, and the thumbnail
    // in the cell of `game` ("" for a game not added yet).
    void showArtwork(const QString& game, const QImage& poster, const QImage& thumbnail);
    // The pad's moves: the grid's own arrow and page keys.
    void pressGridKey(Qt::Key key);
    // The pad's east button: the search cleared and the grid focused.
    void clearSearch();
    // The thumbnails' loader and cache, made at the first rebuild.
    ThumbnailLoader* thumbnails() const { return m_thumbnails.get(); }
    // The loader is let go (after its cache write); the next rebuild starts as on a first run.
    void forgetThumbnails();

    // ---- The notes and options ----
    void setVersionText(const QString& text);
    // What the unload key and the pad do, and the notes about them.
    void setUnloadHint(const QString& text, const QString& toolTip);
    // The skins' names, `position` shown; the choice is reported by skinChosen.
    void showSkins(const QStringList& names, int position);
    void showSkin(int position);

    // ---- Deleting and a game's desktop shortcut (gamelistpage_games.cpp) ----
    void deleteSelectedGame();
    void createShortcutForSelectedGame();
    // Opens the folder of the selected game's disc image in the file manager.
    void openSelectedGameFolder();
    // After a Save: a game's shortcut, when it has one, follows its new name and picture.
    void updateGameShortcut(const QString& oldName, const QString& newName);
    // The executable a desktop shortcut runs: this program's own unless a test says otherwise.
    void setShortcutProgram(const QString& program) { m_shortcutProgram = program; }

    // ---- Adding a folder of disc images (gamelistpage_addfolder.cpp) ----
    // Asks for a folder and adds its games on a worker thread with a progress
    // dialog; the grid is rebuilt once at the end and a summary shown.
    void addFolder();
    // Adds the games of `folder` without asking for it.
    void addGamesOfFolder(const QString& folder);
    bool isAddingFolder() const { return m_folderImport != nullptr; }

    // ---- Covers for the whole library (gamelistpage_covers.cpp) ----
    void openCoverDownload();
    // The time-outs of each cover transfer: no byte for stallMs, longer than
    // totalMs; 0 keeps CoverDownload's own.
    void setCoverTimeouts(int stallMs, int totalMs);
    bool isDownloadingCovers() const { return m_coverDownload != nullptr; }

signals:
    // Start: the button, Enter, a double click, the context menu.
    void startRequested();
    // Edit: the button, F2 or Ctrl+E, the context menu.
    void editRequested();
    // New: the button or Ctrl+N.
    void newGameRequested();
    // The page's own menu, asked for beside the grid or on empty space in it.
    void pageMenuRequested(const QPoint& globalPos);
    // The selected game changed.
    void currentGameChanged(const QString& name);
    // Added games are to be seen: the window shows this page.
    void gameListShown();
    // A rebuild found `count` games.
    void gameListLoaded(int count);
    void skinChosen(int position);
    // An addition started by addFolder() is running (true) or has ended.
    void folderAdditionRunning(bool running);
    // An addition started by addFolder() has ended, its summary shown.
    void folderAdded();
    // A cover download has ended and its summary was shown.
    void coverDownloadFinished();

private:
    void buildControls();
    void layOutPage();
    void connectControls();
    void addShortcuts();
    void buildGameMenu();
    void showSelectedGame();
    void reselectFocusedGame();
    void takeThumbnailsFromCache();
    void searchGames(const QString& text);
    // order: a GameListFilter::Order; remember: the user's pick, written to the settings.
    void sortGames(int order, bool remember);
    // Keeps a shown game selected and the commands usable only while one is shown.
    void followVisibleSelection();
    // Start, Delete and Edit only while the grid shows a game.
    void enableShownGameCommands();
    // The grid's tool tips follow the discs in db.mdb.
    void refreshDiscInfo();
    void showGameMenu(int row, const QPoint& globalPos);
    void finishFolderAddition(const LibraryImport::Summary& summary, const QString& error);
    void startCoverDownload();
    void showArrivedCover(const CoverDownload::Report& report, const QImage& thumbnail);
    void finishCoverDownload();
    // Runs a handler under the error report: an error ends the operation, the program goes on.
    template <typename F> void run(F&& f) { ErrorReport::guard(this, std::forward<F>(f)); }

    const EmulatorSetup& m_setup;
    LibraryStores m_stores;
    Sources m_sources;
    QString m_currentGame;
    QStringList m_listedNames; // the names of the last rebuild, in the grid's model order
    std::unique_ptr<ThumbnailLoader> m_thumbnails;
    QString m_shortcutProgram;
    bool m_firstFocusTaken = false; // the window has opened: a search keeps a game selected

    GameListView* m_gameGrid = nullptr;
    PosterView* m_poster = nullptr;
    QLineEdit* m_searchField = nullptr;
    QLabel* m_sortLabel = nullptr;
    QComboBox* m_sortList = nullptr;
    QPushButton* m_startButton = nullptr;
    QPushButton* m_deleteButton = nullptr;
    QPushButton* m_editButton = nullptr;
    QPushButton* m_newGameButton = nullptr;
    QPushButton* m_coversButton = nullptr;
    QPushButton* m_addFolderButton = nullptr;
    QCheckBox* m_runDiscCheck = nullptr;
    QComboBox* m_skinList = nullptr;
    QLabel* m_versionLabel = nullptr;
    QLabel* m_unloadKeyLabel = nullptr;
    QLabel* m_mailLink = nullptr;
    QLabel* m_homePageLink = nullptr;
    QGridLayout* m_commandGrid = nullptr;
    QMenu* m_gameMenu = nullptr;

    QThread* m_folderImport = nullptr; // the running folder addition's thread, if any
    QProgressDialog* m_folderProgress = nullptr;
    std::shared_ptr<std::atomic_bool> m_folderCancel; // set by Cancel and by closing the window

    CoverDownloadDialog* m_coverDialog = nullptr;
    CoverDownload* m_coverDownload = nullptr; // the running download, if any
    int m_coverStallMs = 0;
    int m_coverTotalMs = 0;
};
