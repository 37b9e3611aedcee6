// The game list's thumbnails: the cache on disk, its invalidation, the damaged
// thumbnail that no longer ends a rebuild, and the parallel decoding's order.
#include "gamelist/artworkfiles.h"
#include "thumbnailfixture.h"

#include <QtTest>
#include <atomic>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace thumbnailfixture;

namespace {

std::int64_t mtimeNs(const QString& path) {
    struct stat st;
    ::stat(QFile::encodeName(path).constData(), &st);
    return std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

void setMtimeNs(const QString& path, std::int64_t ns) {
    const timespec times[2] = {{0, UTIME_OMIT}, {time_t(ns / 1000000000), long(ns % 1000000000)}};
    QVERIFY(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0);
}

QString decodeError(const QString& path) {
    try {
        jpeg::decodeFile(path);
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    }
    return {};
}

} // namespace

class TestThumbnailLoader : public QObject {
    Q_OBJECT
private slots:
    void unchangedRebuildDecodesNothingAndCopiesNothing();
    void changesGiveWhatAFreshDecodeGives_data();
    void changesGiveWhatAFreshDecodeGives();
    void damagedCacheIsRebuiltSilently_data();
    void damagedCacheIsRebuiltSilently();
    void cacheOfAnotherFolderIsNotUsed();
    void damagedThumbnailAmongManyIsReportedOnce();
    void severalDamagedFilesInListOrder();
    void missingFallbackGivesEmptyCells();
    void pixelFileStaysBoundedAndOldCellsStayValid();
    void worksWithoutAWritableCache();
    void fallbackFromAnInstalledDataFolder();
    void writtenCacheIsAnnouncedAndServesTheSamePixels();
    void doubleSizeThumbnailsOnlyForScaledScreens();
    void everyKindOfNameFindsItsOwnFile_data();
    void everyKindOfNameFindsItsOwnFile();
};

void TestThumbnailLoader::unchangedRebuildDecodesNothingAndCopiesNothing() {
    GameFolder g(40);
    g.thumb(3, 3, QSize(112, 150)); // fitted into its cell with a transparent border
    const QList<QImage> expected = g.freshCells();
    ThumbnailLoader loader = g.loader();
    const ThumbnailLoader::Result first = loader.load(g.names);
    QCOMPARE(first.decoded, 33); // 32 own thumbnails and the fallback
    QVERIFY(first.errors.isEmpty());
    QVERIFY(sameCells(first.cells, expected));
    QCOMPARE(first.cells[3].format(), QImage::Format_ARGB32_Premultiplied);

    // The next rebuilds of the same program point at the same pixels: the
    // cache's, which the first rebuild wrote after handing its cells over.
    const ThumbnailLoader::Result second = loader.load(g.names);
    QCOMPARE(second.decoded, 0);
    QVERIFY(sameCells(second.cells, expected));
    const ThumbnailLoader::Result again = loader.load(g.names);
    for (int i = 0; i < 40; ++i)
        QVERIFY(again.cells[i].constBits() == second.cells[i].constBits());
    // Games without a thumbnail share the fallback's cell.
    QVERIFY(second.cells[1].constBits() == second.cells[6].constBits());

    // The next run of the program reads the same cache; its cells outlive the loader.
    QList<QImage> kept;
    {
        ThumbnailLoader next = g.loader();
        const ThumbnailLoader::Result third = next.load(g.names);
        QCOMPARE(third.decoded, 0);
        QVERIFY(sameCells(third.cells, expected));
        kept = third.cells;
    }
    QVERIFY(sameCells(kept, expected));
}

void TestThumbnailLoader::changesGiveWhatAFreshDecodeGives_data() {
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("decoded");
    QTest::newRow("rewritten thumbnail") << "rewrite" << 1;
    QTest::newRow("same size, other content, new modification time") << "same size" << 1;
    QTest::newRow("replaced by another file of the same size and time") << "other inode" << 1;
    QTest::newRow("deleted thumbnail") << "delete" << 0;
    QTest::newRow("new thumbnail of a game that had none") << "new" << 1;
    QTest::newRow("new game") << "new game" << 1;
    QTest::newRow("game removed") << "game removed" << 0;
}

void TestThumbnailLoader::changesGiveWhatAFreshDecodeGives() {
    QFETCH(QString, change);
    QFETCH(int, decoded);
    GameFolder g(12);
    ThumbnailLoader loader = g.loader();
    loader.load(g.names);

    const QString path = g.thumbPath(4);
    if (change == QLatin1String("rewrite")) {
        g.thumb(4, 99);
    } else if (change == QLatin1String("same size") || change == QLatin1String("other inode")) {
        // Two pictures padded after their end marker to one size; the cache
        // holds the first, the file then gets the second.
        const QByteArray old = testsupport::readAll(path);
        const QString other = g.folder.file(QStringLiteral("other.jpg"));
        jpeg::writeFile(picture(77), other, 90);
        QByteArray replacement = testsupport::readAll(other);
        const qsizetype size = std::max(old.size(), replacement.size()) + 100;
        replacement.append(QByteArray(size - replacement.size(), '\0'));
        testsupport::writeAll(path, old + QByteArray(size - old.size(), '\0'));
        loader.load(g.names);
        const std::int64_t oldTime = mtimeNs(path);
        if (change == QLatin1String("same size")) {
            testsupport::writeAll(path, replacement); // in place: the inode stays
            setMtimeNs(path, oldTime + 1);
        } else {
            testsupport::writeAll(other, replacement);
            QVERIFY(QFile::remove(path));
            QVERIFY(QFile::rename(other, path));
            setMtimeNs(path, oldTime);
        }
        QCOMPARE(QFileInfo(path).size(), size);
    } else if (change == QLatin1String("delete")) {
        QVERIFY(QFile::remove(path));
    } else if (change == QLatin1String("new")) {
        g.thumb(1, 55);
    } else if (change == QLatin1String("new game")) {
        g.names.insert(5, QStringLiteral("Game 004a"));
        jpeg::writeFile(picture(66), g.folder.file(QStringLiteral("Images/thumb_Game 004a.jpg")), 90);
    } else if (change == QLatin1String("game removed")) {
        g.names.removeAt(4);
    }

    const QList<QImage> expected = g.freshCells();
    const ThumbnailLoader::Result again = loader.load(g.names);
    QCOMPARE(again.decoded, decoded);
    QVERIFY(again.errors.isEmpty());
    QVERIFY(sameCells(again.cells, expected));
    // A new run agrees, without decoding anything, once this run's cache
    // write (behind its shown cells) has ended.
    loader.waitForCacheWrite();
    ThumbnailLoader next = g.loader();
    const ThumbnailLoader::Result fresh = next.load(g.names);
    QCOMPARE(fresh.decoded, 0);
    QVERIFY(sameCells(fresh.cells, expected));
}

void TestThumbnailLoader::damagedCacheIsRebuiltSilently_data() {
    QTest::addColumn<QString>("damage");
    QTest::newRow("index missing") << "no index";
    QTest::newRow("pixel file missing") << "no pixels";
    QTest::newRow("index truncated") << "truncate index";
    QTest::newRow("index cut to its header") << "index header";
    QTest::newRow("pixel file truncated") << "truncate pixels";
    QTest::newRow("index of another version") << "version";
    QTest::newRow("index with a changed byte") << "flip";
    QTest::newRow("pixel file of another generation") << "generation";
    QTest::newRow("index replaced by garbage") << "garbage";
    QTest::newRow("left by a crashed run") << "crashed";
}

void TestThumbnailLoader::damagedCacheIsRebuiltSilently() {
    QFETCH(QString, damage);
    GameFolder g(20);
    const QList<QImage> expected = g.freshCells();
    QString index, pixels;
    {
        ThumbnailLoader loader = g.loader();
        loader.load(g.names);
        index = loader.cache().indexPath();
        pixels = loader.cache().pixelPath();
    }
    QByteArray bytes = testsupport::readAll(index);
    QVERIFY(bytes.size() > 72);
    if (damage == QLatin1String("no index"))
        QVERIFY(QFile::remove(index));
    else if (damage == QLatin1String("no pixels"))
        QVERIFY(QFile::remove(pixels));
    else if (damage == QLatin1String("truncate index"))
        testsupport::writeAll(index, bytes.left(bytes.size() - 7));
    else if (damage == QLatin1String("index header"))
        testsupport::writeAll(index, bytes.left(72));
    else if (damage == QLatin1String("truncate pixels"))
        QVERIFY(::truncate(QFile::encodeName(pixels).constData(), QFileInfo(pixels).size() / 2) == 0);
    else if (damage == QLatin1String("version"))
        testsupport::writeAll(index, bytes.replace(8, 1, "\x7f"));
    else if (damage == QLatin1String("flip")) {
        bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 0x10);
        testsupport::writeAll(index, bytes);
    } else if (damage == QLatin1String("generation")) {
        QByteArray data = testsupport::readAll(pixels);
        data[16] = char(data[16] ^ 1);
        testsupport::writeAll(pixels, data);
    } else if (damage == QLatin1String("garbage")) {
        testsupport::writeAll(index, QByteArray(5000, '\xa5'));
    } else if (damage == QLatin1String("crashed")) {
        // A run that ended while writing leaves its temporary files; the old
        // index was already gone.
        QVERIFY(QFile::remove(index));
        testsupport::writeAll(index + QStringLiteral(".4242.tmp"), bytes.left(100));
        testsupport::writeAll(pixels + QStringLiteral(".4242.tmp"), QByteArray(1000, 'p'));
    }

