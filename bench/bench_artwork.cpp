// Artwork import benchmark: a 4000 x 3000 photo-like JPEG made into a poster
// and a thumbnail at blur 1.5, as the editor's "Poster and Thumbnail" button
// does, against
//   - decoding the same file at full size with libjpeg alone (file read
//     included): the floor that a decode-everything import cannot beat, and
//   - ImageMagick's convert doing the decode, a -sample resize to the same two
//     sizes and two quality 90 encodes in one run.
// The contenders take turns run by run, so a busy moment of the machine hits
// all of them alike. Each line gives min and median wall time and the minor and
// major page faults of the run (getrusage of this process, or of the child for
// convert). The ratios are the last lines.
#include "gamelist/artwork.h"
#include "gamelist/artworkimport.h"
#include "gamelist/artworksource.h"
#include "gamelist/jpeg.h"
#include "gamelist/jpegwriter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <jpeglib.h>
#include <memory>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;
constexpr int kRuns = 9;

// Smooth light and colour gradients, a few soft shapes and sensor-like noise:
// it compresses like a photo, unlike flat colour or pure noise.
QImage photoLike() {
    QImage img(kWidth, kHeight, QImage::Format_RGB888);
    QRandomGenerator rng(20240601);
    std::vector<double> sx(kWidth), cx(kWidth);
    for (int x = 0; x < kWidth; ++x) {
        sx[std::size_t(x)] = std::sin(x / 310.0);
        cx[std::size_t(x)] = std::cos(x / 97.0);
    }
    for (int y = 0; y < kHeight; ++y) {
        const double sy = std::sin(y / 230.0), cy = std::cos(y / 61.0);
        const double sky = 1.0 - double(y) / kHeight;
        uchar* p = img.scanLine(y);
        for (int x = 0; x < kWidth; ++x, p += 3) {
            const double shape = sx[std::size_t(x)] * sy;
            const double detail = 0.5 * cx[std::size_t(x)] * cy;
            const int noise = int(rng.bounded(17)) - 8;
            auto channel = [&](double v) { return uchar(std::clamp(int(v) + noise, 0, 255)); };
            p[0] = channel(90 + 80 * sky + 50 * shape + 12 * detail);
            p[1] = channel(110 + 60 * sky - 40 * shape + 10 * detail);
            p[2] = channel(70 + 140 * sky + 30 * shape - 14 * detail);
        }
    }
    return img;
}

// libjpeg alone: read the file, decode it at full size into 24-bit RGB.
void decodeWithLibjpeg(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read the source");
    const QByteArray data = file.readAll();
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(data.constData()),
                 (unsigned long)data.size());
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    const std::size_t stride = std::size_t(cinfo.output_width) * 3;
    std::unique_ptr<unsigned char[]> pixels(new unsigned char[stride * cinfo.output_height]);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW rows[16];
        JDIMENSION n = 0;
        for (; n < 16 && cinfo.output_scanline + n < cinfo.output_height; ++n)
            rows[n] = pixels.get() + stride * (cinfo.output_scanline + n);
        jpeg_read_scanlines(&cinfo, rows, n);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
}

QString convertProgram() {
    // The real ImageMagick, not a wrapper in front of it.
    if (QFileInfo::exists(QStringLiteral("/usr/bin/convert")))
        return QStringLiteral("/usr/bin/convert");
    return QStandardPaths::findExecutable(QStringLiteral("convert"));
}

struct Usage {
    double ms = 0;
    long minorFaults = 0;
    long majorFaults = 0;
};

struct Contender {
    const char* name;
    int who; // RUSAGE_SELF or RUSAGE_CHILDREN
    std::function<void()> run;
    std::vector<Usage> runs;
};

Usage measure(const Contender& c) {
    rusage before{}, after{};
    getrusage(c.who, &before);
    QElapsedTimer timer;
    timer.start();
    c.run();
    Usage u;
    u.ms = double(timer.nsecsElapsed()) / 1e6;
    getrusage(c.who, &after);
    u.minorFaults = after.ru_minflt - before.ru_minflt;
    u.majorFaults = after.ru_majflt - before.ru_majflt;
    return u;
}

double minOf(const std::vector<Usage>& runs) {
    return std::min_element(runs.begin(), runs.end(), [](auto& a, auto& b) { return a.ms < b.ms; })->ms;
}

double medianOf(std::vector<Usage> runs) {
    std::sort(runs.begin(), runs.end(), [](auto& a, auto& b) { return a.ms < b.ms; });
    return runs[runs.size() / 2].ms;
}

