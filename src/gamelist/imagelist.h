#pragma once

#include "gamelist/thumbnailset.h"

#include <QImage>
#include <QList>

// The game list's large-icon images, each kWidth by kHeight pixels (or twice
// that for a screen scaled to 150 % and more, drawn into the same cell).
// Entries of the list refer to an image by its position: first those of a
// rebuild's ThumbnailSet, whose cells are read when asked for, then pictures
// added one by one. A picture of another size is fitted into the cell keeping
// its proportions, centred on a transparent background; a picture of the
// cell's size is kept as it is.
class ImageList {
public:
    static constexpr int kWidth = 100;
    static constexpr int kHeight = 150;

    // Appends the picture (fitted) and returns its position.
    int add(const QImage& picture);
    // Appends a cell kept as it is (already fitted) and returns its position.
    int addCell(const QImage& cell);
    // Replaces every image with the set's cells: image i is the set's game i.
    void assign(ThumbnailSet::Pointer pictures);
    // The same with cells kept as they are (each one already fitted, as
    // fitToCell() makes them).
    void assign(QList<QImage> cells) { assign(ThumbnailSet::fromCells(std::move(cells))); }
    // The image, read now when the set holds it in the cache file.
    QImage at(int position) const;
    int count() const { return setCount() + int(m_added.size()); }
    // Images that come from the set: positions 0 to setCount() - 1.
    int setCount() const { return m_set ? m_set->count() : 0; }
    void clear();
    // Bytes of pixel data that the images show, held or stored.
    qint64 bytes() const;

    // The picture fitted into a cell of `scale` times the design's size.
    static QImage fitToCell(const QImage& picture, int scale = 1);

private:
    ThumbnailSet::Pointer m_set;
    QList<QImage> m_added;
};
