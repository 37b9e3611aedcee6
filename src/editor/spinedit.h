#pragma once

#include <QLineEdit>

// A number held as text, with up and down steps.
class SpinEdit : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;
};
