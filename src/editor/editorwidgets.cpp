#include "editor/editorwidgets.h"

#include "editor/spinedit.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <algorithm>

namespace editorwidgets {

namespace {
constexpr int kRowHeight = 18;
constexpr int kCheckHeight = 15;
} // namespace

QGroupBox* group(QWidget* parent, const char* name, const QString& caption) {
    return named(new QGroupBox(caption, parent), name);
}

QGridLayout* grid(QWidget* owner) {
    auto* layout = new QGridLayout(owner);
    layout->setContentsMargins(3, 1, 3, 2);
    layout->setHorizontalSpacing(4);
    layout->setVerticalSpacing(1);
    return layout;
}

QCheckBox* check(QWidget* parent, const char* name, const QString& caption) {
    auto* box = named(new QCheckBox(caption, parent), name);
    box->setFixedHeight(kCheckHeight);
    return box;
}

QComboBox* combo(QWidget* parent, const char* name, const QStringList& entries) {
    auto* list = named(new QComboBox(parent), name);
    list->addItems(entries);
    list->setCurrentIndex(-1);
    list->setFixedHeight(kRowHeight);
    if (entries.isEmpty()) {
        // Filled at start-up with names of any length: the list takes the room
        // its cell offers instead of widening the page.
        list->setMinimumContentsLength(6);
        list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        // A name longer than the field is shown whole in the opened list.
        QObject::connect(list->model(), &QAbstractItemModel::rowsInserted, list,
                         [list] { list->view()->setMinimumWidth(list->view()->sizeHintForColumn(0) + 8); });
    } else {
        // Wide enough for the longest entry at the page's font, no wider.
        int widest = 0;
        for (const QString& entry : entries)
            widest = std::max(widest, list->fontMetrics().horizontalAdvance(entry));
        list->setMinimumWidth(widest + 26);
    }
    return list;
}

SpinEdit* spin(QWidget* parent, const char* name, const QString& text, double increment, int decimals) {
    auto* field = named(new SpinEdit(text, parent), name);
    field->setIncrement(increment);
    field->setDecimals(decimals);
    field->setFixedHeight(kRowHeight);
    return field;
}

QLineEdit* edit(QWidget* parent, const char* name, const QString& text) {
    auto* field = named(new QLineEdit(text, parent), name);
    field->setFixedHeight(kRowHeight);
    return field;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption) {
    auto* b = named(new QPushButton(caption, parent), name);
    b->setFixedHeight(kRowHeight + 3);
    return b;
}

QLabel* label(QWidget* parent, const QString& text, const char* name) {
    auto* l = new QLabel(text, parent);
    if (name)
        l->setObjectName(QLatin1String(name));
    return l;
}

QLabel* valueLabel(QWidget* parent, const char* name, const QString& text) {
    auto* l = named(new QLabel(text, parent), name);
    l->setAlignment(Qt::AlignCenter);
    l->setWordWrap(true);
    // The rules' red. A skin's label colour would cover a palette colour, so
    // every skin gives these labels a red of its own that reads on its
    // background ("QLabel[valueLabel=\"true\"]"); without a skin the palette's shows.
    l->setProperty("valueLabel", true);
    QPalette palette = l->palette();
    palette.setColor(QPalette::WindowText, Qt::red);
    l->setPalette(palette);
    l->setFixedHeight(2 * l->fontMetrics().lineSpacing() + 2);
    return l;
}

QSlider* slider(QWidget* parent, const char* name, int maximum) {
    auto* s = named(new QSlider(Qt::Horizontal, parent), name);
    s->setRange(0, maximum);
    s->setSingleStep(1);
    s->setPageStep(1);
    s->setValue(0);
    s->setFixedHeight(kRowHeight);
    return s;
}

} // namespace editorwidgets
