// The game list view, its image list and the poster view, without the main window.
#include "gamelist/gamelistview.h"
#include "gamelist/imagelist.h"
#include "gamelist/posterview.h"

#include <QLineEdit>
#include <QVBoxLayout>
#include <QtTest>

namespace {

QImage filled(QSize size, QColor colour) {
    QImage image(size, QImage::Format_RGB888);
    image.fill(colour);
    return image;
}

} // namespace

class TestGameListView : public QObject {
    Q_OBJECT
private slots:
    void pictureOfCellSizeIsKept();
    void otherSizesAreFittedAndCentred_data();
    void otherSizesAreFittedAndCentred();
    void gridOfLargeIcons();
    void entriesAndImages();
    void findCaptionComparesWithoutLetterCase();
    void selectionStaysVisibleWithoutFocus();
    void posterIsStretchedOverItsArea();
};

void TestGameListView::pictureOfCellSizeIsKept() {
    ImageList list;
    const QImage thumb = filled(QSize(100, 150), Qt::red);
    QCOMPARE(list.add(thumb), 0);
    QCOMPARE(list.at(0).format(), QImage::Format_RGB888);
    QVERIFY(list.at(0).constBits() == thumb.constBits()); // no copy of the pixels
    QCOMPARE(list.bytes(), thumb.sizeInBytes());
}

void TestGameListView::otherSizesAreFittedAndCentred_data() {
    QTest::addColumn<QSize>("source");
    QTest::addColumn<QRect>("covered");
    // Thumbnails of the importer: 150 high when tall, 100 wide otherwise.
    QTest::newRow("tall, wider than the cell") << QSize(112, 150) << QRect(0, 8, 100, 134);
    QTest::newRow("wide") << QSize(100, 75) << QRect(0, 38, 100, 75);
    QTest::newRow("square") << QSize(100, 100) << QRect(0, 25, 100, 100);
    QTest::newRow("narrow") << QSize(50, 150) << QRect(25, 0, 50, 150);
    QTest::newRow("small, enlarged") << QSize(20, 30) << QRect(0, 0, 100, 150);
}