    ThumbnailLoader loader = g.loader();
    const ThumbnailLoader::Result result = loader.load(g.names);
    QVERIFY(result.errors.isEmpty());
    QVERIFY(sameCells(result.cells, expected));
    QVERIFY(result.decoded > 0);
    // The cache was written anew and serves the next run.
    loader.waitForCacheWrite();
    ThumbnailLoader next = g.loader();
    const ThumbnailLoader::Result warm = next.load(g.names);
    QCOMPARE(warm.decoded, 0);
    QVERIFY(sameCells(warm.cells, expected));
    QCOMPARE(QDir(g.cache.path()).entryList({QStringLiteral("*.tmp")}, QDir::Files), QStringList());
}

void TestThumbnailLoader::cacheOfAnotherFolderIsNotUsed() {
    // Two program folders with the same games and other pictures; the first
    // one's cache files are put where the second one's belong.
    GameFolder a(10, 0);
    GameFolder b(10, 0);
    for (int i = 0; i < 10; ++i)
        b.thumb(i, 100 + i);
    ThumbnailLoader first(a.folder.path(), a.cache.path());
    first.load(a.names);
    first.waitForCacheWrite();
    ThumbnailLoader second(b.folder.path(), a.cache.path());
    QVERIFY(QFile::copy(first.cache().indexPath(), second.cache().indexPath()));
    QVERIFY(QFile::copy(first.cache().pixelPath(), second.cache().pixelPath()));
    // File keys alike too: the second folder's files get the first one's times.
    for (int i = 0; i < 10; ++i)
        setMtimeNs(b.thumbPath(i), mtimeNs(a.thumbPath(i)));

    const ThumbnailLoader::Result result = second.load(b.names);
    QCOMPARE(result.decoded, 11); // with the fallback
    QVERIFY(sameCells(result.cells, b.freshCells()));
}

