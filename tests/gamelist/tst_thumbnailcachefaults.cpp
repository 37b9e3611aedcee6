// The thumbnail cache under real conditions: a full disk or a folder where
// the index belongs, a pixel file shortened while its cells are on screen,
// named pipes at the cache's names and links planted at the writer's names.
#include "support/smalldisk.h"
#include "thumbnailfixture.h"

#include <QtTest>
#include <atomic>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <thread>
#include <unistd.h>

using namespace thumbnailfixture;

namespace {

// The cache files' common start: "<folder>/<digest>".
QString cacheBase(ThumbnailLoader& loader) {
    QString index = loader.cache().indexPath();
    index.chop(int(qstrlen(".index")));
    return index;
}

// Counts the warnings that the thumbnail cache writes into the log.
std::atomic<int> g_cacheWarnings{0};
struct CacheWarningCounter {
    QtMessageHandler previous;
    CacheWarningCounter() : previous(qInstallMessageHandler(count)) { g_cacheWarnings = 0; }
    ~CacheWarningCounter() { qInstallMessageHandler(previous); }
    static void count(QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtWarningMsg && text.contains(QStringLiteral("thumbnail cache")))
            ++g_cacheWarnings;
    }
};

} // namespace

class TestThumbnailCacheFaults : public QObject {
    Q_OBJECT
private slots:
    void failedCacheWriteIsLoggedOnceAndNotAnnounced_data();
    void failedCacheWriteIsLoggedOnceAndNotAnnounced();
    void shortenedPixelFileNeverFaults();
    void specialFilesAtCacheNamesAreNotOpened_data();
    void specialFilesAtCacheNamesAreNotOpened();
    void plantedLinksAreNotFollowed();
};

// A cache that cannot be written (a full disk, a folder where the index
// belongs) leaves the cells as they are and says so once in the log. It never
// announces a write: the window would rebuild at once, decode everything again,
// fail again and so on without end. Only the next rebuild tries again, and the
// pixel file does not grow while nothing changes.
void TestThumbnailCacheFaults::failedCacheWriteIsLoggedOnceAndNotAnnounced_data() {
    QTest::addColumn<bool>("fullDisk");
    QTest::newRow("full disk") << true;
    QTest::newRow("a folder at the index's name") << false;
}

void TestThumbnailCacheFaults::failedCacheWriteIsLoggedOnceAndNotAnnounced() {
    QFETCH(bool, fullDisk);
    GameFolder g(30, 0);
    const QList<QImage> expected = g.freshCells();
    std::unique_ptr<SmallDisk> disk;
    if (fullDisk) {
        // Room for a few cells of the 31, not for all of them.
        disk = std::make_unique<SmallDisk>(g.cache.path(), 256 * 1024);
        if (!disk->isMounted())
            QSKIP(qPrintable(disk->why()));
    }
    ThumbnailLoader loader = g.loader();
    if (!fullDisk)
        QVERIFY(QDir().mkpath(loader.cache().indexPath()));
    std::atomic<int> announced{0};
    loader.setCacheWrittenHandler([&] { ++announced; });
    const CacheWarningCounter warnings;

    // What the window does: every announced write makes it rebuild.
    int rebuilds = 0;
    int handled = 0;
    QList<QImage> cells;
    do {
        const ThumbnailLoader::Result result = loader.load(g.names);
        ++rebuilds;
        QCOMPARE(result.decoded, 31);
        cells = result.cells;
        loader.waitForCacheWrite();
    } while (announced > handled++ && rebuilds < 10);
    QCOMPARE(rebuilds, 1);
    QCOMPARE(announced.load(), 0);
    QCOMPARE(g_cacheWarnings.load(), 1);
    QVERIFY(sameCells(cells, expected));

    const qint64 pixelBytes = QFileInfo(loader.cache().pixelPath()).size();
    for (int again = 2; again <= 3; ++again) {
        QCOMPARE(loader.load(g.names).decoded, 31); // tried again, once
        loader.waitForCacheWrite();
        QCOMPARE(g_cacheWarnings.load(), again);
        QCOMPARE(QFileInfo(loader.cache().pixelPath()).size(), pixelBytes);
    }
    QCOMPARE(announced.load(), 0);
    if (fullDisk) { // no temporary file keeps the disk full for every other program
        QCOMPARE(QDir(g.cache.path()).entryList({QStringLiteral("*.tmp")}, QDir::Files | QDir::System),
                 QStringList());
        struct statvfs fs;
        QVERIFY(::statvfs(QFile::encodeName(g.cache.path()).constData(), &fs) == 0);
        QVERIFY2(fs.f_bfree * fs.f_bsize >= 200 * 1024, qPrintable(QString::number(fs.f_bfree * fs.f_bsize)));
    }
}

