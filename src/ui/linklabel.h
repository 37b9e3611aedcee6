#pragma once

#include <QLabel>

// A label that shows one link and is one stop of the Tab walk: Tab and
// Shift+Tab leave it for the next control (a plain rich-text label keeps the
// keyboard to walk its own anchors), and Enter or Space opens the link.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    // `url` is opened through linkActivated(), as a click on it does.
    LinkLabel(const QString& url, const QString& caption, QWidget* parent = nullptr);

protected:
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString m_url;
};
