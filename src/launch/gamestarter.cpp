#include "launch/gamestarter.h"

#include "core/korvelloerror.h"
#include "launch/configwriter.h"
#include "launch/currentbuild.h"
#include "launch/emulatorlauncher.h"
#include "launch/startlock.h"
#include "launch/settingsbackup.h"
#include "store/columntable.h"
#include "store/profilestore.h"

GameStarter::GameStarter(ProfileStore& store, Folders folders, QString ownName)
    : m_store(store), m_folders(std::move(folders)), m_ownName(std::move(ownName)) {}

GameStarter::Started GameStarter::start(const QString& name, bool runCdvd) {
    const std::optional<GameProfile> profile = m_store.load(name);
    if (!profile)
        throw KorvelloError(QStringLiteral("There is no game named \"%1\" in the database").arg(name));

    // The executable also names the processes that are ended, and a missing
    // emulator or disc image would only end the game running: all checked
    // before anything is written, ended or started.
    const QString exeFile = profile->value(col::PCSX2ExeFile);
    const QString& appFolder = m_folders.appFolder;
    emulatorlauncher::checkExecutable(appFolder, exeFile, m_ownName);
    emulatorlauncher::checkStartable(appFolder, exeFile, runCdvd, profile->value(col::PCSX2CurrentIso));
    if (m_afterChecks)
        m_afterChecks();

    // From the first write to the emulator's start, no other Start of this
    // folder runs, in this copy of the program or another.
    const StartLock lock(appFolder);
    Started started;
    started.game = profile->value(col::gamename);
    if (m_folders.currentBuilds) {
        started.executable = currentbuild::startGame(*profile, m_folders.settingsFolder, appFolder, runCdvd,
                                                     &started.pid, &started.notices);
        return started;
    }
    if (const QString kept = SettingsBackup(m_folders.settingsFolder).ensure(); !kept.isEmpty())
        started.notices.append(kept);
    const QString plugins =
        m_folders.pluginsFolder.isEmpty() ? appFolder + QStringLiteral("Plugins") : m_folders.pluginsFolder;
    WriteEmulatorConfig(*profile, m_folders.settingsFolder, appFolder, plugins);
    emulatorlauncher::endRunningEmulator(exeFile, m_ownName);
    const QStringList arguments = emulatorlauncher::startArguments(
        runCdvd, profile->value(col::PCSX2CurrentIso), profile->value(col::PCSX2CMDKeys));
    emulatorlauncher::startEmulator(appFolder, exeFile, arguments, &started.pid);
    started.executable = exeFile;
    return started;
}
