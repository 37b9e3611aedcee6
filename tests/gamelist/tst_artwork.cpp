// Artwork sizes, the nearest-neighbour stretch, and the import's one pass over
// the chosen picture: identical files to decoding it whole, EXIF orientation,
// PNG and WebP sources.
#include "core/korvelloerror.h"
#include "gamelist/artwork.h"
#include "gamelist/artworkimport.h"
#include "gamelist/artworksource.h"
#include "gamelist/gblur.h"
#include "gamelist/jpeg.h"
#include "gamelist/jpegwriter.h"
#include "jpegfixture.h"
#include "support/errortext.h"
#include "support/testfolder.h"

#include <QFile>
#include <QImage>
#include <QSet>
#include <QTest>

namespace {

QRgb pixelAt(const QImage& img, int x, int y) {
    const uchar* p = img.constScanLine(y) + 3 * x;
    return qRgb(p[0], p[1], p[2]);
}

void setPixel(QImage& img, int x, int y, QRgb c) {
    uchar* p = img.scanLine(y) + 3 * x;
    p[0] = uchar(qRed(c));
    p[1] = uchar(qGreen(c));
    p[2] = uchar(qBlue(c));
}

// A picture whose every pixel is unique: red = x, green = y (both below 256 here).
QImage coordinates(int w, int h) {
    QImage img(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            setPixel(img, x, y, qRgb(x % 256, y % 256, (x / 256) * 16 + y / 256));
    return img;
}

// A JPEG source of the given size in the folder.
QString writeSource(const TestFolder& folder, QSize size) {
    const QString path = folder.file(QStringLiteral("source_%1x%2.jpg").arg(size.width()).arg(size.height()));
    jpeg::writeFile(coordinates(size.width(), size.height()), path);
    return path;
}

// Picture sizes with the poster and thumbnail sizes they give.
void addSizeRows() {
    QTest::addColumn<QSize>("source");
    QTest::addColumn<QSize>("poster");
    QTest::addColumn<QSize>("thumb");
    // 300 * 150 / 400 = 112.5: the half goes to the even neighbour.
    QTest::newRow("tall 300x400") << QSize(300, 400) << QSize(450, 600) << QSize(112, 150);
    QTest::newRow("wide 800x600") << QSize(800, 600) << QSize(420, 315) << QSize(100, 75);
    QTest::newRow("square 500x500") << QSize(500, 500) << QSize(420, 420) << QSize(100, 100);
    QTest::newRow("small 70x105 enlarged") << QSize(70, 105) << QSize(400, 600) << QSize(100, 150);
    // 0.3 and 0.075 pixels would round to 0: the side keeps 1 pixel.
    QTest::newRow("strip 1x2000") << QSize(1, 2000) << QSize(1, 600) << QSize(1, 150);
}

} // namespace

class TestArtwork : public QObject {
    Q_OBJECT
private slots:
    void scaledSize_data() {
        addSizeRows();
        QTest::newRow("strip 2000x1") << QSize(2000, 1) << QSize(420, 1) << QSize(100, 1);
        QTest::newRow("single pixel") << QSize(1, 1) << QSize(420, 420) << QSize(100, 100);
        // 250 * 420 / 280 = 375 exactly; 250 * 100 / 280 = 89.28...
        QTest::newRow("280x250") << QSize(280, 250) << QSize(420, 375) << QSize(100, 89);
        QTest::newRow("photo 4000x3000 (the benchmark)")
            << QSize(4000, 3000) << QSize(420, 315) << QSize(100, 75);
        QTest::newRow("5x4") << QSize(5, 4) << QSize(420, 336) << QSize(100, 80);
        QTest::newRow("4x5") << QSize(4, 5) << QSize(480, 600) << QSize(120, 150);
    }
    void scaledSize() {
        QFETCH(QSize, source);
        QFETCH(QSize, poster);
        QFETCH(QSize, thumb);
        QCOMPARE(artwork::ScaledSize(source, artwork::kPosterTall, artwork::kPosterWide), poster);
        QCOMPARE(artwork::ScaledSize(source, artwork::kThumbTall, artwork::kThumbWide), thumb);
    }

