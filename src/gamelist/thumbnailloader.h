#pragma once

#include "gamelist/thumbnailcache.h"
#include "gamelist/thumbnailmapping.h"
#include "gamelist/thumbnailset.h"

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
// on a pool of one thread per core, the calling thread included. Cells the
// cache holds are not read here: the result's set reads them when the grid
// paints them. No widget is touched.
//
// At scale 2 (a screen scaled to 150 % and more) a game whose thumbnail has a
// file of twice the size beside it (Images/thumb_<name>@2x.jpg) shows that
// one, in a cell of 200 x 300; the others show their design-size cell, which
// the grid draws scaled. Both sizes share the cache.
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
    // Lists of up to this many games also get their cells in Result::cells.
    static constexpr int kListedCells = ThumbnailCellReader::kCapacity;

    struct Result {
        ThumbnailSet::Pointer pictures; // one cell per game, in list order; null for no games
        // Every game's cell, read from `pictures` when there are at most
        // kListedCells games; empty for a longer list (the grid reads cells
        // from `pictures` as it paints them).
        QList<QImage> cells;
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
    // 1, or 2 for thumbnails of twice the design's size where they exist.
    void setScale(int scale) { m_scale = scale == 2 ? 2 : 1; }
    int scale() const { return m_scale; }
    // The scale for a screen of that device pixel ratio: 2 from 150 % on.
    static int scaleFor(qreal devicePixelRatio) { return devicePixelRatio >= 1.5 ? 2 : 1; }

    Result load(const QStringList& gameNames);

    // Waits until the cache file holds what the last rebuild decoded.
    void waitForCacheWrite();
    // Called on the writer's thread when a cache write has ended: the cells a
    // rebuild decoded can then be exchanged for the cache's stored ones (a
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
    int m_scale = 1;
    ThumbnailCache m_cache;
    QThreadPool m_pool;
    std::function<void()> m_cacheWritten;
    std::thread m_writer; // the cache write of the last rebuild, while it runs
};
