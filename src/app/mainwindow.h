#pragma once

#include "gamelist/coverdownload.h"
#include "ui/errorreport.h"

#include <QString>
#include <QStringList>
#include <QWidget>
#include <atomic>
#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSystemTrayIcon;
class QTabWidget;

class EditorPage;
class GamepadCommands;
class GamepadReader;
class GameDiscStore;
class QProgressDialog;
class GameListView;
class PlaySessionTracker;
class PlayTimeStore;
class PosterView;
class ProfileStore;
class ProgramSettings;
class UnloadKey;
class SkinManager;
class ArtworkImportJob;
class QThread;
class ThumbnailLoader;
class CoverDownloadDialog;

// The main window. It owns the state that several subsystems share and the
// two pages (the game list and the profile editor), and composes the
// subsystems: each handler is named for its effect and hands its work to the
// subsystem's own classes. Handlers are spread over mainwindow_<area>.cpp
// files, one per subsystem.
class MainWindow : public QWidget {
    Q_OBJECT
public:
    // appFolder: the folder the program treats as its own (ends in "/"); the
    // executable's folder in the product, a temporary folder in tests.
    // programFileFolders: where the fallback pictures and the skins are looked
    // for, in order (core/programfiles.h); empty for appFolder alone.
    explicit MainWindow(const QString& appFolder, const QStringList& programFileFolders = {});
    ~MainWindow() override;

    // ---- Shared fields ----
    QString m_appFolder;          // the program's folder, ends in "/"
    QString m_programName;        // the executable's file name, skipped in the executable list
    QString m_currentGame;        // name of the selected profile, "" when none
    QString m_settingsFolder;     // the emulator's settings folder (its inis)
    QString m_pluginsFolder;      // the emulator's plug-ins folder
    bool m_linuxPlugins = false;  // the plug-in era's plug-ins are the Linux builds
    QStringList m_pluginFiles;    // graphics plug-in file names, parallel to the editor's plug-in list
    qint32 m_unloadKeyAtom = 0;   // id of the registered unload key, 0 when none
    QString m_startedExecutable;  // file name of the emulator that Start last started
    bool m_currentBuilds = false; // the emulator folder holds the current (plug-in-less) builds
    // Where the fallback pictures and the skins are found; empty: m_appFolder alone.
    QStringList m_programFileFolders;
    std::unique_ptr<ProgramSettings> m_settings;
    std::unique_ptr<ProfileStore> m_store;
    std::unique_ptr<UnloadKey> m_unloadKey;
    std::unique_ptr<SkinManager> m_skinManager;
    // The game list's thumbnails, from the program folder's thumbnail cache.
    std::unique_ptr<ThumbnailLoader> m_thumbnails;
    QStringList m_listedNames;                    // the names of the last rebuild, in the grid's model order
    std::unique_ptr<PlayTimeStore> m_playTime;    // play sessions in db.mdb
    PlaySessionTracker* m_playSessions = nullptr; // watches the emulators Start started
    std::unique_ptr<GameDiscStore> m_discs;       // the games' discs in db.mdb

    // ---- Controls ----
    QTabWidget* m_pages = nullptr;
    QWidget* m_gameListPage = nullptr;
    EditorPage* m_editorPage = nullptr;

    GameListView* m_gameGrid = nullptr;
    PosterView* m_poster = nullptr;
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
    // The game list page's commands: buttons and options in a grid layout.
    QGridLayout* m_commandGrid = nullptr;
    // Shown instead of the pages when the folder holds no emulator.
    QWidget* m_noEmulatorPage = nullptr;
    QLabel* m_noEmulatorText = nullptr;
    QPushButton* m_chooseFolderButton = nullptr;
    // The emulator folder chosen on that page: the window closed to open again there.
    QString m_nextFolder;

    QLineEdit* m_searchField = nullptr;
    QLabel* m_sortLabel = nullptr;
    QComboBox* m_sortList = nullptr;
    QMenu* m_gameMenu = nullptr; // a game's context menu in the grid
    // The executable a desktop shortcut runs: this program's own in the product.
    QString m_shortcutProgram;

