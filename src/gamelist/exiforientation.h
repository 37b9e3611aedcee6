#pragma once

#include <QByteArray>

// The orientation a camera or phone recorded in a photo's EXIF block, read with
// libexif. Values as EXIF defines them: 1 upright, 2 mirrored left to right,
// 3 turned 180 degrees, 4 mirrored top to bottom, 5 mirrored along the
// top-left to bottom-right diagonal, 6 to be turned 90 degrees clockwise for
// display, 7 mirrored along the other diagonal, 8 to be turned 90 degrees
// counter-clockwise.
namespace exiforientation {

// The orientation in an EXIF block (as a JPEG's APP1 marker holds it, starting
// with "Exif\0\0"). 1 when the block is empty, damaged, without the tag, or
// holds a value outside 1 to 8: such a picture is shown as stored.
int fromExifBlock(const QByteArray& block);

// Whether the picture's sides are swapped for display (orientations 5 to 8).
constexpr bool swapsSides(int orientation) {
    return orientation >= 5 && orientation <= 8;
}

} // namespace exiforientation
