// Pictures too large to be safe: refused from their header, before any pixel
// memory is reserved, by the decoder of the list and the poster and by the
// import, whatever the format.
#include "gamelist/artworkimport.h"
#include "gamelist/artworksource.h"
#include "gamelist/jpeg.h"
#include "gamelist/picturelimit.h"
#include "jpegfixture.h"
#include "support/errortext.h"
#include "support/testfolder.h"

#include <QBuffer>
#include <QImage>
#include <QTest>
#include <sys/resource.h>

namespace {

long peakResidentKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A JPEG header of a few hundred bytes that declares width x height: the
// quantisation and Huffman tables of a real 8 x 8 picture with its frame's
// size changed, and the data cut after the start of the scan. `progressive`
// marks the frame as progressive, for which libjpeg would reserve its
// coefficient buffers for the whole declared size.
QByteArray declaredHeader(int width, int height, bool progressive) {
    QImage tiny(8, 8, QImage::Format_RGB888);
    tiny.fill(Qt::gray);
    QByteArray jpeg = jpegfixture::encode(tiny, jpegfixture::Form::Colour420);
    const qsizetype sof = jpeg.indexOf("\xFF\xC0");
    jpeg[sof + 1] = progressive ? char(0xC2) : char(0xC0);
    jpeg[sof + 5] = char(height >> 8);
    jpeg[sof + 6] = char(height & 0xFF);
    jpeg[sof + 7] = char(width >> 8);
    jpeg[sof + 8] = char(width & 0xFF);
    const qsizetype sos = jpeg.indexOf("\xFF\xDA");
    return jpeg.left(sos + 20);
}

quint32 crc32(const QByteArray& bytes) {
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray bigEndian32(quint32 v) {
    QByteArray out;
    for (int i = 3; i >= 0; --i)
        out.append(char((v >> (8 * i)) & 0xFF));
    return out;
}

// A PNG whose header declares width x height with the given bit depth (RGBA),
// followed by an empty data chunk: enough for a reader to tell its size.
QByteArray declaredPng(quint32 width, quint32 height, int bitDepth) {
    QByteArray png("\x89PNG\r\n\x1A\n", 8);
    const QByteArray ihdr =
        "IHDR" + bigEndian32(width) + bigEndian32(height) + char(bitDepth) + char(6) + QByteArray(3, '\0');
    png += bigEndian32(13) + ihdr + bigEndian32(crc32(ihdr));
    const QByteArray idat("IDAT");
    png += bigEndian32(0) + idat + bigEndian32(crc32(idat));
    return png;
}

// A WebP whose extended header (VP8X) declares a canvas of width x height.
QByteArray declaredWebp(quint32 width, quint32 height) {
    QByteArray vp8x("VP8X\x0A\0\0\0", 8);
    vp8x += QByteArray(4, '\0');
    for (const quint32 side : {width - 1, height - 1})
        vp8x.append(char(side & 0xFF)).append(char((side >> 8) & 0xFF)).append(char((side >> 16) & 0xFF));
    QByteArray webp("RIFF", 4);
    const quint32 size = quint32(4 + vp8x.size());
    webp.append(char(size & 0xFF))
        .append(char((size >> 8) & 0xFF))
        .append(char((size >> 16) & 0xFF))
        .append('\0');
    return webp + "WEBP" + vp8x;
}

} // namespace

class TestPictureLimit : public QObject {
    Q_OBJECT
private slots:
    // First in this program, while its peak is still small: a refused picture
    // must not have raised the peak resident memory (getrusage) noticeably.
    // The valid 10001 x 10000 picture is what a decoder without the limit
    // decodes in full (about 300 MB).
    void refusedFromTheHeader_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("declared");
        QTest::newRow("progressive header, 30000 x 30000")
            << declaredHeader(30000, 30000, true) << QStringLiteral("30000 x 30000");
        QTest::newRow("baseline header, 65500 x 65500")
            << declaredHeader(65500, 65500, false) << QStringLiteral("65500 x 65500");
        QTest::newRow("valid JPEG, 10001 x 10000")
            << jpegfixture::flat(10001, 10000) << QStringLiteral("10001 x 10000");
        QTest::newRow("PNG header, 30000 x 30000")
            << declaredPng(30000, 30000, 8) << QStringLiteral("30000 x 30000");
        // 56 megapixels, but 8 bytes a pixel: 427 MB decoded.
        QTest::newRow("16-bit PNG header, 8000 x 7000")
            << declaredPng(8000, 7000, 16) << QStringLiteral("8000 x 7000");
        QTest::newRow("WebP header, 16384 x 16384")
            << declaredWebp(16384, 16384) << QStringLiteral("16384 x 16384");
    }
    void refusedFromTheHeader() {
        QFETCH(QByteArray, file);
        QFETCH(QString, declared);
        TestFolder folder;
        const QString path = folder.file(QStringLiteral("huge.pic"));
        testsupport::writeAll(path, file);
        const QString poster = folder.file(QStringLiteral("Images/big_Huge.jpg"));
        const long before = peakResidentKb();

        // The import: nothing is written.
        const QString importError = errorOf([&] {
            ArtworkSource source(path, {{600, 420}, {150, 100}});
            SaveScaledJpeg(source, poster, 0.0, 600, 420);
        });
        QVERIFY2(importError.startsWith(QStringLiteral("Cannot decode the picture ") + path),
                 qPrintable(importError));
        QVERIFY2(importError.contains(declared), qPrintable(importError));
        QVERIFY(!QFile::exists(poster));

        // The list's and the poster view's decoder, for the JPEG files.
        if (file.startsWith("\xFF\xD8")) {
            const QString error = errorOf([&] { jpeg::decodeFile(path); });
            QVERIFY2(error.startsWith(QStringLiteral("Cannot decode the picture ") + path),
                     qPrintable(error));
            QVERIFY2(error.contains(declared), qPrintable(error));
        }
        const long grownKb = peakResidentKb() - before;
        QVERIFY2(grownKb < 48 * 1024, qPrintable(QStringLiteral("peak grew by %1 MB").arg(grownKb / 1024)));
    }

    // The limits themselves: 100 megapixels, and 400 MB of decoded rows (each
    // padded to 4 bytes).
    void limits_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("bytesPerPixel");
        QTest::addColumn<bool>("refused");
        QTest::newRow("100 megapixels") << 10000 << 10000 << 3 << false;
        QTest::newRow("one row more") << 10000 << 10001 << 3 << true;
        QTest::newRow("one strip of 100 megapixels") << 100'000'000 << 1 << 3 << false;
        QTest::newRow("400 MB exactly") << 6400 << 8192 << 8 << false;
        QTest::newRow("just over 400 MB") << 6400 << 8193 << 8 << true;
        QTest::newRow("row padding counts") << 1 << 104857600 << 3 << true; // 4 bytes a row
        QTest::newRow("RGBA64, 7000 x 7000") << 7000 << 7000 << 8 << false;
        QTest::newRow("RGBA64, 7300 x 7300") << 7300 << 7300 << 8 << true;
        QTest::newRow("65535 x 65535") << 65535 << 65535 << 3 << true;
    }
    void limits() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, bytesPerPixel);
        QFETCH(bool, refused);
        const QString error =
            errorOf([&] { picturelimit::check(QStringLiteral("p.jpg"), width, height, bytesPerPixel); });
        QCOMPARE(!error.isEmpty(), refused);
        if (refused)
            QCOMPARE(error.left(42), QStringLiteral("Cannot decode the picture p.jpg: it declar"));
    }
};

QTEST_MAIN(TestPictureLimit)
#include "tst_picturelimit.moc"
