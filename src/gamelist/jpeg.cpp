#include "gamelist/jpeg.h"

#include "core/korvelloerror.h"
#include "gamelist/jpegreader.h"
#include "gamelist/picturelimit.h"

#include <QDir>
#include <QFile>

namespace jpeg {

void readPicture(JpegReader& reader, unsigned char* bits, qsizetype stride) {
    const int height = reader.size().height();
    constexpr int kBatch = 16;
    unsigned char* rows[kBatch];
    while (reader.nextRow() < height) {
        const int first = reader.nextRow();
        int n = 0;
        for (; n < kBatch && first + n < height; ++n)
            rows[n] = bits + stride * (first + n);
        reader.readRows(rows, n);
    }
    reader.finish();
}

QImage decode(const QByteArray& data, const QString& source) {
    JpegReader reader(data, source);
    reader.readHeader(); // refuses a picture beyond picturelimit before anything is reserved
    reader.start();
    const QSize size = reader.size();
    QImage picture(size, QImage::Format_RGB888);
    if (picture.isNull())
        throw KorvelloError(
            QStringLiteral("Cannot decode the picture %1: not enough memory for %2 x %3 pixels")
                .arg(QDir::toNativeSeparators(source))
                .arg(size.width())
                .arg(size.height()));
    readPicture(reader, picture.bits(), picture.bytesPerLine());
    return picture;
}

QImage decodeFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw KorvelloError(QStringLiteral("Cannot open the picture %1: %2")
                                .arg(QDir::toNativeSeparators(path), file.errorString()));
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw KorvelloError(QStringLiteral("Cannot read the picture %1: %2")
                                .arg(QDir::toNativeSeparators(path), file.errorString()));
    return decode(data, path);
}

} // namespace jpeg
