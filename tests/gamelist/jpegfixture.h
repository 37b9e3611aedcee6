#pragma once

#include <QByteArray>
#include <QImage>

// The artwork tests' own JPEG encoder, independent of the program's writer:
// every stored form a user's picture may come in, EXIF blocks, and large
// pictures streamed row by row without holding them in memory.
namespace jpegfixture {

enum class Form { Colour420, Colour422, Colour444, Grayscale, Progressive, Cmyk };

// `rgb` (QImage::Format_RGB888) encoded in the given form at quality 90.
// Cmyk stores Adobe's inverted CMYK that decodes to the same colours.
QByteArray encode(const QImage& rgb, Form form);

// A width x height picture of one grey, encoded one reused row at a time, so
// that a picture of any size costs no more memory than one row.
QByteArray flat(int width, int height);

// An EXIF block (the APP1 marker's data) holding only the orientation tag,
// little-endian ("II") or big-endian ("MM").
QByteArray orientationExif(int orientation, bool bigEndian = false);

// The JPEG with an APP1 marker holding `block` placed right after its start marker.
QByteArray withApp1(const QByteArray& jpeg, const QByteArray& block);

} // namespace jpegfixture
