#pragma once

#include <QString>
#include <QtGlobal>

// The largest picture the program decodes, whatever it is for (thumbnail,
// poster, import) and whatever its format. A few hundred bytes of header can
// declare a picture of billions of pixels; the decoder asks here, from the
// header, before it reserves any memory for pixels.
namespace picturelimit {

// 100 megapixels: far above any cover or camera photo.
constexpr qint64 kMaxPixels = 100'000'000;
// 400 MB (MiB, as Qt counts its own image allocation limit) of decoded pixels.
constexpr qint64 kMaxBytes = qint64(400) << 20;

// Throws KorvelloError ("Cannot decode the picture <source>: ...", as for any
// picture that cannot be decoded, naming the declared size) when a picture of
// width x height pixels of bytesPerPixel bytes each, rows padded to 4 bytes as
// QImage keeps them, is beyond either limit. Non-positive sides are left to the
// decoder, which refuses them itself.
void check(const QString& source, qint64 width, qint64 height, int bytesPerPixel);

} // namespace picturelimit
