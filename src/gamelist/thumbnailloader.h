#pragma once

#include "gamelist/thumbnailcache.h"
#include "gamelist/thumbnailmapping.h"

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <QThreadPool>
#include <functional>
#include <thread>

// The thumbnails of a game list rebuild: for each game, in list order, the
// cell the grid shows (Images/thumb_<name>.jpg, or Images/thumb_unknown.jpg
// for a game without one), taken from the thumbnail cache when the file did
// not change and decoded otherwise. Pictures that must be decoded are decoded
// on a pool of one thread per core, the calling thread included; the cells are
// then placed in list order. No widget is touched.
//
// A thumbnail that cannot be decoded (or read) does not end the rebuild: its
// game gets the fallback picture, or an empty cell when the fallback cannot be
// shown either, and the file is named in the result's report.
//
// The cache is written after the cells are handed back: pictures decoded by a
// rebuild go into the cache file on a thread of their own while the grid shows
// them, so a first run waits for decoding alone. The next rebuild, cache() and
// the destructor wait for that write to end.
class ThumbnailLoader {
public:
    struct Result {
        QList<QImage> cells;      // one per game, in list order
        QStringList damagedFiles; // files that cannot be shown, in the order the list first uses them
        QStringList errors;       // the error text of each, same order
        int decoded = 0;          // pictures decoded by this rebuild (not taken from the cache)

        // One text for all damaged files: the first one's error text as a
        // one-by-one rebuild would have reported it, then the others' names.
        // Empty when every thumbnail could be shown.
        QString report() const;
    };

    // programFolder: the folder that holds Images, with or without a trailing "/".
    explicit ThumbnailLoader(const QString& programFolder,
                             const QString& cacheFolder = ThumbnailCache::defaultFolder());
    ~ThumbnailLoader();
    ThumbnailLoader(const ThumbnailLoader&) = delete;
    ThumbnailLoader& operator=(const ThumbnailLoader&) = delete;

    // The fallback picture's full path, when it is not Images/thumb_unknown.jpg
    // in the program folder (an installed program keeps it in its data folder).
    void setFallbackFile(const QString& path) { m_fallbackFile = path; }

    Result load(const QStringList& gameNames);

    // Waits until the cache file holds what the last rebuild decoded.
    void waitForCacheWrite();
    // Called on the writer's thread when a cache write has ended: the cells a
    // rebuild decoded can then be exchanged for the cache's mapped ones (a
    // rebuild that finds nothing new gives them), which gives their memory back.
    void setCacheWrittenHandler(std::function<void()> handler) { m_cacheWritten = std::move(handler); }
    const ThumbnailCache& cache() {
        waitForCacheWrite();
        return m_cache;
    }

private:
    struct File;
    struct Pending;

    // Decodes one file into file.cell (into `memory` at `offset` when its size
    // allows) or file.error.
    void decode(File& file, const ThumbnailMapping::Pointer& memory = {}, std::size_t offset = 0);
    // Writes the cells and records of one rebuild into the cache and commits
    // them (on the writer thread).
    void writeCache(QList<Pending> pending);
    void runInParallel(int count, const std::function<void(int)>& work);

    QString m_folder;
    QString m_fallbackFile;
    ThumbnailCache m_cache;
    QThreadPool m_pool;
    std::function<void()> m_cacheWritten;
    std::thread m_writer; // the cache write of the last rebuild, while it runs
};
