#include "core/boundedread.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemError(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

QString sizeText(qint64 bytes) {
    if (bytes >= (qint64(1) << 20))
        return QStringLiteral("%1 MiB").arg(bytes >> 20);
    if (bytes >= 1024)
        return QStringLiteral("%1 KiB").arg(bytes >> 10);
    return QStringLiteral("%1 bytes").arg(bytes);
}

} // namespace

BoundedRead BoundedRead::read(const QString& path, qint64 limit) {
    BoundedRead result;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT)
            result.error = systemError(errno);
        return result;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        result.error = systemError(errno);
    } else if (!S_ISREG(info.st_mode)) {
        result.error = QStringLiteral("it is not a regular file");
    } else if (info.st_size > limit) {
        result.error = QStringLiteral("it is larger than %1").arg(sizeText(limit));
    } else {
        QByteArray bytes(qsizetype(info.st_size) + 1, Qt::Uninitialized);
        qsizetype filled = 0;
        for (;;) {
            if (filled == bytes.size()) {
                if (filled > limit)
                    break;
                bytes.resize(std::min<qsizetype>(qsizetype(limit) + 1, filled * 2 + 4096));
            }
            const ssize_t got = ::read(fd, bytes.data() + filled, size_t(bytes.size() - filled));
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                result.error = systemError(errno);
                break;
            }
            if (got == 0)
                break;
            filled += got;
        }
        if (result.error.isEmpty() && filled > limit)
            result.error = QStringLiteral("it is larger than %1").arg(sizeText(limit));
        if (result.error.isEmpty()) {
            bytes.resize(filled);
            result.bytes = std::move(bytes);
        }
    }
    ::close(fd);
    return result;
}
