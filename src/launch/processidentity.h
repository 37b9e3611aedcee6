#pragma once

#include <QString>

// What tells a running process from any later one that gets the same pid: the
// boot it runs in and the tick at which it started ("<boot id>/<start tick>").
// Empty when no such process runs (also when it is a zombie: it has ended).
QString processIdentity(qint64 pid);
