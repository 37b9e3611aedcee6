#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Reading a file that the user, the emulator or anyone else may have replaced
// with something that is not a file: the path (or the file a link leads to)
// must be a regular file no larger than `limit` bytes. It is opened without
// blocking, so a FIFO or a device in its place answers at once, and never more
// than the limit is read, so a file that grows meanwhile or a link to
// /dev/zero cannot fill the memory.
struct BoundedRead {
    std::optional<QByteArray> bytes; // the whole file, when it was read
    QString error;                   // why not; empty when there is no such file
    bool missing() const { return !bytes && error.isEmpty(); }

    static BoundedRead read(const QString& path, qint64 limit);
};
