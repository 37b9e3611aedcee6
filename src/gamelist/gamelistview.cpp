#include "gamelistview.h"

GameListView::GameListView(QWidget* parent) : QListView(parent) {}

int GameListView::count() const { return model() ? model()->rowCount() : 0; }
