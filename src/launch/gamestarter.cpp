#include "launch/gamestarter.h"

#include "core/korvelloerror.h"
#include "emulatorsettings/configwriter.h"
#include "emulatorsettings/settingsbackup.h"
#include "launch/currentbuild.h"
#include "launch/emulatorending.h"
#include "launch/emulatorlauncher.h"
#include "launch/flatpakbuild.h"
#include "launch/startlock.h"
#include "store/columntable.h"
#include "store/profilestore.h"
#include "store/writtenfilestore.h"

#include <QDir>

GameStarter::GameStarter(ProfileStore& store, Folders folders, QString ownName)
    : m_store(store), m_folders(std::move(folders)), m_ownName(std::move(ownName)),
      m_written(std::make_unique<WrittenFileStore>()) {
    m_written->setDatabasePath(m_store.databasePath());
}

GameStarter::~GameStarter() = default;

GameStarter::Started GameStarter::start(const QString& name, bool runCdvd) {
    const std::optional<GameProfile> profile = m_store.load(name);
    if (!profile)
        throw KorvelloError(QStringLiteral("There is no game named \"%1\" in the database").arg(name));

    // The executable also names the processes that are ended, and a missing
    // emulator or disc image would only end the game running: all checked
    // before anything is written, ended or started.
    const QString exeFile = profile->value(col::PCSX2ExeFile);
    const QString& appFolder = m_folders.appFolder;
    if (flatpakbuild::isFlatpak(exeFile))
        return startFlatpak(*profile, runCdvd);
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
        GameProfile game = *profile;
        const currentbuild::GameFileMemory memory = gameFileMemory(started.game);
        started.executable = currentbuild::startGame(game, m_folders.settingsFolder, appFolder, runCdvd,
                                                     &started.pid, &started.notices, m_idle, &memory);
        return started;
    }
    if (const QString kept = SettingsBackup(m_folders.settingsFolder).ensure(); !kept.isEmpty())
        started.notices.append(kept);
    const QString plugins =
        m_folders.pluginsFolder.isEmpty() ? appFolder + QStringLiteral("Plugins") : m_folders.pluginsFolder;
    WriteEmulatorConfig(*profile, m_folders.settingsFolder, appFolder, plugins);
    // The running emulator is asked to quit first, so that it writes its memory cards.
    if (emulatorending::endAndWait(emulatorending::ofExecutable(exeFile, m_ownName),
                                   emulatorending::kQuitWaitMs, m_idle)
            .forced)
        started.notices.append(emulatorending::forcedText());
    const QStringList arguments = emulatorlauncher::startArguments(
        runCdvd, profile->value(col::PCSX2CurrentIso), profile->value(col::PCSX2CMDKeys));
    emulatorlauncher::startEmulator(appFolder, exeFile, arguments, &started.pid);
    started.executable = exeFile;
    return started;
}

currentbuild::GameFileMemory GameStarter::gameFileMemory(const QString& game) {
    currentbuild::GameFileMemory memory;
    memory.written = m_written.get();
    // The user's edits become the profile's before the file is written.
    memory.saveProfile = [this, game](const GameProfile& changed) {
        GameProfile stored = changed;
        // The image path stays as stored: the Flatpak's Start hands the sandbox a whole path.
        if (const std::optional<GameProfile> before = m_store.load(game))
            stored.setValue(col::PCSX2CurrentIso, before->value(col::PCSX2CurrentIso));
        m_store.update(game, stored);
    };
    return memory;
}

GameStarter::Started GameStarter::startFlatpak(GameProfile profile, bool runCdvd) {
    const std::optional<flatpakbuild::Installation> installation = flatpakbuild::find();
    if (!installation)
        throw KorvelloError(QStringLiteral("The Flatpak build of PCSX2 (%1) is not installed")
                                .arg(QLatin1String(flatpakbuild::kAppId)));
    const QString image = profile.value(col::PCSX2CurrentIso);
    emulatorlauncher::checkDiscImage(m_folders.appFolder, runCdvd, image);
    // The sandbox does not start in the program's folder: the image goes to it by its
    // whole path.
    if (!image.isEmpty())
        profile.setValue(col::PCSX2CurrentIso, QDir(m_folders.appFolder).absoluteFilePath(image));
    if (m_afterChecks)
        m_afterChecks();

    // One Start at a time into the Flatpak's settings, whichever library it comes from.
    const StartLock lock(flatpakbuild::dataFolder());
    Started started;
    started.game = profile.value(col::gamename);
    const currentbuild::GameFileMemory memory = gameFileMemory(started.game);
    const QStringList arguments = currentbuild::prepareGame(profile, flatpakbuild::settingsFolder(), runCdvd,
                                                            &started.notices, QString(), &memory);
    if (runCdvd) {
        const QString notice =
            flatpakbuild::permissionNotice(*installation, profile.value(col::PCSX2CurrentIso));
        if (!notice.isEmpty())
            started.notices.append(notice);
    }
    bool forced = false;
    flatpakbuild::endStarted(m_idle, &forced);
    if (forced)
        started.notices.append(emulatorending::forcedText());
    started.pid = flatpakbuild::start(*installation, arguments, m_folders.appFolder);
    started.executable = QLatin1String(flatpakbuild::kExecutable);
    return started;
}
