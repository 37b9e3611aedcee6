#include "gamelist/artworkimport.h"

#include "gamelist/artworksource.h"
#include "gamelist/gblur.h"
#include "gamelist/jpegwriter.h"

#include <QImage>

void SaveScaledJpeg(ArtworkSource& source, const QString& destination, double radius, int tall, int wide) {
    QImage bitmap = source.stretched({tall, wide});
    if (radius > 0.0)
        GBlur(bitmap, radius);
    jpeg::writeFile(bitmap, destination, 90);
}

void SaveScaledJpeg(const QString& source, const QString& destination, double radius, int tall, int wide) {
    ArtworkSource picture(source, {{tall, wide}});
    SaveScaledJpeg(picture, destination, radius, tall, wide);
}
