#pragma once

#include <QHash>
#include <QImage>
#include <QMutex>
#include <cstdint>
#include <sys/stat.h>

// The thumbnail cache's pixel file as the grid reads it: a cell is read when
// it is first asked for (pread into memory of its own), and the cells asked
// for last are kept, at most kCapacity of them, so memory follows what is on
// screen and not the number of games.
//
// The file is read, never mapped. A shared mapping of a file that anyone can
// shorten (truncate, cp of an older cache over it) ends the program with
// SIGBUS at the next repaint of a cell past the new end, and a copy of the
// whole file costs its size in memory (about 45 KB a game). A read past the
// end simply comes up short: cell() then gives a null image and the caller
// makes the cell another way (see ThumbnailSet).
//
// Thread-safe: the window's thread reads cells while the cache's writer
// thread copies blocks through readBlock().
class ThumbnailCellReader {
public:
    // Where a cell lies in the pixel file and how its rows are laid out.
    struct Location {
        std::uint64_t offset = 0; // 0: not stored
        std::uint32_t width = 0;
        std::uint32_t height = 0;
        std::uint32_t bytesPerLine = 0;
        std::uint32_t format = 0; // QImage::Format
        std::uint64_t size() const { return std::uint64_t(bytesPerLine) * height; }
    };

    // Cells kept at most: a few screens of a 4K display at twice the scale,
    // 12 MB of 100 x 150 cells or 46 MB of 200 x 300 ones.
    static constexpr int kCapacity = 256;

    // Takes over the open descriptor of the pixel file.
    explicit ThumbnailCellReader(int fd);
    ~ThumbnailCellReader();
    ThumbnailCellReader(const ThumbnailCellReader&) = delete;
    ThumbnailCellReader& operator=(const ThumbnailCellReader&) = delete;

    // The cell at `where`: a kept one, or read now and kept. Null when the file
    // no longer holds all of its bytes.
    QImage cell(const Location& where);
    // Keeps a cell made another way (decoded again from its JPEG) in place of
    // the one the file no longer holds, so that it is not made again at every paint.
    void keep(const Location& where, const QImage& cell);
    // Reads `size` bytes at `offset` into `out`, keeping nothing. False on a short read.
    bool readBlock(std::uint64_t offset, std::uint64_t size, unsigned char* out) const;
    // The file's size now, -1 when it cannot be found.
    std::int64_t fileSize() const;
    // True when `st` describes the file being read (same device and inode).
    bool isFile(const struct stat& st) const;
    // True when the cell's pixels are a kept cell read from the file.
    bool holds(const QImage& cell) const;
    int keptCount() const;

private:
    struct Kept {
        QImage cell;
        std::uint64_t lastUse = 0;
        bool fromFile = false;
    };
    void insert(std::uint64_t offset, const QImage& cell, bool fromFile);

    int m_fd;
    mutable QMutex m_mutex;
    QHash<std::uint64_t, Kept> m_kept; // by offset in the file
    std::uint64_t m_clock = 0;
};
