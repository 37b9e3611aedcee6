#pragma once

#include <QCheckBox>

// The three-state texture filtering box. A mouse button released over it, any
// button, does not toggle it as a check box would: the box only reports the
// release, and the editor's filtering cycle decides the state it takes.
// The keyboard toggles it the toolkit's way.
class FilteringCheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit FilteringCheckBox(const QString& text, QWidget* parent = nullptr);

signals:
    void mouseReleased(Qt::MouseButton button);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};
