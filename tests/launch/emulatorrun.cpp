#include "emulatorrun.h"

#include "store/gameprofile.h"
#include "support/testfolder.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <QThread>

#include <csignal>
#include <unistd.h>

namespace emulatorrun {

GameProfile fixtureProfile() {
    GameProfile p;
    const QStringList lines =
        QString::fromUtf8(testsupport::readAll(testsupport::dataPath(QStringLiteral("launch/profile.txt"))))
            .split(u'\n');
    for (const QString& line : lines) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq > 0)
            p.setValue(line.left(eq), line.mid(eq + 1));
    }
    return p;
}

QString uniqueName(const QString& tag) {
    return QStringLiteral("pcsx2-%1-%2.exe").arg(tag).arg(::getpid());
}

QString install(const QString& folder, const QString& name) {
    const QString path = folder + name;
    QFile::remove(path);
    QFile::copy(QStringLiteral(KORVELLO_TEST_EMULATOR), path);
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner | QFileDevice::ReadOwner);
    return path;
}

std::optional<Record> waitForRecord(const QString& exePath, int ms) {
    const QString path = exePath + QStringLiteral(".record");
    QDeadlineTimer deadline(ms);
    while (!QFile::exists(path)) {
        if (deadline.hasExpired())
            return std::nullopt;
        QTest::qWait(20);
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    QStringList lines = QString::fromUtf8(f.readAll()).split(u'\n');
    if (lines.size() < 3)
        return std::nullopt;
    lines.removeLast(); // after the last line end
    Record r;
    r.pid = lines.takeFirst().toLongLong();
    r.workingFolder = lines.takeFirst();
    r.arguments = lines;
    return r;
}

bool isAlive(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = stat.readAll();
    const qsizetype close = text.lastIndexOf(')');
    return close > 0 && close + 2 < text.size() && text.at(close + 2) != 'Z' && text.at(close + 2) != 'X';
}

bool waitForEnd(qint64 pid, int ms) {
    QDeadlineTimer deadline(ms);
    while (isAlive(pid)) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(20);
    }
    return true;
}

qint64 startDirectly(const QString& exePath, const QStringList& arguments) {
    QFile::remove(exePath + QStringLiteral(".record"));
    qint64 pid = 0;
    if (!QProcess::startDetached(exePath, arguments, QString(), &pid))
        return 0;
    const std::optional<Record> record = waitForRecord(exePath);
    return record ? record->pid : pid;
}

Reaper::~Reaper() {
    for (const qint64 pid : std::as_const(m_pids)) {
        if (pid > 0)
            ::kill(static_cast<pid_t>(pid), SIGKILL);
    }
}

} // namespace emulatorrun
