#include "launch/flatpakbuild.h"

#include "core/flatpakinstallations.h"
#include "core/korvelloerror.h"
#include "launch/emulatorending.h"
#include "launch/processidentity.h"
#include "launch/processtable.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

#include <csignal>

namespace flatpakbuild {

namespace {

// "flatpak info" reads the installations only; it answers in well under a second. A hung
// one (a broken system helper) must not hold a Start or the window's start-up.
constexpr int kQueryMs = 4000;

// What "flatpak info" answers is a few lines; a command that floods its output is
// stopped rather than read into memory.
constexpr qint64 kMaxQueryBytes = 64 * 1024;

// The output of one flatpak command, or nothing when it did not run, failed,
// took too long or said more than kMaxQueryBytes.
std::optional<QByteArray> query(const QString& flatpak, const QStringList& arguments) {
    if (flatpak.isEmpty())
        return std::nullopt;
    QProcess process;
    process.setProgram(flatpak);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start();
    const QDeadlineTimer deadline(kQueryMs);
    QByteArray output;
    const auto stop = [&process] {
        process.kill();
        process.waitForFinished(1000);
        return std::nullopt;
    };
    // Read as it comes, so that Qt never buffers more than the limit.
    while (process.state() != QProcess::NotRunning) {
        if (deadline.hasExpired())
            return stop();
        process.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime())));
        output += process.read(kMaxQueryBytes + 1 - output.size());
        if (output.size() > kMaxQueryBytes)
            return stop();
    }
    output += process.read(kMaxQueryBytes + 1 - output.size());
    if (output.size() > kMaxQueryBytes || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return std::nullopt;
    return output;
}

// `text` as one word for a POSIX shell: as it is when it holds nothing the shell reads,
// else in single quotes.
QString shellWord(const QString& text) {
    static const QString plain = QStringLiteral("+,-./:=@_%");
    bool safe = !text.isEmpty();
    for (const QChar c : text)
        safe = safe && ((c.isLetterOrNumber() && c.unicode() < 128) || plain.contains(c));
    if (safe)
        return text;
    QString quoted = text;
    quoted.replace(u'\'', QStringLiteral("'\\''"));
    return u'\'' + quoted + u'\'';
}

// Where the last started build is recorded: beside the Start locks, one per user.
QString recordPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/korvello/flatpak-emulator");
}

} // namespace

bool isFlatpak(const QString& exeFile) {
    return exeFile == QLatin1String(kExecutable);
}

QStringList exportFolders() {
    QStringList folders;
    for (const QString& installation : flatpakinstallations::folders())
        folders << installation + QStringLiteral("/exports/bin");
    return folders;
}

std::optional<Installation> find() {
    Installation installation;
    installation.flatpak = QStandardPaths::findExecutable(QStringLiteral("flatpak"));
    for (const QString& folder : exportFolders()) {
        const QFileInfo launcher(folder + u'/' + QLatin1String(kAppId));
        if (launcher.isFile() && launcher.isExecutable()) {
            installation.launcher = launcher.absoluteFilePath();
            return installation;
        }
    }
    // The window's start-up asks in several places: flatpak is asked once per command.
    static QMutex guard;
    static QHash<QString, bool> answered;
    const QMutexLocker lock(&guard);
    if (!answered.contains(installation.flatpak))
        answered.insert(
            installation.flatpak,
            query(installation.flatpak, {QStringLiteral("info"), QLatin1String(kAppId)}).has_value());
    if (answered.value(installation.flatpak))
        return installation;
    return std::nullopt;
}

QString dataFolder() {
    // flatpak run sets the sandbox's XDG_CONFIG_HOME to ~/.var/app/<id>/config, and the
    // emulator keeps its data folder in $XDG_CONFIG_HOME/PCSX2 there.
    return QDir::homePath() + QStringLiteral("/.var/app/") + QLatin1String(kAppId) +
           QStringLiteral("/config/PCSX2");
}

