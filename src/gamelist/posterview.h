#pragma once

#include <QLabel>

// The poster of the selected game, stretched over its whole area.
class PosterView : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
};
