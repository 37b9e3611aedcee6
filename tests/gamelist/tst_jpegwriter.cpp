// The JPEG encoder: what it writes (baseline colour JFIF at the asked quality),
// that the pictures come back through the decoder, and its errors.
#include "core/korvelloerror.h"
#include "gamelist/jpeg.h"
#include "gamelist/jpegwriter.h"
#include "support/errortext.h"
#include "support/testfolder.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTest>

namespace {

struct Segment {
    quint8 marker;
    QByteArray body; // without the length field
};

// Marker segments from SOI up to and including SOS.
QList<Segment> segments(const QByteArray& jpeg) {
    QList<Segment> result;
    if (jpeg.size() < 4 || quint8(jpeg[0]) != 0xFF || quint8(jpeg[1]) != 0xD8)
        return result;
    int at = 2;
    while (at + 4 <= jpeg.size() && quint8(jpeg[at]) == 0xFF) {
        const quint8 marker = quint8(jpeg[at + 1]);
        const int length = (quint8(jpeg[at + 2]) << 8) | quint8(jpeg[at + 3]);
        result.append({marker, jpeg.mid(at + 4, length - 2)});
        if (marker == 0xDA)
            break;
        at += 2 + length;
    }
    return result;
}

QImage gradient(int w, int h) {
    QImage img(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uchar* p = img.scanLine(y) + 3 * x;
            p[0] = uchar(255 * x / std::max(1, w - 1));
            p[1] = uchar(255 * y / std::max(1, h - 1));
            p[2] = uchar(255 * (x + y) / std::max(1, w + h - 2));
        }
    return img;
}

int maxDifference(const QImage& a, const QImage& b) {
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int i = 0; i < 3 * a.width(); ++i)
            worst = std::max(worst, std::abs(int(a.constScanLine(y)[i]) - int(b.constScanLine(y)[i])));
    return worst;
}

} // namespace

class TestJpegWriter : public QObject {
    Q_OBJECT
private slots:
    void baselineColourJfif_data() {
        QTest::addColumn<int>("quality");
        QTest::addColumn<int>("firstLuminanceStep"); // 16 scaled by the quality
        QTest::newRow("90") << 90 << 3;
        QTest::newRow("50") << 50 << 16;
    }
    void baselineColourJfif() {
        QFETCH(int, quality);
        QFETCH(int, firstLuminanceStep);
        TestFolder folder;
        const QString path = folder.file(QStringLiteral("Images/out.jpg"));
        jpeg::writeFile(gradient(37, 21), path, quality);
        const QList<Segment> parts = segments(testsupport::readAll(path));
        QVERIFY(!parts.isEmpty());
        QCOMPARE(parts.first().marker, quint8(0xE0)); // APP0
        QVERIFY(parts.first().body.startsWith(QByteArray("JFIF\0", 5)));
        bool baseline = false;
        for (const Segment& s : parts) {
            QVERIFY2(s.marker != 0xC2 && s.marker != 0xC1, "not baseline");
            if (s.marker == 0xC0) {
                baseline = true;
                QCOMPARE(int(quint8(s.body[0])), 8);                        // precision
                QCOMPARE((quint8(s.body[1]) << 8) | quint8(s.body[2]), 21); // height
                QCOMPARE((quint8(s.body[3]) << 8) | quint8(s.body[4]), 37); // width
                QCOMPARE(int(quint8(s.body[5])), 3);                        // colour
            }
            if (s.marker == 0xDB && quint8(s.body[0]) == 0) // luminance table, 8-bit
                QCOMPARE(int(quint8(s.body[1])), firstLuminanceStep);
        }
        QVERIFY(baseline);
    }

    void picturesComeBack_data() {
        QTest::addColumn<QSize>("size");
        QTest::newRow("thumbnail") << QSize(100, 75);
        QTest::newRow("odd poster") << QSize(421, 313);
        QTest::newRow("one pixel") << QSize(1, 1);
        QTest::newRow("one pixel wide") << QSize(1, 150);
        QTest::newRow("one pixel high") << QSize(420, 1);
    }
    void picturesComeBack() {
        QFETCH(QSize, size);
        TestFolder folder;
        const QString path = folder.file(QStringLiteral("Images/out.jpg"));
        const QImage picture = gradient(size.width(), size.height());
        jpeg::writeFile(picture, path);
        const QImage back = jpeg::decodeFile(path);
        QCOMPARE(back.size(), size);
        QVERIFY2(maxDifference(picture, back) <= 8,
                 qPrintable(QString::number(maxDifference(picture, back))));
    }

    void replacesAnExistingFile() {
        TestFolder folder;
        const QString path = folder.file(QStringLiteral("Images/out.jpg"));
        testsupport::writeAll(path, QByteArray(200000, 'x'));
        jpeg::writeFile(gradient(20, 10), path);
        QVERIFY(QFileInfo(path).size() < 200000);
        QCOMPARE(jpeg::decodeFile(path).size(), QSize(20, 10));
        QCOMPARE(QDir(folder.file(QStringLiteral("Images"))).entryList(QDir::Files).size(),
                 3); // no leftovers
    }

    void missingFolder() {
        TestFolder folder(false);
        const QString path = folder.file(QStringLiteral("Images/out.jpg"));
        const QString error = errorOf([&] { jpeg::writeFile(gradient(8, 8), path); });
        QVERIFY2(error.startsWith(QStringLiteral("Cannot create file \"%1\"").arg(path)), qPrintable(error));
        QVERIFY(!QFile::exists(path));
    }

    // Checked by permission bits: the tests, like the program, may run as root.
    void readOnlyFileOrFolder() {
        TestFolder folder;
        const QString path = folder.file(QStringLiteral("Images/thumb_game.jpg"));
        jpeg::writeFile(gradient(30, 20), path);
        const QByteArray before = testsupport::readAll(path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        QVERIFY(errorOf([&] {
                    jpeg::writeFile(gradient(8, 8), path);
                }).startsWith(QStringLiteral("Cannot create file")));
        QCOMPARE(testsupport::readAll(path), before);

        const QString images = folder.file(QStringLiteral("Images"));
        QFile::setPermissions(images,
                              QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
        const QString fresh = folder.file(QStringLiteral("Images/new.jpg"));
        QVERIFY(errorOf([&] {
                    jpeg::writeFile(gradient(8, 8), fresh);
                }).startsWith(QStringLiteral("Cannot create file")));
        QVERIFY(!QFile::exists(fresh));
        QFile::setPermissions(images, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void refusesWhatItCannotEncode() {
        TestFolder folder;
        const QString path = folder.file(QStringLiteral("Images/out.jpg"));
        QImage rgb32(8, 8, QImage::Format_RGB32);
        rgb32.fill(Qt::red);
        QVERIFY(!errorOf([&] { jpeg::writeFile(rgb32, path); }).isEmpty());
        QVERIFY(!errorOf([&] { jpeg::writeFile(QImage(), path); }).isEmpty());
        // Beyond libjpeg's limit: its own error comes back instead of ending the program.
        QImage tooWide(65501, 1, QImage::Format_RGB888);
        tooWide.fill(Qt::white);
        const QString error = errorOf([&] { jpeg::writeFile(tooWide, path); });
        QVERIFY2(error.contains(QStringLiteral("65500")), qPrintable(error));
        QVERIFY(!QFile::exists(path));
    }
};

QTEST_APPLESS_MAIN(TestJpegWriter)
#include "tst_jpegwriter.moc"