void TestThumbnailLoader::damagedThumbnailAmongManyIsReportedOnce() {
    GameFolder g(50, 0);
    const QByteArray good = testsupport::readAll(g.thumbPath(7));
    testsupport::writeAll(g.thumbPath(7), good.left(good.size() / 2));
    const QString error = decodeError(g.thumbPath(7));
    QVERIFY(!error.isEmpty());
    QList<QImage> expected = g.freshCells({7});
    ThumbnailLoader loader = g.loader();
    for (int run = 0; run < 2; ++run) { // decoded, then from the cache
        const ThumbnailLoader::Result result = loader.load(g.names);
        QCOMPARE(result.decoded, run == 0 ? 51 : 0);
        QCOMPARE(result.cells.size(), 50);
        QVERIFY(sameCells(result.cells, expected));
        QCOMPARE(result.damagedFiles, QStringList{g.thumbPath(7)});
        QCOMPARE(result.errors, QStringList{error});
        QCOMPARE(result.report(), error); // the text a one-by-one rebuild reported
    }
    // Repaired, it is decoded on the rebuild that first sees it.
    testsupport::writeAll(g.thumbPath(7), good);
    const ThumbnailLoader::Result repaired = loader.load(g.names);
    QCOMPARE(repaired.decoded, 1);
    QVERIFY(repaired.errors.isEmpty());
    QVERIFY(sameCells(repaired.cells, g.freshCells()));
}

