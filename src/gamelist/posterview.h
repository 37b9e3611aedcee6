#pragma once

#include <QImage>
#include <QWidget>

// The poster of the selected game, stretched over the view's whole area
// (429 by 636 pixels on the game list page) without keeping its proportions,
// one source pixel for each target pixel.
class PosterView : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    void showPicture(const QImage& picture);
    // The picture as shown: the view's size, QImage::Format_RGB888; null before the first one.
    const QImage& shownPicture() const { return m_shown; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void stretch();

    QImage m_picture;
    QImage m_shown;
};
