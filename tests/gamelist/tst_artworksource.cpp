// The import's one pass over the chosen picture (ArtworkSource): files
// identical to those of decoding the whole picture first, the EXIF orientation
// applied before sizing, and PNG and WebP sources.
#include "gamelist/artwork.h"
#include "gamelist/artworkimport.h"
#include "gamelist/artworksource.h"
#include "gamelist/gblur.h"
#include "gamelist/jpeg.h"
#include "gamelist/jpegwriter.h"
#include "jpegfixture.h"
#include "support/errortext.h"
#include "support/testfolder.h"

#include <QImage>
#include <QImageWriter>
#include <QTest>

using jpegfixture::Form;

namespace {

constexpr ArtworkSource::Target kPoster{artwork::kPosterTall, artwork::kPosterWide};
constexpr ArtworkSource::Target kThumb{artwork::kThumbTall, artwork::kThumbWide};

// Every row and column differs from its neighbours, so a row or column taken
// from the wrong place shows in the files.
QImage busyPicture(QSize size) {
    QImage img(size, QImage::Format_RGB888);
    for (int y = 0; y < size.height(); ++y) {
        uchar* p = img.scanLine(y);
        for (int x = 0; x < size.width(); ++x, p += 3) {
            p[0] = uchar(x * 7 + y * 3);
            p[1] = uchar(y * 11 + (x >> 3));
            p[2] = uchar((x ^ y) * 5);
        }
    }
    return img;
}

// The import as it was made before the one pass: decode the whole picture,
// stretch, blur, encode. The files of the one pass must equal these byte for byte.
void previousImport(const QString& source, const QString& destination, double radius, int tall, int wide) {
    const QImage whole = jpeg::decodeFile(source);
    QImage bitmap = artwork::StretchNearest(whole, artwork::ScaledSize(whole.size(), tall, wide));
    if (radius > 0)
        GBlur(bitmap, radius);
    jpeg::writeFile(bitmap, destination, 90);
}

QRgb pixelAt(const QImage& img, int x, int y) {
    const uchar* p = img.constScanLine(y) + 3 * x;
    return qRgb(p[0], p[1], p[2]);
}

bool near(QRgb a, QRgb b, int tolerance) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// A picture of 2 x 2 flat blocks, given as the four colours left to right, top to bottom.
QImage blocks(QSize size, const QList<QRgb>& colours) {
    QImage img(size, QImage::Format_RGB888);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            const QRgb c = colours[(y * 2 / size.height()) * 2 + x * 2 / size.width()];
            uchar* p = img.scanLine(y) + 3 * x;
            p[0] = uchar(qRed(c));
            p[1] = uchar(qGreen(c));
            p[2] = uchar(qBlue(c));
        }
    return img;
}

const QRgb R = qRgb(255, 0, 0), G = qRgb(0, 255, 0), B = qRgb(0, 0, 255), W = qRgb(255, 255, 255);

} // namespace