void TestGameListView::otherSizesAreFittedAndCentred() {
    QFETCH(QSize, source);
    QFETCH(QRect, covered);
    const QImage fitted = ImageList::fitToCell(filled(source, QColor(30, 160, 90)));
    QCOMPARE(fitted.size(), QSize(100, 150));
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 100; ++x) {
            const QRgb p = fitted.pixel(x, y);
            // The edge rows and columns of the picture may be blended.
            if (covered.adjusted(1, 1, -1, -1).contains(x, y))
                QVERIFY2(qAlpha(p) == 255 && qGreen(p) == 160,
                         qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
            else if (!covered.adjusted(-1, -1, 1, 1).contains(x, y))
                QVERIFY2(qAlpha(p) == 0, qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
        }
}

void TestGameListView::gridOfLargeIcons() {
    GameListView view;
    view.resize(572, 691);
    view.setIconSpacing(109, 0);
    QCOMPARE(view.viewMode(), QListView::IconMode);
    QVERIFY(view.uniformItemSizes());
    QCOMPARE(view.selectionMode(), QAbstractItemView::SingleSelection);
    QCOMPARE(view.editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(view.cellSize().width(), 109);
    QVERIFY(view.cellSize().height() > 150);
    for (int i = 0; i < 7; ++i)
        view.addEntry(QStringLiteral("Game %1").arg(i), filled(QSize(100, 150), Qt::blue));
    QVERIFY(!(view.model()->flags(view.model()->index(0, 0)) & Qt::ItemIsEditable));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const QRect first = view.visualRect(view.model()->index(0, 0));
    const QRect second = view.visualRect(view.model()->index(1, 0));
    QCOMPARE(second.left() - first.left(), 109);
    QCOMPARE(second.top(), first.top());
    // Five cells fit the width; the sixth starts the next row.
    const QRect sixth = view.visualRect(view.model()->index(5, 0));
    QCOMPARE(sixth.left(), first.left());
    QCOMPARE(sixth.top() - first.top(), view.cellSize().height());
}

void TestGameListView::entriesAndImages() {
    GameListView view;
    view.addEntry(QStringLiteral("Ico"), filled(QSize(100, 150), Qt::red));
    view.addEntry(QStringLiteral("Rez"), filled(QSize(100, 150), Qt::green));
    QCOMPARE(view.count(), 2);
    QCOMPARE(view.imageCount(), 2);
    QCOMPARE(view.caption(1), QStringLiteral("Rez"));
    QCOMPARE(view.selectedRow(), -1);

    view.selectRow(1);
    QCOMPARE(view.selectedRow(), 1);
    QCOMPARE(view.focusedRow(), 1);
    view.selectRow(5); // outside: nothing changes
    QCOMPARE(view.selectedRow(), 1);

    // A replaced thumbnail is appended; the entry points at it.
    view.setEntryImage(1, filled(QSize(100, 150), Qt::yellow));
    QCOMPARE(view.imageCount(), 3);
    const QImage shown = view.model()->index(1, 0).data(Qt::UserRole + 1).value<QImage>();
    QCOMPARE(shown.pixel(50, 75), QColor(Qt::yellow).rgb());

    view.setCaption(1, QStringLiteral("Rez Infinite"));
    QCOMPARE(view.caption(1), QStringLiteral("Rez Infinite"));

    view.clear();
    QCOMPARE(view.count(), 0);
    QCOMPARE(view.imageCount(), 0);
    QCOMPARE(view.selectedRow(), -1);
}

void TestGameListView::findCaptionComparesWithoutLetterCase() {
    GameListView view;
    for (const char* name : {"Alpha", "beta", "Beta Two"})
        view.addEntry(QLatin1String(name), filled(QSize(100, 150), Qt::gray));
    QCOMPARE(view.findCaption(QStringLiteral("BETA")), 1);
    QCOMPARE(view.findCaption(QStringLiteral("beta two")), 2);
    QCOMPARE(view.findCaption(QStringLiteral("bet")), -1);
}

void TestGameListView::selectionStaysVisibleWithoutFocus() {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* other = new QLineEdit(&window);
    auto* view = new GameListView(&window);
    layout->addWidget(other);
    layout->addWidget(view);
    window.resize(572, 500);
    view->setIconSpacing(109, 0);
    view->addEntry(QStringLiteral("Ico"), filled(QSize(100, 150), Qt::white));
    view->addEntry(QStringLiteral("Rez"), filled(QSize(100, 150), Qt::white));
    view->selectRow(1);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    other->setFocus();
    QTRY_VERIFY(other->hasFocus());

    const QImage shot = view->viewport()->grab().toImage();
    const QColor highlight = view->palette().color(QPalette::Active, QPalette::Highlight);
    const QRect selected = view->visualRect(view->model()->index(1, 0));
    const QRect plain = view->visualRect(view->model()->index(0, 0));
    // Just below the picture, inside the caption's background.
    const QPoint caption(selected.center().x(), selected.top() + 3 + 150 + 5);
    QCOMPARE(shot.pixelColor(caption), highlight);
    QVERIFY(shot.pixelColor(caption - selected.topLeft() + plain.topLeft()) != highlight);
}

void TestGameListView::posterIsStretchedOverItsArea() {
    PosterView poster;
    poster.resize(429, 636);
    QVERIFY(poster.shownPicture().isNull());
    // A 2 x 2 picture: each quarter of the area takes one source pixel, proportions not kept.
    QImage picture(2, 2, QImage::Format_RGB888);
    picture.setPixelColor(0, 0, Qt::red);
    picture.setPixelColor(1, 0, Qt::green);
    picture.setPixelColor(0, 1, Qt::blue);
    picture.setPixelColor(1, 1, Qt::white);
    poster.showPicture(picture);
    const QImage shown = poster.shownPicture();
    QCOMPARE(shown.size(), QSize(429, 636));
    QCOMPARE(shown.pixelColor(0, 0), QColor(Qt::red));
    QCOMPARE(shown.pixelColor(428, 0), QColor(Qt::green));
    QCOMPARE(shown.pixelColor(0, 635), QColor(Qt::blue));
    QCOMPARE(shown.pixelColor(428, 635), QColor(Qt::white));
    QCOMPARE(shown.pixelColor(213, 317), QColor(Qt::red));
    QCOMPARE(shown.pixelColor(215, 319), QColor(Qt::white));
}

QTEST_MAIN(TestGameListView)
#include "tst_gamelistview.moc"
