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

QString StartLock::path(const QString& appFolder) {
    const QString folder = QDir::cleanPath(QFileInfo(appFolder).absoluteFilePath());
    const QByteArray digest = QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha256).toHex();
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/korvello/start-") + QString::fromLatin1(digest.left(32)) +
           QStringLiteral(".lock");
}

StartLock::StartLock(const QString& appFolder, int waitMs) {
    const QString file = path(appFolder);
    QDir().mkpath(QFileInfo(file).path());
    // A link or anything but a regular file at the lock's name is not used.
    m_fd = ::open(QFile::encodeName(file).constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC,
                  0600);
    struct stat st;
    if (m_fd >= 0 && (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (m_fd < 0) {
        qWarning("Start goes on without its lock: cannot open %s: %s", qUtf8Printable(file),
                 std::strerror(errno));
        return;
    }
    const QDeadlineTimer deadline(waitMs);
    while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        if ((errno != EWOULDBLOCK && errno != EINTR) || deadline.hasExpired()) {
            ::close(m_fd);
            m_fd = -1;
            throw KorvelloError(QStringLiteral("Another Start of a game of %1 is under way. Try again when "
                                               "its emulator has started")
                                    .arg(QDir::toNativeSeparators(appFolder)));
        }
        QThread::msleep(20);
    }
}

StartLock::~StartLock() {
    if (m_fd >= 0)
        ::close(m_fd); // closing the last descriptor lets the lock go
}
