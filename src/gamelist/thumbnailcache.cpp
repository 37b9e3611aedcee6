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

// QImage's own row length for a cell of that format (rows padded to 4 bytes).
std::uint32_t cellBytesPerLine(std::uint32_t format) {
    return (std::uint32_t(ImageList::kWidth) * std::uint32_t(bytesPerPixel(format)) + 3u) & ~3u;
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

ThumbnailCache::FileStamp ThumbnailCache::stamp(const QString& path) {
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return {std::uint64_t(st.st_dev), std::uint64_t(st.st_ino), std::int64_t(st.st_size), mtimeNs(st)};
}

void ThumbnailCache::clear() {
    m_records.clear();
    m_mapping.reset();
    m_generation = 0;
}

void ThumbnailCache::refresh() {
    const FileStamp now = stamp(indexPath());
    if (now.size >= 0 && now == m_indexStamp)
        return;
    clear();
    m_indexStamp = now;
    if (now.size < 0 || now.size > kMaxIndexBytes)
        return;
    QFile file(indexPath());
    if (!file.open(QIODevice::ReadOnly))
        return;
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

    const int fd = ::open(QFile::encodeName(pixelPath()).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool mapped = mapPixels(fd, header.generation);
    ::close(fd);
    if (!mapped)
        return false;

    const std::uint64_t mapSize = m_mapping->size();
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
            const std::uint32_t bytesPerLine = cellBytesPerLine(entry.format);
            if (bytesPerPixel(entry.format) == 0 || entry.width != std::uint32_t(ImageList::kWidth) ||
                entry.height != std::uint32_t(ImageList::kHeight) || entry.bytesPerLine != bytesPerLine ||
                entry.dataSize != std::uint64_t(bytesPerLine) * entry.height ||
                entry.dataOffset % kBlockAlign != 0 || entry.dataOffset < sizeof(DataHeader) ||
                !inside(entry.dataOffset, entry.dataSize, mapSize))
                continue;
            record.offset = entry.dataOffset;
            record.size = entry.dataSize;
            record.format = entry.format;
            record.bytesPerLine = entry.bytesPerLine;
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

bool ThumbnailCache::mapPixels(int fd, std::uint64_t generation) {
    DataHeader header;
    struct stat st;
    if (!readDataHeader(fd, header) || header.generation != generation || ::fstat(fd, &st) != 0)
        return false;
    ThumbnailMapping::Pointer mapping = ThumbnailMapping::map(fd, std::size_t(st.st_size));
    if (!mapping)
        return false;
    m_mapping = mapping;
    return true;
}

const ThumbnailCache::Record* ThumbnailCache::find(const QByteArray& name, const FileKey& key) const {
    const auto it = m_records.constFind(name);
    return it != m_records.cend() && it->key == key ? &*it : nullptr;
}

QImage ThumbnailCache::picture(const Record& record) const {
    if (!m_mapping || record.damaged || record.offset == 0 ||
        !inside(record.offset, record.size, m_mapping->size()))
        return {};
    return m_mapping->image(std::size_t(record.offset), ImageList::kWidth, ImageList::kHeight,
                            qsizetype(record.bytesPerLine), static_cast<QImage::Format>(record.format));
}

bool ThumbnailCache::holds(const QImage& cell) const {
    if (!m_mapping || cell.isNull())
        return false;
    const unsigned char* bits = cell.constBits();
    return bits >= m_mapping->data() && bits + cell.sizeInBytes() <= m_mapping->data() + m_mapping->size();
}

bool ThumbnailCache::beginUpdate(std::uint64_t liveBytes) {
    if (m_update.active || !QDir().mkpath(m_cacheFolder))
        return false;
    Update& u = m_update;
    u.lockFd = ::open(QFile::encodeName(m_base + QStringLiteral(".lock")).constData(),
                      O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (u.lockFd < 0)
        return false;
    if (::flock(u.lockFd, LOCK_EX | LOCK_NB) != 0) {
        ::close(u.lockFd);
        u.lockFd = -1;
        return false;
    }
    u.active = true;
    u.failed = false;
    // Under the lock no other writer has a temporary file open: any left is
    // from a run that ended while writing.
    removeStaleTemporaries();

    // Append when the pixel file is still the one the index points into and
    // not mostly dead blocks.
    if (m_generation != 0 && m_mapping) {
        const int fd = ::open(QFile::encodeName(pixelPath()).constData(), O_RDWR | O_CLOEXEC);
        DataHeader header;
        struct stat st;
        if (fd >= 0 && readDataHeader(fd, header) && header.generation == m_generation &&
            ::fstat(fd, &st) == 0 && std::uint64_t(st.st_size) >= m_mapping->size()) {
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
    u.pixelFd =
        ::open(QFile::encodeName(u.tempPixelPath).constData(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    do
        u.generation = QRandomGenerator::system()->generate64();
    while (u.generation == 0);
    DataHeader header{};
    std::memcpy(header.magic, kDataMagic, sizeof kDataMagic);
    header.version = kVersion;
    header.generation = u.generation;
    if (u.pixelFd < 0 ||
        !writeAllAt(u.pixelFd, reinterpret_cast<const unsigned char*>(&header), sizeof header, 0)) {
        endUpdate();
        return false;
    }
    u.end = sizeof header;
    return true;
}

bool ThumbnailCache::writeBlock(const unsigned char* data, std::uint64_t size, Record& record) {
    const std::uint64_t offset = m_update.end.fetch_add(blockSize(size));
    if (!writeAllAt(m_update.pixelFd, data, size, offset)) {
        m_update.failed = true;
        return false;
    }
    record.offset = offset;
    record.size = size;
    return true;
}

bool ThumbnailCache::store(const QImage& cell, Record& record) {
    if (!m_update.active || cell.width() != ImageList::kWidth || cell.height() != ImageList::kHeight ||
        std::uint32_t(cell.bytesPerLine()) != cellBytesPerLine(std::uint32_t(cell.format())) ||
        bytesPerPixel(std::uint32_t(cell.format())) == 0)
        return false;
    if (!writeBlock(cell.constBits(), std::uint64_t(cell.sizeInBytes()), record))
        return false;
    record.format = std::uint32_t(cell.format());
    record.bytesPerLine = std::uint32_t(cell.bytesPerLine());
    return true;
}

bool ThumbnailCache::carry(Record& record) {
    if (!m_update.active || !m_mapping || record.offset == 0 ||
        !inside(record.offset, record.size, m_mapping->size()))
        return false;
    return writeBlock(m_mapping->data() + record.offset, record.size, record);
}

void ThumbnailCache::commit(const QList<Record>& records) {
    Update& u = m_update;
    if (!u.active)
        return;
    bool saved = !u.failed;
    if (saved && u.fresh)
        saved = ::rename(QFile::encodeName(u.tempPixelPath).constData(),
                         QFile::encodeName(pixelPath()).constData()) == 0;
    if (saved)
        saved = writeIndex(records);

    // The pictures written are used from the file written, whatever its name now.
    struct stat st;
    ThumbnailMapping::Pointer mapping;
    if (::fstat(u.pixelFd, &st) == 0)
        mapping = ThumbnailMapping::map(u.pixelFd, std::size_t(st.st_size));
    m_mapping = mapping;
    m_records.clear();
    m_records.reserve(records.size());
    for (const Record& record : records)
        if (record.damaged || (record.offset != 0 && m_mapping))
            m_records.insert(record.name, record);
    // Unsaved contents are this run's alone: the next update starts a new pixel
    // file, and the next refresh reads what is on disk.
    m_generation = saved && m_mapping ? u.generation : 0;
    m_indexStamp = saved ? stamp(indexPath()) : FileStamp{};
    endUpdate();
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
            entry.width = std::uint32_t(ImageList::kWidth);
            entry.height = std::uint32_t(ImageList::kHeight);
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

    const QByteArray temp = QFile::encodeName(m_base + QStringLiteral(".index.%1.tmp").arg(::getpid()));
    const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const bool written = writeAllAt(fd, reinterpret_cast<const unsigned char*>(&header), sizeof header, 0) &&
                         writeAllAt(fd, reinterpret_cast<const unsigned char*>(body.constData()),
                                    std::uint64_t(body.size()), sizeof header);
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temp.constData(), QFile::encodeName(indexPath()).constData()) != 0) {
        ::unlink(temp.constData());
        return false;
    }
    return true;
}

void ThumbnailCache::endUpdate() {
    Update& u = m_update;
    if (u.pixelFd >= 0)
        ::close(u.pixelFd);
    if (!u.tempPixelPath.isEmpty())
        ::unlink(QFile::encodeName(u.tempPixelPath).constData()); // gone already when renamed
    if (u.lockFd >= 0) {
        ::flock(u.lockFd, LOCK_UN);
        ::close(u.lockFd);
    }
    u.pixelFd = -1;
    u.lockFd = -1;
    u.tempPixelPath.clear();
    u.active = false;
}

void ThumbnailCache::removeStaleTemporaries() const {
    const QDir dir(m_cacheFolder);
    const QString prefix = QFileInfo(m_base).fileName();
    for (const QString& name : dir.entryList({prefix + QStringLiteral(".*.tmp")}, QDir::Files | QDir::Hidden))
        QFile::remove(dir.filePath(name));
}