    // Halves go to the even neighbour on both sides and in both directions.
    void halvesGoToEven_data() {
        QTest::addColumn<QSize>("source");
        QTest::addColumn<int>("target");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("3.5 up") << QSize(7, 10) << 5 << QSize(4, 5);
        QTest::newRow("4.5 down") << QSize(9, 10) << 5 << QSize(4, 5);
        QTest::newRow("2.5 down") << QSize(10, 5) << 5 << QSize(5, 2);
        QTest::newRow("3.5 up, wide") << QSize(10, 7) << 5 << QSize(5, 4);
        QTest::newRow("0.5 keeps 1") << QSize(10, 1) << 5 << QSize(5, 1);
    }
    void halvesGoToEven() {
        QFETCH(QSize, source);
        QFETCH(int, target);
        QFETCH(QSize, expected);
        QCOMPARE(artwork::ScaledSize(source, target, target), expected);
    }

    void shrinkTakesOnePixelPerTarget() {
        const QImage source = coordinates(8, 6);
        const QImage result = artwork::StretchNearest(source, QSize(4, 3));
        QCOMPARE(result.size(), QSize(4, 3));
        QCOMPARE(result.format(), QImage::Format_RGB888);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x)
                QCOMPARE(pixelAt(result, x, y), pixelAt(source, 2 * x, 2 * y));
    }

