#include "ui/linklabel.h"

#include <QKeyEvent>

LinkLabel::LinkLabel(const QString& url, const QString& caption, QWidget* parent)
    : QLabel(QStringLiteral("<a href=\"%1\">%2</a>").arg(url.toHtmlEscaped(), caption.toHtmlEscaped()),
             parent),
      m_url(url) {
    setTextFormat(Qt::RichText);
    setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    setFocusPolicy(Qt::StrongFocus);
}

bool LinkLabel::focusNextPrevChild(bool next) {
    // QLabel's own would walk the anchors of its text first and keep the focus.
    return QWidget::focusNextPrevChild(next);
}

void LinkLabel::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        emit linkActivated(m_url);
        return;
    default:
        QLabel::keyPressEvent(event);
    }
}
