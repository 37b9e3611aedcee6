#include "artworkimport.h"

#include "artwork.h"
#include "artworksource.h"
#include "gblur.h"
#include "jpegwriter.h"

#include <QImage>

void SaveScaledJpeg(ArtworkSource& source, const QString& destination, double radius, int tall, int wide) {
    const QImage& picture = source.picture();
    QImage bitmap = artwork::StretchNearest(picture, artwork::ScaledSize(picture.size(), tall, wide));
    if (radius > 0.0)
        GBlur(bitmap, radius);
    jpeg::writeFile(bitmap, destination, 90);
}

void SaveScaledJpeg(const QString& source, const QString& destination, double radius, int tall, int wide) {
    ArtworkSource picture(source);
    SaveScaledJpeg(picture, destination, radius, tall, wide);
}
