// Emulator discovery, Start and the unload hot key.
#include "app/mainwindow.h"

#include "app/emulatordiscovery.h"
#include "app/emulatorregistry.h"
#include "core/korvelloerror.h"
#include "editor/editorpage.h"
#include "editor/editortables.h"
#include "gamelist/gamelistview.h"
#include "launch/configwriter.h"
#include "launch/currentbuild.h"
#include "launch/emulatorlauncher.h"
#include "launch/playsessiontracker.h"
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
    m_pluginsFolder = folders.pluginsFolder;
    // The emulator folder's own files say which builds it serves; the plug-in era stays
    // wherever its files are, so its behaviour is untouched.
    const QString ownName = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    const currentbuild::Detection detection = currentbuild::detect(
        m_appFolder, folders.settingsFolder, emulatordiscovery::listExecutables(m_appFolder, ownName));
    m_currentBuilds = detection.current;
    m_settingsFolder = detection.settingsFolder;
    if (m_currentBuilds) {
        m_editorPage->setCurrentBuildsMode(true);
        m_versionLabel->setText(m_versionLabel->text() +
                                QStringLiteral("\nfor the emulator's current builds"));
        m_versionLabel->setGeometry(6, 662, 164, 38);
    }
    // The editor's memory card default is derived from the settings folder.
    m_editorPage->m_settingsFolder = m_settingsFolder;
}

void MainWindow::fillRendererList() {
    if (m_currentBuilds) {
        for (const editortables::CurrentRendererRow& r : editortables::kCurrentRenderers)
            m_editorPage->cmbRenderer->addItem(QString::fromLatin1(r.text), r.number);
        return;
    }
    for (const emulatordiscovery::Renderer& r :
         emulatordiscovery::listedRenderers(emulatordiscovery::GetOSLevel()))
        m_editorPage->cmbRenderer->addItem(QString::fromLatin1(r.text), r.number);
}

void MainWindow::fillExecutableList() {
    const QString ownName = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    m_editorPage->cmbPCSX2ExeFile->addItems(emulatordiscovery::listExecutables(m_appFolder, ownName));
}

void MainWindow::scanGraphicsPlugins() {
    if (m_currentBuilds) {
        // The one "built in" entry of the editor stands for no plug-in file.
        m_pluginFiles.append(QString());
        return;
    }
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
    // The executable also names the processes that are ended, and a missing
    // emulator or disc image would only end the game running: all checked
    // before anything is written, ended or started.
    const QString exeFile = profile->value(col::PCSX2ExeFile);
    const QString ownName = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    const bool runDisc = m_runDiscCheck->isChecked();
    emulatorlauncher::checkExecutable(m_appFolder, exeFile, ownName);
    emulatorlauncher::checkStartable(m_appFolder, exeFile, runDisc, profile->value(col::PCSX2CurrentIso));
    if (m_currentBuilds) {
        qint64 pid = 0;
        m_startedExecutable = currentbuild::startGame(*profile, m_settingsFolder, m_appFolder, runDisc, &pid);
        m_gameGrid->setFocus();
        if (pid > 0)
            m_playSessions->gameStarted(m_currentGame, pid);
        return;
    }
    WriteEmulatorConfig(*profile, m_settingsFolder, m_appFolder);

    emulatorlauncher::endRunningEmulator(exeFile, ownName);
    const QStringList arguments = emulatorlauncher::startArguments(
        runDisc, profile->value(col::PCSX2CurrentIso), profile->value(col::PCSX2CMDKeys));
    qint64 pid = 0;
    emulatorlauncher::startEmulator(m_appFolder, exeFile, arguments, &pid);
    m_startedExecutable = exeFile;
    m_gameGrid->setFocus();
    m_playSessions->gameStarted(m_currentGame, pid);
}

void MainWindow::unloadEmulator(qint32 id) {
    if (id == m_unloadKeyAtom)
        emulatorlauncher::endRunningEmulator(m_startedExecutable,
                                             QFileInfo(QCoreApplication::applicationFilePath()).fileName());
}
