#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

class JpegReader;

// JPEG decoding with libjpeg. Colour, grayscale and CMYK pictures (plain or
// Adobe's inverted CMYK) come out as 24-bit colour at full size. The encoder
// lives in jpegwriter.h.
namespace jpeg {

// The picture in the file as QImage::Format_RGB888. Throws KorvelloError for a
// missing or unreadable file and for one that is not a JPEG, is truncated or is
// corrupt, and for a picture beyond picturelimit (refused from its header);
// libjpeg never ends the process.
QImage decodeFile(const QString& path);

// The same for a JPEG held in memory; `source` names it in error texts.
QImage decode(const QByteArray& data, const QString& source);

// Decodes every row of a started reader into `bits` (3 bytes a pixel, rows
// `stride` bytes apart, room for the whole picture), then finishes it.
void readPicture(JpegReader& reader, unsigned char* bits, qsizetype stride);

} // namespace jpeg
