#include "gamelist/imagelist.h"

#include <QPainter>

int ImageList::add(const QImage& picture) {
    m_added.append(fitToCell(picture));
    return count() - 1;
}

int ImageList::addCell(const QImage& cell) {
    m_added.append(cell);
    return count() - 1;
}

void ImageList::assign(ThumbnailSet::Pointer pictures) {
    m_set = std::move(pictures);
    m_added.clear();
}

QImage ImageList::at(int position) const {
    const int fromSet = setCount();
    return position < fromSet ? m_set->cell(position) : m_added.at(position - fromSet);
}

void ImageList::clear() {
    m_set.reset();
    m_added.clear();
}

qint64 ImageList::bytes() const {
    qint64 total = 0;
    for (int i = 0; i < setCount(); ++i)
        total += m_set->cellBytes(i);
    for (const QImage& image : m_added)
        total += image.sizeInBytes();
    return total;
}

QImage ImageList::fitToCell(const QImage& picture, int scale) {
    const QSize cell(kWidth * scale, kHeight * scale);
    if (picture.size() == cell)
        return picture.format() == QImage::Format_RGB888 ? picture
                                                         : picture.convertToFormat(QImage::Format_RGB888);
    QImage fitted(cell, QImage::Format_ARGB32_Premultiplied);
    fitted.fill(Qt::transparent);
    if (picture.isNull())
        return fitted;
    const QSize size = picture.size().scaled(cell, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    QPainter painter(&fitted);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(
        QRect(QPoint((cell.width() - size.width()) / 2, (cell.height() - size.height()) / 2), size), picture);
    return fitted;
}
