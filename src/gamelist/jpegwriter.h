#pragma once

#include <QString>

class QImage;

namespace jpeg {

// Encodes a QImage::Format_RGB888 picture as a baseline colour JPEG (JFIF) at
// the given quality with libjpeg, and writes it to path, replacing an existing
// file. Throws KorvelloError: for a picture of another format, for an encoder
// error (libjpeg's text), and for a file that cannot be created or written.
void writeFile(const QImage& rgb888, const QString& path, int quality = 90);

} // namespace jpeg
