// The grid over the thumbnail cache while it scrolls: cells are read from the
// pixel file as they are painted, and a pixel file shortened meanwhile by
// another process (truncated, an older cache copied over it) costs neither a
// crash nor a wrong picture.
#include "gamelist/gamelistmodel.h"
#include "gamelist/gamelistview.h"
#include "thumbnailfixture.h"

#include <QScrollBar>
#include <QtTest>
#include <unistd.h>

using namespace thumbnailfixture;

class TestThumbnailScroll : public QObject {
    Q_OBJECT
private slots:
    void shortenedPixelFileWhileScrolling_data();
    void shortenedPixelFileWhileScrolling();
};

void TestThumbnailScroll::shortenedPixelFileWhileScrolling_data() {
    QTest::addColumn<double>("keep"); // the share of the pixel file left
    QTest::newRow("emptied") << 0.0;
    QTest::newRow("cut to a few cells") << 0.05;
    QTest::newRow("cut in half") << 0.5;
}

void TestThumbnailScroll::shortenedPixelFileWhileScrolling() {
    QFETCH(double, keep);
    // More games than a rebuild lists cells for: the grid reads them as it paints.
    constexpr int kGames = ThumbnailLoader::kListedCells + 100;
    GameFolder g(kGames, 0);
    ThumbnailLoader loader = g.loader();
    loader.load(g.names);
    loader.waitForCacheWrite();
    const ThumbnailLoader::Result result = loader.load(g.names);
    QCOMPARE(result.decoded, 0);
    QVERIFY(result.cells.isEmpty());
    const QString pixels = loader.cache().pixelPath();

    GameListView view;
    view.resize(520, 420);
    view.setEntries(g.names, result.pictures);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QScrollBar* bar = view.verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    constexpr int kSteps = 24;
    for (int step = 0; step <= kSteps; ++step) {
        if (step == kSteps / 3) {
            const off_t size = off_t(QFileInfo(pixels).size() * keep);
            QVERIFY(::truncate(QFile::encodeName(pixels).constData(), size) == 0);
        }
        bar->setValue(bar->maximum() * step / kSteps);
        view.viewport()->repaint();
        QCoreApplication::processEvents(); // the read-ahead
    }
    // Memory follows the screen, not the list.
    QVERIFY(result.pictures->reader()->keptCount() <= ThumbnailCellReader::kCapacity);

    // Every cell, read before the cut or made after it, is the picture's own.
    const QList<QImage> expected = g.freshCells();
    for (int row = 0; row < kGames; ++row)
        QCOMPARE(view.model()->index(row, 0).data(GameListModel::ImageRole).value<QImage>(),
                 expected.at(row));
    // The next rebuild finds the file short and decodes what it no longer holds.
    const ThumbnailLoader::Result next = loader.load(g.names);
    QVERIFY(next.decoded > 0);
    loader.waitForCacheWrite();
    QCOMPARE(loader.load(g.names).decoded, 0);
}

QTEST_MAIN(TestThumbnailScroll)
#include "tst_thumbnailscroll.moc"
