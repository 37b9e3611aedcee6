#include "gamelist/imagelist.h"

#include <QPainter>

int ImageList::add(const QImage& picture) {
    m_images.append(fitToCell(picture));
    return count() - 1;
}

qint64 ImageList::bytes() const {
    qint64 total = 0;
    for (const QImage& image : m_images)
        total += image.sizeInBytes();
    return total;
}

QImage ImageList::fitToCell(const QImage& picture) {
    const QSize cell(kWidth, kHeight);
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
    painter.drawImage(QRect(QPoint((kWidth - size.width()) / 2, (kHeight - size.height()) / 2), size),
                      picture);
    return fitted;
}
