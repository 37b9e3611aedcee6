#include "launch/processidentity.h"

#include <QFile>

#include <unistd.h>

namespace {

QByteArray readSmallFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return {};
    return f.readAll();
}

} // namespace

QString processIdentity(qint64 pid) {
    if (pid <= 0)
        return {};
    const QByteArray stat = readSmallFile(QStringLiteral("/proc/%1/stat").arg(pid));
    // The command name in brackets may hold blanks and brackets: the fields
    // counted from the state (field 3) follow the last ")".
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0)
        return {};
    const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
    // fields[0] is the state, fields[19] the start time (field 22 of the file).
    if (fields.size() < 20 || fields.at(0) == "Z" || fields.at(0) == "X")
        return {};
    static const QByteArray bootId =
        readSmallFile(QStringLiteral("/proc/sys/kernel/random/boot_id")).trimmed();
    return QString::fromLatin1(bootId + '/' + fields.at(19));
}

qint64 processStartBootMs(const QString& identity) {
    bool ok = false;
    const qint64 ticks = identity.section(u'/', 1).toLongLong(&ok);
    static const long ticksPerSecond = ::sysconf(_SC_CLK_TCK);
    if (!ok || ticks < 0 || ticksPerSecond <= 0)
        return -1;
    return ticks / ticksPerSecond * 1000 + ticks % ticksPerSecond * 1000 / ticksPerSecond;
}
