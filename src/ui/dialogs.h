#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

class QWidget;

// The one seam through which the program asks the user anything modal: message
// boxes, the picture-open dialog and the folder chooser. Tests install a Handler
// that records each request and answers it, so no test ever waits on a box.
class Dialogs {
public:
    enum class Kind { Message, OpenFile, ChooseFolder };

    struct Request {
        Kind kind = Kind::Message;
        QString title;
        QString text; // message text, or the starting folder of a chooser
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons = QMessageBox::Ok;
        QString filter; // file dialogs: the filter in Qt's form
    };

    class Handler {
    public:
        virtual ~Handler() = default;
        virtual QMessageBox::StandardButton message(const Request& request) = 0;
        // Returns the chosen path, or an empty text for a cancelled dialog.
        virtual QString choosePath(const Request& request) = 0;
    };

    // nullptr restores the real dialogs.
    static void setHandler(Handler* handler);

    static QMessageBox::StandardButton message(QWidget* parent, const QString& title, const QString& text,
                                               QMessageBox::Icon icon = QMessageBox::NoIcon,
                                               QMessageBox::StandardButtons buttons = QMessageBox::Ok);
    static QString openFile(QWidget* parent, const QString& title, const QString& filter,
                            const QString& folder = {});
    static QString chooseFolder(QWidget* parent, const QString& title, const QString& folder = {});
};
