// Emulator discovery, Start and the unload hot key.
#include "app/mainwindow.h"

#include "app/emulatordiscovery.h"
#include "app/emulatorregistry.h"
#include "core/korvelloerror.h"
#include "editor/editorpage.h"
#include "gamelist/gamelistview.h"
#include "launch/configwriter.h"
#include "launch/emulatorlauncher.h"
#include "launch/processtable.h"
#include "launch/unloadkey.h"
#include "store/columntable.h"
#include "store/profilestore.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

void MainWindow::connectLaunchHandlers() {
    // The double click on the game list is wired by the list's own handlers to startSelectedGame.
    connect(m_startButton, &QPushButton::clicked, this, [this] { run([this] { startSelectedGame(); }); });
    // The hot key arrives inside Qt's event dispatch: it runs under the error report too.
    m_unloadKey->setHandler([this](qint32 id) { run([this, id] { unloadEmulator(id); }); });
    // The desktop portal answers later than registration returns.
    m_unloadKey->setStatusHandler([this] { run([this] { showUnloadKeyStatus(); }); });
}

void MainWindow::findEmulatorFolders() {
    const emulatordiscovery::Folders folders =
        emulatordiscovery::deriveFolders(m_appFolder, EmulatorRegistry());
    m_settingsFolder = folders.settingsFolder;
    m_pluginsFolder = folders.pluginsFolder;
    // The editor's memory card default is derived from the settings folder.
    m_editorPage->m_settingsFolder = m_settingsFolder;
}

void MainWindow::fillRendererList() {
    for (const emulatordiscovery::Renderer& r :
         emulatordiscovery::listedRenderers(emulatordiscovery::GetOSLevel()))
        m_editorPage->cmbRenderer->addItem(QString::fromLatin1(r.text), r.number);
}

void MainWindow::fillExecutableList() {
    const QString ownName = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    m_editorPage->cmbPCSX2ExeFile->addItems(emulatordiscovery::listExecutables(m_appFolder, ownName));
}

void MainWindow::scanGraphicsPlugins() {
    for (const emulatordiscovery::GSPlugin& plugin : emulatordiscovery::scanGSPlugins(m_pluginsFolder)) {
        m_editorPage->cmbGSPlugin->addItem(plugin.name);
        m_pluginFiles.append(plugin.file);
    }
}

void MainWindow::setUnloadKeyEnabled(bool on) {
    if (on) {
        m_unloadKeyAtom = m_unloadKey->registerKey();
        showUnloadKeyStatus();
    } else {
        m_unloadKey->unregisterKey();
    }
}

void MainWindow::showUnloadKeyStatus() {
    const QString trigger = m_unloadKey->triggerDescription();
    // A key that another program holds does nothing here: the label says so
    // instead of promising it, until the key is free and grabbed.
    if (m_unloadKey->isTaken())
        m_unloadKeyLabel->setText(QStringLiteral("Ctrl+Alt+U is taken by another program"));
    else
        m_unloadKeyLabel->setText(trigger.isEmpty()
                                      ? QStringLiteral("Press Ctrl+Alt+U to unload PCSX2")
                                      : QStringLiteral("Press %1 to unload PCSX2").arg(trigger));
    m_unloadKeyLabel->setToolTip(
        m_unloadKey->isUnavailable() ? QStringLiteral("Unload key unavailable on this desktop") : QString());
}

void MainWindow::startSelectedGame() {
    const std::optional<GameProfile> profile = m_store->load(m_currentGame);
    if (!profile)
        throw KorvelloError(
            QStringLiteral("There is no game named \"%1\" in the database").arg(m_currentGame));
    const QString exeFile = profile->value(col::PCSX2ExeFile);
    const bool runDisc = m_runDiscCheck->isChecked();
    // A missing emulator or disc image is reported before anything is written
    // or a running emulator ended: such a Start would only end the game running.
    emulatorlauncher::checkStartable(m_appFolder, exeFile, runDisc, profile->value(col::PCSX2CurrentIso));
    WriteEmulatorConfig(*profile, m_settingsFolder, m_appFolder);

    if (IsProcessRunning(exeFile))
        KillProcess(exeFile);
    const QStringList arguments = emulatorlauncher::startArguments(
        runDisc, profile->value(col::PCSX2CurrentIso), profile->value(col::PCSX2CMDKeys));
    m_startedExecutable = exeFile;
    emulatorlauncher::startEmulator(m_appFolder, exeFile, arguments);
    m_gameGrid->setFocus();
}

void MainWindow::unloadEmulator(qint32 id) {
    if (id == m_unloadKeyAtom && IsProcessRunning(m_startedExecutable))
        KillProcess(m_startedExecutable);
}
