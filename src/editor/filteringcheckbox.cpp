#include "editor/filteringcheckbox.h"

#include <QMouseEvent>

FilteringCheckBox::FilteringCheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent) {
    setTristate(true);
}

void FilteringCheckBox::mousePressEvent(QMouseEvent* event) {
    // No pressed look and no click on release: the cycle replaces both.
    if (focusPolicy() & Qt::ClickFocus)
        setFocus(Qt::MouseFocusReason);
    event->accept();
}

void FilteringCheckBox::mouseDoubleClickEvent(QMouseEvent* event) {
    // A double click is a press followed by a release; the release counts.
    event->accept();
}

void FilteringCheckBox::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (rect().contains(event->position().toPoint()))
        emit mouseReleased(event->button());
}
