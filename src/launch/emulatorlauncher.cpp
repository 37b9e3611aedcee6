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

bool isPlainFileName(const QString& name) {
    return !name.isEmpty() && !name.contains(u'/') && !name.contains(QChar(u'\0')) &&
           name != QStringLiteral(".") && name != QStringLiteral("..");
}

void checkExecutable(const QString& appFolder, const QString& exeFile, const QString& ownName) {
    if (!ownName.isEmpty() && equalAsciiNoCase(exeFile, ownName))
        throw KorvelloError(
            QStringLiteral(
                "The emulator executable \"%1\" is this program itself; choose the emulator's executable")
                .arg(exeFile));
    // Whether the plain name is an executable file of the folder is
    // checkStartable's question, which names the missing file.
    if (!isPlainFileName(exeFile))
        throw KorvelloError(QStringLiteral("The emulator executable \"%1\" is not the name of a file in the "
                                           "program's folder %2; choose one of the listed executables")
                                .arg(exeFile, QDir::toNativeSeparators(appFolder)));
}

void checkStartable(const QString& appFolder, const QString& exeFile, bool runCdvd,
                    const QString& currentIso) {
    const QString program = QDir::toNativeSeparators(appFolder + exeFile);
    const QFileInfo exe(appFolder + exeFile);
    if (exeFile.isEmpty() || !exe.exists())
        throw KorvelloError(QStringLiteral("The emulator \"%1\" does not exist").arg(program));
    if (!exe.isFile() || !exe.isExecutable())
        throw KorvelloError(
            QStringLiteral("The emulator \"%1\" cannot be started: it is not an executable file")
                .arg(program));
    checkDiscImage(appFolder, runCdvd, currentIso);
}

void checkDiscImage(const QString& appFolder, bool runCdvd, const QString& currentIso) {
    if (!runCdvd)
        return;
    // The emulator opens the image from its working folder, the program's folder.
    const QFileInfo image(QDir(appFolder), currentIso);
    if (currentIso.isEmpty() || !image.isFile())
        throw KorvelloError(QStringLiteral("The disc image \"%1\" does not exist").arg(currentIso));
}

void startEmulator(const QString& appFolder, const QString& exeFile, const QStringList& arguments,
                   qint64* pid) {
    QProcess process;
    process.setProgram(appFolder + exeFile);
    process.setArguments(arguments);
    process.setWorkingDirectory(appFolder);
    if (!process.startDetached(pid))
        throw KorvelloError(QStringLiteral("The emulator \"%1\" cannot be started: %2")
                                .arg(QDir::toNativeSeparators(appFolder + exeFile), process.errorString()));
}

} // namespace emulatorlauncher
