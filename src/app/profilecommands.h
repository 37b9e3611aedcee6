#pragma once

#include "app/windowcontext.h"
#include "library/libraryimport.h"
#include "ui/errorreport.h"

#include <QObject>
#include <QStringList>
#include <memory>

class ArtworkImportJob;
class EditorPage;
class GameListPage;
class QPushButton;
class QThread;
class QWidget;

// The settings page's commands and modes: New opens it with the defaults for a
// new game ("Add Game" on), Edit loads the selected game ("Save" on), Add Game
// and Save store the profile and go back to the game list, leaving asks before
// changes are dropped, and the two picture buttons import artwork on a worker
// thread. It reaches the game list only through the page's public methods.
class ProfileCommands : public QObject {
    Q_OBJECT
public:
    ProfileCommands(const EmulatorSetup& setup, const LibraryStores& stores, EditorPage* editor,
                    GameListPage* gameList, QWidget* window);
    ~ProfileCommands() override;

    // The editor's lists for the window's emulator folder: renderers, executables, graphics plug-ins.
    void fillEmulatorLists();
    // Graphics plug-in file names, parallel to the editor's plug-in list.
    const QStringList& pluginFiles() const { return m_pluginFiles; }
    // The files behind entries the editor's plug-in list was given otherwise.
    void setPluginFiles(const QStringList& files) { m_pluginFiles = files; }

    // Switches to the editor with an empty profile for a new game: the page's
    // defaults overlaid with what the emulator's settings files say today.
    void openNewProfile();
    // Back to the game list; changes to a loaded profile are dropped only when the user agrees.
    void showGameList();
    // Adds the profile on the editor page as a new game.
    void addGame();
    void saveProfile();
    // Loads the game list's selected game into the editor.
    void editSelectedGame();
    // A rebuild of the game list found `count` games: an empty library opens a new profile.
    void gameListLoaded(int count);
    // While a folder is added, the editor's own "Add folder..." waits.
    void setFolderAdditionRunning(bool running);

    // Asks for a picture and starts its import on a worker thread; the window
    // keeps repainting, shows a busy cursor after half a second, and applies
    // the result when the import ends. One import at a time.
    void importArtwork(QPushButton* pressed);
    bool isImportingArtwork() const { return m_artworkImport != nullptr; }

    // The choices a folder's new games are made with: the executable chosen on
    // the page (or the only one), its graphics plug-in, the game database.
    LibraryImport::Options folderImportOptions() const;
    // The blur radius the next thumbnail gets.
    double thumbnailBlur() const;

signals:
    // The window is to show the page (the editor or the game list).
    void pageWanted(QWidget* page);
    // An import started by importArtwork() has ended and its result is applied.
    void artworkImportFinished();
    // A profile was renamed by Save.
    void gameRenamed(const QString& oldName, const QString& newName);

private:
    void connectControls();
    // Loads the page with what the emulator uses today (its settings files over the page's defaults).
    void showEmulatorsValues();
    void finishArtworkImport(const std::shared_ptr<ArtworkImportJob>& job, const QString& game);
    // Every value the editor page shows for the profile, as one text: what Edit
    // loaded is kept in m_loadedValues, so leaving can tell whether it changed.
    QString editorValues() const;
    bool acceptCurrentKeys(const QString& keys) const;
    template <typename F> void run(F&& f) { ErrorReport::guard(m_window, std::forward<F>(f)); }

    const EmulatorSetup& m_setup;
    LibraryStores m_stores;
    EditorPage* m_editor;
    GameListPage* m_gameList;
    QWidget* m_window;
    QStringList m_pluginFiles;
    QString m_editedGame; // the profile Edit loaded
    QString m_loadedValues;
    QThread* m_artworkImport = nullptr; // the running import's thread, if any
    bool m_busyCursor = false;
};
