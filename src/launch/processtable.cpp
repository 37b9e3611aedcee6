#include "launch/processtable.h"
#include "core/asciicase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <csignal>
#include <sys/types.h>
#include <unistd.h>

namespace {

QByteArray readProcFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return {};
    return f.readAll();
}

// The process state letter from /proc/<pid>/stat; the command name in brackets
// may itself hold blanks and brackets, so the state follows the last ")".
char processState(const QByteArray& stat) {
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0 || close + 2 >= stat.size())
        return '?';
    return stat.at(close + 2);
}

// The real user id from /proc/<pid>/status ("Uid:\treal\teffective..."), -1 when unreadable.
qint64 realUid(const QByteArray& status) {
    for (const QByteArray& line : status.split('\n')) {
        if (!line.startsWith("Uid:"))
            continue;
        const QList<QByteArray> fields = line.mid(4).simplified().split(' ');
        bool ok = false;
        const qint64 uid = fields.value(0).toLongLong(&ok);
        return ok ? uid : -1;
    }
    return -1;
}

// Calls `visit` with each process's id, its /proc folder (ending in "/") and its stat line.
// A process may end while it is read; one whose stat is gone is skipped.
template <typename Visit> void forEachProcess(Visit&& visit) {
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (!numeric)
            continue;
        const QString dir = QStringLiteral("/proc/") + entry + u'/';
        const QByteArray stat = readProcFile(dir + QStringLiteral("stat"));
        if (!stat.isEmpty())
            visit(pid, dir, stat);
    }
}

} // namespace

QString fileNamePart(const QString& name) {
    return name.mid(name.lastIndexOf(u'/') + 1);
}

QString recordedExecutableName(const QString& comm, const QStringList& argv, const QString& exeLink) {
    // comm is the executed file's name cut to 15 bytes: for a program it matches
    // argv[0] (the name the user started it by) and the exe link; for a script
    // run through its "#!" line argv[0] is the interpreter, and the script follows
    // as the second or third argument.
    QStringList candidates;
    if (!argv.isEmpty())
        candidates << argv.at(0);
    if (!exeLink.isEmpty())
        candidates << exeLink;
    for (int i = 1; i < 3 && i < argv.size(); ++i)
        candidates << argv.at(i);
    const QByteArray commBytes = comm.toUtf8();
    for (const QString& candidate : candidates) {
        if (!comm.isEmpty() && fileNamePart(candidate).toUtf8().startsWith(commBytes))
            return candidate;
    }
    // A process that renamed itself: the program file it runs, else what it calls itself.
    if (!exeLink.isEmpty())
        return exeLink;
    if (!argv.isEmpty() && !argv.at(0).isEmpty())
        return argv.at(0);
    return comm;
}

namespace {

// One process as its /proc folder (`dir`, ending in "/") records it.
RunningProcess readProcess(qint64 pid, const QString& dir) {
    QByteArray comm = readProcFile(dir + QStringLiteral("comm"));
    if (comm.endsWith('\n'))
        comm.chop(1);
    QByteArray cmdline = readProcFile(dir + QStringLiteral("cmdline"));
    if (cmdline.endsWith('\0'))
        cmdline.chop(1);
    QStringList argv;
    if (!cmdline.isEmpty()) {
        for (const QByteArray& arg : cmdline.split('\0'))
            argv << QString::fromUtf8(arg);
    }
    QString exe = QFileInfo(dir + QStringLiteral("exe")).symLinkTarget();
    if (exe.endsWith(QStringLiteral(" (deleted)")))
        exe.chop(10);
    return {pid, recordedExecutableName(QString::fromUtf8(comm), argv, exe),
            realUid(readProcFile(dir + QStringLiteral("status")))};
}

} // namespace

QList<RunningProcess> runningProcesses() {
    QList<RunningProcess> result;
    forEachProcess([&result](qint64 pid, const QString& dir, const QByteArray& stat) {
        if (processState(stat) != 'Z' && processState(stat) != 'X')
            result.append(readProcess(pid, dir));
    });
    return result;
}

bool IsProcessRunning(const QString& name) {
    for (const RunningProcess& p : runningProcesses()) {
        if (equalAsciiNoCase(QStringView(fileNamePart(p.exeName)).left(name.size()), name))
            return true;
    }
    return false;
}

QList<RunningProcess> processesNamed(const QString& name) {
    QList<RunningProcess> named;
    if (name.isEmpty())
        return named; // no process has an empty name
    const qint64 self = ::getpid();
    const qint64 user = ::getuid();
    for (const RunningProcess& p : runningProcesses()) {
        if (p.pid == self || p.uid != user)
            continue;
        if (equalAsciiNoCase(fileNamePart(p.exeName), name) || equalAsciiNoCase(p.exeName, name))
            named.append(p);
    }
    return named;
}

int KillProcess(const QString& name) {
    int result = 0;
    for (const RunningProcess& p : processesNamed(name))
        result = ::kill(static_cast<pid_t>(p.pid), SIGKILL) == 0 ? 1 : 0;
    return result;
}

qint64 parentProcessId(const QByteArray& stat) {
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0)
        return -1;
    // ") S 1234 ...": the state, then the parent.
    const QList<QByteArray> fields = stat.mid(close + 1).simplified().split(' ');
    bool ok = false;
    const qint64 parent = fields.value(1).toLongLong(&ok);
    return ok ? parent : -1;
}

QList<RunningProcess> processTree(qint64 root) {
    QList<RunningProcess> tree;
    if (root <= 0)
        return tree;
    const qint64 self = ::getpid();
    const qint64 user = ::getuid();
    // One reading of the table: each process's parent, and whose it is.
    QHash<qint64, QList<qint64>> children;
    QHash<qint64, RunningProcess> processes;
    forEachProcess([&](qint64 pid, const QString& dir, const QByteArray& stat) {
        const qint64 parent = parentProcessId(stat);
        if (parent < 0)
            return;
        children[parent].append(pid);
        processes.insert(pid,
                         {pid, QString(), realUid(readProcFile(dir + QStringLiteral("status"))), parent});
    });
    if (!processes.contains(root))
        return tree;
    // Breadth first from the root.
    QList<qint64> order{root};
    for (qsizetype i = 0; i < order.size(); ++i)
        for (const qint64 child : children.value(order[i]))
            if (!order.contains(child))
                order.append(child);
    // Only the tree's own processes are read further, for their names.
    for (const qint64 pid : order) {
        RunningProcess p = processes.value(pid);
        if (pid == self || p.uid != user)
            continue;
        p.exeName = readProcess(pid, QStringLiteral("/proc/%1/").arg(pid)).exeName;
        tree.append(p);
    }
    return tree;
}

int endProcessTree(qint64 root) {
    // Signalled in reverse, the deepest first, so that none is handed to another
    // parent before it is found.
    const QList<RunningProcess> tree = processTree(root);
    int signalled = 0;
    for (auto it = tree.crbegin(); it != tree.crend(); ++it)
        if (::kill(static_cast<pid_t>(it->pid), SIGKILL) == 0)
            ++signalled;
    return signalled;
}
