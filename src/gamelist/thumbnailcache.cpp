#include "gamelist/thumbnailcache.h"

#include "gamelist/imagelist.h"
#include "gamelist/thumbnailcacheformat.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace thumbnailcache;

namespace {

// Limits that no real cache reaches; a file beyond them is not read.
constexpr std::int64_t kMaxIndexBytes = std::int64_t(1) << 30;
constexpr std::uint64_t kMaxNameBytes = 4096;
constexpr std::uint64_t kMaxErrorBytes = 65536;
// Dead blocks in the pixel file below this many bytes never start a new one.
constexpr std::uint64_t kMinDeadBytes = std::uint64_t(4) << 20;

std::int64_t mtimeNs(const struct stat& st) {
    return std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

// True when [offset, offset + length) lies inside [0, limit), without overflow.
bool inside(std::uint64_t offset, std::uint64_t length, std::uint64_t limit) {
    return offset <= limit && length <= limit - offset;
}

int bytesPerPixel(std::uint32_t format) {
    switch (static_cast<QImage::Format>(format)) {
    case QImage::Format_RGB888:
        return 3;
    case QImage::Format_ARGB32_Premultiplied:
        return 4;
    default:
        return 0;
    }
}

// A cell is the design's size or twice that (for scaled screens).
bool isCellSize(std::uint32_t width, std::uint32_t height) {
    for (const std::uint32_t scale : {1u, 2u})
        if (width == scale * std::uint32_t(ImageList::kWidth) &&
            height == scale * std::uint32_t(ImageList::kHeight))
            return true;
    return false;
}

bool writeAllAt(int fd, const unsigned char* data, std::uint64_t size, std::uint64_t offset) {
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, data, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        offset += std::uint64_t(n);
        size -= std::uint64_t(n);
    }
    return true;
}

// Opens a cache file only when it is a regular file at that very name: never
// through a symbolic link, never a FIFO (whose open would wait for a writer) or
// a device. -1 with errno set otherwise.
int openRegular(const QString& path, int flags) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (fd < 0)
        return -1;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

// A new file at that name, made by this call: an existing file or a link
// planted there is never written through.
int createExclusive(const QString& path) {
    return ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                  0600);
}

QString errorText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

bool readDataHeader(int fd, DataHeader& header) {
    return ::pread(fd, &header, sizeof header, 0) == ssize_t(sizeof header) &&
           std::memcmp(header.magic, kDataMagic, sizeof kDataMagic) == 0 && header.version == kVersion;
}

} // namespace

ThumbnailCache::ThumbnailCache(const QString& programFolder, const QString& cacheFolder)
    : m_folder(QDir::cleanPath(QFileInfo(programFolder).absoluteFilePath())), m_cacheFolder(cacheFolder) {
    // One cache per program folder, named by a digest of its path; the index
    // also holds the path itself, so a digest collision or a cache copied from
    // another folder is never read as this folder's.
    const QByteArray digest = QCryptographicHash::hash(m_folder.toUtf8(), QCryptographicHash::Sha256).toHex();
    m_base = QDir(m_cacheFolder).filePath(QString::fromLatin1(digest.left(32)));
}

ThumbnailCache::~ThumbnailCache() {
    endUpdate();
}

QString ThumbnailCache::defaultFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/korvello");
}

std::uint64_t ThumbnailCache::blockSize(std::uint64_t bytes) {
    return (bytes + kBlockAlign - 1) / kBlockAlign * kBlockAlign;
}

std::uint32_t ThumbnailCache::cellBytesPerLine(std::uint32_t width, std::uint32_t format) {
    // Rows padded to 4 bytes, as QImage lays them out.
    return (width * std::uint32_t(bytesPerPixel(format)) + 3u) & ~3u;
}

ThumbnailCache::FileStamp ThumbnailCache::stamp(const QString& path) {
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return {std::uint64_t(st.st_dev), std::uint64_t(st.st_ino), std::int64_t(st.st_size), mtimeNs(st)};
}

void ThumbnailCache::clear() {
    m_records.clear();
    m_reader.reset();
    m_pixelSize = 0;
    m_generation = 0;
}