long medianFaults(std::vector<Usage> runs) {
    std::sort(runs.begin(), runs.end(), [](auto& a, auto& b) { return a.minorFaults < b.minorFaults; });
    return runs[runs.size() / 2].minorFaults;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("photo.jpg"));
    jpeg::writeFile(photoLike(), source, 90);
    std::printf("source: %dx%d, %lld bytes, quality 90\n", kWidth, kHeight, QFileInfo(source).size());

    const QString poster = dir.filePath(QStringLiteral("big_photo.jpg"));
    const QString thumb = dir.filePath(QStringLiteral("thumb_photo.jpg"));
    const QSize posterSize =
        artwork::ScaledSize({kWidth, kHeight}, artwork::kPosterTall, artwork::kPosterWide);
    const QSize thumbSize = artwork::ScaledSize({kWidth, kHeight}, artwork::kThumbTall, artwork::kThumbWide);

    const QString convert = convertProgram();
    if (convert.isEmpty()) {
        std::fprintf(stderr, "ImageMagick's convert is not installed\n");
        return 1;
    }
    auto sizeArg = [](QSize s) { return QStringLiteral("%1x%2!").arg(s.width()).arg(s.height()); };
    const QStringList args{source,
                           QStringLiteral("("),
                           QStringLiteral("+clone"),
                           QStringLiteral("-sample"),
                           sizeArg(posterSize),
                           QStringLiteral("-quality"),
                           QStringLiteral("90"),
                           QStringLiteral("-write"),
                           dir.filePath(QStringLiteral("im_big.jpg")),
                           QStringLiteral("+delete"),
                           QStringLiteral(")"),
                           QStringLiteral("-sample"),
                           sizeArg(thumbSize),
                           QStringLiteral("-quality"),
                           QStringLiteral("90"),
                           dir.filePath(QStringLiteral("im_thumb.jpg"))};
    bool convertFailed = false;

    std::vector<Contender> contenders{
        {"Korvello import (poster + thumbnail at blur 1.5)",
         RUSAGE_SELF,
         [&] {
             ArtworkSource picture(source, {{artwork::kPosterTall, artwork::kPosterWide},
                                            {artwork::kThumbTall, artwork::kThumbWide}});
             SaveScaledJpeg(picture, poster, 0.0, artwork::kPosterTall, artwork::kPosterWide);
             SaveScaledJpeg(picture, thumb, 1.5, artwork::kThumbTall, artwork::kThumbWide);
         },
         {}},
        {"libjpeg full-size decode alone", RUSAGE_SELF, [&] { decodeWithLibjpeg(source); }, {}},
        {"ImageMagick convert (decode, -sample to both sizes, quality 90)",
         RUSAGE_CHILDREN,
         [&] {
             QProcess process;
             process.start(convert, args);
             if (!process.waitForFinished(-1) || process.exitCode() != 0)
                 convertFailed = true;
         },
         {}},
    };
    // One warm-up round, not counted: file cache, libraries, allocator.
    for (Contender& c : contenders)
        measure(c);
    for (int run = 0; run < kRuns; ++run)
        for (Contender& c : contenders)
            c.runs.push_back(measure(c));
    if (convertFailed) {
        std::fprintf(stderr, "convert failed\n");
        return 1;
    }
    if (jpeg::decodeFile(poster).size() != posterSize || jpeg::decodeFile(thumb).size() != thumbSize) {
        std::fprintf(stderr, "wrong output sizes\n");
        return 1;
    }

    std::printf("%d alternated runs; poster %dx%d, thumbnail %dx%d\n", kRuns, posterSize.width(),
                posterSize.height(), thumbSize.width(), thumbSize.height());
    for (const Contender& c : contenders)
        std::printf("%-64s min %7.1f ms  median %7.1f ms  minor faults (median) %7ld\n", c.name,
                    minOf(c.runs), medianOf(c.runs), medianFaults(c.runs));
    const Contender& ours = contenders[0];
    const Contender& decode = contenders[1];
    const Contender& magick = contenders[2];
    std::printf("ratio to ImageMagick: min %.2f, median %.2f (target <= 0.7)\n",
                minOf(ours.runs) / minOf(magick.runs), medianOf(ours.runs) / medianOf(magick.runs));
    std::printf("ratio to libjpeg full-size decode alone: min %.2f, median %.2f (target <= 0.5)\n",
                minOf(ours.runs) / minOf(decode.runs), medianOf(ours.runs) / medianOf(decode.runs));
    return 0;
}
