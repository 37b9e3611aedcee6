#include "gamelist/thumbnailloader.h"

#include "gamelist/artworkfiles.h"
#include "gamelist/imagelist.h"
#include "gamelist/jpeg.h"
#include "gamelist/jpegreader.h"
#include "gamelist/thumbnailmapping.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <exception>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// How many damaged files the report names one by one.
constexpr int kNamedInReport = 10;

ThumbnailCache::FileKey keyOf(const struct stat& st) {
    return {std::int64_t(st.st_size), std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
            std::uint64_t(st.st_ino)};
}

// What stat() said about a thumbnail file, as much as a rebuild keeps.
struct FileState {
    ThumbnailCache::FileKey key;
    bool regular = false;
};

FileState stateOf(const struct stat& st) {
    return {keyOf(st), S_ISREG(st.st_mode)};
}

} // namespace

struct ThumbnailLoader::File {
    QString path;                  // absolute
    ThumbnailCache::Record record; // name relative to the program folder, key as stat() found it
    bool exists = false;
    bool regular = false;
    bool cached = false;    // found unchanged in the cache
    bool cacheable = false; // decoded by this rebuild from bytes that match record.key
    int scale = 1;          // 2 for a thumbnail of twice the design's size
    QImage cell;            // the cell this rebuild decoded
    QString error;          // why the file cannot be shown
};

// What the cache write does with one file's record.
struct ThumbnailLoader::Pending {
    enum class Action { Keep, Store, Carry };
    Action action = Action::Keep;
    ThumbnailCache::Record record;
    QImage cell; // the cell to store
};

QString ThumbnailLoader::Result::report() const {
    if (errors.isEmpty())
        return {};
    QString text = errors.first();
    if (damagedFiles.size() > 1) {
        text += QStringLiteral("\n\nThese thumbnails cannot be shown either; their games show the "
                               "fallback picture:");
        for (qsizetype i = 1; i < damagedFiles.size() && i <= kNamedInReport; ++i)
            text += u'\n' + damagedFiles.at(i);
        if (damagedFiles.size() - 1 > kNamedInReport)
            text += QStringLiteral("\nand %1 more").arg(damagedFiles.size() - 1 - kNamedInReport);
    }
    return text;
}

ThumbnailLoader::ThumbnailLoader(const QString& programFolder, const QString& cacheFolder)
    : m_folder(programFolder.endsWith(u'/') ? programFolder : programFolder + u'/'),
      m_cache(programFolder, cacheFolder) {
    m_pool.setMaxThreadCount(std::max(1, QThread::idealThreadCount() - 1));
}

ThumbnailLoader::~ThumbnailLoader() {
    waitForCacheWrite();
}

void ThumbnailLoader::waitForCacheWrite() {
    if (m_writer.joinable())
        m_writer.join();
}

void ThumbnailLoader::writeCache(QList<Pending> pending) {
    QList<ThumbnailCache::Record> records;
    records.reserve(pending.size());
    for (Pending& p : pending) {
        bool kept = true;
        if (p.action == Pending::Action::Store)
            kept = m_cache.store(p.cell, p.record);
        else if (p.action == Pending::Action::Carry)
            kept = m_cache.carry(p.record);
        if (kept)
            records.append(p.record);
        p.cell = QImage(); // the grid may hold it longer; this copy is done
    }
    // A failed write is said once, in the log: the grid keeps the cells it has,
    // and only the next rebuild tries again (announcing a failed write would
    // make the window rebuild, decode and fail again without end).
    if (!m_cache.commit(records)) {
        qWarning("The thumbnail cache was not written: %s", qUtf8Printable(m_cache.lastError()));
        return;
    }
    if (m_cacheWritten)
        m_cacheWritten();
}

void ThumbnailLoader::runInParallel(int count, const std::function<void(int)>& work) {
    std::atomic<int> next{0};
    auto drain = [&] {
        for (int i = next.fetch_add(1); i < count; i = next.fetch_add(1))
            work(i);
    };
    // The calling thread is one of the workers: one helper fewer than cores.
    const int helpers = std::min(QThread::idealThreadCount() - 1, count - 1);
    for (int h = 0; h < helpers; ++h)
        m_pool.start(drain);
    drain();
    m_pool.waitForDone();
}

