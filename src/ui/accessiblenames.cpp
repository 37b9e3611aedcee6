#include "ui/accessiblenames.h"

#include <QAbstractButton>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QWidget>

namespace accessiblenames {

namespace {

QString labelText(const QLabel* label) {
    QString text = label->text();
    text.remove(u'&');
    text = text.trimmed();
    if (text.endsWith(u':'))
        text.chop(1);
    return text.trimmed();
}

bool wantsName(const QWidget* w) {
    if (!w || !w->accessibleName().isEmpty() || w->focusPolicy() == Qt::NoFocus)
        return false;
    // Buttons and check boxes are announced by their own caption.
    if (const auto* button = qobject_cast<const QAbstractButton*>(w))
        return button->text().isEmpty();
    return !qobject_cast<const QLabel*>(w);
}

// The first control inside a layout item (a field may sit in a nested row with its own buttons).
QWidget* controlOf(QLayoutItem* item) {
    if (!item)
        return nullptr;
    if (QWidget* w = item->widget())
        return w;
    if (QLayout* inner = item->layout()) {
        for (int i = 0; i < inner->count(); ++i)
            if (QWidget* w = controlOf(inner->itemAt(i)))
                return w;
    }
    return nullptr;
}

void nameInLayout(QLayout* layout) {
    if (!layout)
        return;
    if (auto* grid = qobject_cast<QGridLayout*>(layout)) {
        for (int r = 0; r < grid->rowCount(); ++r) {
            for (int c = 0; c + 1 < grid->columnCount(); ++c) {
                const auto* label = qobject_cast<QLabel*>(controlOf(grid->itemAtPosition(r, c)));
                QWidget* control = controlOf(grid->itemAtPosition(r, c + 1));
                if (label && control != label && wantsName(control) && !labelText(label).isEmpty())
                    control->setAccessibleName(labelText(label));
            }
        }
    } else if (auto* form = qobject_cast<QFormLayout*>(layout)) {
        for (int r = 0; r < form->rowCount(); ++r) {
            const auto* label = qobject_cast<QLabel*>(controlOf(form->itemAt(r, QFormLayout::LabelRole)));
            QWidget* control = controlOf(form->itemAt(r, QFormLayout::FieldRole));
            if (label && wantsName(control) && !labelText(label).isEmpty())
                control->setAccessibleName(labelText(label));
        }
    } else {
        // A row: each label names the control that follows it.
        for (int i = 0; i + 1 < layout->count(); ++i) {
            const auto* label = qobject_cast<QLabel*>(controlOf(layout->itemAt(i)));
            QWidget* control = controlOf(layout->itemAt(i + 1));
            if (label && wantsName(control) && !labelText(label).isEmpty())
                control->setAccessibleName(labelText(label));
        }
    }
    for (int i = 0; i < layout->count(); ++i)
        nameInLayout(layout->itemAt(i)->layout());
}

} // namespace

void nameFromLabels(QWidget* root) {
    nameInLayout(root->layout());
    for (QWidget* w : root->findChildren<QWidget*>()) {
        nameInLayout(w->layout());
        // A label's buddy is named by it too.
        if (auto* label = qobject_cast<QLabel*>(w))
            if (wantsName(label->buddy()) && !labelText(label).isEmpty())
                label->buddy()->setAccessibleName(labelText(label));
    }
    // What is left (a control alone in its group) takes its group's title.
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (!wantsName(w) || !w->isVisibleTo(root))
            continue;
        for (QWidget* p = w->parentWidget(); p && p != root; p = p->parentWidget()) {
            if (auto* group = qobject_cast<QGroupBox*>(p)) {
                QString title = group->title();
                title.remove(u'&');
                if (!title.trimmed().isEmpty())
                    w->setAccessibleName(title.trimmed());
                break;
            }
        }
    }
}

} // namespace accessiblenames
