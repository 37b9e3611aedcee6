#include "disc/imagefile.h"

#include "core/korvelloerror.h"

#include <QFileInfo>

namespace disc {

ImageFile::ImageFile(const QString& path) : m_path(path), m_file(path) {
    const QFileInfo info(path);
    if (!info.exists())
        throw KorvelloError(QStringLiteral("the file does not exist"));
    if (info.isDir())
        throw KorvelloError(QStringLiteral("it is a folder, not a disc image file"));
    if (!info.isFile())
        throw KorvelloError(QStringLiteral("it is not a regular file (a pipe or a device)"));
    // Unbuffered: the reads are of whole sectors at scattered places, and a buffer
    // would read ahead 16 KiB past each one.
    if (!m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw KorvelloError(QStringLiteral("it cannot be opened: %1").arg(m_file.errorString()));
    m_size = m_file.size();
    if (m_size == 0)
        throw KorvelloError(QStringLiteral("the file is empty"));
}

qint64 ImageFile::readSomeAt(qint64 offset, char* out, qint64 length) {
    if (offset < 0 || length < 0)
        throw KorvelloError(QStringLiteral("a read outside the file was asked for"));
    if (offset >= m_size || length == 0)
        return 0;
    if (!m_file.seek(offset))
        throw KorvelloError(QStringLiteral("it cannot be read: %1").arg(m_file.errorString()));
    const qint64 got = m_file.read(out, qMin(length, m_size - offset));
    if (got < 0)
        throw KorvelloError(QStringLiteral("it cannot be read: %1").arg(m_file.errorString()));
    return got;
}

void ImageFile::readAt(qint64 offset, char* out, qint64 length) {
    if (offset < 0 || length < 0 || offset > m_size || length > m_size - offset)
        throw KorvelloError(
            QStringLiteral("the image is truncated: it ends at byte %1, before the data at byte %2")
                .arg(m_size)
                .arg(offset + length));
    if (readSomeAt(offset, out, length) != length)
        throw KorvelloError(
            QStringLiteral("the image is truncated: a read at byte %1 came back short").arg(offset));
}

} // namespace disc
