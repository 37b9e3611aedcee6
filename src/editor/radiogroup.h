#pragma once

#include <QGroupBox>
#include <QList>
#include <QStringList>

class QButtonGroup;
class QRadioButton;

// A captioned frame of mutually exclusive choices. Unlike a plain exclusive
// button group it can hold no choice at all (itemIndex -1), which is how every
// radio group of the editor page starts and how a profile may leave it.
class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    // columns: how many columns the choices are laid out in, filled row by row.
    RadioGroup(const QString& caption, const QStringList& items, QWidget* parent = nullptr, int columns = 1);

    // The chosen position, 0-based, or -1 when none is chosen.
    int itemIndex() const;
    // -1 (or any negative value) clears the choice; a position past the last
    // item chooses the last one, as the original control did.
    void setItemIndex(int index);

    int count() const { return static_cast<int>(m_buttons.size()); }
    QRadioButton* button(int index) const { return m_buttons.value(index); }
    QStringList items() const;

signals:
    // Emitted when the user picks a choice (not when the program sets one).
    void itemClicked(int index);

private:
    QButtonGroup* m_group = nullptr;
    QList<QRadioButton*> m_buttons;
};
