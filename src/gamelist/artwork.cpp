#include "gamelist/artwork.h"

#include <QImage>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

// round() with halves to the even neighbour (the default rounding mode), and
// at least 1: a 1 x 2000 strip becomes 1 x 600, not an empty bitmap.
int scaledSide(int side, double factor) {
    const double exact = side * factor;
    const double rounded = std::nearbyint(exact);
    if (!(rounded >= 1.0))
        return 1;
    return static_cast<int>(rounded);
}

} // namespace

QSize artwork::ScaledSize(QSize source, int tall, int wide) {
    const int w = source.width();
    const int h = source.height();
    const double factor = h > w ? static_cast<double>(tall) / h : static_cast<double>(wide) / w;
    return {scaledSide(w, factor), scaledSide(h, factor)};
}

QImage artwork::StretchNearest(const QImage& source, QSize size) {
    Q_ASSERT(source.format() == QImage::Format_RGB888);
    QImage result(size, QImage::Format_RGB888);
    if (result.isNull() || source.isNull())
        return result;
    const qint64 sw = source.width(), sh = source.height();
    const qint64 tw = size.width(), th = size.height();

    // Byte offset of the source pixel for every target column, worked out once.
    std::vector<int> columnOffset(static_cast<std::size_t>(tw));
    for (qint64 x = 0; x < tw; ++x)
        columnOffset[static_cast<std::size_t>(x)] = static_cast<int>(3 * (x * sw / tw));

    const uchar* previousSource = nullptr;
    const uchar* previousTarget = nullptr;
    const std::size_t rowBytes = 3 * static_cast<std::size_t>(tw);
    for (qint64 y = 0; y < th; ++y) {
        const uchar* src = source.constScanLine(static_cast<int>(y * sh / th));
        uchar* dst = result.scanLine(static_cast<int>(y));
        if (src == previousSource) {
            // An enlarged picture repeats rows: copy the row already made.
            std::memcpy(dst, previousTarget, rowBytes);
        } else {
            for (const int offset : columnOffset) {
                const uchar* p = src + offset;
                dst[0] = p[0];
                dst[1] = p[1];
                dst[2] = p[2];
                dst += 3;
            }
        }
        previousSource = src;
        previousTarget = result.constScanLine(static_cast<int>(y));
    }
    return result;
}
