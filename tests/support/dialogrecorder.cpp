#include "support/dialogrecorder.h"

DialogRecorder::DialogRecorder() {
    Dialogs::setHandler(this);
}
DialogRecorder::~DialogRecorder() {
    Dialogs::setHandler(nullptr);
}

QMessageBox::StandardButton DialogRecorder::message(const Dialogs::Request& request) {
    requests << request;
    if (!buttonAnswers.isEmpty())
        return buttonAnswers.dequeue();
    if (request.buttons & QMessageBox::Ok)
        return QMessageBox::Ok;
    for (int b = QMessageBox::FirstButton; b <= QMessageBox::LastButton; b <<= 1)
        if (request.buttons & b)
            return static_cast<QMessageBox::StandardButton>(b);
    return QMessageBox::NoButton;
}

QString DialogRecorder::choosePath(const Dialogs::Request& request) {
    requests << request;
    return pathAnswers.isEmpty() ? QString() : pathAnswers.dequeue();
}

QStringList DialogRecorder::messageTexts() const {
    QStringList texts;
    for (const Dialogs::Request& r : requests)
        if (r.kind == Dialogs::Kind::Message)
            texts << r.text;
    return texts;
}
