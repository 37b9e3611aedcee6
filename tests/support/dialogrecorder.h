#pragma once

#include "ui/dialogs.h"

#include <QList>
#include <QQueue>

// Replaces the dialog seam for a test: records every request and answers from
// queues (a message box with Ok or its first button when the queue is empty, a
// file or folder chooser with "cancel" when its queue is empty).
class DialogRecorder : public Dialogs::Handler {
public:
    DialogRecorder();
    ~DialogRecorder() override;

    QMessageBox::StandardButton message(const Dialogs::Request& request) override;
    QString choosePath(const Dialogs::Request& request) override;

    QList<Dialogs::Request> requests;
    QQueue<QMessageBox::StandardButton> buttonAnswers;
    QQueue<QString> pathAnswers;

    // Texts of the message boxes shown so far.
    QStringList messageTexts() const;
    void clear() { requests.clear(); }
};
