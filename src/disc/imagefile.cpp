#include "disc/imagefile.h"

#include "core/korvelloerror.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace disc {

ImageFile::ImageFile(const QString& path) : m_path(path) {
    // Opened first and asked about afterwards, on the descriptor: two system calls where a
    // look at the path and an open were five, for every disc of a folder. O_NONBLOCK keeps
    // the open of a FIFO from waiting for a writer; it is refused right after.
    const QByteArray name = QFile::encodeName(path);
    m_descriptor = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (m_descriptor < 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR)
            throw KorvelloError(QStringLiteral("the file does not exist"));
        throw KorvelloError(QStringLiteral("it cannot be opened: %1").arg(qt_error_string(error)));
    }
    struct stat status {};
    if (::fstat(m_descriptor, &status) != 0) {
        const int error = errno;
        ::close(m_descriptor);
        throw KorvelloError(QStringLiteral("it cannot be opened: %1").arg(qt_error_string(error)));
    }
    const char* refusal = nullptr;
    if (S_ISDIR(status.st_mode))
        refusal = "it is a folder, not a disc image file";
    else if (!S_ISREG(status.st_mode))
        refusal = "it is not a regular file (a pipe or a device)";
    else if (status.st_size == 0)
        refusal = "the file is empty";
    if (refusal) {
        ::close(m_descriptor);
        throw KorvelloError(QString::fromLatin1(refusal));
    }
    m_size = status.st_size;
}

ImageFile::~ImageFile() {
    ::close(m_descriptor);
}

qint64 ImageFile::readSomeAt(qint64 offset, char* out, qint64 length) {
    if (offset < 0 || length < 0)
        throw KorvelloError(QStringLiteral("a read outside the file was asked for"));
    if (offset >= m_size || length == 0)
        return 0;
    // pread: one call a read, where a seek and a read are two; a folder of games is
    // hundreds of discs, each read in a dozen pieces. A short count only at the file's end.
    const qint64 wanted = qMin(length, m_size - offset);
    qint64 got = 0;
    while (got < wanted) {
        const ssize_t n = ::pread(m_descriptor, out + got, size_t(wanted - got), off_t(offset + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw KorvelloError(QStringLiteral("it cannot be read: %1").arg(qt_error_string(errno)));
        if (n == 0)
            break;
        got += n;
    }
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
