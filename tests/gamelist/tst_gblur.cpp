// The Gaussian blur: kernel cut-off, clamping, and the blur itself against a
// plain two-dimensional reference written straight from the algorithm.
#include "core/korvelloerror.h"
#include "gamelist/gblur.h"

#include <QImage>
#include <QRandomGenerator>
#include <QTest>
#include <cmath>
#include <limits>
#include <vector>

namespace {

// The blur without any of the production code's shortcuts: every tap of both
// passes indexes the picture directly and clamps at the edges.
QImage referenceBlur(const QImage& in, const GaussKernel& kernel) {
    const int w = in.width(), h = in.height(), s = kernel.Size;
    QImage horizontal = in.copy();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c) {
                double acc = 0.0;
                for (int k = -s; k <= s; ++k)
                    acc = acc +
                          in.constScanLine(y)[3 * ClampIndex(x - k, w - 1) + c] * double(kernel.weight(k));
                horizontal.scanLine(y)[3 * x + c] = ClampChannel(acc);
            }
    QImage out = horizontal.copy();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c) {
                double acc = 0.0;
                for (int k = -s; k <= s; ++k)
                    acc = acc + horizontal.constScanLine(ClampIndex(y - k, h - 1))[3 * x + c] *
                                    double(kernel.weight(k));
                out.scanLine(y)[3 * x + c] = ClampChannel(acc);
            }
    return out;
}

QImage noise(int w, int h, quint32 seed) {
    QImage img(w, h, QImage::Format_RGB888);
    QRandomGenerator rng(seed);
    for (int y = 0; y < h; ++y)
        for (int i = 0; i < 3 * w; ++i)
            img.scanLine(y)[i] = static_cast<uchar>(rng.bounded(256));
    return img;
}

} // namespace

class TestGBlur : public QObject {
    Q_OBJECT
private slots:
    void halfWidth_data() {
        QTest::addColumn<double>("radius");
        QTest::addColumn<int>("size");
        for (int tenth = 1; tenth <= 8; ++tenth)
            QTest::addRow("%.1f", tenth / 10.0) << tenth / 10.0 << 1;
        QTest::newRow("0.9") << 0.9 << 2;
        QTest::newRow("1.0") << 1.0 << 2;
        QTest::newRow("1.5") << 1.5 << 4;
        QTest::newRow("2.0") << 2.0 << 5;
        QTest::newRow("2.5") << 2.5 << 7;
        QTest::newRow("3.0") << 3.0 << 8;
    }
    void halfWidth() {
        QFETCH(double, radius);
        QFETCH(int, size);
        const GaussKernel kernel = BuildGaussKernel(radius);
        QCOMPARE(int(kernel.Size), size);
        // Symmetric, peaked in the middle, and normalised over the taps kept.
        double sum = 0.0;
        for (int k = -size; k <= size; ++k) {
            QCOMPARE(kernel.weight(k), kernel.weight(-k));
            QVERIFY(kernel.weight(k) > 0.0f);
            QVERIFY(kernel.weight(k) <= kernel.weight(0));
            sum += kernel.weight(k);
        }
        QVERIFY(std::abs(sum - 1.0) < 1e-6);
    }

    void noRadiusIsIdentity_data() {
        QTest::addColumn<double>("radius");
        QTest::newRow("0") << 0.0;
        QTest::newRow("negative") << -1.0;
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN();
    }
    void noRadiusIsIdentity() {
        QFETCH(double, radius);
        const GaussKernel kernel = BuildGaussKernel(radius);
        QCOMPARE(int(kernel.Size), 1);
        QCOMPARE(kernel.weight(0), 1.0f);
        QCOMPARE(kernel.weight(-1), 0.0f);
        QCOMPARE(kernel.weight(1), 0.0f);
        const QImage before = noise(13, 7, 5);
        QImage after = before.copy();
        GBlur(after, radius);
        QCOMPARE(after, before);
    }

    void clampIndex_data() {
        QTest::addColumn<int>("i");
        QTest::addColumn<int>("last");
        QTest::addColumn<int>("expected");
        QTest::newRow("inside") << 3 << 9 << 3;
        QTest::newRow("first") << 0 << 9 << 0;
        QTest::newRow("last") << 9 << 9 << 9;
        QTest::newRow("past the end") << 12 << 9 << 9;
        QTest::newRow("before the start") << -4 << 9 << 0;
        QTest::newRow("single pixel, left") << -8 << 0 << 0;
        QTest::newRow("single pixel, right") << 8 << 0 << 0;
    }
    void clampIndex() {
        QFETCH(int, i);
        QFETCH(int, last);
        QFETCH(int, expected);
        QCOMPARE(ClampIndex(i, last), expected);
    }

    void clampChannel_data() {
        QTest::addColumn<double>("x");
        QTest::addColumn<int>("expected");
        QTest::newRow("exactly 255") << 255.0 << 255;
        QTest::newRow("just below 255") << std::nextafter(255.0, 0.0) << 254;
        QTest::newRow("above 255") << 300.7 << 255;
        QTest::newRow("truncated") << 12.99 << 12;
        QTest::newRow("zero") << 0.0 << 0;
        QTest::newRow("tiny") << 1e-300 << 0;
        QTest::newRow("negative") << -0.5 << 0;
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << 0;
    }
    void clampChannel() {
        QFETCH(double, x);
        QFETCH(int, expected);
        QCOMPARE(int(ClampChannel(x)), expected);
    }

