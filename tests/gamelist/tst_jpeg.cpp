// JPEG decoding: colour spaces into 24-bit colour, and damaged files as errors.
#include "core/korvelloerror.h"
#include "gamelist/jpeg.h"
#include "support/testfolder.h"

#include <QtTest>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <jpeglib.h>
#include <vector>

namespace {

struct EncodeError {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

extern "C" void onEncodeError(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<EncodeError*>(cinfo->err)->jump, 1);
}

// The fixture's own encoder: any input colour space, any stored colour space,
// with or without Adobe's APP14 marker. Pixels are `components` bytes each.
struct Fixture {
    int width = 0;
    int height = 0;
    J_COLOR_SPACE input = JCS_RGB;
    int components = 3;
    J_COLOR_SPACE stored = JCS_YCbCr;
    bool adobeMarker = false;
    std::vector<unsigned char> pixels;
};

bool encodeInto(const Fixture& f, unsigned char** data, unsigned long* size) {
    jpeg_compress_struct cinfo;
    std::memset(&cinfo, 0, sizeof cinfo);
    EncodeError err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = onEncodeError;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, data, size);
    cinfo.image_width = static_cast<JDIMENSION>(f.width);
    cinfo.image_height = static_cast<JDIMENSION>(f.height);
    cinfo.input_components = f.components;
    cinfo.in_color_space = f.input;
    jpeg_set_defaults(&cinfo);
    jpeg_set_colorspace(&cinfo, f.stored);
    cinfo.write_Adobe_marker = f.adobeMarker ? TRUE : FALSE;
    jpeg_set_quality(&cinfo, 100, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(&f.pixels[cinfo.next_scanline * f.width * f.components]);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

QByteArray encode(const Fixture& f) {
    unsigned char* data = nullptr;
    unsigned long size = 0;
    const bool ok = encodeInto(f, &data, &size);
    QByteArray bytes =
        ok ? QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)) : QByteArray();
    std::free(data);
    return bytes;
}

// A picture whose top 16 rows hold one pixel value and the rest another, so
// each half is a flat area that survives JPEG exactly enough to compare.
Fixture twoBands(int width, int height, J_COLOR_SPACE input, int components, const std::vector<int>& top,
                 const std::vector<int>& bottom) {
    Fixture f;
    f.width = width;
    f.height = height;
    f.input = input;
    f.components = components;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < components; ++c)
                f.pixels.push_back(static_cast<unsigned char>((y < 16 ? top : bottom).at(c)));
    return f;
}

// A noisy picture whose scan data is large compared with its headers.
QByteArray noisyJpeg() {
    Fixture f;
    f.width = f.height = 64;
    for (int i = 0; i < 64 * 64 * 3; ++i)
        f.pixels.push_back(static_cast<unsigned char>((i * 7919) % 251));
    return encode(f);
}

bool near(QRgb actual, QRgb expected, int tolerance = 3) {
    return qAbs(qRed(actual) - qRed(expected)) <= tolerance &&
           qAbs(qGreen(actual) - qGreen(expected)) <= tolerance &&
           qAbs(qBlue(actual) - qBlue(expected)) <= tolerance;
}

QString rgbText(QRgb c) {
    return QStringLiteral("(%1,%2,%3)").arg(qRed(c)).arg(qGreen(c)).arg(qBlue(c));
}

} // namespace

class TestJpeg : public QObject {
    Q_OBJECT
private slots:
    void colourSpacesBecomeRgb_data();
    void colourSpacesBecomeRgb();
    void damagedFilesThrow_data();
    void damagedFilesThrow();
    void missingFileThrows();
};

