#include "launch/emulatorlauncher.h"

#include <QProcess>

namespace emulatorlauncher {

QStringList startArguments(bool runCdvd, const QString& currentIso, const QString& cmdKeys) {
    QStringList arguments;
    if (runCdvd)
        arguments << currentIso;
    arguments << QProcess::splitCommand(cmdKeys);
    return arguments;
}

bool startEmulator(const QString& appFolder, const QString& exeFile, const QStringList& arguments,
                   qint64* pid) {
    return QProcess::startDetached(appFolder + exeFile, arguments, appFolder, pid);
}

} // namespace emulatorlauncher