void ThumbnailCache::refresh() {
    const FileStamp now = stamp(indexPath());
    // A pixel file shortened in place (truncated, an older cache copied over
    // it) no longer holds every record's cell: the index is read again and
    // keeps only the records the file still holds.
    const bool shortened = m_reader && m_reader->fileSize() < std::int64_t(m_pixelSize);
    if (now.size >= 0 && now == m_indexStamp && !shortened)
        return;
    clear();
    m_indexStamp = now;
    if (now.size < 0 || now.size > kMaxIndexBytes)
        return;
    const int fd = openRegular(indexPath(), O_RDONLY);
    QFile file;
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (fd >= 0)
            ::close(fd);
        return;
    }
    if (!readIndex(file.readAll()))
        clear();
}

bool ThumbnailCache::readIndex(const QByteArray& bytes) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    const std::uint64_t fileSize = std::uint64_t(bytes.size());
    IndexHeader header;
    if (fileSize < sizeof header)
        return false;
    std::memcpy(&header, data, sizeof header);
    if (std::memcmp(header.magic, kIndexMagic, sizeof kIndexMagic) != 0 || header.version != kVersion ||
        header.entrySize != sizeof(IndexEntry) || header.headerSize != sizeof(IndexHeader) ||
        header.fileSize != fileSize || header.generation == 0)
        return false;
    const std::uint64_t afterHeader = fileSize - sizeof header;
    if (header.entryCount > afterHeader / sizeof(IndexEntry))
        return false;
    const std::uint64_t entriesBytes = std::uint64_t(header.entryCount) * sizeof(IndexEntry);
    if (header.stringsSize != afterHeader - entriesBytes)
        return false;
    if (checksum(data + sizeof header, afterHeader) != header.checksum)
        return false;
    const unsigned char* strings = data + sizeof header + entriesBytes;
    const std::uint64_t stringsSize = header.stringsSize;
    if (!inside(header.folderOffset, header.folderLength, stringsSize) ||
        QByteArray::fromRawData(reinterpret_cast<const char*>(strings + header.folderOffset),
                                qsizetype(header.folderLength)) != m_folder.toUtf8())
        return false;

    if (!openPixels(header.generation))
        return false;
    const std::uint64_t pixelSize = m_pixelSize;
    m_records.reserve(header.entryCount);
    for (std::uint32_t i = 0; i < header.entryCount; ++i) {
        IndexEntry entry;
        std::memcpy(&entry, data + sizeof header + std::uint64_t(i) * sizeof entry, sizeof entry);
        if (entry.nameLength == 0 || entry.nameLength > kMaxNameBytes ||
            !inside(entry.nameOffset, entry.nameLength, stringsSize))
            continue;
        Record record;
        record.name = QByteArray(reinterpret_cast<const char*>(strings + entry.nameOffset),
                                 qsizetype(entry.nameLength));
        record.key = {entry.fileSize, entry.mtimeNs, entry.inode};
        if (entry.status == std::uint32_t(EntryStatus::Picture)) {
            const std::uint32_t bytesPerLine = cellBytesPerLine(entry.width, entry.format);
            if (bytesPerPixel(entry.format) == 0 || !isCellSize(entry.width, entry.height) ||
                entry.bytesPerLine != bytesPerLine ||
                entry.dataSize != std::uint64_t(bytesPerLine) * entry.height ||
                entry.dataOffset % kBlockAlign != 0 || entry.dataOffset < sizeof(DataHeader) ||
                !inside(entry.dataOffset, entry.dataSize, pixelSize))
                continue;
            record.offset = entry.dataOffset;
            record.size = entry.dataSize;
            record.format = entry.format;
            record.bytesPerLine = entry.bytesPerLine;
            record.width = entry.width;
            record.height = entry.height;
        } else if (entry.status == std::uint32_t(EntryStatus::Damaged)) {
            if (entry.dataSize > kMaxErrorBytes || !inside(entry.dataOffset, entry.dataSize, stringsSize))
                continue;
            record.damaged = true;
            record.error = QString::fromUtf8(reinterpret_cast<const char*>(strings + entry.dataOffset),
                                             qsizetype(entry.dataSize));
        } else {
            continue;
        }
        m_records.insert(record.name, record);
    }
    m_generation = header.generation;
    return true;
}

