#include "ui/dialogs.h"

#include <QFileDialog>
#include <QStandardPaths>

namespace {
Dialogs::Handler* g_handler = nullptr;
}

void Dialogs::setHandler(Handler* handler) {
    g_handler = handler;
}

QMessageBox::StandardButton Dialogs::message(QWidget* parent, const QString& title, const QString& text,
                                             QMessageBox::Icon icon, QMessageBox::StandardButtons buttons) {
    if (g_handler)
        return g_handler->message({Kind::Message, title, text, icon, buttons, {}});
    QMessageBox box(icon, title, text, buttons, parent);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QString Dialogs::openFile(QWidget* parent, const QString& title, const QString& filter,
                          const QString& folder) {
    if (g_handler)
        return g_handler->choosePath({Kind::OpenFile, title, folder, QMessageBox::NoIcon, {}, filter});
    return QFileDialog::getOpenFileName(parent, title, folder, filter);
}

QString Dialogs::chooseFolder(QWidget* parent, const QString& title, const QString& folder) {
    if (g_handler)
        return g_handler->choosePath({Kind::ChooseFolder, title, folder, QMessageBox::NoIcon, {}, {}});
    // Rooted at the desktop, as the folder edit's browse button promises.
    const QString start =
        folder.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::DesktopLocation) : folder;
    return QFileDialog::getExistingDirectory(parent, title, start);
}
