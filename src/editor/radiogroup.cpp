#include "editor/radiogroup.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

RadioGroup::RadioGroup(const QString& caption, const QStringList& items, QWidget* parent, int columns)
    : QGroupBox(caption, parent) {
    m_group = new QButtonGroup(this);
    m_group->setExclusive(true);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(3, caption.isEmpty() ? 2 : 0, 3, 1);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(0);
    const int perRow = columns < 1 ? 1 : columns;
    for (int i = 0; i < items.size(); ++i) {
        auto* radio = new QRadioButton(items.at(i), this);
        radio->setFixedHeight(15);
        m_group->addButton(radio, i);
        grid->addWidget(radio, i / perRow, i % perRow);
        m_buttons.append(radio);
    }
    connect(m_group, &QButtonGroup::idClicked, this, &RadioGroup::itemClicked);
}

int RadioGroup::itemIndex() const {
    return m_group->checkedId();
}

void RadioGroup::setItemIndex(int index) {
    if (m_buttons.isEmpty())
        return;
    if (index < 0) {
        // An exclusive group refuses to uncheck its last checked button, so
        // exclusivity is lifted for the moment of clearing.
        m_group->setExclusive(false);
        for (QRadioButton* radio : std::as_const(m_buttons))
            radio->setChecked(false);
        m_group->setExclusive(true);
        return;
    }
    if (index >= count())
        index = count() - 1;
    m_buttons.at(index)->setChecked(true);
}

QStringList RadioGroup::items() const {
    QStringList texts;
    for (const QRadioButton* radio : m_buttons)
        texts.append(radio->text());
    return texts;
}
