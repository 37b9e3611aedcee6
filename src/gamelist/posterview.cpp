#include "gamelist/posterview.h"

#include "gamelist/artwork.h"

#include <QPainter>

void PosterView::showPicture(const QImage& picture) {
    m_picture =
        picture.format() == QImage::Format_RGB888 ? picture : picture.convertToFormat(QImage::Format_RGB888);
    stretch();
    update();
}

QRect PosterView::frame() const {
    QSize size(kFrameWidth, kFrameHeight);
    size.scale(this->size(), Qt::KeepAspectRatio);
    return QRect(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
}

void PosterView::stretch() {
    const QSize target = frame().size();
    if (m_picture.isNull() || target.isEmpty()) {
        m_shown = QImage();
        return;
    }
    const qreal ratio = devicePixelRatioF();
    if (ratio == 1.0) {
        m_shown = artwork::StretchNearest(m_picture, target);
        return;
    }
    m_shown =
        m_picture.scaled((QSizeF(target) * ratio).toSize(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    m_shown.setDevicePixelRatio(ratio);
}

void PosterView::paintEvent(QPaintEvent*) {
    // A move to a screen of another scale asks for the picture in its pixels.
    if (!m_shown.isNull() && m_shown.devicePixelRatio() != devicePixelRatioF())
        stretch();
    if (m_shown.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(frame().topLeft(), m_shown);
}

void PosterView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    stretch();
}