    QMenu* m_trayMenu = nullptr;
    QAction* m_gamepadAction = nullptr; // the switch for gamepad input, checkable
    QAction* m_exitAction = nullptr;
    QSystemTrayIcon* m_trayIcon = nullptr;

    // ---- Start-up and shell (mainwindow.cpp) ----
    void initialize();
    void finishFirstShow();
    void restoreFromTray();
    void exitProgram();
    void rememberRunDisc();

    // ---- A folder without an emulator (mainwindow_firstrun.cpp) ----
    // Shows the notice page when the folder holds no emulator; false when it holds one.
    bool showNoEmulatorNotice();
    void chooseEmulatorFolder();

    // ---- Emulator discovery and launch (mainwindow_launch.cpp) ----
    void findEmulatorFolders();
    void fillRendererList();
    void fillExecutableList();
    void scanGraphicsPlugins();
    void setUnloadKeyEnabled(bool on);
    // Shows on the hint label what to press, and a notice when the desktop gives us no key.
    void showUnloadKeyStatus();
    void startSelectedGame();
    // Starts the current game, ending `gamesToEnd` (other games this window started)
    // once the start's checks have passed.
    void startCurrentGame(const QStringList& gamesToEnd);
    // Puts back the emulator's own settings files kept before Korvello's first Start.
    void restoreEmulatorSettings();
    // The unload key was pressed: ends the emulator that Start last started.
    void unloadEmulator(qint32 id);
    // Ends the emulator that Start (here or on the command line) last started:
    // what the unload key and the gamepad's unload combination do.
    void endStartedEmulator();

    // ---- Gamepad (mainwindow_gamepad.cpp) ----
    // Reads the switch from the settings and starts reading gamepads when it is on.
    void setUpGamepad();
    // The switch in the menu: kept in the settings; reading starts or stops at once.
    void setGamepadEnabled(bool on);
    // What to hold on the connected pad to unload ("Select+Start"); empty
    // without a pad or with gamepad input off.
    QString gamepadUnloadCombination() const;

    // ---- Skins (mainwindow_skins.cpp) ----
    void setUpSkins();
    void applyChosenSkin(QComboBox* changed);

    // ---- Game list (mainwindow_gamelist.cpp) ----
    void setIconSpacing();
    void loadGameList();
    // Once the cache holds what a rebuild decoded, the grid shows the cache's
    // mapped cells instead, and the decoded ones' memory goes back.
    void takeThumbnailsFromCache();
    void selectGame(int position);
    void showSelectedGame();
    void reselectFocusedGame();

    // ---- Editor modes (mainwindow_editor.cpp) ----
    // Switches to the editor with an empty profile for a new game.
    void openNewProfile();
    void showGameList();

    // ---- Profile commands (mainwindow_commands.cpp) ----
    // Adds the profile on the editor page as a new game.
    void addGame();
    void saveProfile();
    void editSelectedGame();
    void deleteSelectedGame();

    // ---- Library: search, sort, keys, play time (mainwindow_library.cpp) ----
    void searchGames(const QString& text);
    // order: a GameListFilter::Order; remember: the user's pick, written to the settings.
    void sortGames(int order, bool remember);
    // Keeps a shown game selected and the commands usable only while one is shown.
    void followVisibleSelection();
    void refreshPlayStats();
    // The stored sort order, and play sessions left open by an earlier run.
    void restoreLibrary();
    // The position of the game in the grid; a search that hides it is cleared first.
    int findShownGame(const QString& name);

    // ---- Artwork (mainwindow_artwork.cpp) ----
    // Asks for a picture and starts its import on a worker thread; the window
    // keeps repainting, shows a busy cursor after half a second, and applies
    // the result when the import ends. One import at a time.
    void importArtwork(QPushButton* pressed);
    bool isImportingArtwork() const { return m_artworkImport != nullptr; }

