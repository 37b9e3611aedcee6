#pragma once

#include <QLineEdit>
#include <optional>

class QToolButton;

// A number held as text, with up and down buttons. The text is kept exactly as
// typed or set (blanks included); only a step rewrites it. A step adds the
// increment to the number the text holds (a blank text counts as 0) and writes
// the result with the field's number of decimals and "." as the separator,
// whatever the locale. Negative numbers are allowed; the field is bounded only
// when a range is given. The Up and Down keys step like the buttons.
class SpinEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit SpinEdit(QWidget* parent = nullptr);
    explicit SpinEdit(const QString& text, QWidget* parent = nullptr);

    void setIncrement(double increment) { m_increment = increment; }
    double increment() const { return m_increment; }
    void setDecimals(int decimals) { m_decimals = decimals < 0 ? 0 : decimals; }
    int decimals() const { return m_decimals; }
    // Bounds steps, and a number typed outside the range when editing ends.
    void setRange(double minimum, double maximum);
    bool isBounded() const { return m_range.has_value(); }
    double minimum() const { return m_range ? m_range->first : 0.0; }
    double maximum() const { return m_range ? m_range->second : 0.0; }

    // Steps by `steps` increments (negative: down). A text that is not a
    // number is left as it is and the step is refused with a beep.
    void stepBy(int steps);
    void stepUp() { stepBy(1); }
    void stepDown() { stepBy(-1); }

    QToolButton* upButton() const { return m_up; }
    QToolButton* downButton() const { return m_down; }

    // The text of a number as this field writes it.
    QString format(double value) const;

    QSize sizeHint() const override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void build();
    void clampTypedNumber();

    QToolButton* m_up = nullptr;
    QToolButton* m_down = nullptr;
    double m_increment = 1.0;
    int m_decimals = 0;
    std::optional<std::pair<double, double>> m_range;
};
