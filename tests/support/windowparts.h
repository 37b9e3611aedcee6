#pragma once

// The main window's parts as a test reaches them: controls by their object
// names (as a user's tools and accessibility see them), state through the
// pages' and controllers' public methods. Made afresh at each use, so a value
// read here is the window's value at that moment.

#include "app/gamelistpage.h"
#include "app/gamesession.h"
#include "app/mainwindow.h"
#include "app/profilecommands.h"
#include "editor/editorpage.h"
#include "gamelist/gamelistview.h"
#include "gamelist/posterview.h"
#include "support/profilefixture.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QtGlobal>

class PlaySessionTracker;
class ThumbnailLoader;
class UnloadKey;

namespace windowparts {
// The window's child of that type and object name; a test that names a part
// the window does not have stops at once.
template <typename T> T* find(const QObject& window, const char* name) {
    T* part = window.findChild<T*>(QLatin1String(name));
    if (!part)
        qFatal("The window has no %s", name);
    return part;
}
} // namespace windowparts

struct WindowParts {
    explicit WindowParts(const MainWindow& w)
        : pages(windowparts::find<QTabWidget>(w, "pages")), gameListPage(w.gameListPage()),
          editorPage(w.editorPage()), session(w.session()), commands(w.profileCommands()),
          gameGrid(windowparts::find<GameListView>(w, "gameGrid")),
          poster(windowparts::find<PosterView>(w, "poster")),
          searchField(windowparts::find<QLineEdit>(w, "searchField")),
          sortList(windowparts::find<QComboBox>(w, "sortList")),
          startButton(windowparts::find<QPushButton>(w, "startButton")),
          deleteButton(windowparts::find<QPushButton>(w, "deleteButton")),
          editButton(windowparts::find<QPushButton>(w, "editButton")),
          newGameButton(windowparts::find<QPushButton>(w, "newGameButton")),
          coversButton(windowparts::find<QPushButton>(w, "coversButton")),
          addFolderButton(windowparts::find<QPushButton>(w, "addFolderButton")),
          runDiscCheck(windowparts::find<QCheckBox>(w, "runDiscCheck")),
          skinList(windowparts::find<QComboBox>(w, "skinList")),
          versionLabel(windowparts::find<QLabel>(w, "versionLabel")),
          unloadKeyLabel(windowparts::find<QLabel>(w, "unloadKeyLabel")),
          mailLink(windowparts::find<QLabel>(w, "mailLink")),
          homePageLink(windowparts::find<QLabel>(w, "homePageLink")),
          gameMenu(windowparts::find<QMenu>(w, "gameMenu")),
          trayMenu(windowparts::find<QMenu>(w, "trayMenu")),
          trayIcon(windowparts::find<QSystemTrayIcon>(w, "trayIcon")),
          gamepadAction(windowparts::find<QAction>(w, "gamepadAction")),
          exitAction(windowparts::find<QAction>(w, "exitAction")),
          noEmulatorPage(windowparts::find<QWidget>(w, "noEmulatorPage")),
          noEmulatorText(windowparts::find<QLabel>(w, "noEmulatorText")),
          chooseFolderButton(windowparts::find<QPushButton>(w, "chooseFolderButton")),
          store(&w.profileStore()), currentGame(w.gameListPage()->currentGame()),
          thumbnails(w.gameListPage()->thumbnails()), pluginFiles(w.profileCommands()->pluginFiles()),
          settingsFolder(w.emulatorSetup().settingsFolder), pluginsFolder(w.emulatorSetup().pluginsFolder),
          currentBuilds(w.emulatorSetup().currentBuilds), unloadKey(&w.session()->unloadKey()),
          unloadKeyId(w.session()->unloadKeyId()), startedExecutable(w.session()->startedExecutable()),
          playSessions(&w.session()->playSessions()), nextFolder(w.nextFolder()) {}

    QTabWidget* pages;
    GameListPage* gameListPage;
    EditorPage* editorPage;
    GameSession* session;
    ProfileCommands* commands;
    GameListView* gameGrid;
    PosterView* poster;
    QLineEdit* searchField;
    QComboBox* sortList;
    QPushButton* startButton;
    QPushButton* deleteButton;
    QPushButton* editButton;
    QPushButton* newGameButton;
    QPushButton* coversButton;
    QPushButton* addFolderButton;
    QCheckBox* runDiscCheck;
    QComboBox* skinList;
    QLabel* versionLabel;
    QLabel* unloadKeyLabel;
    QLabel* mailLink;
    QLabel* homePageLink;
    QMenu* gameMenu;
    QMenu* trayMenu;
    QSystemTrayIcon* trayIcon;
    QAction* gamepadAction;
    QAction* exitAction;
    QWidget* noEmulatorPage;
    QLabel* noEmulatorText;
    QPushButton* chooseFolderButton;

    ProfileStore* store;
    QString currentGame;
    ThumbnailLoader* thumbnails;
    QStringList pluginFiles;
    QString settingsFolder;
    QString pluginsFolder;
    bool currentBuilds;
    const UnloadKey* unloadKey;
    qint32 unloadKeyId;
    QString startedExecutable;
    const PlaySessionTracker* playSessions;
    QString nextFolder;
};

inline WindowParts parts(const MainWindow& w) {
    return WindowParts(w);
}

// The settings page's lists as a folder with two graphics plug-ins and two
// executables gives them (profilefixture::fillLists), with the plug-ins' files.
inline void fillWindowLists(const MainWindow& w) {
    QStringList pluginFiles;
    profilefixture::fillLists(*w.editorPage(), pluginFiles);
    w.profileCommands()->setPluginFiles(pluginFiles);
}