void TestJpeg::colourSpacesBecomeRgb_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<uint>("top");
    QTest::addColumn<uint>("bottom");

    Fixture colour = twoBands(37, 23, JCS_RGB, 3, {200, 40, 90}, {10, 120, 250});
    QTest::newRow("colour, odd width")
        << encode(colour) << QSize(37, 23) << uint(qRgb(200, 40, 90)) << uint(qRgb(10, 120, 250));

    Fixture gray = twoBands(16, 32, JCS_GRAYSCALE, 1, {77}, {230});
    gray.stored = JCS_GRAYSCALE;
    QTest::newRow("grayscale") << encode(gray) << QSize(16, 32) << uint(qRgb(77, 77, 77))
                               << uint(qRgb(230, 230, 230));

    // Plain ink: C M Y K where 255 is full ink. Red is M+Y; the bottom is half black.
    Fixture plain = twoBands(24, 32, JCS_CMYK, 4, {0, 255, 255, 0}, {0, 0, 0, 128});
    plain.stored = JCS_CMYK;
    plain.adobeMarker = false;
    QTest::newRow("CMYK") << encode(plain) << QSize(24, 32) << uint(qRgb(255, 0, 0))
                          << uint(qRgb(127, 127, 127));

    // Adobe's inverted CMYK: 255 is no ink. Blue is C+M; the bottom is a quarter black with 20% cyan.
    Fixture adobe = twoBands(24, 32, JCS_CMYK, 4, {0, 0, 255, 255}, {204, 255, 255, 191});
    adobe.stored = JCS_CMYK;
    adobe.adobeMarker = true;
    QTest::newRow("Adobe inverted CMYK")
        << encode(adobe) << QSize(24, 32) << uint(qRgb(0, 0, 255)) << uint(qRgb(153, 191, 191));

    Fixture ycck = adobe;
    ycck.stored = JCS_YCCK;
    QTest::newRow("Adobe YCCK") << encode(ycck) << QSize(24, 32) << uint(qRgb(0, 0, 255))
                                << uint(qRgb(153, 191, 191));
}

void TestJpeg::colourSpacesBecomeRgb() {
    QFETCH(QByteArray, file);
    QFETCH(QSize, size);
    QFETCH(uint, top);
    QFETCH(uint, bottom);
    QVERIFY(!file.isEmpty());
    TestFolder folder(false);
    const QString path = folder.file(QStringLiteral("picture.jpg"));
    testsupport::writeAll(path, file);

    const QImage picture = jpeg::decodeFile(path);
    QCOMPARE(picture.format(), QImage::Format_RGB888);
    QCOMPARE(picture.size(), size);
    // Every pixel of each band, also the last column, where a wrong row stride would show.
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            const QRgb expected = y < 16 ? top : bottom;
            // Rows next to the band edge carry JPEG ringing.
            if (y >= 14 && y <= 17)
                continue;
            QVERIFY2(near(picture.pixel(x, y), expected),
                     qPrintable(QStringLiteral("(%1,%2) is %3, not %4")
                                    .arg(x)
                                    .arg(y)
                                    .arg(rgbText(picture.pixel(x, y)), rgbText(expected))));
        }
}

void TestJpeg::damagedFilesThrow_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");
    const QByteArray good = noisyJpeg();
    QVERIFY(good.size() > 2000);
    QTest::newRow("not a JPEG") << QByteArray("<html>a web page saved as .jpg</html>") << "Not a JPEG file";
    QTest::newRow("empty") << QByteArray() << "Empty input file";
    QTest::newRow("headers only") << good.left(400) << "Premature end of JPEG file";
    QTest::newRow("truncated") << good.left(good.size() / 2) << "Premature end of JPEG file";
    QByteArray early = good;
    early.replace(good.size() / 2, 2, QByteArray("\xFF\xD9", 2)); // an end-of-image marker inside the scan
    QTest::newRow("end marker in the scan") << early << "Corrupt JPEG data";
    QByteArray noFrame = good;
    const qsizetype sof = noFrame.indexOf(QByteArray("\xFF\xC0", 2));
    QVERIFY(sof > 0);
    noFrame[sof + 5] = 0; // image height 0
    noFrame[sof + 6] = 0;
    QTest::newRow("zero height") << noFrame << "Empty JPEG image";
}

void TestJpeg::damagedFilesThrow() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    TestFolder folder(false);
    const QString path = folder.file(QStringLiteral("damaged.jpg"));
    testsupport::writeAll(path, bytes);
    try {
        jpeg::decodeFile(path);
        QFAIL("decoded a damaged file");
    } catch (const KorvelloError& e) {
        QVERIFY2(e.text().contains(path), qPrintable(e.text()));
        QVERIFY2(e.text().contains(reason), qPrintable(e.text()));
    }
    // The decoder is whole afterwards.
    QCOMPARE(jpeg::decode(noisyJpeg(), QStringLiteral("memory")).size(), QSize(64, 64));
}

void TestJpeg::missingFileThrows() {
    TestFolder folder(false);
    for (const QString& path : {folder.file(QStringLiteral("absent.jpg")), folder.path()}) {
        try {
            jpeg::decodeFile(path);
            QFAIL(qPrintable(path));
        } catch (const KorvelloError& e) {
            QVERIFY2(e.text().startsWith(QStringLiteral("Cannot open the picture ") + path),
                     qPrintable(e.text()));
        }
    }
}

QTEST_GUILESS_MAIN(TestJpeg)
#include "tst_jpeg.moc"