void TestThumbnailLoader::severalDamagedFilesInListOrder() {
    GameFolder g(30, 0);
    for (const int i : {21, 4, 13})
        testsupport::writeAll(g.thumbPath(i), "not a picture " + QByteArray::number(i));
    const ThumbnailLoader::Result result = g.loader().load(g.names);
    QCOMPARE(result.damagedFiles, (QStringList{g.thumbPath(4), g.thumbPath(13), g.thumbPath(21)}));
    QCOMPARE(result.report().section(u'\n', 0, 0), decodeError(g.thumbPath(4)));
    QVERIFY(result.report().contains(g.thumbPath(13) + u'\n' + g.thumbPath(21)));
    QVERIFY(sameCells(result.cells, g.freshCells({4, 13, 21})));
}

void TestThumbnailLoader::missingFallbackGivesEmptyCells() {
    GameFolder g(6);
    const QString fallback = g.folder.file(QStringLiteral("Images/thumb_unknown.jpg"));
    QVERIFY(QFile::remove(fallback));
    testsupport::writeAll(g.thumbPath(3), "damaged");
    const ThumbnailLoader::Result result = g.loader().load(g.names);
    QCOMPARE(result.cells.size(), 6);
    const QImage empty = ImageList::fitToCell(QImage());
    QCOMPARE(result.cells[1], empty); // no thumbnail of its own
    QCOMPARE(result.cells[3], empty); // damaged, and no fallback to show instead
    QCOMPARE(result.cells[2], ImageList::fitToCell(jpeg::decodeFile(g.thumbPath(2))));
    QCOMPARE(result.damagedFiles, (QStringList{fallback, g.thumbPath(3)}));
    QCOMPARE(result.errors.first(), decodeError(fallback)); // "Cannot open the picture ..."
}

void TestThumbnailLoader::pixelFileStaysBoundedAndOldCellsStayValid() {
    GameFolder g(40, 0);
    ThumbnailLoader loader = g.loader();
    const QList<QImage> firstCells = loader.load(g.names).cells;
    const QList<QImage> firstExpected = g.freshCells();
    const qint64 live = 41 * qint64(ThumbnailCache::blockSize(100 * 150 * 3)); // with the fallback
    for (int round = 1; round <= 8; ++round) {
        for (int i = 0; i < 40; ++i)
            g.thumb(i, round * 100 + i);
        const ThumbnailLoader::Result result = loader.load(g.names);
        QCOMPARE(result.decoded, 40);
        QVERIFY(sameCells(result.cells, g.freshCells()));
        QVERIFY2(QFileInfo(loader.cache().pixelPath()).size() <= 2 * live + (qint64(4) << 20) + 64 * 1024,
                 qPrintable(QString::number(QFileInfo(loader.cache().pixelPath()).size())));
    }
    // The pictures of the first rebuild are still intact, although their pixel
    // file was replaced meanwhile.
    QVERIFY(sameCells(firstCells, firstExpected));
}

