#pragma once

#include <QImage>
#include <QList>

// The game list's large-icon images, each exactly kWidth by kHeight pixels.
// Entries of the list refer to an image by its position. A picture of another
// size is fitted into the cell keeping its proportions, centred on a
// transparent background; a picture of the cell's size is kept as it is.
class ImageList {
public:
    static constexpr int kWidth = 100;
    static constexpr int kHeight = 150;

    // Appends the picture (fitted) and returns its position.
    int add(const QImage& picture);
    // Replaces every image with these cells, kept as they are (each one already
    // kWidth by kHeight, as fitToCell() makes them).
    void assign(QList<QImage> cells) { m_images = std::move(cells); }
    const QImage& at(int position) const { return m_images.at(position); }
    void replace(int position, const QImage& picture) { m_images[position] = picture; }
    int count() const { return static_cast<int>(m_images.size()); }
    void clear() { m_images.clear(); }
    // Bytes of pixel data held.
    qint64 bytes() const;

    static QImage fitToCell(const QImage& picture);

private:
    QList<QImage> m_images;
};
