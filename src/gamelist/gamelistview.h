#pragma once

#include "gamelist/thumbnailset.h"

#include <QElapsedTimer>
#include <QImage>
#include <QListView>
#include <QTimer>

class GameListDelegate;
class GameListFilter;
class GameListModel;
class ImageList;

// The game list: the games' thumbnails with their names in a grid of large
// icons. One entry at most is selected, the selection stays visible without
// focus, and captions are never edited in place. Each entry's picture is a
// position in the list's image list.
//
// The grid shows the entries through a filter (search text and order, see
// GameListFilter). Rows, positions and the selection are where entries stand
// in the grid as shown; with no search text and the name order that is the
// model's own order. count() alone counts every entry, shown or not.
//
// Keys: the arrows, Home, End, Page Up and Page Down move the selection; a
// typed letter jumps to the next game whose name starts with it (accents and
// letter case aside; letters typed quickly one after another extend the
// prefix); Enter, Delete and F2 or Ctrl+E are handed on as startRequested,
// deleteRequested and editRequested.
class GameListView : public QListView {
    Q_OBJECT
public:
    // Cells read ahead of scrolling at most.
    static constexpr int kReadAheadCells = 96;

    explicit GameListView(QWidget* parent = nullptr);

    // Every entry, also those the search hides.
    int count() const;
    // The entries the grid shows.
    int visibleCount() const;
    GameListFilter* filter() const { return m_filter; }
    QString caption(int row) const;
    void setCaption(int row, const QString& caption);
    // The selected entry, -1 when none is.
    int selectedRow() const;
    // The entry that holds the focus mark, -1 when none does.
    int focusedRow() const;
    // The first entry whose caption equals the text without letter case (as the
    // database compares names), -1 when none does.
    int findCaption(const QString& caption) const;
    // Appends the picture to the image list and points the entry at it.
    void setEntryImage(int row, const QImage& thumb);
    int imageCount() const;
    const ImageList& imageList() const;

    // Removes every entry and every image.
    void clear();
    // Replaces every entry and image: entry i shows caption i and cell i, a
    // picture already fitted to the image list's cell.
    void setEntries(const QStringList& captions, QList<QImage> cells);
    // The same with the cells of a rebuild's set, read as they are painted.
    void setEntries(const QStringList& captions, ThumbnailSet::Pointer pictures);
    // The same pictures from another set (see GameListModel::replacePictures()).
    void replacePictures(const QStringList& captions, ThumbnailSet::Pointer pictures);
    // Appends the picture to the image list and an entry with that caption pointing at it.
    int addEntry(const QString& caption, const QImage& thumb);
    // Selects the entry, gives it the focus mark and scrolls it into view.
    void selectRow(int row);
    // Distance between the left edges (cx) and top edges (cy) of neighbouring
    // cells, in pixels; 0 keeps the default for that direction.
    void setIconSpacing(int cx, int cy);
    QSize cellSize() const { return gridSize(); }

signals:
    // A click of the left mouse button anywhere in the list, also on empty space.
    void mouseClicked();
    // A double click of the left mouse button anywhere in the list.
    void mouseDoubleClicked();
    // Enter or Return with an entry selected.
    void startRequested();
    // Delete with an entry selected.
    void deleteRequested();
    // F2 or Ctrl+E with an entry selected.
    void editRequested();
    // The context menu was asked for on an entry: by the right mouse button on
    // it, or by the Menu key (Shift+F10) for the selected entry. The menu is to
    // open at `globalPos`.
    void entryMenuRequested(int row, const QPoint& globalPos);
    // The context menu was asked for where there is no entry.
    void emptyMenuRequested(const QPoint& globalPos);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyboardSearch(const QString& search) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void updateCells();
    // Reads the cells of the screen below the one painted, so that scrolling
    // on finds them in memory.
    void readAhead();

    GameListModel* m_model;
    GameListFilter* m_filter;
    GameListDelegate* m_delegate;
    QSize m_spacing;
    QString m_typeAhead; // folded
    QElapsedTimer m_typeAheadTimer;
    QTimer m_readAhead;
};
