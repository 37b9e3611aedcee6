#pragma once

#include "gamelist/thumbnailmapping.h"

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QList>
#include <QString>
#include <atomic>
#include <cstdint>

// The game list's decoded thumbnails of one program folder, kept on disk
// between runs under the user's cache folder ($XDG_CACHE_HOME/korvello), so
// that a rebuild whose thumbnails did not change decodes nothing: the cells
// are QImages over one block of memory read from the cache's pixel file.
//
// A file's cell is reused only while the file's size, modification time (ns)
// and inode are what they were when it was decoded. The cache is a pure
// speed-up: a cache that is missing, damaged, of another version, written for
// another program folder or left by a crashed run reads as empty, and a cache
// that cannot be written leaves the rebuild to work without one. Nothing here
// throws. See thumbnailcacheformat.h for the files.
//
// Reading (refresh, find, picture) is for one thread. During an update,
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
    };

    ThumbnailCache(const QString& programFolder, const QString& cacheFolder);
    ~ThumbnailCache();
    ThumbnailCache(const ThumbnailCache&) = delete;
    ThumbnailCache& operator=(const ThumbnailCache&) = delete;

    // $XDG_CACHE_HOME/korvello, by default ~/.cache/korvello.
    static QString defaultFolder();
    QString indexPath() const { return m_base + QStringLiteral(".index"); }
    QString pixelPath() const { return m_base + QStringLiteral(".pixels"); }

    // Reads the index again when the file changed since it was last read, and
    // maps the pixel file it points into.
    void refresh();
    // The record of the file when the cache has one with this key.
    const Record* find(const QByteArray& name, const FileKey& key) const;
    // The cell of a stored record, over the mapping; null when not stored.
    QImage picture(const Record& record) const;
    int recordCount() const { return static_cast<int>(m_records.size()); }
    // True when the cell's pixels lie in the mapped pixel file (not a copy).
    bool holds(const QImage& cell) const;

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
    // Copies a stored record's pixels from the current mapping into the new pixel file.
    bool carry(Record& record);
    // Writes the index naming exactly these records, reads the pixels written
    // and ends the update. The records then are the cache's contents. False
    // when the cache on disk could not be brought up to date (lastError()
    // says why); the records are then served from memory until the next update.
    bool commit(const QList<Record>& records);
    // Why the last beginUpdate() or commit() failed; empty when it did not, or
    // when beginUpdate() only found another copy of the program writing.
    QString lastError() const { return m_lastError; }

    // Bytes of a stored cell rounded up to the pixel file's block size.
    static std::uint64_t blockSize(std::uint64_t bytes);

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
    bool mapPixels(int fd, std::uint64_t generation);
    bool writeBlock(const unsigned char* data, std::uint64_t size, Record& record);
    bool writeIndex(const QList<Record>& records);
    void endUpdate();
    void removeStaleTemporaries() const;
    static FileStamp stamp(const QString& path);

    QString m_folder;
    QString m_cacheFolder;
    QString m_base;
    QHash<QByteArray, Record> m_records;
    ThumbnailMapping::Pointer m_mapping;
    std::uint64_t m_generation = 0;
    FileStamp m_indexStamp;
    Update m_update;
    QString m_lastError;
};
