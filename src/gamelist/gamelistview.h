#pragma once

#include <QListView>

// The game list: thumbnails with names in a grid of large icons.
class GameListView : public QListView {
    Q_OBJECT
public:
    explicit GameListView(QWidget* parent = nullptr);
    int count() const;
};
