#include "ui/dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QPointer>
#include <QSpacerItem>
#include <QStandardPaths>

namespace {
Dialogs::Handler* g_handler = nullptr;

// Gives the keyboard back to the window that asked, with the focus where it
// was: a window manager does not always do so, notably for a window kept out
// of the task bar, which it does not offer the focus when a box closes.
void giveFocusBack(QWidget* parent, QWidget* focused) {
    QWidget* window = parent ? parent->window() : nullptr;
    if (!window || !window->isVisible())
        return;
    window->activateWindow();
    if (focused && focused->window() == window && focused->isVisible())
        focused->setFocus(Qt::OtherFocusReason);
}
} // namespace

void Dialogs::setHandler(Handler* handler) {
    g_handler = handler;
}

QMessageBox::StandardButton Dialogs::message(QWidget* parent, const QString& title, const QString& text,
                                             QMessageBox::Icon icon, QMessageBox::StandardButtons buttons,
                                             QMessageBox::StandardButton defaultButton) {
    return show(parent, {Kind::Message, title, text, icon, buttons, {}, defaultButton, {}});
}

QMessageBox::StandardButton Dialogs::messageWithDetails(QWidget* parent, const QString& title,
                                                        const QString& text, const QString& details,
                                                        QMessageBox::Icon icon) {
    return show(parent,
                {Kind::Message, title, text, icon, QMessageBox::Ok, {}, QMessageBox::NoButton, details});
}

QMessageBox::StandardButton Dialogs::show(QWidget* parent, const Request& request) {
    if (g_handler)
        return g_handler->message(request);
    const QPointer<QWidget> focused = QApplication::focusWidget();
    const std::unique_ptr<QMessageBox> box = makeMessageBox(parent, request);
    const auto answer = static_cast<QMessageBox::StandardButton>(box->exec());
    giveFocusBack(parent, focused);
    return answer;
}

int Dialogs::titleWidth(const QString& title) {
    // Qt sizes a box for its title in the box's own font, but title bars draw
    // in a larger bold font beside an icon and up to three buttons: with the
    // program's small font a short message cut "Korvello (Tessaly)" to "K...".
    QFont font = QApplication::font();
    font.setPixelSize(15);
    font.setBold(true);
    constexpr int kIconAndButtons = 140;
    return QFontMetrics(font).horizontalAdvance(title) + kIconAndButtons;
}

std::unique_ptr<QMessageBox> Dialogs::makeMessageBox(QWidget* parent, const Request& request) {
    auto box =
        std::make_unique<QMessageBox>(request.icon, request.title, request.text, request.buttons, parent);
    if (request.defaultButton != QMessageBox::NoButton)
        box->setDefaultButton(request.defaultButton);
    // Messages carry texts from files (error texts kept in the thumbnail cache,
    // file and game names): never read as markup.
    box->setTextFormat(Qt::PlainText);
    if (!request.details.isEmpty())
        box->setDetailedText(request.details);
    // The box fixes its own size when shown, from its layout's minimum width: a
    // spacer across the whole layout carries the title's width into it.
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout()))
        grid->addItem(
            new QSpacerItem(titleWidth(request.title), 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
            grid->rowCount(), 0, 1, grid->columnCount());
    return box;
}

QString Dialogs::openFile(QWidget* parent, const QString& title, const QString& filter,
                          const QString& folder) {
    if (g_handler)
        return g_handler->choosePath(
            {Kind::OpenFile, title, folder, QMessageBox::NoIcon, {}, filter, {}, {}});
    const QPointer<QWidget> focused = QApplication::focusWidget();
    const QString chosen = QFileDialog::getOpenFileName(parent, title, folder, filter);
    giveFocusBack(parent, focused);
    return chosen;
}

QString Dialogs::chooseFolder(QWidget* parent, const QString& title, const QString& folder) {
    if (g_handler)
        return g_handler->choosePath(
            {Kind::ChooseFolder, title, folder, QMessageBox::NoIcon, {}, {}, {}, {}});
    // Rooted at the desktop, as the folder edit's browse button promises.
    const QString start =
        folder.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::DesktopLocation) : folder;
    const QPointer<QWidget> focused = QApplication::focusWidget();
    const QString chosen = QFileDialog::getExistingDirectory(parent, title, start);
    giveFocusBack(parent, focused);
    return chosen;
}
