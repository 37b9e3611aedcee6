#include "support/smalldisk.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <sched.h>
#include <sys/mount.h>

namespace {

QString errorText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

SmallDisk::SmallDisk(const QString& folder, qint64 bytes) : m_folder(folder) {
    static int namespaceError = -1;
    if (namespaceError < 0) {
        namespaceError = 0;
        // Mounts made here must not travel back to the system's namespace.
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            namespaceError = errno;
    }
    if (namespaceError != 0) {
        m_why = QStringLiteral("no mount namespace of its own for this test (needs root): %1")
                    .arg(errorText(namespaceError));
        return;
    }
    const QByteArray options = "size=" + QByteArray::number(bytes);
    if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                options.constData()) != 0) {
        m_why = QStringLiteral("cannot mount a small tmpfs: %1").arg(errorText(errno));
        return;
    }
    m_mounted = true;
}

SmallDisk::~SmallDisk() {
    if (m_mounted)
        ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
}