    // ---- Covers for the whole library (mainwindow_covers.cpp) ----
    void openCoverDownload();
    void startCoverDownload();
    // The time-outs of each cover transfer: no byte for stallMs, longer than
    // totalMs; 0 keeps CoverDownload's own.
    void setCoverTimeouts(int stallMs, int totalMs);
    bool isDownloadingCovers() const { return m_coverDownload != nullptr; }
    // ---- Adding a folder of disc images (mainwindow_addfolder.cpp) ----
    // Asks for a folder and adds its games on a worker thread with a progress
    // dialog; the grid is rebuilt once at the end and a summary shown.
    void addFolder();
    // Adds the games of `folder` without asking for it.
    void addGamesOfFolder(const QString& folder);
    bool isAddingFolder() const { return m_folderImport != nullptr; }
    // The grid's tool tips follow the discs in db.mdb.
    void refreshDiscInfo();

    // ---- A game's context menu and desktop shortcuts (mainwindow_shortcuts.cpp) ----
    void showGameMenu(int row, const QPoint& globalPos);
    void createShortcutForSelectedGame();
    // Opens the folder of the selected game's disc image in the file manager.
    void openSelectedGameFolder();
    // After a Save: a game's shortcut, when it has one, follows its new name and picture.
    void updateGameShortcut(const QString& oldName, const QString& newName);
    void removeGameShortcut(const QString& name);

signals:
    // An addition started by addFolder() has ended, its summary shown.
    void folderAdded();
    // An import started by importArtwork() has ended and its result is applied.
    void artworkImportFinished();
    // A cover download has ended and its summary was shown.
    void coverDownloadFinished();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildGameListPage();
    void buildNoEmulatorPage();
    void layOutGameListPage();
    // The remembered size and place, or the first size fitted to the screen's work area.
    void placeWindow();
    void rememberGeometry();
    void connectHandlers();
    // Each subsystem's file wires its own controls to its handlers.
    void connectGameListHandlers();
    void connectLaunchHandlers();
    void connectEditorHandlers();
    void connectCommandHandlers();
    void connectArtworkHandlers();
    void connectSkinHandlers();
    void connectLibraryHandlers();
    void buildLibraryControls();
    // Start, Delete and Edit only while the grid shows a game.
    void enableShownGameCommands();
    void connectShortcutHandlers();
    void connectCoverHandlers();
    void showArrivedCover(const CoverDownload::Report& report, const QImage& thumbnail);
    void finishCoverDownload();
    void connectGamepadHandlers();
    // The pad moves, starts and clears only on the game list page of the active
    // window, with no menu or dialog open over it.
    bool acceptsGamepadNavigation() const;
    void startGameFromGamepad();
    void stopGamepad();
    void connectAddFolderHandlers();
    // Runs a handler under the error report: an error ends the operation, the program goes on.
    template <typename F> void run(F&& f) { ErrorReport::guard(this, std::forward<F>(f)); }

    void finishArtworkImport(const std::shared_ptr<ArtworkImportJob>& job, int row, const QString& caption);
    // Every value the editor page shows for the profile, as one text: what Edit
    // loaded is kept in m_loadedValues, so leaving can tell whether it changed.
    QString editorValues() const;

    bool m_shown = false;
    QThread* m_artworkImport = nullptr; // the running import's thread, if any
    QThread* m_folderImport = nullptr;  // the running folder addition's thread, if any
    QProgressDialog* m_folderProgress = nullptr;
    std::shared_ptr<std::atomic_bool> m_folderCancel; // set by Cancel and by closing the window
    bool m_busyCursor = false;
    QString m_loadedValues;
    CoverDownloadDialog* m_coverDialog = nullptr;
    CoverDownload* m_coverDownload = nullptr; // the running download, if any
    int m_coverStallMs = 0;
    int m_coverTotalMs = 0;
    std::unique_ptr<GamepadReader> m_gamepadReader;
    GamepadCommands* m_gamepad = nullptr;
};