    void enlargeRepeatsPixels() {
        const QImage source = coordinates(2, 3);
        const QImage result = artwork::StretchNearest(source, QSize(5, 7));
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 5; ++x)
                QCOMPARE(pixelAt(result, x, y), pixelAt(source, x * 2 / 5, y * 3 / 7));
    }

    void sameSizeIsACopy() {
        const QImage source = coordinates(37, 23);
        QCOMPARE(artwork::StretchNearest(source, source.size()), source);
    }

    // No averaging: a fine two-colour checker stays two colours at any size.
    void neverAverages_data() {
        QTest::addColumn<QSize>("size");
        QTest::newRow("shrink") << QSize(31, 17);
        QTest::newRow("enlarge") << QSize(301, 170);
        QTest::newRow("mixed") << QSize(13, 170);
    }
    void neverAverages() {
        QFETCH(QSize, size);
        QImage checker(64, 48, QImage::Format_RGB888);
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x)
                setPixel(checker, x, y, (x + y) % 2 ? qRgb(255, 0, 0) : qRgb(0, 0, 255));
        const QImage result = artwork::StretchNearest(checker, size);
        QSet<QRgb> colours;
        for (int y = 0; y < result.height(); ++y)
            for (int x = 0; x < result.width(); ++x)
                colours.insert(pixelAt(result, x, y));
        QCOMPARE(colours, (QSet<QRgb>{qRgb(255, 0, 0), qRgb(0, 0, 255)}));
    }

    void narrowStrip() {
        const QImage source = coordinates(1, 2000);
        const QSize size = artwork::ScaledSize(source.size(), artwork::kPosterTall, artwork::kPosterWide);
        const QImage result = artwork::StretchNearest(source, size);
        QCOMPARE(result.size(), QSize(1, 600));
        for (int y = 0; y < 600; ++y)
            QCOMPARE(pixelAt(result, 0, y), pixelAt(source, 0, y * 2000 / 600));
    }

    // Poster and thumbnail from one decoded source, as the import makes them.
    void savesPosterAndThumbnail_data() { addSizeRows(); }
    void savesPosterAndThumbnail() {
        QFETCH(QSize, source);
        QFETCH(QSize, poster);
        QFETCH(QSize, thumb);
        TestFolder folder;
        const QString posterPath = folder.file(QStringLiteral("Images/big_Game.jpg"));
        const QString thumbPath = folder.file(QStringLiteral("Images/thumb_Game.jpg"));
        ArtworkSource picture(writeSource(folder, source), {{600, 420}, {150, 100}});
        SaveScaledJpeg(picture, posterPath, 0.0, artwork::kPosterTall, artwork::kPosterWide);
        SaveScaledJpeg(picture, thumbPath, 1.5, artwork::kThumbTall, artwork::kThumbWide);
        QCOMPARE(jpeg::decodeFile(posterPath).size(), poster);
        QCOMPARE(jpeg::decodeFile(thumbPath).size(), thumb);
    }

    // The file is exactly the stretched (and, above radius 0, blurred) picture encoded at quality 90.
    void writesTheStretchedAndBlurredPicture_data() {
        QTest::addColumn<double>("radius");
        QTest::newRow("no blur") << 0.0;
        QTest::newRow("1.0") << 1.0;
        QTest::newRow("3.0") << 3.0;
    }
    void writesTheStretchedAndBlurredPicture() {
        QFETCH(double, radius);
        TestFolder folder;
        const QString source = writeSource(folder, QSize(230, 170));
        const QString made = folder.file(QStringLiteral("Images/thumb_made.jpg"));
        SaveScaledJpeg(source, made, radius, artwork::kThumbTall, artwork::kThumbWide);

        QImage expected = artwork::StretchNearest(jpeg::decodeFile(source), QSize(100, 74));
        if (radius > 0)
            GBlur(expected, radius);
        const QString reference = folder.file(QStringLiteral("Images/reference.jpg"));
        jpeg::writeFile(expected, reference, 90);
        QCOMPARE(testsupport::readAll(made), testsupport::readAll(reference));
    }

    // One import reads its source once: the thumbnail comes from the pass made
    // for the poster, even if the file is gone by then.
    void sourceIsDecodedOnce() {
        TestFolder folder;
        const QString path = writeSource(folder, QSize(640, 480));
        ArtworkSource picture(path, {{600, 420}, {150, 100}});
        SaveScaledJpeg(picture, folder.file(QStringLiteral("Images/big_x.jpg")), 0.0, 600, 420);
        QVERIFY(QFile::remove(path));
        SaveScaledJpeg(picture, folder.file(QStringLiteral("Images/thumb_x.jpg")), 1.0, 150, 100);
        QCOMPARE(jpeg::decodeFile(folder.file(QStringLiteral("Images/thumb_x.jpg"))).size(), QSize(100, 75));
    }

    // An unreadable source ends the step before anything is written; an
    // existing picture of the same name stays as it was.
    void unreadableSourceWritesNothing_data() {
        QTest::addColumn<QByteArray>("content"); // empty: no file at all
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("not a JPEG") << QByteArray("GIF89a this is no JPEG");
        QTest::newRow("cut short") << QByteArray("truncate");
    }
    void unreadableSourceWritesNothing() {
        QFETCH(QByteArray, content);
        TestFolder folder;
        QString source = folder.file(QStringLiteral("chosen.jpg"));
        if (content == "truncate") {
            const QByteArray whole = testsupport::readAll(writeSource(folder, QSize(300, 200)));
            testsupport::writeAll(source, whole.left(whole.size() / 2));
        } else if (!content.isEmpty()) {
            testsupport::writeAll(source, content);
        }
        const QString destination = folder.file(QStringLiteral("Images/big_Game.jpg"));
        const QString fresh = folder.file(QStringLiteral("Images/thumb_Game.jpg"));
        testsupport::writeAll(destination, "old poster");
        QVERIFY(!errorOf([&] { SaveScaledJpeg(source, destination, 0.0, 600, 420); }).isEmpty());
        QVERIFY(!errorOf([&] { SaveScaledJpeg(source, fresh, 1.0, 150, 100); }).isEmpty());
        QCOMPARE(testsupport::readAll(destination), QByteArray("old poster"));
        QVERIFY(!QFile::exists(fresh));
    }

    void missingImagesFolder() {
        TestFolder folder(false);
        const QString source = writeSource(folder, QSize(300, 400));
        const QString destination = folder.file(QStringLiteral("Images/big_Game.jpg"));
        const QString error = errorOf([&] { SaveScaledJpeg(source, destination, 0.0, 600, 420); });
        QVERIFY2(error.startsWith(QStringLiteral("Cannot create file")), qPrintable(error));
        QVERIFY(!QFile::exists(destination));
    }
};

QTEST_APPLESS_MAIN(TestArtwork)
#include "tst_artwork.moc"
