#include "gamelist/thumbnailset.h"

#include "gamelist/imagelist.h"
#include "gamelist/jpeg.h"

#include <exception>

ThumbnailSet::ThumbnailSet(std::shared_ptr<ThumbnailCellReader> reader, QString folder,
                           QList<Picture> pictures, QList<int> gamePicture)
    : m_reader(std::move(reader)), m_folder(std::move(folder)), m_pictures(std::move(pictures)),
      m_gamePicture(std::move(gamePicture)) {}

ThumbnailSet::Pointer ThumbnailSet::fromCells(QList<QImage> cells) {
    QList<Picture> pictures;
    QList<int> games;
    pictures.reserve(cells.size());
    games.reserve(cells.size());
    for (QImage& cell : cells) {
        games.append(int(pictures.size()));
        pictures.append(Picture{std::move(cell), {}, {}, 1});
    }
    return std::make_shared<const ThumbnailSet>(nullptr, QString(), std::move(pictures), std::move(games));
}

qint64 ThumbnailSet::cellBytes(int game) const {
    const Picture& picture = m_pictures.at(m_gamePicture.at(game));
    return picture.held.isNull() ? qint64(picture.stored.size()) : picture.held.sizeInBytes();
}

QImage ThumbnailSet::cell(int game) const {
    const Picture& picture = m_pictures.at(m_gamePicture.at(game));
    if (!picture.held.isNull() || picture.stored.offset == 0 || !m_reader)
        return picture.held;
    QImage cell = m_reader->cell(picture.stored);
    if (!cell.isNull())
        return cell;
    // The pixel file no longer holds the cell: made again from its JPEG, as a
    // rebuild would (the next rebuild finds the file short and writes it anew).
    const QString name = QString::fromUtf8(picture.name);
    try {
        cell = ImageList::fitToCell(jpeg::decodeFile(name.startsWith(u'/') ? name : m_folder + name),
                                    picture.scale);
    } catch (const std::exception&) {
        cell = ImageList::fitToCell(QImage(), picture.scale);
    }
    m_reader->keep(picture.stored, cell);
    return cell;
}
