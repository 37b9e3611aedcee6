#pragma once

#include "gamelist/thumbnailcellreader.h"

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QList>
#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>

// The game list's decoded thumbnails of one program folder, kept on disk
// between runs under the user's cache folder ($XDG_CACHE_HOME/korvello), so
// that a rebuild whose thumbnails did not change decodes nothing. The index is
// read whole; the pixel file is kept open and its cells are read one by one
// when the grid paints them (see ThumbnailCellReader), so memory follows what
// is on screen. Cells are kept at the design's size and, for screens scaled to
// 150 % and more, at twice that size, each under the name of the file it was
// made from.
//
// A file's cell is reused only while the file's size, modification time (ns)
// and inode are what they were when it was decoded. The cache is a pure
// speed-up: a cache that is missing, damaged, of another version, written for
// another program folder or left by a crashed run reads as empty, and a cache
// that cannot be written leaves the rebuild to work without one. Nothing here
// throws. See thumbnailcacheformat.h for the files.
//
// Reading (refresh, find) is for one thread. During an update,
// store() and carry() may run on several threads at once.
class ThumbnailCache {
public:
    // Identity of a JPEG file's contents as the file system states it.
    struct FileKey {
        std::int64_t size = -1;
        std::int64_t mtimeNs = 0;
        std::uint64_t inode = 0;
        friend bool operator==(const FileKey&, const FileKey&) = default;
    };

    // What the cache holds for one file.
    struct Record {
        QByteArray name; // relative to the program folder, UTF-8
        FileKey key;
        bool damaged = false;
        QString error;            // why a damaged file cannot be decoded
        std::uint64_t offset = 0; // the cell's pixels in the pixel file, 0 = not stored
        std::uint64_t size = 0;
        std::uint32_t format = 0;
        std::uint32_t bytesPerLine = 0;
        std::uint32_t width = 0; // the cell's, in pixels
        std::uint32_t height = 0;

        ThumbnailCellReader::Location location() const {
            return {offset, width, height, bytesPerLine, format};
        }
    };

    ThumbnailCache(const QString& programFolder, const QString& cacheFolder);
    ~ThumbnailCache();
    ThumbnailCache(const ThumbnailCache&) = delete;
    ThumbnailCache& operator=(const ThumbnailCache&) = delete;

    // $XDG_CACHE_HOME/korvello, by default ~/.cache/korvello.
    static QString defaultFolder();
    QString indexPath() const { return m_base + QStringLiteral(".index"); }
    QString pixelPath() const { return m_base + QStringLiteral(".pixels"); }

    // Reads the index again when the file changed since it was last read, or
    // when the pixel file it points into was shortened since, and opens the
    // pixel file.
    void refresh();
    // The record of the file when the cache has one with this key.
    const Record* find(const QByteArray& name, const FileKey& key) const;
    // Reads the stored records' cells; null while the cache has none.
    const std::shared_ptr<ThumbnailCellReader>& reader() const { return m_reader; }
    int recordCount() const { return static_cast<int>(m_records.size()); }
    const QHash<QByteArray, Record>& records() const { return m_records; }
    // True when the cell's pixels were read from the pixel file (not decoded).
    bool holds(const QImage& cell) const { return m_reader && m_reader->holds(cell); }

    // Starts writing: takes the cache's lock (without waiting: when another
    // copy of the program is writing, this rebuild goes without the cache) and
    // chooses between appending to the pixel file and starting a new one, which
    // it does when the pixel file no longer matches the index or when more of it
    // is dead than the `liveBytes` that the next index will keep. False: no
    // update, nothing is stored.
    bool beginUpdate(std::uint64_t liveBytes);
    // True when the update writes a new pixel file, into which the records kept
    // from the old one must be carried.
    bool startsNewPixelFile() const { return m_update.fresh; }
    // Writes the cell's pixels and sets the record's picture fields. False when
    // the write failed (the record stays unstored).
    bool store(const QImage& cell, Record& record);
    // Copies a stored record's pixels from the current pixel file into the new one.
    bool carry(Record& record);
    // Writes the index naming exactly these records, reads on from the pixel
    // file written and ends the update. The records then are the cache's contents. False
    // when the cache on disk could not be brought up to date (lastError()
    // says why); the records are then served from memory until the next update.
    bool commit(const QList<Record>& records);
    // Why the last beginUpdate() or commit() failed; empty when it did not, or
    // when beginUpdate() only found another copy of the program writing.
    QString lastError() const { return m_lastError; }

    // Bytes of a stored cell rounded up to the pixel file's block size.
    static std::uint64_t blockSize(std::uint64_t bytes);
    // QImage's own row length for a cell of that width and format, 0 for a
    // format the cache does not keep.
    static std::uint32_t cellBytesPerLine(std::uint32_t width, std::uint32_t format);

private:
    struct FileStamp {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::int64_t size = -1;
        std::int64_t mtimeNs = 0;
        friend bool operator==(const FileStamp&, const FileStamp&) = default;
    };
    struct Update {
        bool active = false;
        bool fresh = false;
        std::atomic<bool> failed{false};
        std::atomic<int> error{0}; // errno of the first failed write
        int lockFd = -1;
        int pixelFd = -1;
        int indexFd = -1;
        QString tempPixelPath;
        QString tempIndexPath;
        std::uint64_t generation = 0;
        std::atomic<std::uint64_t> end{0};
    };

    void clear();
    bool readIndex(const QByteArray& bytes);
    bool openPixels(std::uint64_t generation);
    bool writeBlock(const unsigned char* data, std::uint64_t size, Record& record);
    bool writeIndex(const QList<Record>& records);
    void endUpdate();
    void removeStaleTemporaries() const;
    static FileStamp stamp(const QString& path);

    QString m_folder;
    QString m_cacheFolder;
    QString m_base;
    QHash<QByteArray, Record> m_records;
    std::shared_ptr<ThumbnailCellReader> m_reader;
    std::uint64_t m_pixelSize = 0; // the pixel file's size when it was opened or last written
    std::uint64_t m_generation = 0;
    FileStamp m_indexStamp;
    Update m_update;
    QString m_lastError;
};