namespace {

// A thumbnail of exactly the cell's size is decoded straight into `memory` at
// `offset` (its rows as fitToCell would give them, 3 bytes a pixel), with no
// copy and no fresh small pages; any other size is fitted into a cell of its own.
QImage decodeCell(const QByteArray& data, const QString& path, int scale,
                  const ThumbnailMapping::Pointer& memory, std::size_t offset) {
    const QSize cellSize(ImageList::kWidth * scale, ImageList::kHeight * scale);
    JpegReader reader(data, path);
    reader.readHeader();
    if (!memory || reader.size() != cellSize)
        return ImageList::fitToCell(jpeg::decode(data, path), scale);
    reader.start();
    const qsizetype stride = qsizetype(cellSize.width()) * 3;
    jpeg::readPicture(reader, memory->writableData() + offset, stride);
    return memory->image(offset, cellSize.width(), cellSize.height(), stride, QImage::Format_RGB888);
}

} // namespace

void ThumbnailLoader::decode(File& file, const ThumbnailMapping::Pointer& memory, std::size_t offset) {
    QFile in(file.path);
    if (!in.open(QIODevice::ReadOnly)) {
        file.error = QStringLiteral("Cannot open the picture %1: %2")
                         .arg(QDir::toNativeSeparators(file.path), in.errorString());
        return;
    }
    const QByteArray data = in.readAll();
    if (in.error() != QFileDevice::NoError) {
        file.error = QStringLiteral("Cannot read the picture %1: %2")
                         .arg(QDir::toNativeSeparators(file.path), in.errorString());
        return;
    }
    // What was read is what stat() saw only when the file still looks the
    // same; otherwise it was changing under us and nothing is kept.
    struct stat st;
    const bool cacheable = file.regular && ::fstat(in.handle(), &st) == 0 && keyOf(st) == file.record.key;
    file.cacheable = cacheable;
    in.close();
    try {
        file.cell = decodeCell(data, file.path, file.scale, memory, offset);
    } catch (const std::exception& e) {
        file.error = QString::fromUtf8(e.what());
        // Only what the decoder says about the bytes is kept: a file that could
        // not be opened may be readable on the next rebuild without changing.
        file.record.damaged = cacheable;
        file.record.error = file.error;
    }
}

