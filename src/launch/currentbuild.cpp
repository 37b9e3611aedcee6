#include "launch/currentbuild.h"

#include "launch/currentconfigwriter.h"
#include "launch/emulatorlauncher.h"
#include "launch/iniwriter.h"
#include "launch/processtable.h"
#include "store/columntable.h"
#include "store/gameprofile.h"

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
    return fileName.startsWith(QLatin1String("pcsx2-qt"), Qt::CaseInsensitive);
}

Detection detect(const QString& appFolder, const QString& pluginEraFolder, const QStringList& executables) {
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
    if (std::any_of(executables.begin(), executables.end(), isCurrentExecutable))
        return {true, own};
    return {false, pluginEraFolder};
}

QStringList startArguments(bool runCdvd, const QString& currentIso, const QString& cmdKeys) {
    QStringList arguments = QProcess::splitCommand(cmdKeys);
    if (runCdvd)
        arguments << QStringLiteral("--") << currentIso;
    return arguments;
}

QString startGame(const GameProfile& profile, const QString& settingsFolder, const QString& appFolder,
                  bool runCdvd, qint64* pid) {
    writeCurrentEmulatorConfig(profile, settingsFolder);
    const QString exeFile = profile.value(col::PCSX2ExeFile);
    if (IsProcessRunning(exeFile))
        KillProcess(exeFile);
    emulatorlauncher::startEmulator(
        appFolder, exeFile,
        startArguments(runCdvd, profile.value(col::PCSX2CurrentIso), profile.value(col::PCSX2CMDKeys)), pid);
    return exeFile;
}

} // namespace currentbuild