void TestThumbnailLoader::worksWithoutAWritableCache() {
    GameFolder g(8);
    const QList<QImage> expected = g.freshCells();
    // Another copy of the program is writing the cache: this one goes without.
    ThumbnailLoader loader = g.loader();
    const QString lockPath = QFileInfo(loader.cache().indexPath()).path() + u'/' +
                             QFileInfo(loader.cache().indexPath()).completeBaseName() +
                             QStringLiteral(".lock");
    const int fd = ::open(QFile::encodeName(lockPath).constData(), O_RDWR | O_CREAT, 0600);
    QVERIFY(fd >= 0 && ::flock(fd, LOCK_EX) == 0);
    QVERIFY(sameCells(loader.load(g.names).cells, expected));
    QVERIFY(!QFile::exists(loader.cache().indexPath()));
    ::close(fd);
    QCOMPARE(loader.load(g.names).decoded, 7);
    QCOMPARE(loader.load(g.names).decoded, 0);

    // A cache folder that cannot be made.
    const QString blocker = g.cache.filePath(QStringLiteral("file"));
    testsupport::writeAll(blocker, "x");
    ThumbnailLoader unwritable(g.folder.path(), blocker + QStringLiteral("/korvello"));
    QVERIFY(sameCells(unwritable.load(g.names).cells, expected));
    QCOMPARE(unwritable.load(g.names).decoded, 7);
}

// An installed program keeps the fallback picture in its data folder, not in
// the emulator folder's Images: games without a thumbnail show that one, and
// it is cached like the others.
void TestThumbnailLoader::fallbackFromAnInstalledDataFolder() {
    GameFolder g(10);
    QTemporaryDir data;
    const QString fallback = data.filePath(QStringLiteral("thumb_unknown.jpg"));
    jpeg::writeFile(picture(99), fallback, 90);
    QVERIFY(QFile::remove(g.folder.file(QStringLiteral("Images/thumb_unknown.jpg"))));
    const QImage expected = ImageList::fitToCell(jpeg::decodeFile(fallback));

    for (int run = 0; run < 2; ++run) { // decoded, then from the cache
        ThumbnailLoader loader = g.loader();
        loader.setFallbackFile(fallback);
        const ThumbnailLoader::Result result = loader.load(g.names);
        QVERIFY2(result.errors.isEmpty(), qPrintable(result.report()));
        QCOMPARE(result.decoded, run == 0 ? 9 : 0); // 8 own thumbnails and the fallback
        QCOMPARE(result.cells[1], expected);
        QCOMPARE(result.cells[6], expected);
    }
}

// A rebuild's decoded cells are its own memory until the cache write behind
// them ends; the handler says when, and a rebuild then gives the same pixels
// from the mapped cache file.
void TestThumbnailLoader::writtenCacheIsAnnouncedAndServesTheSamePixels() {
    GameFolder g(12);
    ThumbnailLoader loader = g.loader();
    std::atomic<int> written{0};
    loader.setCacheWrittenHandler([&] { ++written; });
    const ThumbnailLoader::Result first = loader.load(g.names);
    QVERIFY(first.decoded > 0);
    loader.waitForCacheWrite();
    QCOMPARE(written.load(), 1);
    for (const QImage& cell : first.cells)
        QVERIFY(!loader.cache().holds(cell));

    const ThumbnailLoader::Result again = loader.load(g.names);
    QCOMPARE(again.decoded, 0);
    QVERIFY(sameCells(again.cells, first.cells));
    for (const QImage& cell : again.cells)
        QVERIFY(loader.cache().holds(cell));
    loader.waitForCacheWrite();
    QCOMPARE(written.load(), 1); // nothing new, nothing written
}