bool ThumbnailCache::openPixels(std::uint64_t generation) {
    const int fd = openRegular(pixelPath(), O_RDONLY);
    if (fd < 0)
        return false;
    DataHeader header;
    struct stat st;
    if (!readDataHeader(fd, header) || header.generation != generation || ::fstat(fd, &st) != 0) {
        ::close(fd);
        return false;
    }
    m_reader = std::make_shared<ThumbnailCellReader>(fd);
    m_pixelSize = std::uint64_t(st.st_size);
    return true;
}

const ThumbnailCache::Record* ThumbnailCache::find(const QByteArray& name, const FileKey& key) const {
    const auto it = m_records.constFind(name);
    return it != m_records.cend() && it->key == key ? &*it : nullptr;
}

bool ThumbnailCache::beginUpdate(std::uint64_t liveBytes) {
    m_lastError.clear();
    if (m_update.active)
        return false;
    if (!QDir().mkpath(m_cacheFolder)) {
        m_lastError = QStringLiteral("cannot make the folder %1").arg(m_cacheFolder);
        return false;
    }
    Update& u = m_update;
    const QString lockPath = m_base + QStringLiteral(".lock");
    u.lockFd = openRegular(lockPath, O_RDWR | O_CREAT);
    if (u.lockFd < 0 && errno == ELOOP) {
        // A link where the lock belongs is not ours to follow: it goes, and
        // the lock is made anew in its place.
        ::unlink(QFile::encodeName(lockPath).constData());
        u.lockFd = createExclusive(lockPath);
    }
    if (u.lockFd < 0) {
        m_lastError = QStringLiteral("cannot open %1: %2").arg(lockPath, errorText(errno));
        return false;
    }
    if (::flock(u.lockFd, LOCK_EX | LOCK_NB) != 0) { // another copy is writing: not a failure
        ::close(u.lockFd);
        u.lockFd = -1;
        return false;
    }
    u.active = true;
    u.failed = false;
    u.error = 0;
    // Under the lock no other writer has a temporary file open: any left is
    // from a run that ended while writing.
    removeStaleTemporaries();
    // The index's temporary file is made first: when the folder takes no new
    // file (read-only, full), nothing is appended to the pixel file either.
    u.tempIndexPath = m_base + QStringLiteral(".index.%1.tmp").arg(::getpid());
    u.indexFd = createExclusive(u.tempIndexPath);
    if (u.indexFd < 0) {
        m_lastError = QStringLiteral("cannot make %1: %2").arg(u.tempIndexPath, errorText(errno));
        u.tempIndexPath.clear();
        endUpdate();
        return false;
    }

    // Append when the pixel file is still the one the index points into (the
    // very file being read, no shorter than it was) and not mostly dead blocks.
    if (m_generation != 0 && m_reader) {
        const int fd = openRegular(pixelPath(), O_RDWR);
        DataHeader header;
        struct stat st;
        if (fd >= 0 && readDataHeader(fd, header) && header.generation == m_generation &&
            ::fstat(fd, &st) == 0 && m_reader->isFile(st) && std::uint64_t(st.st_size) >= m_pixelSize) {
            const std::uint64_t used = std::uint64_t(st.st_size) - sizeof(DataHeader);
            const std::uint64_t dead = used > liveBytes ? used - liveBytes : 0;
            if (dead <= std::max(liveBytes, kMinDeadBytes)) {
                u.fresh = false;
                u.pixelFd = fd;
                u.generation = m_generation;
                u.end = blockSize(std::uint64_t(st.st_size));
                return true;
            }
        }
        if (fd >= 0)
            ::close(fd);
    }

    u.fresh = true;
    u.tempPixelPath = m_base + QStringLiteral(".pixels.%1.tmp").arg(::getpid());
    u.pixelFd = createExclusive(u.tempPixelPath);
    const int openError = errno;
    if (u.pixelFd < 0)
        u.tempPixelPath.clear(); // whatever lies there is not ours to remove
    do
        u.generation = QRandomGenerator::system()->generate64();
    while (u.generation == 0);
    DataHeader header{};
    std::memcpy(header.magic, kDataMagic, sizeof kDataMagic);
    header.version = kVersion;
    header.generation = u.generation;
    if (u.pixelFd < 0 ||
        !writeAllAt(u.pixelFd, reinterpret_cast<const unsigned char*>(&header), sizeof header, 0)) {
        m_lastError =
            QStringLiteral("cannot write %1: %2")
                .arg(m_base + QStringLiteral(".pixels"), errorText(u.pixelFd < 0 ? openError : errno));
        endUpdate();
        return false;
    }
    u.end = sizeof header;
    return true;
}

