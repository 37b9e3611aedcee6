#include "editor/spinedit.h"

#include "core/korvelloerror.h"
#include "core/numbertext.h"
#include "ui/errorreport.h"

#include <QApplication>
#include <QKeyEvent>
#include <QToolButton>
#include <algorithm>
#include <cmath>

namespace {
constexpr int kButtonWidth = 13;
}

SpinEdit::SpinEdit(QWidget* parent) : QLineEdit(parent) {
    build();
}

SpinEdit::SpinEdit(const QString& text, QWidget* parent) : QLineEdit(text, parent) {
    build();
}

void SpinEdit::build() {
    auto makeButton = [this](Qt::ArrowType arrow, const char* name) {
        auto* b = new QToolButton(this);
        b->setObjectName(QLatin1String(name));
        b->setArrowType(arrow);
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setCursor(Qt::ArrowCursor);
        b->setIconSize(QSize(6, 6));
        return b;
    };
    m_up = makeButton(Qt::UpArrow, "up");
    m_down = makeButton(Qt::DownArrow, "down");
    connect(m_up, &QToolButton::clicked, this, [this] { ErrorReport::guard(this, [this] { stepUp(); }); });
    connect(m_down, &QToolButton::clicked, this,
            [this] { ErrorReport::guard(this, [this] { stepDown(); }); });
    connect(this, &QLineEdit::editingFinished, this, [this] { clampTypedNumber(); });
    setTextMargins(0, 0, kButtonWidth, 0);
}

void SpinEdit::setRange(double minimum, double maximum) {
    m_range = std::make_pair(std::min(minimum, maximum), std::max(minimum, maximum));
}

QString SpinEdit::format(double value) const {
    const double scale = std::pow(10.0, m_decimals);
    double rounded = std::round(value * scale) / scale;
    if (rounded == 0.0)
        rounded = 0.0; // no "-0"
    return QString::number(rounded, 'f', m_decimals);
}

void SpinEdit::stepBy(int steps) {
    const QString shown = text().trimmed();
    double value = 0.0;
    if (!shown.isEmpty()) {
        try {
            value = numbertext::toDouble(shown);
        } catch (const KorvelloError&) {
            QApplication::beep();
            return;
        }
    }
    value += steps * m_increment;
    if (m_range)
        value = std::clamp(value, m_range->first, m_range->second);
    setText(format(value));
}

void SpinEdit::clampTypedNumber() {
    if (!m_range)
        return;
    const QString shown = text().trimmed();
    if (shown.isEmpty())
        return;
    double value = 0.0;
    try {
        value = numbertext::toDouble(shown);
    } catch (const KorvelloError&) {
        return; // not a number: kept as typed; the reader of the field reports it
    }
    if (value < m_range->first || value > m_range->second)
        setText(format(std::clamp(value, m_range->first, m_range->second)));
}

void SpinEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
        stepBy(event->key() == Qt::Key_Up ? 1 : -1);
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void SpinEdit::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    const int h = height() - 2;
    const int upHeight = h / 2;
    m_up->setGeometry(width() - kButtonWidth - 1, 1, kButtonWidth, upHeight);
    m_down->setGeometry(width() - kButtonWidth - 1, 1 + upHeight, kButtonWidth, h - upHeight);
}

QSize SpinEdit::sizeHint() const {
    QSize hint = QLineEdit::sizeHint();
    hint.setWidth(fontMetrics().horizontalAdvance(QStringLiteral("00000")) + kButtonWidth + 10);
    return hint;
}
