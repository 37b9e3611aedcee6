#include "gamelist/picturelimit.h"

#include "core/korvelloerror.h"

#include <QDir>

void picturelimit::check(const QString& source, qint64 width, qint64 height, int bytesPerPixel) {
    if (width <= 0 || height <= 0)
        return;
    // Sides of JPEG, PNG and WebP headers fit in 32 bits, so these products cannot overflow.
    const qint64 pixels = width * height;
    const qint64 bytes = ((width * bytesPerPixel + 3) & ~qint64(3)) * height;
    if (pixels <= kMaxPixels && bytes <= kMaxBytes)
        return;
    throw KorvelloError(
        QStringLiteral(
            "Cannot decode the picture %1: it declares %2 x %3 pixels (%4 megapixels, %5 MB decoded); "
            "pictures may have at most %6 megapixels and %7 MB")
            .arg(QDir::toNativeSeparators(source))
            .arg(width)
            .arg(height)
            .arg(QString::number(double(pixels) / 1e6, 'f', 1))
            .arg((bytes + (1 << 20) - 1) >> 20)
            .arg(kMaxPixels / 1'000'000)
            .arg(kMaxBytes >> 20));
}