bool ThumbnailCache::writeBlock(const unsigned char* data, std::uint64_t size, Record& record) {
    const std::uint64_t offset = m_update.end.fetch_add(blockSize(size));
    if (!writeAllAt(m_update.pixelFd, data, size, offset)) {
        int none = 0;
        m_update.error.compare_exchange_strong(none, errno != 0 ? errno : EIO);
        m_update.failed = true;
        return false;
    }
    record.offset = offset;
    record.size = size;
    return true;
}

bool ThumbnailCache::store(const QImage& cell, Record& record) {
    const auto width = std::uint32_t(cell.width());
    const auto format = std::uint32_t(cell.format());
    if (!m_update.active || !isCellSize(width, std::uint32_t(cell.height())) || bytesPerPixel(format) == 0 ||
        std::uint32_t(cell.bytesPerLine()) != cellBytesPerLine(width, format))
        return false;
    if (!writeBlock(cell.constBits(), std::uint64_t(cell.sizeInBytes()), record))
        return false;
    record.format = format;
    record.bytesPerLine = std::uint32_t(cell.bytesPerLine());
    record.width = width;
    record.height = std::uint32_t(cell.height());
    return true;
}

bool ThumbnailCache::carry(Record& record) {
    if (!m_update.active || !m_reader || record.offset == 0)
        return false;
    // Read from the file the index points into; a block it no longer holds is not carried.
    QByteArray block(qsizetype(record.size), Qt::Uninitialized);
    auto* bytes = reinterpret_cast<unsigned char*>(block.data());
    return m_reader->readBlock(record.offset, record.size, bytes) && writeBlock(bytes, record.size, record);
}

bool ThumbnailCache::commit(const QList<Record>& records) {
    Update& u = m_update;
    if (!u.active)
        return false;
    bool saved = !u.failed;
    if (!saved)
        m_lastError = QStringLiteral("cannot write %1: %2").arg(pixelPath(), errorText(u.error));
    if (saved && u.fresh) {
        saved = ::rename(QFile::encodeName(u.tempPixelPath).constData(),
                         QFile::encodeName(pixelPath()).constData()) == 0;
        if (!saved)
            m_lastError = QStringLiteral("cannot replace %1: %2").arg(pixelPath(), errorText(errno));
    }
    if (saved)
        saved = writeIndex(records);

    // The cells written are read from the file written; an appended file is
    // the one being read already. A new file that could not take its place is
    // not kept open: its space goes back to the disk, and its cells are
    // decoded again by the next rebuild.
    if (u.fresh) {
        const int fd = saved ? ::fcntl(u.pixelFd, F_DUPFD_CLOEXEC, 0) : -1;
        m_reader = fd >= 0 ? std::make_shared<ThumbnailCellReader>(fd) : nullptr;
    }
    m_pixelSize = m_reader ? std::uint64_t(std::max<std::int64_t>(m_reader->fileSize(), 0)) : 0;
    m_records.clear();
    m_records.reserve(records.size());
    for (const Record& record : records)
        if (record.damaged || (record.offset != 0 && m_reader))
            m_records.insert(record.name, record);
    // Unsaved contents are this run's alone: the next update starts a new pixel
    // file, and the next refresh reads what is on disk.
    m_generation = saved && m_reader ? u.generation : 0;
    m_indexStamp = saved ? stamp(indexPath()) : FileStamp{};
    endUpdate();
    return saved;
}

