#include "launch/currentbuild.h"

#include "core/korvelloerror.h"
#include "disc/discidentity.h"
#include "emulatorsettings/currentcommandline.h"
#include "emulatorsettings/currentconfigwriter.h"
#include "emulatorsettings/currentmapping.h"
#include "emulatorsettings/currentprofilereader.h"
#include "emulatorsettings/gamesettingsbackup.h"
#include "ini/inivalues.h"
#include "ini/iniwriter.h"
#include "ini/settingsfile.h"
#include "launch/emulatorending.h"
#include "launch/emulatorlauncher.h"
#include "launch/flatpakbuild.h"
#include "launch/processtable.h"
#include "store/columntable.h"
#include "store/gameprofile.h"
#include "store/writtenfilestore.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <algorithm>

namespace currentbuild {

QString settingsFolder(const QString& programFolder) {
    const QString program = programFolder.endsWith(u'/') ? programFolder : programFolder + u'/';
    const auto inis = [](const QString& dataFolder) {
        return QDir::cleanPath(dataFolder + QStringLiteral("/inis"));
    };
    if (QFileInfo::exists(program + QStringLiteral("portable.ini")) ||
        QFileInfo::exists(program + QStringLiteral("portable.txt")))
        return inis(program);
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
        return inis(xdg + QStringLiteral("/PCSX2"));
    const QString home = qEnvironmentVariable("HOME");
    if (!home.isEmpty())
        return inis(home + QStringLiteral("/.config/PCSX2"));
    return inis(program);
}

bool isCurrentSettingsFolder(const QString& folder) {
    const QString base = folder.endsWith(u'/') ? folder : folder + u'/';
    const auto present = [&](const QString& name) { return QFileInfo(resolveIniFile(base + name)).isFile(); };
    return present(QString::fromLatin1(kSettingsFile)) && !present(QStringLiteral("PCSX2_vm.ini"));
}

bool isCurrentExecutable(const QString& fileName) {
    if (fileName.startsWith(QLatin1String("pcsx2-qt"), Qt::CaseInsensitive))
        return true;
    return fileName.startsWith(QLatin1String("pcsx2"), Qt::CaseInsensitive) &&
           fileName.endsWith(QLatin1String("-qt.appimage"), Qt::CaseInsensitive);
}

Detection detect(const QString& appFolder, const QString& pluginEraFolder, const QStringList& executables) {
    // The executable the user runs is the surest sign: a current build reads PCSX2.ini from its own
    // settings folder and never the plug-in era's files, whatever an old first run left there.
    if (std::any_of(executables.begin(), executables.end(), isCurrentExecutable))
        return {true, settingsFolder(appFolder)};
    const QString base = pluginEraFolder.endsWith(u'/') ? pluginEraFolder : pluginEraFolder + u'/';
    for (const char* name : {"PCSX2_vm.ini", "PCSX2_ui.ini"}) {
        if (QFileInfo(resolveIniFile(base + QLatin1String(name))).isFile())
            return {false, pluginEraFolder};
    }
    if (isCurrentSettingsFolder(pluginEraFolder))
        return {true, pluginEraFolder};
    const QString own = settingsFolder(appFolder);
    if (isCurrentSettingsFolder(own))
        return {true, own};
    return {false, pluginEraFolder};
}

QStringList startArguments(const GameProfile& profile, bool runCdvd, CurrentGeneration generation) {
    QStringList arguments{columnIsOn(profile, col::PCSX2DefaultToFullscreen)
                              ? QStringLiteral("-fullscreen")
                              : QStringLiteral("-nofullscreen")};
    arguments << currentcommandline::translate(profile.value(col::PCSX2CMDKeys), generation);
    if (runCdvd)
        arguments << QStringLiteral("--") << profile.value(col::PCSX2CurrentIso);
    return arguments;
}

QString gameSettingsFolder(const QString& settingsFolder) {
    return QDir::cleanPath(settingsFolder + QStringLiteral("/../gamesettings"));
}

QStringList gameSettingsFolders(const QString& settingsFolder, bool currentBuilds) {
    QStringList folders;
    if (currentBuilds)
        folders << gameSettingsFolder(settingsFolder);
    const QString flatpak = gameSettingsFolder(flatpakbuild::settingsFolder());
    if (!folders.contains(flatpak))
        folders << flatpak;
    return folders;
}

QString gameSettingsPath(const QString& dataFolder, const QString& serial, quint32 crc,
                         CurrentGeneration generation) {
    // The file name as the emulator forms it, the serial made a safe file name: a serial
    // read from an image or the game list cache never leaves the gamesettings folder.
    disc::DiscIdentity id;
    id.serial = generation == CurrentGeneration::Early17 ? QString() : serial;
    id.crc = crc;
    return QDir::cleanPath(dataFolder + QStringLiteral("/gamesettings")) + u'/' + disc::perGameFileName(id);
}

namespace {

// The emulator's folder setting as EmuFolders::LoadConfig resolves it: relative to the data folder.
QString dataPath(const QString& dataFolder, const IniValues& settings, const char* key,
                 const char* fallback) {
    QString value = settings.value(QStringLiteral("Folders"), QString::fromLatin1(key)).value_or(QString());
    if (value.isEmpty())
        value = QString::fromLatin1(fallback);
    return QDir::isAbsolutePath(value) ? QDir::cleanPath(value) : QDir::cleanPath(dataFolder + u'/' + value);
}

} // namespace

namespace {

// Takes into `profile` what the user changed in the game's file since Korvello wrote it.
void takeInEdits(GameProfile& profile, const QString& file, const IniValues& settings,
                 CurrentGeneration generation, const GameFileMemory& memory, QStringList* notices) {
    const std::optional<QByteArray> last = memory.written->lastWritten(file);
    const std::optional<QByteArray> now = last ? readSettingsFile(file) : std::nullopt;
    if (!last || !now || *now == *last)
        return;
    const QStringList taken = currentmapping::takeInEdits(profile, settings, IniValues::fromBytes(*last),
                                                          IniValues::fromBytes(*now), generation);
    if (taken.isEmpty())
        return;
    if (memory.saveProfile)
        memory.saveProfile(profile);
    if (notices)
        notices->append(QStringLiteral("Took over what you changed for this game in the emulator: %1")
                            .arg(taken.join(QStringLiteral(", "))));
}

} // namespace

QString gameListCachePath(const QString& settingsFolder) {
    const QString dataFolder = QDir::cleanPath(settingsFolder + QStringLiteral("/.."));
    const IniValues settings =
        IniValues::fromFile(settingsFolder + u'/' + QString::fromLatin1(kSettingsFile));
    return dataPath(dataFolder, settings, "Cache", "cache") + QStringLiteral("/gamelist.cache");
}

QStringList prepareGame(GameProfile& profile, const QString& settingsFolder, bool runCdvd,
                        QStringList* notices, const QString& imageFolder, const GameFileMemory* memory) {
    const QString folder = settingsFolder.endsWith(u'/') ? settingsFolder : settingsFolder + u'/';
    const IniValues settings = IniValues::fromFile(folder + QString::fromLatin1(kSettingsFile));
    const CurrentGeneration generation = generationOf(settings);
    const QStringList arguments = startArguments(profile, runCdvd, generation);

    const QString dataFolder = QDir::cleanPath(folder + QStringLiteral(".."));
    const QString iso = profile.value(col::PCSX2CurrentIso);
    const auto notice = [&](const QString& text) {
        if (notices)
            notices->append(text);
    };
    if (iso.trimmed().isEmpty()) {
        notice(QStringLiteral("This game's settings were not applied: the profile names no disc image"));
    } else {
        std::optional<disc::DiscIdentity> identity;
        try {
            // The game list cache holds what the disc reader cannot read itself (CHD).
            // The emulator opens a relative image from its own folder, its working folder.
            const QString image = imageFolder.isEmpty() ? iso : QDir(imageFolder).absoluteFilePath(iso);
            identity = disc::identify(image, dataPath(dataFolder, settings, "Cache", "cache") +
                                                 QStringLiteral("/gamelist.cache"));
        } catch (const KorvelloError& error) {
            notice(QStringLiteral("This game's settings were not applied: %1").arg(error.innermostText()));
        }
        if (identity) {
            const QString file = gameSettingsPath(dataFolder, identity->serial, identity->crc, generation);
            if (memory && memory->written)
                takeInEdits(profile, file, settings, generation, *memory, notices);
            // The user's own file for this game is kept the first time Korvello writes it.
            if (const QString kept =
                    GameSettingsBackup(QFileInfo(file).path()).keep(QFileInfo(file).fileName());
                !kept.isEmpty())
                notice(kept);
            writeCurrentGameSettings(profile, file, generation);
            if (memory && memory->written)
                if (const std::optional<QByteArray> bytes = readSettingsFile(file))
                    memory->written->remember(file, *bytes);
            // The 1.7 builds' "Enable Per-Game Settings" (Pcsx2Config EnablePerGameSettings, read in
            // VMManager::UpdateGameSettingsLayer) skips every game's file while it is off; 2.x has no switch.
            const std::optional<QString> perGame =
                settings.value(QStringLiteral("EmuCore"), QStringLiteral("EnablePerGameSettings"));
            if (generation != CurrentGeneration::Current2 && perGame &&
                !sameCurrentValue(CurrentRule::Bool, *perGame, QStringLiteral("true")))
                notice(
                    QStringLiteral("The emulator's \"Enable Per-Game Settings\" is off, so it ignores this "
                                   "game's settings in %1")
                        .arg(file));
        }
    }

    return arguments;
}

QString startGame(GameProfile& profile, const QString& settingsFolder, const QString& appFolder, bool runCdvd,
                  qint64* pid, QStringList* notices, const std::function<void()>& idle,
                  const GameFileMemory* memory) {
    const QStringList arguments = prepareGame(profile, settingsFolder, runCdvd, notices, appFolder, memory);
    const QString exeFile = profile.value(col::PCSX2ExeFile);
    const emulatorending::Result ended = emulatorending::endAndWait(
        emulatorending::ofExecutable(exeFile, QString()), emulatorending::kQuitWaitMs, idle);
    if (ended.forced && notices)
        notices->append(emulatorending::forcedText());
    emulatorlauncher::startEmulator(appFolder, exeFile, arguments, pid);
    return exeFile;
}

} // namespace currentbuild
