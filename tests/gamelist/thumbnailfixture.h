#pragma once

// Game folders with thumbnails for the thumbnail loader's tests: pictures that
// differ in every pixel, a program folder with its own cache folder, and the
// cells a rebuild that decodes everything would show.
#include "gamelist/imagelist.h"
#include "gamelist/jpeg.h"
#include "gamelist/jpegwriter.h"
#include "gamelist/thumbnailloader.h"
#include "support/testfolder.h"

#include <QFile>
#include <QImage>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>

namespace thumbnailfixture {

// A picture that differs from game to game in every pixel.
inline QImage picture(int seed, QSize size = QSize(100, 150)) {
    QImage image(size, QImage::Format_RGB888);
    for (int y = 0; y < size.height(); ++y) {
        uchar* p = image.scanLine(y);
        for (int x = 0; x < size.width(); ++x, p += 3) {
            p[0] = uchar(seed * 37 + x * 2);
            p[1] = uchar(seed * 91 + y);
            p[2] = uchar(seed * 13 + x + y);
        }
    }
    return image;
}

inline QString gameName(int i) {
    return QStringLiteral("Game %1").arg(i, 3, 10, QLatin1Char('0'));
}

// A program folder with games, most of them with a thumbnail of their own, and
// its own cache folder.
struct GameFolder {
    TestFolder folder;
    QTemporaryDir cache;
    QStringList names;

    explicit GameFolder(int games, int withoutThumbnailEvery = 5) {
        for (int i = 0; i < games; ++i) {
            names.append(gameName(i));
            if (withoutThumbnailEvery == 0 || i % withoutThumbnailEvery != 1)
                thumb(i, i);
        }
    }
    QString thumbPath(int game) const {
        return folder.file(QStringLiteral("Images/thumb_%1.jpg").arg(names[game]));
    }
    void thumb(int game, int seed, QSize size = QSize(100, 150)) const {
        jpeg::writeFile(picture(seed, size), thumbPath(game), 90);
    }
    // What a rebuild that decodes every file shows; the damaged games show the fallback.
    QList<QImage> freshCells(const QList<int>& damaged = {}) const {
        QList<QImage> cells;
        for (int i = 0; i < names.size(); ++i) {
            const QString own = thumbPath(i);
            const bool usable = QFile::exists(own) && !damaged.contains(i);
            cells.append(ImageList::fitToCell(
                jpeg::decodeFile(usable ? own : folder.file(QStringLiteral("Images/thumb_unknown.jpg")))));
        }
        return cells;
    }
    ThumbnailLoader loader() const { return ThumbnailLoader(folder.path(), cache.path()); }
};

inline bool sameCells(const QList<QImage>& actual, const QList<QImage>& expected) {
    if (actual.size() != expected.size()) {
        qWarning("%lld cells, expected %lld", qlonglong(actual.size()), qlonglong(expected.size()));
        return false;
    }
    for (qsizetype i = 0; i < actual.size(); ++i)
        if (actual[i] != expected[i]) {
            qWarning("cell %lld differs", qlonglong(i));
            return false;
        }
    return true;
}

} // namespace thumbnailfixture
