#pragma once

#include "app/windowcontext.h"
#include "ui/errorreport.h"

#include <QString>
#include <QStringList>
#include <QWidget>
#include <memory>

class EditorPage;
class EmulatorMissingPage;
class GameDiscStore;
class GameListPage;
class GamepadControl;
class GameSession;
class PlayTimeStore;
class ProfileCommands;
class ProfileStore;
class ProgramSettings;
class QComboBox;
class QTabWidget;
class SkinManager;
class TrayMenu;

// The main window composes the pages (the game list, the settings page and,
// for a folder without an emulator, a notice) and the controllers that span
// them: starting and unloading games (GameSession), the settings page's
// commands (ProfileCommands), the tray menu and gamepad input. It owns the
// stores they share and the program settings, finds the emulator folder's
// setup when it opens, and keeps the skins and its own size and place. Each
// part owns its controls and state; they meet here, through signals and their
// public methods.
class MainWindow : public QWidget {
    Q_OBJECT
public:
    // appFolder: the folder the program treats as its own (ends in "/"); the
    // executable's folder in the product, a temporary folder in tests.
    // programFileFolders: where the fallback pictures and the skins are looked
    // for, in order (core/programfiles.h); empty for appFolder alone.
    explicit MainWindow(const QString& appFolder, const QStringList& programFileFolders = {});
    ~MainWindow() override;

    GameListPage* gameListPage() const { return m_gameListPage; }
    EditorPage* editorPage() const { return m_editorPage; }
    GameSession* session() const { return m_session; }
    ProfileCommands* profileCommands() const { return m_profileCommands; }
    // What the window found in its folder when it opened.
    const EmulatorSetup& emulatorSetup() const { return m_setup; }
    // The library's profiles in db.mdb.
    ProfileStore& profileStore() const { return *m_profiles; }
    // Whether a skin is applied (false: the standard look).
    bool isSkinActive() const;
    // The emulator folder chosen on the notice page: the window closed to open again there.
    QString nextFolder() const { return m_nextFolder; }

    // Out of the tray or from under other windows; a maximised window stays maximised.
    void restoreFromTray();
    // Another copy of the program added games (--add-folder): the list shows
    // them, and the selected game stays selected.
    void showLibraryChanges();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void connectParts();
    void connectGamepad();
    void initialize();
    void findEmulatorFolders();
    void setUpSkins();
    // Both skin lists show the chosen skin, which is applied and remembered.
    void applyChosenSkin(int position);
    void showPage(QWidget* page);
    void showGameTitle(const QString& game);
    // Shows the notice page when the folder holds no emulator.
    void showNoEmulatorNotice();
    void chooseEmulatorFolder(const QString& folder);
    void startSelectedGame();
    void showUnloadHint();
    // The pad moves, starts and clears only on the game list page of the active
    // window, with no menu or dialog open over it.
    bool acceptsGamepadNavigation() const;
    void startGameFromGamepad();
    // The remembered size and place, or the first size fitted to the screen's work area.
    void placeWindow();
    void rememberGeometry();
    template <typename F> void run(F&& f) { ErrorReport::guard(this, std::forward<F>(f)); }

    EmulatorSetup m_setup;
    QString m_programName; // the window title's first part
    std::unique_ptr<ProgramSettings> m_settings;
    std::unique_ptr<ProfileStore> m_profiles;
    std::unique_ptr<PlayTimeStore> m_playTime;
    std::unique_ptr<GameDiscStore> m_discs;
    std::unique_ptr<SkinManager> m_skinManager;

    QTabWidget* m_pages = nullptr;
    GameListPage* m_gameListPage = nullptr;
    EditorPage* m_editorPage = nullptr;
    EmulatorMissingPage* m_noEmulatorPage = nullptr;
    GameSession* m_session = nullptr;
    ProfileCommands* m_profileCommands = nullptr;
    TrayMenu* m_tray = nullptr;
    GamepadControl* m_gamepad = nullptr;
    QString m_nextFolder;
    bool m_shown = false;
};
