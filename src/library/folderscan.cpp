#include "library/folderscan.h"

#include "core/boundedread.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>

namespace {

const QStringList kExtensions{QStringLiteral(".iso"), QStringLiteral(".bin"), QStringLiteral(".cue"),
                              QStringLiteral(".chd"), QStringLiteral(".cso"), QStringLiteral(".zso"),
                              QStringLiteral(".gz")};

// A cue sheet is a few lines; anything larger is not one.
constexpr qint64 kMaxCueBytes = 64 * 1024;

bool validUtf8(const QByteArray& bytes) {
    // Bytes that are not UTF-8 decode to replacement characters and do not come back.
    return QString::fromUtf8(bytes).toUtf8() == bytes;
}

struct Walker {
    const std::atomic_bool* cancel;
    const std::function<void(qint64)>& progress;
    FolderScan::Result result;
    QSet<std::pair<quint64, quint64>> visited; // (device, inode) of every folder walked

    bool cancelled() const { return cancel && cancel->load(std::memory_order_relaxed); }

    void walk(const QByteArray& folder) {
        struct stat st {};
        if (::stat(folder.constData(), &st) != 0)
            return;
        if (visited.contains({quint64(st.st_dev), quint64(st.st_ino)}))
            return; // a loop, or a second way into a folder already walked
        visited.insert({quint64(st.st_dev), quint64(st.st_ino)});
        DIR* dir = ::opendir(folder.constData());
        if (!dir) {
            result.skipped.append({QFile::decodeName(folder), QStringLiteral("the folder cannot be read")});
            return;
        }
        QList<QByteArray> files;
        QList<QByteArray> folders;
        bool unreachable = false;
        while (dirent* entry = ::readdir(dir)) {
            const QByteArray name(entry->d_name);
            if (name == "." || name == "..")
                continue;
            const QByteArray path = folder + '/' + name;
            const bool imageName = FolderScan::isImageName(QString::fromLatin1(name.right(4))) ||
                                   FolderScan::isImageName(QString::fromLatin1(name.right(3)));
            struct stat es {};
            if (::stat(path.constData(), &es) != 0) {
                struct stat ls {};
                if (errno == EACCES)
                    unreachable = true; // listed, but the folder cannot be entered
                else if (imageName && ::lstat(path.constData(), &ls) == 0 && S_ISLNK(ls.st_mode))
                    result.skipped.append(
                        {QFile::decodeName(path), QStringLiteral("it is a link to %1, which does not exist")
                                                      .arg(QFile::symLinkTarget(QFile::decodeName(path)))});
                continue;
            }
            if (S_ISDIR(es.st_mode)) {
                folders.append(path);
                continue;
            }
            if (!S_ISREG(es.st_mode)) {
                // A FIFO or a device would hang or never end the reading of a disc.
                if (imageName)
                    result.skipped.append(
                        {QFile::decodeName(path),
                         QStringLiteral("it is not a file (a FIFO, a device or a socket)")});
                continue;
            }
            if (++result.filesSeen % 4096 == 0 && progress)
                progress(result.filesSeen);
            if (!imageName)
                continue;
            if (!validUtf8(name)) {
                result.skipped.append(
                    {QString::fromUtf8(path),
                     QStringLiteral("its name is not valid UTF-8, so it cannot be opened by name")});
                continue;
            }
            files.append(path);
        }
        ::closedir(dir);
        if (unreachable)
            result.skipped.append(
                {QFile::decodeName(folder), QStringLiteral("the folder can be listed but not entered, so its "
                                                           "files cannot be read")});
        auto byName = [](const QByteArray& a, const QByteArray& b) {
            return QString::fromUtf8(a).compare(QString::fromUtf8(b), Qt::CaseInsensitive) < 0;
        };
        std::sort(files.begin(), files.end(), byName);
        std::sort(folders.begin(), folders.end(), byName);

        // The tracks of this folder's cue sheets are theirs.
        QSet<QString> tracks;
        for (const QByteArray& f : files)
            if (f.toLower().endsWith(".cue"))
                for (const QString& track : FolderScan::cueTracks(QString::fromUtf8(f)))
                    tracks.insert(track);
        for (const QByteArray& f : files) {
            const QString path = QString::fromUtf8(f);
            if (!tracks.contains(path))
                result.images.append(path);
        }
        for (const QByteArray& sub : folders) {
            if (cancelled()) {
                result.cancelled = true;
                return;
            }
            walk(sub);
        }
    }
};

} // namespace

bool FolderScan::isImageName(const QString& fileName) {
    for (const QString& extension : kExtensions)
        if (fileName.endsWith(extension, Qt::CaseInsensitive))
            return true;
    return false;
}

QStringList FolderScan::cueTracks(const QString& cuePath) {
    const BoundedRead file = BoundedRead::read(cuePath, kMaxCueBytes);
    if (!file.bytes)
        return {};
    const QString folder = QFileInfo(cuePath).absolutePath();
    QStringList tracks;
    const QList<QByteArray> lines = file.bytes->split('\n');
    for (QByteArray line : lines) {
        line = line.trimmed();
        if (!line.toUpper().startsWith("FILE "))
            continue;
        QByteArray name = line.mid(5).trimmed();
        if (name.startsWith('"')) {
            const int close = name.indexOf('"', 1);
            if (close < 0)
                continue;
            name = name.mid(1, close - 1);
        } else {
            name = name.left(name.indexOf(' ')); // FILE name.bin BINARY
        }
        if (name.isEmpty())
            continue;
        // A track named with a folder stays inside the cue's folder's tree.
        tracks << QDir::cleanPath(folder + u'/' + QString::fromUtf8(name).replace(u'\\', u'/'));
    }
    return tracks;
}

FolderScan::Result FolderScan::scan(const QString& folder, const std::atomic_bool* cancel,
                                    const std::function<void(qint64)>& progress) {
    Walker walker{cancel, progress, {}, {}};
    walker.walk(QFile::encodeName(QDir::cleanPath(QFileInfo(folder).absoluteFilePath())));
    if (progress)
        progress(walker.result.filesSeen);
    return walker.result;
}
