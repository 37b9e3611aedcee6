#pragma once

#include <QString>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QWidget;
class SpinEdit;

// Makers of the editor page's controls in their start state, each named (Qt
// object name) as the program knows it, so the page builders read as lists.
namespace editorwidgets {

template <typename W> W* named(W* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QGroupBox* group(QWidget* parent, const char* name, const QString& caption);
// A compact grid for a group's contents.
QGridLayout* grid(QWidget* owner);
QCheckBox* check(QWidget* parent, const char* name, const QString& caption);
// A pick-only list with no entry chosen.
QComboBox* combo(QWidget* parent, const char* name, const QStringList& entries = {});
SpinEdit* spin(QWidget* parent, const char* name, const QString& text, double increment = 1.0,
               int decimals = 0);
QLineEdit* edit(QWidget* parent, const char* name, const QString& text = {});
QPushButton* button(QWidget* parent, const char* name, const QString& caption);
// A fixed caption; name only for labels a rule changes or enables.
QLabel* label(QWidget* parent, const QString& text, const char* name = nullptr);
// A value label: red, centred, room for two lines.
QLabel* valueLabel(QWidget* parent, const char* name, const QString& text);
// A horizontal slider from 0 to maximum, step 1, at 0.
QSlider* slider(QWidget* parent, const char* name, int maximum);

} // namespace editorwidgets
