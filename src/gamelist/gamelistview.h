#pragma once

#include <QImage>
#include <QListView>

class GameListDelegate;
class GameListModel;
class ImageList;

// The game list: the games' thumbnails with their names in a grid of large
// icons. One entry at most is selected, the selection stays visible without
// focus, and captions are never edited in place. Entries are addressed by row;
// each entry's picture is a position in the list's image list.
class GameListView : public QListView {
    Q_OBJECT
public:
    explicit GameListView(QWidget* parent = nullptr);

    int count() const;
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

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void updateCells();

    GameListModel* m_model;
    GameListDelegate* m_delegate;
    QSize m_spacing;
};
