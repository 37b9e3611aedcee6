// Emulator discovery, Start and the unload hot key.
#include "app/mainwindow.h"

#include "app/commandline.h"
#include "app/emulatordiscovery.h"
#include "app/emulatorregistry.h"
#include "app/programsettings.h"
#include "core/appinfo.h"
#include "core/korvelloerror.h"
#include "editor/editorpage.h"
#include "editor/editortables.h"
#include "gamelist/gamelistview.h"
#include "launch/emulatorlauncher.h"
#include "launch/flatpakbuild.h"
#include "launch/gamestarter.h"
#include "launch/playsessiontracker.h"
#include "launch/pluginera.h"
#include "launch/settingsbackup.h"
#include "launch/unloadkey.h"
#include "ui/dialogs.h"

#include <QCheckBox>
#include <QComboBox>
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
        emulatordiscovery::deriveFolders(m_appFolder, EmulatorRegistry(), QString());
    m_pluginsFolder = folders.pluginsFolder;
    // The emulator folder's own files say which builds it serves; the plug-in era stays
    // wherever its files are, so its behaviour is untouched.
    const GameStarter::Folders start =
        emulatordiscovery::startFolders(m_appFolder, folders.settingsFolder, appinfo::ExecutableName());
    m_currentBuilds = start.currentBuilds;
    m_settingsFolder = start.settingsFolder;
    // The plug-in era's files say whether its plug-ins are the Linux builds, as Start decides it.
    m_linuxPlugins = !m_currentBuilds && pluginera::detect(m_settingsFolder).linuxPlugins;
    m_editorPage->setLinuxPluginsMode(m_linuxPlugins);
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
    if (m_linuxPlugins) {
        for (const editortables::CurrentRendererRow& r : editortables::kLinuxPluginRenderers)
            m_editorPage->cmbRenderer->addItem(QString::fromLatin1(r.text), r.number);
        return;
    }
    for (const emulatordiscovery::Renderer& r :
         emulatordiscovery::listedRenderers(emulatordiscovery::GetOSLevel()))
        m_editorPage->cmbRenderer->addItem(QString::fromLatin1(r.text), r.number);
}

void MainWindow::fillExecutableList() {
    const QString ownName = appinfo::ExecutableName();
    m_editorPage->cmbPCSX2ExeFile->addItems(emulatordiscovery::listExecutables(m_appFolder, ownName));
    // The Flatpak build, beside the folder's own: shown by its name, stored in its own form.
    if (flatpakbuild::find())
        m_editorPage->cmbPCSX2ExeFile->addItem(QLatin1String(flatpakbuild::kListName),
                                               QLatin1String(flatpakbuild::kExecutable));
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
    const QString key = trigger.isEmpty() ? QStringLiteral("Ctrl+Alt+U") : trigger;
    // With a pad connected, its combination is named beside the key.
    const QString pad = gamepadUnloadCombination();
    // A key that another program holds does nothing here: the label says so
    // instead of promising it, until the key is free and grabbed.
    if (m_unloadKey->isTaken())
        m_unloadKeyLabel->setText(
            pad.isEmpty() ? QStringLiteral("Ctrl+Alt+U is taken by another program")
                          : QStringLiteral("Hold %1 to unload PCSX2 (Ctrl+Alt+U is taken)").arg(pad));
    else
        m_unloadKeyLabel->setText(pad.isEmpty()
                                      ? QStringLiteral("Press %1 to unload PCSX2").arg(key)
                                      : QStringLiteral("Press %1 or hold %2 to unload PCSX2").arg(key, pad));
    QStringList notes;
    if (m_unloadKey->isUnavailable())
        notes << QStringLiteral("Unload key unavailable on this desktop");
    if (!pad.isEmpty())
        notes << QStringLiteral("On the gamepad, hold %1 together for a second").arg(pad);
    m_unloadKeyLabel->setToolTip(notes.join(u'\n'));
}

void MainWindow::startSelectedGame() {
    // Another game that this window started still runs: ending it loses what
    // its player has not saved, so the player says so first.
    QStringList others = m_playSessions->runningGames();
    others.removeAll(m_currentGame);
    if (!others.isEmpty()) {
        const auto answer = Dialogs::message(
            this, appinfo::kTitle,
            QStringLiteral("End %1 and start %2?").arg(others.join(QStringLiteral(", ")), m_currentGame),
            QMessageBox::Question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes)
            return;
    }
    startCurrentGame(others);
}

void MainWindow::startCurrentGame(const QStringList& gamesToEnd) {
    // The same start as `korvello --start`: one class does it for both.
    GameStarter starter(*m_store, {m_appFolder, m_settingsFolder, m_currentBuilds, m_pluginsFolder},
                        appinfo::ExecutableName());
    // A start that its checks refuse leaves the other games running.
    starter.setAfterChecks([this, gamesToEnd] {
        for (const QString& game : gamesToEnd)
            m_playSessions->endGame(game);
    });
    const GameStarter::Started started = starter.start(m_currentGame, m_runDiscCheck->isChecked());
    m_startedExecutable = started.executable;
    // Kept in the settings file too, so that `korvello --unload` ends it, and
    // so that this window's key ends what a `korvello --start` started since.
    m_settings->writeText(CommandLine::lastEmulatorKey(), m_startedExecutable);
    m_gameGrid->setFocus();
    if (started.pid > 0)
        m_playSessions->gameStarted(m_currentGame, started.pid);
    // The game runs; what it runs without is said once, after the start.
    if (!started.notices.isEmpty())
        Dialogs::message(this, appinfo::kTitle, started.notices.join(u'\n'), QMessageBox::Information);
}

void MainWindow::unloadEmulator(qint32 id) {
    if (id != m_unloadKeyAtom)
        return;
    endStartedEmulator();
}

void MainWindow::endStartedEmulator() {
    const std::optional<QString> last = m_settings->readText(CommandLine::lastEmulatorKey());
    const QString exeFile = last && !last->isEmpty() ? *last : m_startedExecutable;
    if (flatpakbuild::isFlatpak(exeFile))
        flatpakbuild::endStarted();
    else
        emulatorlauncher::endRunningEmulator(exeFile, appinfo::ExecutableName());
}

void MainWindow::restoreEmulatorSettings() {
    const QString done = SettingsBackup(m_settingsFolder).restore();
    Dialogs::message(this, appinfo::kTitle, done, QMessageBox::Information);
}
