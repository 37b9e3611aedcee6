#pragma once

#include "gamelist/thumbnailcellreader.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>
#include <memory>

// The thumbnails of one list of games as a rebuild found them. Each game shows
// one picture file's cell, which is either held in memory (decoded by that
// rebuild, the empty cell) or stored in the thumbnail cache's pixel file and
// read when the grid first paints it, through the cache's reader and its
// bounded set of recent cells. A cell the pixel file no longer holds (the file
// was shortened behind the program's back) is decoded again from its JPEG.
//
// A set is never changed once made; it keeps the reader (and with it the open
// pixel file) alive as long as the grid shows it. For the window's thread.
class ThumbnailSet {
public:
    using Pointer = std::shared_ptr<const ThumbnailSet>;

    // One file's cell.
    struct Picture {
        QImage held;                          // in memory; null when stored
        ThumbnailCellReader::Location stored; // in the pixel file
        // The JPEG a stored cell was made from, UTF-8, relative to the set's
        // folder or absolute: the cache's own name of the file, shared with
        // its index rather than a path per game.
        QByteArray name;
        int scale = 1; // 2 for a cell of twice the size
    };

    ThumbnailSet() = default;
    // folder: the program folder that stored cells' names are relative to, ending in "/".
    ThumbnailSet(std::shared_ptr<ThumbnailCellReader> reader, QString folder, QList<Picture> pictures,
                 QList<int> gamePicture);
    // Every game's cell held as given, game i showing cells[i].
    static Pointer fromCells(QList<QImage> cells);

    int count() const { return int(m_gamePicture.size()); }
    // The game's cell, read or made now when it is not held.
    QImage cell(int game) const;
    // Bytes of the game's cell, held or stored, without reading it.
    qint64 cellBytes(int game) const;
    const std::shared_ptr<ThumbnailCellReader>& reader() const { return m_reader; }

private:
    std::shared_ptr<ThumbnailCellReader> m_reader;
    QString m_folder;
    QList<Picture> m_pictures;
    QList<int> m_gamePicture; // per game, its position in m_pictures
};
