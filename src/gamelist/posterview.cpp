#include "gamelist/posterview.h"

#include "gamelist/artwork.h"

#include <QPainter>

void PosterView::showPicture(const QImage& picture) {
    m_picture =
        picture.format() == QImage::Format_RGB888 ? picture : picture.convertToFormat(QImage::Format_RGB888);
    stretch();
    update();
}

void PosterView::stretch() {
    m_shown = m_picture.isNull() || size().isEmpty() ? QImage() : artwork::StretchNearest(m_picture, size());
}

void PosterView::paintEvent(QPaintEvent*) {
    if (m_shown.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(0, 0, m_shown);
}

void PosterView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    stretch();
}