class TestArtworkSource : public QObject {
    Q_OBJECT
private slots:
    // Poster and blurred thumbnail from one pass, against the previous import,
    // over the sizes that matter: shrinking and enlarging, odd sides, 1-pixel
    // sides, and every stored form of a JPEG.
    void sameFilesAsDecodingWhole_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("form");
        const QList<QSize> sizes{{300, 400},  {800, 600}, {500, 500}, {70, 105},  {1, 2000},   {2000, 1},
                                 {1, 1},      {1, 3},     {3, 1},     {17, 9},    {9, 17},     {333, 517},
                                 {1021, 767}, {421, 316}, {419, 601}, {101, 149}, {4000, 3000}};
        for (const QSize& s : sizes)
            QTest::addRow("%dx%d", s.width(), s.height()) << s << int(Form::Colour420);
        const QList<QPair<const char*, Form>> forms{{"4:2:2", Form::Colour422},
                                                    {"4:4:4", Form::Colour444},
                                                    {"grayscale", Form::Grayscale},
                                                    {"progressive", Form::Progressive},
                                                    {"CMYK", Form::Cmyk}};
        for (const auto& [name, form] : forms) {
            QTest::addRow("%s 1021x767", name) << QSize(1021, 767) << int(form);
            QTest::addRow("%s 333x517", name) << QSize(333, 517) << int(form);
            QTest::addRow("%s 7x601", name) << QSize(7, 601) << int(form);
        }
    }
    void sameFilesAsDecodingWhole() {
        QFETCH(QSize, size);
        QFETCH(int, form);
        TestFolder folder;
        const QString source = folder.file(QStringLiteral("chosen.jpg"));
        testsupport::writeAll(source, jpegfixture::encode(busyPicture(size), Form(form)));

        ArtworkSource picture(source, {kPoster, kThumb});
        SaveScaledJpeg(picture, folder.file(QStringLiteral("Images/big_new.jpg")), 0.0, kPoster.tall,
                       kPoster.wide);
        SaveScaledJpeg(picture, folder.file(QStringLiteral("Images/thumb_new.jpg")), 1.5, kThumb.tall,
                       kThumb.wide);
        previousImport(source, folder.file(QStringLiteral("Images/big_old.jpg")), 0.0, kPoster.tall,
                       kPoster.wide);
        previousImport(source, folder.file(QStringLiteral("Images/thumb_old.jpg")), 1.5, kThumb.tall,
                       kThumb.wide);
        QCOMPARE(testsupport::readAll(folder.file(QStringLiteral("Images/big_new.jpg"))),
                 testsupport::readAll(folder.file(QStringLiteral("Images/big_old.jpg"))));
        QCOMPARE(testsupport::readAll(folder.file(QStringLiteral("Images/thumb_new.jpg"))),
                 testsupport::readAll(folder.file(QStringLiteral("Images/thumb_old.jpg"))));
    }

    // The upright picture is 128 x 64 with red, green / blue, white blocks. A
    // camera stores it turned or mirrored and says so in the orientation tag;
    // `stored` is the stored picture's blocks. The poster must come out
    // upright and wide (420 x 210) whatever the tag.
    void orientationIsApplied_data() {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<bool>("bigEndian");
        QTest::addColumn<QSize>("storedSize");
        QTest::addColumn<QList<QRgb>>("stored");
        const QSize wide(128, 64), tall(64, 128);
        QTest::newRow("1 upright") << 1 << false << wide << QList<QRgb>{R, G, B, W};
        QTest::newRow("2 mirrored") << 2 << false << wide << QList<QRgb>{G, R, W, B};
        QTest::newRow("3 turned 180") << 3 << true << wide << QList<QRgb>{W, B, G, R};
        QTest::newRow("4 flipped") << 4 << false << wide << QList<QRgb>{B, W, R, G};
        QTest::newRow("5 transposed") << 5 << false << tall << QList<QRgb>{R, B, G, W};
        QTest::newRow("6 turn clockwise") << 6 << true << tall << QList<QRgb>{G, W, R, B};
        QTest::newRow("7 transversed") << 7 << false << tall << QList<QRgb>{W, G, B, R};
        QTest::newRow("8 turn counter-clockwise") << 8 << false << tall << QList<QRgb>{B, R, W, G};
    }
    void orientationIsApplied() {
        QFETCH(int, orientation);
        QFETCH(bool, bigEndian);
        QFETCH(QSize, storedSize);
        QFETCH(QList<QRgb>, stored);
        TestFolder folder;
        const QString source = folder.file(QStringLiteral("photo.jpg"));
        testsupport::writeAll(
            source, jpegfixture::withApp1(jpegfixture::encode(blocks(storedSize, stored), Form::Colour420),
                                          jpegfixture::orientationExif(orientation, bigEndian)));
        ArtworkSource picture(source, {kPoster, kThumb});
        for (const auto& [target, size] :
             {qMakePair(kPoster, QSize(420, 210)), qMakePair(kThumb, QSize(100, 50))}) {
            const QImage made = picture.stretched(target);
            QCOMPARE(made.size(), size);
            const QList<QRgb> upright{R, G, B, W};
            for (int i = 0; i < 4; ++i) {
                const int x = size.width() / 4 + (i % 2) * size.width() / 2;
                const int y = size.height() / 4 + (i / 2) * size.height() / 2;
                QVERIFY2(near(pixelAt(made, x, y), upright[i], 40),
                         qPrintable(QStringLiteral("block %1 at %2,%3 is #%4")
                                        .arg(i)
                                        .arg(x)
                                        .arg(y)
                                        .arg(pixelAt(made, x, y), 6, 16, QLatin1Char('0'))));
            }
        }
    }

    // A tag that cannot be used leaves the picture as stored: the files are
    // byte for byte those of the same picture without any EXIF block.
    void unusableExifImportsAsStored_data() {
        QTest::addColumn<QByteArray>("block");
        const QByteArray good = jpegfixture::orientationExif(6);
        QTest::newRow("garbage after the header") << QByteArray("Exif\0\0\x13\x37garbage", 15);
        QTest::newRow("cut in the entry") << good.left(24);
        QTest::newRow("offset past the end")
            << good.left(10) + QByteArray("\xF0\xFF\x00\x00", 4) + good.mid(14);
        QTest::newRow("value 0") << jpegfixture::orientationExif(0);
        QTest::newRow("value 9") << jpegfixture::orientationExif(9);
        QTest::newRow("not EXIF (XMP)") << QByteArray("http://ns.adobe.com/xap/1.0/\0<x:xmpmeta/>", 42);
    }
    void unusableExifImportsAsStored() {
        QFETCH(QByteArray, block);
        TestFolder folder;
        const QByteArray plain = jpegfixture::encode(busyPicture({300, 200}), Form::Colour420);
        testsupport::writeAll(folder.file(QStringLiteral("plain.jpg")), plain);
        testsupport::writeAll(folder.file(QStringLiteral("tagged.jpg")), jpegfixture::withApp1(plain, block));
        for (const QString& name : {QStringLiteral("plain"), QStringLiteral("tagged")}) {
            ArtworkSource picture(folder.file(name + QStringLiteral(".jpg")), {kPoster, kThumb});
            SaveScaledJpeg(picture, folder.file(QStringLiteral("Images/big_%1.jpg").arg(name)), 0.0, 600,
                           420);
            SaveScaledJpeg(picture, folder.file(QStringLiteral("Images/thumb_%1.jpg").arg(name)), 1.0, 150,
                           100);
        }
        QCOMPARE(testsupport::readAll(folder.file(QStringLiteral("Images/big_tagged.jpg"))),
                 testsupport::readAll(folder.file(QStringLiteral("Images/big_plain.jpg"))));
        QCOMPARE(testsupport::readAll(folder.file(QStringLiteral("Images/thumb_tagged.jpg"))),
                 testsupport::readAll(folder.file(QStringLiteral("Images/thumb_plain.jpg"))));
    }

    // PNG and WebP come in through Qt's readers, whatever the file's name says;
    // alpha is composed onto black. The 100 x 60 picture keeps its size as
    // a thumbnail, so every pixel can be checked.
    void otherFormats_data() {
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("alpha");
        QTest::newRow("PNG") << QByteArray("png") << QStringLiteral("cover.png") << false;
        QTest::newRow("PNG with alpha") << QByteArray("png") << QStringLiteral("cover.png") << true;
        QTest::newRow("PNG, upper-case name") << QByteArray("png") << QStringLiteral("COVER.PNG") << true;
        QTest::newRow("PNG named .jpg") << QByteArray("png") << QStringLiteral("cover.jpg") << false;
        QTest::newRow("WebP, lossless") << QByteArray("webp") << QStringLiteral("cover.webp") << false;
        QTest::newRow("WebP with alpha") << QByteArray("webp") << QStringLiteral("Cover.WebP") << true;
    }
    void otherFormats() {
        QFETCH(QByteArray, format);
        QFETCH(QString, name);
        QFETCH(bool, alpha);
        TestFolder folder;
        QImage picture(100, 60, QImage::Format_ARGB32);
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 100; ++x)
                picture.setPixel(x, y, qRgba(x * 2, y * 4, 255 - x, 255));
        // Half-transparent orange: 200 * 128 / 255 = 100.4, 100 * 128 / 255 =
        // 50.2, 50 * 128 / 255 = 25.1; fully transparent white becomes black.
        const QRgb halfOrange = qRgba(200, 100, 50, 128), clearWhite = qRgba(255, 255, 255, 0);
        if (alpha) {
            picture.setPixel(10, 20, halfOrange);
            picture.setPixel(11, 20, clearWhite);
        }
        const QString path = folder.file(name);
        QImageWriter writer(path, format);
        writer.setQuality(100); // lossless WebP
        QVERIFY2(writer.write(alpha ? picture : picture.convertToFormat(QImage::Format_RGB32)),
                 qPrintable(writer.errorString()));

        ArtworkSource source(path, {kThumb});
        const QImage made = source.stretched(kThumb);
        QCOMPARE(made.size(), QSize(100, 60));
        QCOMPARE(made.format(), QImage::Format_RGB888);
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 100; ++x) {
                QRgb expected = qRgb(x * 2, y * 4, 255 - x);
                if (alpha && y == 20 && x == 10)
                    expected = qRgb(100, 50, 25);
                if (alpha && y == 20 && x == 11)
                    expected = qRgb(0, 0, 0);
                QCOMPARE(pixelAt(made, x, y), expected);
            }

        // And the written files are JPEG, as from a JPEG source.
        SaveScaledJpeg(source, folder.file(QStringLiteral("Images/thumb_x.jpg")), 0.0, 150, 100);
        QCOMPARE(jpeg::decodeFile(folder.file(QStringLiteral("Images/thumb_x.jpg"))).size(), QSize(100, 60));
    }

    // A file that no reader knows is refused with the file's name, and nothing is written.
    void unknownFormatWritesNothing() {
        TestFolder folder;
        const QString path = folder.file(QStringLiteral("cover.webp"));
        testsupport::writeAll(path, "RIFF\x10\0\0\0WEBPnonsense that is no picture");
        const QString error = errorOf(
            [&] { SaveScaledJpeg(path, folder.file(QStringLiteral("Images/thumb_x.jpg")), 0.0, 150, 100); });
        QVERIFY2(error.startsWith(QStringLiteral("Cannot decode the picture ") + path), qPrintable(error));
        QVERIFY(!QFile::exists(folder.file(QStringLiteral("Images/thumb_x.jpg"))));
    }
};

QTEST_MAIN(TestArtworkSource)
#include "tst_artworksource.moc"
