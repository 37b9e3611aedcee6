#pragma once

#include <QImage>
#include <QSize>
#include <vector>

// The nearest-neighbour stretch of artwork::StretchNearest, made while the
// source is decoded row by row: it says which stored rows it needs and builds
// its picture from them as they come, in any order, so no full-size picture is
// ever held. It also turns the picture upright for an EXIF orientation
// (exiforientation.h): the stretch works on the picture as displayed, whose
// pixel (u, v) is taken from the stored pixel that the orientation puts there.
// For orientation 1 the result is bit for bit StretchNearest's.
class NearestSampler {
public:
    // `stored`: the picture as decoded; `target`: the size of the result, a
    // stretch of the displayed picture (sides swapped for orientations 5 to 8).
    NearestSampler(QSize stored, int orientation, QSize target);

    // Whether stored row r gives any pixel of the result.
    bool needs(int row) const { return m_first[std::size_t(row)] < m_end[std::size_t(row)]; }
    // Places the pixels of stored row r (3 bytes a pixel, RGB) that the result takes.
    void feed(int row, const unsigned char* pixels);
    // The result (QImage::Format_RGB888), complete once every needed row was fed.
    const QImage& result() const { return m_image; }

private:
    // For the stretch, a result line is a row, or a column when the
    // orientation swaps the sides: stored row r fills lines [m_first[r], m_end[r]).
    bool m_transposed = false;
    std::vector<int> m_first, m_end;
    // Byte offset in a stored row of the pixel for each position along a result line.
    std::vector<int> m_offset;
    QImage m_image;
};
