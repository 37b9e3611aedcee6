#pragma once

#include "errorreport.h"

#include <QString>
#include <QStringList>
#include <QWidget>
#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QPushButton;
class QSystemTrayIcon;
class QTabWidget;

class EditorPage;
class GameListView;
class PosterView;
class ProfileStore;
class ProgramSettings;
class UnloadHotKey;
class SkinManager;

// The main window. It owns the fields that several subsystems share and the
// two pages, and composes the subsystems: each handler keeps the name the
// design gives it and hands its work to the subsystem's own classes.
// Handlers are spread over tfrmmain_<area>.cpp files, one per subsystem.
class TfrmMain : public QWidget {
    Q_OBJECT
public:
    // appFolder: the folder the program treats as its own (ends in "/"); the
    // executable's folder in the product, a temporary folder in tests.
    explicit TfrmMain(const QString& appFolder);
    ~TfrmMain() override;

    // ---- Shared fields ----
    QString AppFolder;
    QString progname;
    QString CurGame;
    QString iniPath;
    QString plgPath;
    QStringList GSpg;
    qint32 hk = 0;
    QString curexe;
    std::unique_ptr<ProgramSettings> RegL;
    std::unique_ptr<ProfileStore> DB;
    std::unique_ptr<UnloadHotKey> hotKey;
    std::unique_ptr<SkinManager> skinManager;

    // ---- Controls ----
    QTabWidget* PageControl = nullptr;
    QWidget* pgGameList = nullptr;
    EditorPage* pgNewGame = nullptr;

    GameListView* img2 = nullptr;
    PosterView* image1 = nullptr;
    QPushButton* btnStart = nullptr;
    QPushButton* btnDelete = nullptr;
    QPushButton* btnEdit = nullptr;
    QPushButton* btnAddGame = nullptr;
    QCheckBox* chkGoAfterStart = nullptr;
    QComboBox* cmbSkins = nullptr;
    QLabel* lblVer = nullptr;
    QLabel* lblReadME = nullptr;
    QLabel* lblEMail = nullptr;
    QLabel* lblHomePage = nullptr;

    QMenu* pm1 = nullptr;
    QAction* Exit1 = nullptr;
    QSystemTrayIcon* ico1 = nullptr;

    // ---- Start-up and shell (tfrmmain.cpp) ----
    void FormCreate();
    void FormShow();
    void ico1Click();
    void Exit1Click();
    void chkGoAfterStartClick();

    // ---- Emulator discovery and launch (tfrmmain_launch.cpp) ----
    void DeriveEmulatorFolders();
    void FillRendererList();
    void FillExeList();
    void ScanGSPlugins();
    void SetUnloadHotKey(bool on);
    void btnStartClick();
    void WMHotKey(qint32 id);

    // ---- Skins (tfrmmain_skins.cpp) ----
    void SetupSkins();
    void cmbSkinsChange(QComboBox* changed);

    // ---- Game list (tfrmmain_gamelist.cpp) ----
    void SetIconSpacing();
    void LoadGameList();
    void SelectItem(int position);
    void img2SelectItem();
    void img2Click();

    // ---- Editor modes (tfrmmain_editor.cpp) ----
    void btnAddGameClick();
    void btnGameListClick();

    // ---- Profile commands (tfrmmain_commands.cpp) ----
    void btnNewGameClick();
    void btnSaveClick();
    void btnEditClick();
    void btnDeleteClick();

    // ---- Artwork (tfrmmain_artwork.cpp) ----
    void btnPosterClick(QPushButton* pressed);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildGameListPage();
    void connectHandlers();
    // Each subsystem's file wires its own controls to its handlers.
    void connectGameListHandlers();
    void connectLaunchHandlers();
    void connectEditorHandlers();
    void connectCommandHandlers();
    void connectArtworkHandlers();
    void connectSkinHandlers();
    // Runs a handler under the error report: an error ends the operation, the program goes on.
    template <typename F> void run(F&& f) { ErrorReport::guard(this, std::forward<F>(f)); }

    bool m_shown = false;
};
