#include "gamelist/thumbnailcellreader.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

ThumbnailCellReader::ThumbnailCellReader(int fd) : m_fd(fd) {}

ThumbnailCellReader::~ThumbnailCellReader() {
    if (m_fd >= 0)
        ::close(m_fd);
}

bool ThumbnailCellReader::readBlock(std::uint64_t offset, std::uint64_t size, unsigned char* out) const {
    std::uint64_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(m_fd, out + done, size - done, off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) // past the end, or unreadable
            return false;
        done += std::uint64_t(n);
    }
    return true;
}

std::int64_t ThumbnailCellReader::fileSize() const {
    struct stat st;
    return ::fstat(m_fd, &st) == 0 ? std::int64_t(st.st_size) : -1;
}

bool ThumbnailCellReader::isFile(const struct stat& other) const {
    struct stat st;
    return ::fstat(m_fd, &st) == 0 && st.st_dev == other.st_dev && st.st_ino == other.st_ino;
}

QImage ThumbnailCellReader::cell(const Location& where) {
    if (where.offset == 0)
        return {};
    {
        const QMutexLocker lock(&m_mutex);
        const auto it = m_kept.find(where.offset);
        if (it != m_kept.end()) {
            it->lastUse = ++m_clock;
            return it->cell;
        }
    }
    QImage cell(int(where.width), int(where.height), static_cast<QImage::Format>(where.format));
    // The cache checked the layout when it read the index; QImage's own rows must match it.
    if (cell.isNull() || std::uint64_t(cell.bytesPerLine()) != where.bytesPerLine ||
        !readBlock(where.offset, where.size(), cell.bits()))
        return {};
    insert(where.offset, cell, true);
    return cell;
}

void ThumbnailCellReader::keep(const Location& where, const QImage& cell) {
    if (where.offset != 0 && !cell.isNull())
        insert(where.offset, cell, false);
}

void ThumbnailCellReader::insert(std::uint64_t offset, const QImage& cell, bool fromFile) {
    const QMutexLocker lock(&m_mutex);
    if (m_kept.size() >= kCapacity && !m_kept.contains(offset)) {
        // The one asked for longest ago goes; a scan of a few hundred is cheaper than a list per cell.
        auto oldest = m_kept.begin();
        for (auto it = m_kept.begin(); it != m_kept.end(); ++it)
            if (it->lastUse < oldest->lastUse)
                oldest = it;
        m_kept.erase(oldest);
    }
    m_kept.insert(offset, Kept{cell, ++m_clock, fromFile});
}

bool ThumbnailCellReader::holds(const QImage& cell) const {
    if (cell.isNull())
        return false;
    const QMutexLocker lock(&m_mutex);
    for (const Kept& kept : m_kept)
        if (kept.fromFile && kept.cell.constBits() == cell.constBits())
            return true;
    return false;
}

int ThumbnailCellReader::keptCount() const {
    const QMutexLocker lock(&m_mutex);
    return int(m_kept.size());
}
