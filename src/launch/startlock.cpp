#include "launch/startlock.h"

#include "core/korvelloerror.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

QString StartLock::path(const QString& kind, const QString& folder) {
    // The real path: a folder reached through a link is the folder it leads to.
    const QFileInfo info(folder);
    QString real = info.canonicalFilePath();
    if (real.isEmpty())
        real = QDir::cleanPath(info.absoluteFilePath());
    const QByteArray digest = QCryptographicHash::hash(real.toUtf8(), QCryptographicHash::Sha256).toHex();
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/korvello/") + kind + u'-' + QString::fromLatin1(digest.left(32)) +
           QStringLiteral(".lock");
}

QString StartLock::path(const QString& appFolder) {
    return path(QStringLiteral("start"), appFolder);
}

StartLock::StartLock(const QString& appFolder, int waitMs) {
    const QDeadlineTimer deadline(waitMs);
    take(
        path(appFolder), [&] { return !deadline.hasExpired(); },
        QStringLiteral("Another Start of a game of %1 is under way. Try again when its emulator has started")
            .arg(QDir::toNativeSeparators(appFolder)));
}

StartLock::StartLock(const QString& kind, const QString& folder, const std::function<bool()>& keepWaiting,
                     const QString& busy) {
    take(path(kind, folder), keepWaiting, busy);
}

void StartLock::take(const QString& file, const std::function<bool()>& keepWaiting, const QString& busy) {
    if (!QDir().mkpath(QFileInfo(file).path())) {
        qWarning("Going on without the lock %s: its folder cannot be made", qUtf8Printable(file));
        return;
    }
    // A link or anything but a regular file at the lock's name is not used: going
    // on without the lock would let two of the same work run at once, unseen.
    m_fd = ::open(QFile::encodeName(file).constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC,
                  0600);
    const int openError = errno;
    struct stat st {};
    const bool opened = m_fd >= 0;
    if (opened && (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (m_fd < 0 && (opened || openError == ELOOP || openError == EISDIR || openError == ENXIO))
        throw KorvelloError(
            QStringLiteral("%1 is not a lock file of Korvello's; remove it and try again").arg(file));
    if (m_fd < 0) {
        qWarning("Going on without the lock %s: it cannot be opened: %s", qUtf8Printable(file),
                 std::strerror(openError));
        return;
    }
    while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        if ((errno != EWOULDBLOCK && errno != EINTR) || !keepWaiting()) {
            ::close(m_fd);
            m_fd = -1;
            throw KorvelloError(busy);
        }
        QThread::msleep(20);
    }
}

StartLock::~StartLock() {
    if (m_fd >= 0)
        ::close(m_fd); // closing the last descriptor lets the lock go
}