ThumbnailLoader::Result ThumbnailLoader::load(const QStringList& gameNames) {
    Result result;
    waitForCacheWrite();
    if (gameNames.isEmpty())
        return result;
    m_cache.refresh();

    QList<File> files;
    files.reserve(gameNames.size() + 1);
    QHash<QString, int> fileByName;
    fileByName.reserve(gameNames.size() + 1);
    // A file's cache name is its path relative to the program folder, or its
    // full path when it lies elsewhere (the fallback of an installed program).
    auto addFile = [&](const QString& relative, const FileState* state, int scale) {
        const auto found = fileByName.constFind(relative);
        if (found != fileByName.cend())
            return *found;
        File file;
        file.path = relative.startsWith(u'/') ? relative : m_folder + relative;
        file.record.name = relative.toUtf8();
        file.scale = scale;
        file.exists = state != nullptr;
        if (state) {
            file.regular = state->regular;
            file.record.key = state->key;
        }
        files.append(std::move(file));
        fileByName.insert(relative, int(files.size() - 1));
        return int(files.size() - 1);
    };

    // Which file each game shows: its own thumbnail when it exists, otherwise
    // the fallback, which is also what a damaged thumbnail is replaced with.
    // A scaled screen takes the file of twice the size where there is one.
    FileState state;
    auto found = [&](const QString& relative) {
        const QString full = relative.startsWith(u'/') ? relative : m_folder + relative;
        struct stat st;
        if (::stat(QFile::encodeName(full).constData(), &st) != 0)
            return false;
        state = stateOf(st);
        return true;
    };
    auto addBest = [&](const QString& relative) {
        if (m_scale == 2) {
            const QString doubled = artworkfiles::doubleSizePath(relative);
            if (found(doubled))
                return addFile(doubled, &state, 2);
        }
        return addFile(relative, found(relative) ? &state : nullptr, 1);
    };
    const int fallback =
        addBest(m_fallbackFile.isEmpty() ? artworkfiles::fallbackPath({}, artworkfiles::Kind::Thumbnail)
                                         : m_fallbackFile);
    // Forming each game's file name and asking the file system about it is
    // most of a rebuild that decodes nothing (one stat() per game, 20,000 at
    // start-up in a large library): it runs on every core, relative to the
    // program folder opened once, and only the list is built in order.
    struct Probe {
        QString relative; // empty: the game shows the fallback
        FileState state;
        int scale = 1;
    };
    std::vector<Probe> probes(std::size_t(gameNames.size()));
    const int folderFd = ::open(QFile::encodeName(m_folder).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    runInParallel(int(gameNames.size()), [&](int game) {
        Probe& probe = probes[std::size_t(game)];
        // A name that cannot have files of its own shows the fallback.
        const QString relative = artworkfiles::path({}, artworkfiles::Kind::Thumbnail, gameNames.at(game));
        if (relative.isEmpty())
            return;
        auto exists = [&](const QString& name) {
            struct stat st;
            const bool ok = folderFd >= 0
                                ? ::fstatat(folderFd, QFile::encodeName(name).constData(), &st, 0) == 0
                                : ::stat(QFile::encodeName(m_folder + name).constData(), &st) == 0;
            if (ok)
                probe.state = stateOf(st);
            return ok;
        };
        if (m_scale == 2) {
            QString doubled = artworkfiles::doubleSizePath(relative);
            if (exists(doubled)) {
                probe.relative = std::move(doubled);
                probe.scale = 2;
                return;
            }
        }
        if (exists(relative))
            probe.relative = relative;
    });
    if (folderFd >= 0)
        ::close(folderFd);
    QList<int> gameFile;
    gameFile.reserve(gameNames.size());
    for (const Probe& probe : probes)
        gameFile.append(probe.relative.isEmpty() ? fallback
                                                 : addFile(probe.relative, &probe.state, probe.scale));
    probes = {};

    // Unchanged files come from the cache; the rest is decoded.
    QList<int> toDecode;
    std::uint64_t liveBytes = 0;
    for (int i = 0; i < files.size(); ++i) {
        File& file = files[i];
        if (!file.exists) {
            // Only the fallback can be missing here; opening it gives the error text.
            QFile missing(file.path);
            if (!missing.open(QIODevice::ReadOnly))
                file.error = QStringLiteral("Cannot open the picture %1: %2")
                                 .arg(QDir::toNativeSeparators(file.path), missing.errorString());
            else
                toDecode.append(i); // it appeared just now
            continue;
        }
        const ThumbnailCache::Record* cached =
            file.regular ? m_cache.find(file.record.name, file.record.key) : nullptr;
        if (!cached) {
            toDecode.append(i);
            continue;
        }
        file.record = *cached;
        if (file.record.damaged) {
            file.error = file.record.error;
        } else {
            liveBytes += ThumbnailCache::blockSize(file.record.size);
            file.cached = true;
        }
    }
    const int decodeCount = int(toDecode.size());
    File* const shared = files.data(); // the workers never touch the list itself
    // The decoded cells are kept (the grid shows them until the cache holds
    // them) in one block of memory that can take huge pages, instead of
    // thousands of fresh small pages.
    constexpr std::size_t kSlot = std::size_t(ImageList::kWidth) * ImageList::kHeight * 3;
    QList<std::size_t> slotOffset;
    slotOffset.reserve(decodeCount);
    std::size_t blockBytes = 0;
    for (const int i : std::as_const(toDecode)) {
        slotOffset.append(blockBytes);
        blockBytes += kSlot * std::size_t(files.at(i).scale * files.at(i).scale);
    }
    const ThumbnailMapping::Pointer cellMemory =
        decodeCount > 0 ? ThumbnailMapping::allocate(blockBytes) : ThumbnailMapping::Pointer();
    runInParallel(decodeCount, [&](int i) { decode(shared[toDecode.at(i)], cellMemory, slotOffset.at(i)); });
    result.decoded = decodeCount;

    // The other size of a listed thumbnail stays cached beside it, so that a
    // window on a screen of the other scale finds it. It is not looked at
    // here: a record is used only while its file's key still matches.
    QList<ThumbnailCache::Record> otherSize;
    if (decodeCount > 0) {
        const QLatin1String doubled("@2x.jpg");
        for (const ThumbnailCache::Record& record : m_cache.records()) {
            if (record.damaged)
                continue;
            const QString name = QString::fromUtf8(record.name);
            const QString sibling = name.endsWith(doubled)
                                        ? name.chopped(doubled.size()) + QStringLiteral(".jpg")
                                        : artworkfiles::doubleSizePath(name);
            if (!fileByName.contains(name) && fileByName.contains(sibling)) {
                otherSize.append(record);
                liveBytes += ThumbnailCache::blockSize(record.size);
            }
        }
    }

    // What was decoded goes into the cache after the grid has its cells. A
    // new pixel file takes the unchanged cells over as well; an appended one
    // keeps them where they are.
    const bool updating = decodeCount > 0 && m_cache.beginUpdate(liveBytes);
    if (decodeCount > 0 && !updating && !m_cache.lastError().isEmpty())
        qWarning("The thumbnail cache was not written: %s", qUtf8Printable(m_cache.lastError()));
    if (updating) {
        const bool fresh = m_cache.startsNewPixelFile();
        QList<Pending> pending;
        pending.reserve(files.size());
        for (const File& file : std::as_const(files)) {
            Pending p;
            p.record = file.record;
            if (file.record.damaged) {
                p.action = Pending::Action::Keep; // remembered, so it is not decoded again
            } else if (!file.error.isEmpty()) {
                continue;
            } else if (file.cacheable) {
                p.action = Pending::Action::Store;
                p.cell = file.cell;
            } else if (file.cached) {
                p.action = fresh ? Pending::Action::Carry : Pending::Action::Keep;
            } else {
                continue; // changed while it was read, or decoded again after a failed cache read
            }
            pending.append(std::move(p));
        }
        for (const ThumbnailCache::Record& record : std::as_const(otherSize))
            pending.append(Pending{fresh ? Pending::Action::Carry : Pending::Action::Keep, record, {}});
        m_writer =
            std::thread([this, pending = std::move(pending)]() mutable { writeCache(std::move(pending)); });
    }

    // Each game's picture, and the damaged files in the order the list first uses them.
    QList<ThumbnailSet::Picture> pictures;
    pictures.reserve(files.size() + 1);
    for (const File& file : std::as_const(files)) {
        ThumbnailSet::Picture picture;
        picture.scale = file.scale;
        if (file.cached) {
            picture.stored = file.record.location();
            picture.name = file.record.name; // the cache index's own copy
        } else {
            picture.held = file.cell;
        }
        pictures.append(std::move(picture));
    }
    const int empty = int(pictures.size());
    pictures.append(ThumbnailSet::Picture{ImageList::fitToCell(QImage()), {}, {}, 1});
    QList<bool> reported(files.size(), false);
    auto report = [&](int i) {
        if (reported[i])
            return;
        reported[i] = true;
        result.damagedFiles.append(QDir::toNativeSeparators(files.at(i).path));
        result.errors.append(files.at(i).error);
    };
    for (int& i : gameFile) {
        if (files.at(i).error.isEmpty())
            continue;
        report(i);
        if (i != fallback && files.at(fallback).error.isEmpty()) {
            i = fallback;
        } else {
            if (i != fallback)
                report(fallback);
            i = empty;
        }
    }
    result.pictures = std::make_shared<const ThumbnailSet>(m_cache.reader(), m_folder, std::move(pictures),
                                                           std::move(gameFile));
    if (gameNames.size() <= kListedCells) {
        result.cells.reserve(gameNames.size());
        for (int game = 0; game < gameNames.size(); ++game)
            result.cells.append(result.pictures->cell(game));
    }
    return result;
}
