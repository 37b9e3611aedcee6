#pragma once

#include <QString>

// What tells a running process from any later one that gets the same pid: the
// boot it runs in and the tick at which it started ("<boot id>/<start tick>").
// Empty when no such process runs (also when it is a zombie: it has ended).
QString processIdentity(qint64 pid);

// When the process of that identity started, in milliseconds of CLOCK_BOOTTIME
// (the kernel counts the start in clock ticks since boot); -1 for an identity
// that holds no start tick.
qint64 processStartBootMs(const QString& identity);