    // The centre weight at radius 0.1 is 1: white sums to exactly 255 and stays white.
    void whiteStaysWhiteAtSmallRadius() {
        QImage white(9, 6, QImage::Format_RGB888);
        white.fill(Qt::white);
        GBlur(white, 0.1);
        for (int y = 0; y < white.height(); ++y)
            for (int i = 0; i < 3 * white.width(); ++i)
                QCOMPARE(int(white.constScanLine(y)[i]), 255);
    }

    // Radius 1.0 spreads a single bright pixel over five taps, no further.
    void fiveTapsAtRadiusOne() {
        QImage line(11, 1, QImage::Format_RGB888);
        line.fill(Qt::black);
        uchar* p = line.scanLine(0) + 3 * 5;
        p[0] = p[1] = p[2] = 255;
        GBlur(line, 1.0);
        for (int x = 0; x < 11; ++x) {
            const int value = line.constScanLine(0)[3 * x];
            QVERIFY2((value > 0) == (x >= 3 && x <= 7), qPrintable(QString::number(x)));
        }
        QCOMPARE(line.constScanLine(0)[3 * 4], line.constScanLine(0)[3 * 6]);
        QVERIFY(line.constScanLine(0)[3 * 5] > line.constScanLine(0)[3 * 4]);
    }

    // Every shape, also lines shorter than the kernel and single pixels, against
    // the reference. The rows carry padding with its own values: a tap that read
    // outside its line would change the result, a write there shows in the padding.
    void matchesReference_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<double>("radius");
        QTest::newRow("thumbnail 100x75 r1.5") << 100 << 75 << 1.5;
        QTest::newRow("112x150 r3") << 112 << 150 << 3.0;
        QTest::newRow("one pixel wide r3") << 1 << 40 << 3.0;
        QTest::newRow("one pixel high r3") << 40 << 1 << 3.0;
        QTest::newRow("one pixel r2") << 1 << 1 << 2.0;
        QTest::newRow("shorter than the kernel") << 5 << 3 << 3.0;
        QTest::newRow("twice the kernel") << 17 << 16 << 3.0;
        QTest::newRow("r0.7") << 23 << 19 << 0.7;
        QTest::newRow("wide radius") << 30 << 20 << 40.0;
    }
    void matchesReference() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(double, radius);
        const int stride = 3 * width + 16;
        std::vector<uchar> buffer(static_cast<std::size_t>(stride * height));
        for (std::size_t i = 0; i < buffer.size(); ++i)
            buffer[i] = static_cast<uchar>(i * 37 + 11);
        QImage bitmap(buffer.data(), width, height, stride, QImage::Format_RGB888);
        const std::vector<uchar> original = buffer;
        const QImage expected = referenceBlur(bitmap.copy(), BuildGaussKernel(radius));

        GBlur(bitmap, radius);
        QCOMPARE(bitmap.constBits(), static_cast<const uchar*>(buffer.data())); // blurred in place
        QCOMPARE(bitmap.copy(), expected);
        for (int y = 0; y < height; ++y)
            for (int i = 3 * width; i < stride; ++i)
                QCOMPARE(buffer[static_cast<std::size_t>(y * stride + i)],
                         original[static_cast<std::size_t>(y * stride + i)]);
    }

    void blurLineReadsTheLineAsItWas() {
        // In-place blurring must not feed blurred values into later taps.
        std::vector<quint8> line = {0, 0, 0, 255, 255, 255, 0, 0, 0, 0, 0, 0};
        std::vector<quint8> scratch(line.size());
        const GaussKernel kernel = BuildGaussKernel(1.0);
        BlurLine(line, kernel, scratch);
        // Pixel 0 and pixel 2 are both one step from the bright pixel, so equal.
        QCOMPARE(line[0], line[6]);
        QVERIFY(line[0] > 0);
    }

    void refusesOtherFormats_data() {
        QTest::addColumn<int>("format");
        QTest::newRow("32-bit") << int(QImage::Format_RGB32);
        QTest::newRow("alpha") << int(QImage::Format_ARGB32);
        QTest::newRow("grey") << int(QImage::Format_Grayscale8);
        QTest::newRow("BGR") << int(QImage::Format_BGR888);
    }
    void refusesOtherFormats() {
        QFETCH(int, format);
        QImage bitmap(4, 4, static_cast<QImage::Format>(format));
        bitmap.fill(Qt::gray);
        const QImage before = bitmap.copy();
        try {
            GBlur(bitmap, 1.0);
            QFAIL("no error");
        } catch (const KorvelloError& e) {
            QCOMPARE(e.text(), QStringLiteral("GBlur only works for 24-bit bitmaps"));
        }
        QCOMPARE(bitmap, before);
    }
};

QTEST_APPLESS_MAIN(TestGBlur)
#include "tst_gblur.moc"
