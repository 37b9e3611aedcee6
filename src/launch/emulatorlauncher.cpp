#include "launch/emulatorlauncher.h"

#include "core/korvelloerror.h"

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
    if (!runCdvd)
        return;
    // The emulator opens the image from its working folder, the program's folder.
    const QFileInfo image(QDir(appFolder), currentIso);
    if (currentIso.isEmpty() || !image.isFile())
        throw KorvelloError(QStringLiteral("The disc image \"%1\" does not exist").arg(currentIso));
}

void startEmulator(const QString& appFolder, const QString& exeFile, const QStringList& arguments) {
    QProcess process;
    process.setProgram(appFolder + exeFile);
    process.setArguments(arguments);
    process.setWorkingDirectory(appFolder);
    if (!process.startDetached())
        throw KorvelloError(QStringLiteral("The emulator \"%1\" cannot be started: %2")
                                .arg(QDir::toNativeSeparators(appFolder + exeFile), process.errorString()));
}

} // namespace emulatorlauncher