QString settingsFolder() {
    return dataFolder() + QStringLiteral("/inis");
}

QStringList startCommand(const Installation& installation, const QStringList& arguments) {
    if (!installation.launcher.isEmpty())
        return QStringList{installation.launcher} + arguments;
    const QString flatpak = installation.flatpak.isEmpty() ? QStringLiteral("flatpak") : installation.flatpak;
    return QStringList{flatpak, QStringLiteral("run"), QLatin1String(kAppId)} + arguments;
}

std::optional<bool> sandboxReads(const Installation& installation, const QString& folder) {
    // flatpak's own answer for the build's permissions with the user's overrides applied:
    // "hidden", "read-only" or "read-write".
    const std::optional<QByteArray> answer =
        query(installation.flatpak,
              {QStringLiteral("info"), QStringLiteral("--file-access=") + folder, QLatin1String(kAppId)});
    if (!answer)
        return std::nullopt;
    const QByteArray mode = answer->trimmed();
    if (mode == "hidden")
        return false;
    if (mode == "read-only" || mode == "read-write")
        return true;
    return std::nullopt;
}

QString permissionNotice(const Installation& installation, const QString& imagePath) {
    // The sandbox opens the image where it really is: a link's own folder says nothing.
    const QString real = QFileInfo(imagePath).canonicalFilePath();
    const QString folder = QFileInfo(real.isEmpty() ? imagePath : real).absolutePath();
    const std::optional<bool> reads = sandboxReads(installation, folder);
    if (!reads || *reads)
        return {};
    // The command stands in quotes, so that no sentence's end sticks to it when it is copied.
    return QStringLiteral("The Flatpak emulator may not read the folder %1, so it opens without the game; "
                          "to let it, run \"flatpak override --user --filesystem=%2 %3\"")
        .arg(folder, shellWord(folder), QLatin1String(kAppId));
}

qint64 start(const Installation& installation, const QStringList& arguments, const QString& workingFolder) {
    const QStringList command = startCommand(installation, arguments);
    QProcess process;
    process.setProgram(command.first());
    process.setArguments(command.mid(1));
    process.setWorkingDirectory(workingFolder);
    qint64 pid = 0;
    if (!process.startDetached(&pid))
        throw KorvelloError(QStringLiteral("The Flatpak emulator %1 cannot be started: %2")
                                .arg(QLatin1String(kAppId), process.errorString()));
    // Kept for the unload key, --unload and the next Start, in this copy of the program or
    // another: the number alone could name a later process once this one has ended.
    const QString identity = processIdentity(pid);
    QDir().mkpath(QFileInfo(recordPath()).path());
    QSaveFile record(recordPath());
    if (record.open(QIODevice::WriteOnly)) {
        record.write(QByteArray::number(pid) + '\n' + identity.toUtf8() + '\n');
        record.commit();
    }
    return pid;
}

qint64 startedProcess() {
    QFile record(recordPath());
    if (!record.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> lines = record.read(4096).split('\n');
    record.close();
    bool numeric = false;
    const qint64 pid = lines.value(0).toLongLong(&numeric);
    const QString identity = QString::fromUtf8(lines.value(1));
    if (!numeric || pid <= 0 || identity.isEmpty() || processIdentity(pid) != identity)
        return 0;
    return pid;
}

int endStarted(const std::function<void()>& idle, bool* forced) {
    // The whole tree: the launcher (flatpak run, or bwrap it became), the sandbox's own
    // init and the emulator in it; the launcher alone could leave the emulator running.
    const qint64 root = startedProcess();
    if (root <= 0)
        return 0;
    const emulatorending::Result result =
        emulatorending::endAndWait(emulatorending::ofTree(root), emulatorending::kQuitWaitMs, idle);
    if (forced)
        *forced = result.forced;
    return result.asked;
}

} // namespace flatpakbuild
