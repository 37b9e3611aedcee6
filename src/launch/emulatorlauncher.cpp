#include "launch/emulatorlauncher.h"

#include "core/asciicase.h"
#include "core/korvelloerror.h"
#include "launch/processtable.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace emulatorlauncher {

QStringList startArguments(bool runCdvd, const QString& currentIso, const QString& cmdKeys) {
    QStringList arguments;
    if (runCdvd)
        arguments << currentIso;
    arguments << QProcess::splitCommand(cmdKeys);
    return arguments;
}

namespace {

bool isPlainFileName(const QString& name) {
    return !name.isEmpty() && !name.contains(u'/') && !name.contains(QChar(u'\0')) &&
           name != QStringLiteral(".") && name != QStringLiteral("..");
}

} // namespace

void checkExecutable(const QString& appFolder, const QString& exeFile, const QString& ownName) {
    if (!ownName.isEmpty() && equalAsciiNoCase(exeFile, ownName))
        throw KorvelloError(
            QStringLiteral(
                "The emulator executable \"%1\" is this program itself; choose the emulator's executable")
                .arg(exeFile));
    if (!isPlainFileName(exeFile) || !QFileInfo(appFolder + exeFile).isFile())
        throw KorvelloError(QStringLiteral("The emulator executable \"%1\" is not the name of a file in the "
                                           "program's folder %2; choose one of the listed executables")
                                .arg(exeFile, QDir::toNativeSeparators(appFolder)));
}

void endRunningEmulator(const QString& exeFile, const QString& ownName) {
    if (!isPlainFileName(exeFile) || (!ownName.isEmpty() && equalAsciiNoCase(exeFile, ownName)))
        return;
    if (IsProcessRunning(exeFile))
        KillProcess(exeFile);
}

bool startEmulator(const QString& appFolder, const QString& exeFile, const QStringList& arguments,
                   qint64* pid) {
    return QProcess::startDetached(appFolder + exeFile, arguments, appFolder, pid);
}

} // namespace emulatorlauncher
