// Emulator discovery, Start and the unload hot key.
#include "tfrmmain.h"

#include "columntable.h"
#include "configwriter.h"
#include "editorpage.h"
#include "emulatordiscovery.h"
#include "emulatorlauncher.h"
#include "emulatorregistry.h"
#include "gamelistview.h"
#include "korvelloerror.h"
#include "processtable.h"
#include "profilestore.h"
#include "unloadhotkey.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QPushButton>

void TfrmMain::connectLaunchHandlers() {
    // The double click on the game list is wired by the list's own handlers to btnStartClick.
    connect(btnStart, &QPushButton::clicked, this, [this] { run([this] { btnStartClick(); }); });
    // The hot key arrives inside Qt's event dispatch: it runs under the error report too.
    hotKey->setHandler([this](qint32 id) { run([this, id] { WMHotKey(id); }); });
}

void TfrmMain::DeriveEmulatorFolders() {
    const emulatordiscovery::Folders folders =
        emulatordiscovery::deriveFolders(AppFolder, EmulatorRegistry());
    iniPath = folders.iniPath;
    plgPath = folders.plgPath;
    // The editor's memory card default is derived from the settings folder.
    pgNewGame->iniPath = iniPath;
}

void TfrmMain::FillRendererList() {
    for (const emulatordiscovery::Renderer& r :
         emulatordiscovery::listedRenderers(emulatordiscovery::GetOSLevel()))
        pgNewGame->cmbRenderer->addItem(QString::fromLatin1(r.text), r.number);
}

void TfrmMain::FillExeList() {
    const QString ownName = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    pgNewGame->cmbPCSX2ExeFile->addItems(emulatordiscovery::listExecutables(AppFolder, ownName));
}

void TfrmMain::ScanGSPlugins() {
    for (const emulatordiscovery::GSPlugin& plugin : emulatordiscovery::scanGSPlugins(plgPath)) {
        pgNewGame->cmbGSPlugin->addItem(plugin.name);
        GSpg.append(plugin.file);
    }
}

void TfrmMain::SetUnloadHotKey(bool on) {
    if (on)
        hk = hotKey->registerKey();
    else
        hotKey->unregisterKey();
}

void TfrmMain::btnStartClick() {
    const std::optional<GameProfile> profile = DB->load(CurGame);
    if (!profile)
        throw KorvelloError(QStringLiteral("There is no game named \"%1\" in the database").arg(CurGame));
    WriteEmulatorConfig(*profile, iniPath, AppFolder);

    const QString exeFile = profile->value(col::PCSX2ExeFile);
    if (IsProcessRunning(exeFile))
        KillProcess(exeFile);
    const QStringList arguments =
        emulatorlauncher::startArguments(chkGoAfterStart->isChecked(), profile->value(col::PCSX2CurrentIso),
                                         profile->value(col::PCSX2CMDKeys));
    curexe = exeFile;
    emulatorlauncher::startEmulator(AppFolder, exeFile, arguments);
    img2->setFocus();
}

void TfrmMain::WMHotKey(qint32 id) {
    if (id == hk && IsProcessRunning(curexe))
        KillProcess(curexe);
}
