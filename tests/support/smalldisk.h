#pragma once

#include <QString>

// A tmpfs of a few bytes mounted over a folder, seen by this test process
// alone: the process first moves into a mount namespace of its own (once), so
// nothing outside it sees the mount. Threads started afterwards share it. The
// mount goes with the object. When the system does not allow it (no root, no
// namespaces) isMounted() is false and why() says why: the test skips then.
class SmallDisk {
public:
    SmallDisk(const QString& folder, qint64 bytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool isMounted() const { return m_mounted; }
    QString why() const { return m_why; }

private:
    QString m_folder;
    QString m_why;
    bool m_mounted = false;
};
