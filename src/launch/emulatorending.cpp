#include "launch/emulatorending.h"

#include "core/asciicase.h"
#include "launch/emulatorlauncher.h"
#include "launch/processidentity.h"
#include "launch/processtable.h"

#include <QElapsedTimer>
#include <QHash>
#include <QSet>
#include <QThread>

#include <csignal>
#include <sys/types.h>
#include <unistd.h>

namespace emulatorending {

namespace {

// The sandbox's own processes: the launcher and bubblewrap, which holds the
// sandbox (once outside, once as the sandbox's init).
bool isSandboxProcess(const QString& exeName) {
    const QString name = fileNamePart(exeName);
    return name == QLatin1String("flatpak") || name == QLatin1String("bwrap") ||
           name == QLatin1String("flatpak-bwrap") || name == QLatin1String("net.pcsx2.PCSX2");
}

bool stillTheSame(const Process& p) {
    return !p.identity.isEmpty() && processIdentity(p.pid) == p.identity;
}

Process chosen(qint64 pid) {
    return {pid, processIdentity(pid)};
}

// The mount namespace a process sees its files in ("mnt:[4026531840]"); empty when unreadable.
QString mountNamespace(const QString& pid) {
    // The link's own text: QFileInfo would make it a path beside the link.
    const QByteArray link = QStringLiteral("/proc/%1/ns/mnt").arg(pid).toLocal8Bit();
    char target[128] = {};
    const ssize_t n = ::readlink(link.constData(), target, sizeof target - 1);
    return n > 0 ? QString::fromLatin1(target, n) : QString();
}

// A sandboxed emulator (the Flatpak's, in bubblewrap's namespace) may have the same file
// name as the folder's own; it is not this folder's emulator.
bool sharesOurFiles(qint64 pid) {
    static const QString ours = mountNamespace(QStringLiteral("self"));
    const QString theirs = mountNamespace(QString::number(pid));
    return ours.isEmpty() || theirs.isEmpty() || theirs == ours;
}

} // namespace

Ending ofExecutable(const QString& exeFile, const QString& ownName) {
    Ending ending;
    if (!emulatorlauncher::isPlainFileName(exeFile) ||
        (!ownName.isEmpty() && equalAsciiNoCase(exeFile, ownName)))
        return ending;
    for (const RunningProcess& p : processesNamed(exeFile)) {
        if (!sharesOurFiles(p.pid))
            continue;
        const Process process = chosen(p.pid);
        if (process.identity.isEmpty())
            continue; // ended meanwhile
        ending.asked.append(process);
        ending.all.append(process);
    }
    return ending;
}

Ending ofTree(qint64 root) {
    Ending ending;
    const QList<RunningProcess> tree = processTree(root);
    QSet<qint64> sandbox;
    for (const RunningProcess& p : tree) {
        const Process process = chosen(p.pid);
        if (process.identity.isEmpty())
            continue;
        ending.all.append(process);
        if (isSandboxProcess(p.exeName))
            sandbox.insert(p.pid);
    }
    // The first processes below the sandbox's own: a process is asked when every
    // process above it in the tree is the sandbox's.
    QHash<qint64, qint64> parentOf;
    for (const RunningProcess& p : tree)
        parentOf.insert(p.pid, p.parent);
    for (const RunningProcess& p : tree) {
        if (sandbox.contains(p.pid))
            continue;
        bool underSandboxOnly = true;
        for (qint64 up = parentOf.value(p.pid, 0); parentOf.contains(up); up = parentOf.value(up))
            if (!sandbox.contains(up)) {
                underSandboxOnly = false;
                break;
            }
        const Process process = chosen(p.pid);
        if (underSandboxOnly && !process.identity.isEmpty())
            ending.asked.append(process);
    }
    // A tree of sandbox processes alone (the emulator not started yet): the root is asked.
    if (ending.asked.isEmpty() && !ending.all.isEmpty())
        ending.asked.append(ending.all.first());
    return ending;
}

int ask(const Ending& ending) {
    int asked = 0;
    for (const Process& p : ending.asked)
        if (stillTheSame(p) && ::kill(static_cast<pid_t>(p.pid), SIGTERM) == 0)
            ++asked;
    return asked;
}

bool anyRunning(const Ending& ending) {
    for (const Process& p : ending.asked)
        if (stillTheSame(p))
            return true;
    return false;
}

int finish(const Ending& ending) {
    int ended = 0;
    for (auto it = ending.all.crbegin(); it != ending.all.crend(); ++it)
        if (stillTheSame(*it) && ::kill(static_cast<pid_t>(it->pid), SIGKILL) == 0)
            ++ended;
    return ended;
}

Result endAndWait(const Ending& ending, int waitMs, const std::function<void()>& idle) {
    Result result;
    if (ending.isEmpty())
        return result;
    result.asked = ask(ending);
    QElapsedTimer clock;
    clock.start();
    while (anyRunning(ending) && clock.elapsed() < waitMs) {
        if (idle)
            idle();
        QThread::msleep(20);
    }
    // The asked processes ended or their time is up: the rest of the tree goes too.
    const bool late = anyRunning(ending);
    finish(ending);
    result.forced = late;
    return result;
}

QString forcedText() {
    return QStringLiteral("PCSX2 did not close within %1 seconds and was ended").arg(kQuitWaitMs / 1000);
}

} // namespace emulatorending
