#pragma once

#include <QImage>
#include <QWidget>

// The poster of the selected game. Its frame keeps the first window's
// proportions (429 by 636) in whatever room the page gives it, centred; the
// picture fills the frame without keeping its own proportions. At a device
// pixel ratio of 1 it is stretched one source pixel for each target pixel; on
// a scaled screen it is scaled smoothly to the frame's size in device pixels,
// so that it is drawn sharp rather than blown up.
class PosterView : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    static constexpr int kFrameWidth = 429;
    static constexpr int kFrameHeight = 636;

    void showPicture(const QImage& picture);
    // The picture as shown: the frame's size in device pixels; null before the first one.
    const QImage& shownPicture() const { return m_shown; }
    // Where the frame lies in the view.
    QRect frame() const;

    QSize sizeHint() const override { return {kFrameWidth, kFrameHeight}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void stretch();

    QImage m_picture;
    QImage m_shown;
};