bool ThumbnailCache::writeIndex(const QList<Record>& records) {
    QByteArray strings = m_folder.toUtf8();
    QByteArray entries;
    entries.reserve(records.size() * qsizetype(sizeof(IndexEntry)));
    for (const Record& record : records) {
        IndexEntry entry{};
        entry.nameOffset = std::uint64_t(strings.size());
        entry.nameLength = std::uint64_t(record.name.size());
        strings += record.name;
        entry.fileSize = record.key.size;
        entry.mtimeNs = record.key.mtimeNs;
        entry.inode = record.key.inode;
        if (record.damaged) {
            const QByteArray error = record.error.toUtf8().left(qsizetype(kMaxErrorBytes));
            entry.status = std::uint32_t(EntryStatus::Damaged);
            entry.dataOffset = std::uint64_t(strings.size());
            entry.dataSize = std::uint64_t(error.size());
            strings += error;
        } else {
            if (record.offset == 0)
                continue;
            entry.status = std::uint32_t(EntryStatus::Picture);
            entry.dataOffset = record.offset;
            entry.dataSize = record.size;
            entry.format = record.format;
            entry.width = record.width;
            entry.height = record.height;
            entry.bytesPerLine = record.bytesPerLine;
        }
        entries.append(reinterpret_cast<const char*>(&entry), sizeof entry);
    }

    IndexHeader header{};
    std::memcpy(header.magic, kIndexMagic, sizeof kIndexMagic);
    header.version = kVersion;
    header.entrySize = sizeof(IndexEntry);
    header.headerSize = sizeof(IndexHeader);
    header.entryCount = std::uint32_t(entries.size() / qsizetype(sizeof(IndexEntry)));
    header.generation = m_update.generation;
    header.stringsSize = std::uint64_t(strings.size());
    header.folderOffset = 0;
    header.folderLength = std::uint64_t(m_folder.toUtf8().size());
    const QByteArray body = entries + strings;
    header.fileSize = sizeof header + std::uint64_t(body.size());
    header.checksum =
        checksum(reinterpret_cast<const unsigned char*>(body.constData()), std::uint64_t(body.size()));

    Update& u = m_update;
    const bool written =
        writeAllAt(u.indexFd, reinterpret_cast<const unsigned char*>(&header), sizeof header, 0) &&
        writeAllAt(u.indexFd, reinterpret_cast<const unsigned char*>(body.constData()),
                   std::uint64_t(body.size()), sizeof header);
    const int writeError = errno;
    const bool closed = ::close(u.indexFd) == 0;
    u.indexFd = -1;
    if (!written || !closed) {
        m_lastError = QStringLiteral("cannot write %1: %2").arg(u.tempIndexPath, errorText(writeError));
        return false;
    }
    if (::rename(QFile::encodeName(u.tempIndexPath).constData(),
                 QFile::encodeName(indexPath()).constData()) != 0) {
        m_lastError = QStringLiteral("cannot replace %1: %2").arg(indexPath(), errorText(errno));
        return false;
    }
    u.tempIndexPath.clear();
    return true;
}

void ThumbnailCache::endUpdate() {
    Update& u = m_update;
    if (u.pixelFd >= 0)
        ::close(u.pixelFd);
    if (u.indexFd >= 0)
        ::close(u.indexFd);
    // Both temporaries are this update's own (made exclusively); a renamed one is gone already.
    if (!u.tempPixelPath.isEmpty())
        ::unlink(QFile::encodeName(u.tempPixelPath).constData());
    if (!u.tempIndexPath.isEmpty())
        ::unlink(QFile::encodeName(u.tempIndexPath).constData());
    if (u.lockFd >= 0) {
        ::flock(u.lockFd, LOCK_UN);
        ::close(u.lockFd);
    }
    u.pixelFd = -1;
    u.indexFd = -1;
    u.lockFd = -1;
    u.tempPixelPath.clear();
    u.tempIndexPath.clear();
    u.active = false;
}

void ThumbnailCache::removeStaleTemporaries() const {
    const QDir dir(m_cacheFolder);
    const QString prefix = QFileInfo(m_base).fileName();
    for (const QString& name :
         dir.entryList({prefix + QStringLiteral(".*.tmp")}, QDir::Files | QDir::Hidden | QDir::System))
        QFile::remove(dir.filePath(name));
}
