#include "gamelist/nearestsampler.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

// Position i of n along a side of the result takes displayed position i * d / n
// of a side of d pixels, as StretchNearest does; `mirrored` counts it from the
// other end of the stored side.
int sourceIndex(qint64 i, qint64 n, qint64 d, bool mirrored) {
    const qint64 s = i * d / n;
    return static_cast<int>(mirrored ? d - 1 - s : s);
}

} // namespace

NearestSampler::NearestSampler(QSize stored, int orientation, QSize target)
    : m_image(target, QImage::Format_RGB888) {
    const qint64 w = stored.width(), h = stored.height();
    // How the displayed picture (u across, v down) maps onto the stored one.
    m_transposed = orientation >= 5 && orientation <= 8;
    bool mirrorColumns = false, mirrorRows = false; // of the stored picture
    switch (orientation) {
    case 2:
        mirrorColumns = true;
        break; // stored x = w-1-u, y = v
    case 3:
        mirrorColumns = mirrorRows = true;
        break; // stored x = w-1-u, y = h-1-v
    case 4:
        mirrorRows = true;
        break; // stored x = u, y = h-1-v
    case 5:
        break; // stored x = v, y = u
    case 6:
        mirrorRows = true;
        break; // stored x = v, y = h-1-u
    case 7:
        mirrorColumns = mirrorRows = true;
        break; // stored x = w-1-v, y = h-1-u
    case 8:
        mirrorColumns = true;
        break; // stored x = w-1-v, y = u
    default:
        break; // 1: as stored
    }
    m_first.assign(std::size_t(std::max<qint64>(h, 0)), std::numeric_limits<int>::max());
    m_end.assign(m_first.size(), 0);
    if (m_image.isNull() || w <= 0 || h <= 0)
        return;

    // Lines of the result are filled from stored rows; positions along a line
    // come from stored columns.
    const qint64 lines = m_transposed ? target.width() : target.height();
    const qint64 along = m_transposed ? target.height() : target.width();
    for (qint64 i = 0; i < lines; ++i) {
        const std::size_t r = std::size_t(sourceIndex(i, lines, h, mirrorRows));
        m_first[r] = std::min(m_first[r], int(i));
        m_end[r] = std::max(m_end[r], int(i) + 1);
    }
    m_offset.resize(std::size_t(along));
    for (qint64 i = 0; i < along; ++i)
        m_offset[std::size_t(i)] = 3 * sourceIndex(i, along, w, mirrorColumns);
}

void NearestSampler::feed(int row, const unsigned char* pixels) {
    if (!needs(row))
        return;
    const int first = m_first[std::size_t(row)];
    const int end = m_end[std::size_t(row)];
    uchar* const bits = m_image.bits();
    const qsizetype stride = m_image.bytesPerLine();
    if (!m_transposed) {
        uchar* dst = bits + stride * first;
        for (const int offset : m_offset) {
            const unsigned char* p = pixels + offset;
            dst[0] = p[0];
            dst[1] = p[1];
            dst[2] = p[2];
            dst += 3;
        }
        // An enlarged picture repeats rows: copy the row already made.
        const std::size_t rowBytes = 3 * m_offset.size();
        for (int y = first + 1; y < end; ++y)
            std::memcpy(bits + stride * y, bits + stride * first, rowBytes);
    } else {
        // This stored row is the result's columns [first, end).
        const int height = m_image.height();
        for (int y = 0; y < height; ++y) {
            const unsigned char* p = pixels + m_offset[std::size_t(y)];
            uchar* dst = bits + stride * y + 3 * first;
            for (int x = first; x < end; ++x, dst += 3) {
                dst[0] = p[0];
                dst[1] = p[1];
                dst[2] = p[2];
            }
        }
    }
}
