#include "gamelist/gamelistdelegate.h"

#include "gamelist/gamelistmodel.h"
#include "gamelist/imagelist.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QStyle>
#include <QTextLayout>

namespace {

// The caption as at most kCaptionLines lines of the given width; the last one
// is elided when the text goes on.
QStringList captionLines(const QString& text, const QFont& font, int width) {
    QStringList lines;
    QTextLayout layout(text, font);
    QTextOption wrap(Qt::AlignHCenter);
    wrap.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(wrap);
    layout.beginLayout();
    const QFontMetrics metrics(font);
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (lines.size() == GameListDelegate::kCaptionLines - 1) {
            lines.append(metrics.elidedText(text.mid(line.textStart()), Qt::ElideRight, width));
            break;
        }
        lines.append(text.mid(line.textStart(), line.textLength()).trimmed());
    }
    layout.endLayout();
    return lines;
}

} // namespace

int GameListDelegate::cellHeight(const QFont& font) {
    return kTopMargin + ImageList::kHeight + kCaptionGap + kCaptionLines * QFontMetrics(font).lineSpacing() +
           4;
}

QSize GameListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return m_cell.isValid() ? m_cell : QSize(ImageList::kWidth + 16, cellHeight(option.font));
}

void GameListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    const QRect cell = option.rect;
    const bool selected = option.state & QStyle::State_Selected;
    const QColor highlight = option.palette.color(QPalette::Active, QPalette::Highlight);
    painter->save();

    const QRect picture(cell.x() + (cell.width() - ImageList::kWidth) / 2, cell.y() + kTopMargin,
                        ImageList::kWidth, ImageList::kHeight);
    // The thumbnail keeps its cached pixels; a scaled screen draws it smoothly
    // into the cell rather than repeating pixels.
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->drawImage(picture, index.data(GameListModel::ImageRole).value<QImage>());
    if (selected) {
        QColor veil = highlight;
        veil.setAlpha(70);
        painter->fillRect(picture, veil);
        painter->setPen(QPen(highlight, 2));
        painter->drawRect(picture.adjusted(-1, -1, 0, 0));
    }

    const QFontMetrics metrics(option.font);
    const int width = cell.width() - 4;
    const QStringList lines = captionLines(index.data(Qt::DisplayRole).toString(), option.font, width);
    int textWidth = 0;
    for (const QString& line : lines)
        textWidth = qMax(textWidth, metrics.horizontalAdvance(line));
    const QRect text(cell.x() + (cell.width() - textWidth) / 2 - 2, picture.bottom() + 1 + kCaptionGap,
                     textWidth + 4, static_cast<int>(lines.size()) * metrics.lineSpacing() + 2);
    if (selected)
        painter->fillRect(text, highlight);
    painter->setFont(option.font);
    painter->setPen(
        option.palette.color(QPalette::Active, selected ? QPalette::HighlightedText : QPalette::Text));
    for (int i = 0; i < lines.size(); ++i)
        painter->drawText(
            QRect(cell.x() + 2, text.y() + 1 + i * metrics.lineSpacing(), width, metrics.lineSpacing()),
            Qt::AlignHCenter | Qt::AlignTop, lines.at(i));
    if (option.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(option);
        focus.rect = text;
        focus.backgroundColor = selected ? highlight : option.palette.color(QPalette::Base);
        const QWidget* widget = option.widget;
        (widget ? widget->style() : QApplication::style())
            ->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
    }
    painter->restore();
}