// The pixel file shortened in place (truncate, or cp of an older cache over it)
// while its cells are on screen: the cells stay intact, and the next run of
// the program decodes what the file no longer holds.
void TestThumbnailCacheFaults::shortenedPixelFileNeverFaults() {
    GameFolder g(12);
    const QList<QImage> expected = g.freshCells();
    {
        ThumbnailLoader loader = g.loader();
        loader.load(g.names);
        loader.waitForCacheWrite();
        const ThumbnailLoader::Result cached = loader.load(g.names);
        QCOMPARE(cached.decoded, 0);
        QVERIFY(::truncate(QFile::encodeName(loader.cache().pixelPath()).constData(), 64) == 0);
        // Every pixel is read, as a repaint would.
        QVERIFY(sameCells(cached.cells, expected));
    }
    ThumbnailLoader next = g.loader();
    const ThumbnailLoader::Result result = next.load(g.names);
    QCOMPARE(result.decoded, 10); // 9 own thumbnails and the fallback
    QVERIFY(sameCells(result.cells, expected));
}

// A named pipe where the index or the pixel file belongs: opening it to read
// would wait for a writer, and start-up with it. Such a file is not opened.
void TestThumbnailCacheFaults::specialFilesAtCacheNamesAreNotOpened_data() {
    QTest::addColumn<bool>("atIndex");
    QTest::newRow("index") << true;
    QTest::newRow("pixel file") << false;
}

void TestThumbnailCacheFaults::specialFilesAtCacheNamesAreNotOpened() {
    QFETCH(bool, atIndex);
    GameFolder g(6);
    const QList<QImage> expected = g.freshCells();
    QString fifo;
    {
        ThumbnailLoader writer = g.loader();
        writer.load(g.names);
        fifo = atIndex ? writer.cache().indexPath() : writer.cache().pixelPath();
    }
    QVERIFY(QFile::remove(fifo));
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);

    ThumbnailLoader loader = g.loader();
    std::atomic<bool> done{false};
    ThumbnailLoader::Result result;
    std::thread rebuild([&] {
        result = loader.load(g.names);
        done = true;
    });
    QDeadlineTimer deadline(10000);
    while (!done && !deadline.hasExpired())
        QThread::msleep(20);
    const bool hung = !done;
    if (hung) { // a writer lets the waiting open go on, so the test can end
        const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    }
    rebuild.join();
    QVERIFY2(!hung, "the rebuild waited on a named pipe in the cache folder");
    QVERIFY(sameCells(result.cells, expected));
    loader.waitForCacheWrite(); // the cache is written anew in place of the pipe
    QCOMPARE(loader.load(g.names).decoded, 0);
}

// Links planted at the lock's and the temporaries' names: the writer makes no
// file at their targets, outside the cache, and still writes its cache.
void TestThumbnailCacheFaults::plantedLinksAreNotFollowed() {
    GameFolder g(6);
    QTemporaryDir outside;
    ThumbnailLoader loader = g.loader();
    const QString base = cacheBase(loader);
    QVERIFY(QDir().mkpath(g.cache.path()));
    const QString pid = QString::number(QCoreApplication::applicationPid());
    const QStringList names = {QStringLiteral(".lock"),
                               QStringLiteral(".index.") + pid + QStringLiteral(".tmp"),
                               QStringLiteral(".pixels.") + pid + QStringLiteral(".tmp")};
    for (const QString& name : names)
        QVERIFY(QFile::link(outside.filePath(QStringLiteral("target") + name), base + name));

    QVERIFY(sameCells(loader.load(g.names).cells, g.freshCells()));
    loader.waitForCacheWrite();
    QCOMPARE(QDir(outside.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
             QStringList());
    QCOMPARE(loader.load(g.names).decoded, 0);
}

QTEST_GUILESS_MAIN(TestThumbnailCacheFaults)
#include "tst_thumbnailcachefaults.moc"
