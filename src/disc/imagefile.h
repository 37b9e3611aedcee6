#pragma once

#include <QString>

namespace disc {

// One image file opened for reading at given offsets: every read names its
// position and length, and a read past the end or a short read is an error.
class ImageFile {
public:
    // Opens `path`, which must be a regular file (a directory, a FIFO or a device is refused
    // before it is opened, so a FIFO never blocks). Throws KorvelloError.
    explicit ImageFile(const QString& path);
    ~ImageFile();
    ImageFile(const ImageFile&) = delete;
    ImageFile& operator=(const ImageFile&) = delete;

    qint64 size() const { return m_size; }
    const QString& path() const { return m_path; }
    // Reads exactly `length` bytes at `offset` into `out`; throws when they are not all there.
    void readAt(qint64 offset, char* out, qint64 length);
    // Reads up to `length` bytes at `offset`; returns how many were read (0 at the end).
    qint64 readSomeAt(qint64 offset, char* out, qint64 length);

private:
    QString m_path;
    int m_descriptor = -1;
    qint64 m_size = 0;
};

} // namespace disc
