#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <memory>

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
        // The button that Enter presses; NoButton leaves Qt's choice.
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
        // Message boxes: a longer text shown in the box's details area, which scrolls.
        QString details;
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

    static QMessageBox::StandardButton
    message(QWidget* parent, const QString& title, const QString& text,
            QMessageBox::Icon icon = QMessageBox::NoIcon,
            QMessageBox::StandardButtons buttons = QMessageBox::Ok,
            QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
    // A message whose long part (a list of games, say) goes to the details area,
    // so the box stays small on any screen.
    static QMessageBox::StandardButton messageWithDetails(QWidget* parent, const QString& title,
                                                          const QString& text, const QString& details,
                                                          QMessageBox::Icon icon = QMessageBox::NoIcon);
    // The real box that message() shows: at least as wide as its title needs in
    // the window manager's title bar, so the title is never cut.
    static std::unique_ptr<QMessageBox> makeMessageBox(QWidget* parent, const Request& request);
    // The width a title needs in a window manager's title bar: its text in a
    // title bar's larger bold font, the window icon and the title bar's buttons.
    static int titleWidth(const QString& title);
    static QString openFile(QWidget* parent, const QString& title, const QString& filter,
                            const QString& folder = {});
    static QString chooseFolder(QWidget* parent, const QString& title, const QString& folder = {});

private:
    static QMessageBox::StandardButton show(QWidget* parent, const Request& request);
};
