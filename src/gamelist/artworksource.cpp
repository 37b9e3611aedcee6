#include "gamelist/artworksource.h"

#include "core/korvelloerror.h"
#include "gamelist/artwork.h"
#include "gamelist/exiforientation.h"
#include "gamelist/jpegreader.h"
#include "gamelist/nearestsampler.h"
#include "gamelist/picturelimit.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <algorithm>
#include <memory>
#include <vector>

namespace {

QString nativePath(const QString& path) {
    return QDir::toNativeSeparators(path);
}

[[noreturn]] void cannotDecode(const QString& path, const QString& why) {
    throw KorvelloError(QStringLiteral("Cannot decode the picture %1: %2").arg(nativePath(path), why));
}

// RGB888 from any QImage, a pixel with alpha composed onto black: each channel
// times alpha / 255, rounded to the nearest value.
QImage rgbOnBlack(const QImage& picture) {
    if (!picture.hasAlphaChannel())
        return picture.convertToFormat(QImage::Format_RGB888);
    const QImage argb = picture.convertToFormat(QImage::Format_ARGB32);
    QImage result(argb.size(), QImage::Format_RGB888);
    if (result.isNull())
        return result;
    for (int y = 0; y < argb.height(); ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        uchar* out = result.scanLine(y);
        for (int x = 0; x < argb.width(); ++x, out += 3) {
            const unsigned a = unsigned(qAlpha(in[x]));
            out[0] = uchar((unsigned(qRed(in[x])) * a + 127) / 255);
            out[1] = uchar((unsigned(qGreen(in[x])) * a + 127) / 255);
            out[2] = uchar((unsigned(qBlue(in[x])) * a + 127) / 255);
        }
    }
    return result;
}

} // namespace

ArtworkSource::ArtworkSource(QString path, QList<Target> targets)
    : m_path(std::move(path)), m_targets(std::move(targets)) {}

ArtworkSource::ArtworkSource(QByteArray data, QString name, QList<Target> targets)
    : m_path(std::move(name)), m_data(std::move(data)), m_inMemory(true), m_targets(std::move(targets)) {}

const QImage& ArtworkSource::stretched(Target target) {
    if (!m_targets.contains(target)) {
        m_targets.append(target);
        m_results.clear();
    }
    if (m_results.size() != m_targets.size())
        decodeAll();
    return m_results[m_targets.indexOf(target)];
}

void ArtworkSource::decodeAll() {
    if (m_inMemory) {
        decode(m_data);
        return;
    }
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        throw KorvelloError(
            QStringLiteral("Cannot open the picture %1: %2").arg(nativePath(m_path), file.errorString()));
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw KorvelloError(
            QStringLiteral("Cannot read the picture %1: %2").arg(nativePath(m_path), file.errorString()));
    decode(data);
}

void ArtworkSource::decode(const QByteArray& data) {
    // A JPEG is told by its start-of-image marker, whatever the file's name.
    if (data.startsWith("\xFF\xD8"))
        decodeJpeg(data);
    else
        decodeWithQt(data);
}

void ArtworkSource::decodeJpeg(const QByteArray& data) {
    JpegReader reader(data, m_path, true);
    reader.readHeader();
    const QSize stored = reader.size();
    const int orientation = exiforientation::fromExifBlock(reader.exifBlock());
    const QSize displayed = exiforientation::swapsSides(orientation) ? stored.transposed() : stored;

    std::vector<std::unique_ptr<NearestSampler>> samplers;
    for (const Target& t : std::as_const(m_targets))
        samplers.push_back(std::make_unique<NearestSampler>(stored, orientation,
                                                            artwork::ScaledSize(displayed, t.tall, t.wide)));
    auto needed = [&](int row) {
        for (const auto& s : samplers)
            if (s->needs(row))
                return true;
        return false;
    };

    reader.start();
    std::vector<unsigned char> line(3 * std::size_t(stored.width()));
    unsigned char* row = line.data();
    const int height = stored.height();
    int lastNeeded = -1;
    for (int r = height - 1; r >= 0 && lastNeeded < 0; --r)
        if (needed(r))
            lastNeeded = r;
    while (reader.nextRow() <= lastNeeded) {
        const int r = reader.nextRow();
        if (!needed(r)) {
            int next = r + 1;
            while (!needed(next))
                ++next;
            reader.skipRows(next - r);
            continue;
        }
        reader.readRows(&row, 1);
        for (const auto& s : samplers)
            s->feed(r, row);
    }
    reader.finish();

    QList<QImage> results;
    for (const auto& s : samplers)
        results.append(s->result());
    m_results = results;
}

void ArtworkSource::decodeWithQt(const QByteArray& data) {
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    // Qt refuses larger pictures itself, but its own limit is lower (256 MB);
    // the program's limit is the same for every format. Set once: imports
    // run on a worker thread.
    static const bool limitSet = [] {
        QImageReader::setAllocationLimit(int(picturelimit::kMaxBytes >> 20));
        return true;
    }();
    Q_UNUSED(limitSet);
    if (!reader.canRead())
        cannotDecode(m_path,
                     QStringLiteral("not a JPEG, PNG or WebP picture, nor another format that can be read"));
    const QSize declared = reader.size();
    const QImage::Format format = reader.imageFormat();
    const int bytesPerPixel =
        format == QImage::Format_Invalid ? 4 : std::max(1, QImage::toPixelFormat(format).bitsPerPixel() / 8);
    picturelimit::check(m_path, declared.width(), declared.height(), bytesPerPixel);
    reader.setAutoTransform(true);
    const QImage picture = reader.read();
    if (picture.isNull())
        cannotDecode(m_path, reader.errorString());
    const QImage rgb = rgbOnBlack(picture);
    if (rgb.isNull())
        cannotDecode(m_path, QStringLiteral("not enough memory"));

    QList<QImage> results;
    for (const Target& t : std::as_const(m_targets))
        results.append(artwork::StretchNearest(rgb, artwork::ScaledSize(rgb.size(), t.tall, t.wide)));
    m_results = results;
}
