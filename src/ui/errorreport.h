#pragma once

#include <QString>
#include <exception>
#include <utility>

class QWidget;

// Where a Qt event enters the program's code, the handler runs inside guard():
// an error that ends the operation is shown as the error report (a message box
// titled with the application title) and the program goes on with the state
// reached. No exception ever crosses Qt's event loop.
namespace ErrorReport {

void show(QWidget* parent, const std::exception& error);

// Runs f; returns false when it ended with an error (already reported).
template <typename F> bool guard(QWidget* parent, F&& f) {
    try {
        std::forward<F>(f)();
        return true;
    } catch (const std::exception& e) {
        show(parent, e);
        return false;
    }
}

} // namespace ErrorReport