// A scaled screen shows the thumbnails of twice the size where they exist
// (the others at the design's size, drawn scaled); both sizes live in the same
// cache, and a screen at 100 % never decodes or stores the larger ones.
void TestThumbnailLoader::doubleSizeThumbnailsOnlyForScaledScreens() {
    GameFolder g(6, 0);
    for (const int i : {0, 2, 3})
        jpeg::writeFile(picture(50 + i, QSize(200, 300)), artworkfiles::doubleSizePath(g.thumbPath(i)), 90);
    // One of another size is fitted into a cell of twice the size.
    jpeg::writeFile(picture(53, QSize(240, 300)), artworkfiles::doubleSizePath(g.thumbPath(3)), 90);
    const QList<QImage> designSize = g.freshCells();
    QList<QImage> doubled = designSize;
    for (const int i : {0, 2, 3})
        doubled[i] = ImageList::fitToCell(jpeg::decodeFile(artworkfiles::doubleSizePath(g.thumbPath(i))), 2);
    QCOMPARE(doubled[0].size(), QSize(200, 300));
    QCOMPARE(doubled[3].size(), QSize(200, 300));

    ThumbnailLoader loader = g.loader();
    QCOMPARE(ThumbnailLoader::scaleFor(1.25), 1);
    QCOMPARE(ThumbnailLoader::scaleFor(1.5), 2);
    loader.setScale(1);
    QCOMPARE(loader.load(g.names).decoded, 7); // six thumbnails and the fallback
    QVERIFY(sameCells(loader.load(g.names).cells, designSize));
    loader.waitForCacheWrite();
    const qint64 designBytes = QFileInfo(loader.cache().pixelPath()).size();

    loader.setScale(2);
    const ThumbnailLoader::Result first = loader.load(g.names);
    QCOMPARE(first.decoded, 3); // only the larger files; the others are cached already
    QVERIFY(sameCells(first.cells, doubled));
    loader.waitForCacheWrite();
    QVERIFY(QFileInfo(loader.cache().pixelPath()).size() >= designBytes + 3 * 200 * 300 * 3);
    for (int scale : {2, 1, 2}) { // both sizes stay cached side by side, in a new run too
        ThumbnailLoader next = g.loader();
        next.setScale(scale);
        const ThumbnailLoader::Result again = next.load(g.names);
        QCOMPARE(again.decoded, 0);
        QVERIFY(sameCells(again.cells, scale == 2 ? doubled : designSize));
    }
}

void TestThumbnailLoader::everyKindOfNameFindsItsOwnFile_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("ownFile"); // false: it shows the fallback although its file exists
    QTest::newRow("accents and a dot") << QStringLiteral("Ōkami · Édition 2.0") << true;
    QTest::newRow("quotes and brackets") << QStringLiteral("Tom's \"Game\" [Disc 1] (Europe)") << true;
    QTest::newRow("non-Latin") << QStringLiteral("ファイナルファンタジー X") << true;
    QTest::newRow("the fallback's own name") << QStringLiteral("Unknown") << false;
    QTest::newRow("leading space") << QStringLiteral(" Padded") << false;
}

// The files are looked up on every core, relative to the program folder:
// each name among the others shows its own file (or the fallback when it
// cannot have one), before and after the cache holds it.
void TestThumbnailLoader::everyKindOfNameFindsItsOwnFile() {
    QFETCH(QString, name);
    QFETCH(bool, ownFile);
    GameFolder g(64, 7);
    constexpr int kAt = 37;
    g.names[kAt] = name;
    if (ownFile)
        g.thumb(kAt, 1000);
    else // its file exists but is not its own
        jpeg::writeFile(picture(1000), g.folder.file(QStringLiteral("Images/thumb_%1.jpg").arg(name)), 90);
    QList<QImage> expected = g.freshCells();
    if (!ownFile)
        expected[kAt] =
            ImageList::fitToCell(jpeg::decodeFile(g.folder.file(QStringLiteral("Images/thumb_unknown.jpg"))));
    ThumbnailLoader loader = g.loader();
    for (int run = 0; run < 2; ++run) { // decoded, then from the cache
        const ThumbnailLoader::Result result = loader.load(g.names);
        QVERIFY(result.errors.isEmpty());
        QVERIFY(sameCells(result.cells, expected));
    }
}

QTEST_GUILESS_MAIN(TestThumbnailLoader)
#include "tst_thumbnailloader.moc"
