#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The running processes as /proc shows them, each with its recorded executable
// name: the program file it runs as the user named it. The kernel's own name
// (/proc/<pid>/comm) is cut to 15 bytes and names the interpreter's script only
// by that cut name, so the recorded name is taken from the command line or the
// executable link, with comm only telling which of them was executed.
struct RunningProcess {
    qint64 pid = 0;
    QString exeName;    // as recorded: a path or a bare name
    qint64 uid = -1;    // the real user id of its owner, -1 when unknown
    qint64 parent = -1; // its parent process, filled in by processTree
};

// Every process that is not a zombie, in the order /proc lists them.
QList<RunningProcess> runningProcesses();

// The recorded executable name from what /proc holds for one process: `comm`
// (the executed file's name cut to 15 bytes), the command line's arguments and
// the target of the exe link (empty when unreadable).
QString recordedExecutableName(const QString& comm, const QStringList& argv, const QString& exeLink);

// The name's file part: what follows the last "/".
QString fileNamePart(const QString& name);

// True when a process's file name, cut to the length of `name`, equals `name`
// with the letters a to z compared without case: a prefix test, so an empty
// name matches every process.
bool IsProcessRunning(const QString& name);

// Sends SIGKILL to every process whose file name, or whole recorded name, equals
// `name` under the same letter rule; not awaited. Only processes of the current
// user (real user id) are signalled, never this program itself, so that even
// root never ends another user's programs; processes that may not be
// signalled are skipped without a report.
// Returns the result of the last signal (1 sent, 0 failed) or 0 when none matched.
int KillProcess(const QString& name);

// The parent process id from /proc/<pid>/stat's fourth field (after the command name in
// brackets, which may itself hold blanks and brackets); -1 when it cannot be read.
qint64 parentProcessId(const QByteArray& stat);

// The processes of the current user (never this program) whose file name, or whole
// recorded name, equals `name` as KillProcess compares them; empty for an empty name.
QList<RunningProcess> processesNamed(const QString& name);

// `root` and every process below it (children, their children...), breadth first
// from the root, each with its recorded name; only processes of the current user,
// never this program. Empty when `root` does not run.
QList<RunningProcess> processTree(qint64 root);

// Sends SIGKILL to `root` and every process below it (children, their children...), the
// deepest first, so that none is handed to another parent before it is found. Only
// processes of the current user, never this program. Returns how many were signalled.
int endProcessTree(qint64 root);
