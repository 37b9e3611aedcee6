#include "pagefixture.h"

#include "editor/editorpage.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QtTest>

namespace pagefixture {

void fillRenderers(EditorPage& page, bool withDirect3D10) {
    page.cmbRenderer->clear();
    page.cmbRenderer->addItem(QStringLiteral("Direct3D9 (Hardware)"), 0);
    page.cmbRenderer->addItem(QStringLiteral("Direct3D9 (Software)"), 1);
    page.cmbRenderer->addItem(QStringLiteral("Direct3D9 (Null)"), 2);
    if (withDirect3D10) {
        page.cmbRenderer->addItem(QStringLiteral("Direct3D10/11 (Hardware)"), 3);
        page.cmbRenderer->addItem(QStringLiteral("Direct3D10/11 (Software)"), 4);
        page.cmbRenderer->addItem(QStringLiteral("Direct3D10/11 (Null)"), 5);
    }
    page.cmbRenderer->addItem(QStringLiteral("SDL 1.3 (Software)"), 7);
    page.cmbRenderer->setCurrentIndex(-1);
}

void fillLists(EditorPage& page, bool withDirect3D10) {
    fillRenderers(page, withDirect3D10);
    page.cmbGSPlugin->addItem(QStringLiteral("GSdx 1.0 SSE2"));
    page.cmbGSPlugin->addItem(QStringLiteral("GSnull Driver"));
    page.cmbGSPlugin->setCurrentIndex(-1);
    page.cmbPCSX2ExeFile->addItem(QStringLiteral("pcsx2-r5875.exe"));
    page.cmbPCSX2ExeFile->addItem(QStringLiteral("pcsx2.exe"));
    page.cmbPCSX2ExeFile->setCurrentIndex(-1);
}

QStringList crampedControls(QWidget* page) {
    QStringList found;
    const QRect area = page->rect();
    for (QWidget* w : page->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(page) || w->inherits("QComboBoxPrivateContainer") || w->isWindow())
            continue;
        const QString name = QStringLiteral("%1 %2 \"%3\"")
                                 .arg(QString::fromLatin1(w->metaObject()->className()), w->objectName(),
                                      w->property("text").toString().left(30));
        const QRect onPage(w->mapTo(page, QPoint(0, 0)), w->size());
        if (!area.contains(onPage)) {
            found.append(name + QStringLiteral(" outside the page"));
            continue;
        }
        if (QWidget* parent = w->parentWidget();
            parent && parent != page && !parent->rect().contains(w->geometry()))
            found.append(name + QStringLiteral(" outside its parent"));
        QSize need;
        if (auto* list = qobject_cast<QComboBox*>(w)) {
            // The longest entry must fit; lists filled at start-up are measured too.
            int widest = 0;
            for (int i = 0; i < list->count(); ++i)
                widest = std::max(widest, list->fontMetrics().horizontalAdvance(list->itemText(i)));
            need = QSize(widest + 24, list->fontMetrics().height());
        } else if (auto* label = qobject_cast<QLabel*>(w)) {
            need = label->wordWrap() ? QSize(0, label->heightForWidth(label->width()))
                                     : QSize(label->sizeHint().width(), label->fontMetrics().height());
        } else if (auto* push = qobject_cast<QPushButton*>(w)) {
            need = QSize(push->fontMetrics().horizontalAdvance(push->text()) + 10,
                         push->fontMetrics().height() + 4);
        } else if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w)) {
            // The indicator and the caption side by side; the height of the text.
            need = QSize(w->sizeHint().width(), w->fontMetrics().height());
        } else if (qobject_cast<QGroupBox*>(w)) {
            need = w->minimumSizeHint();
        } else if (qobject_cast<QLineEdit*>(w) || qobject_cast<QSlider*>(w)) {
            need = QSize(24, w->fontMetrics().height() + 2);
        }
        if (w->width() < need.width() || w->height() < need.height())
            found.append(QStringLiteral("%1 is %2x%3, needs %4x%5")
                             .arg(name)
                             .arg(w->width())
                             .arg(w->height())
                             .arg(need.width())
                             .arg(need.height()));
    }
    return found;
}

void pick(QComboBox* list, int index) {
    list->showPopup();
    QAbstractItemView* view = list->view();
    const QModelIndex item = view->model()->index(index, list->modelColumn(), view->rootIndex());
    view->scrollTo(item);
    const QPoint at = view->visualRect(item).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    if (view->isVisible())
        list->hidePopup();
}

} // namespace pagefixture
