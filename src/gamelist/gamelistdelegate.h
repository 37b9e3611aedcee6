#pragma once

#include <QStyledItemDelegate>

// Draws one entry of the game list: the picture at the top of its cell and the
// caption centred below it, wrapped onto at most two lines and elided after
// that. A selected entry shows the highlight colour of the active window even
// when the list has no focus, so the selection stays visible.
class GameListDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    // Space around the picture and the caption, in pixels.
    static constexpr int kTopMargin = 3;
    static constexpr int kCaptionGap = 3;
    static constexpr int kCaptionLines = 2;

    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    void setCellSize(QSize size) { m_cell = size; }
    // The cell height that holds the picture and two caption lines in this font.
    static int cellHeight(const QFont& font);

private:
    QSize m_cell;
};
