#include "gamelist/gamelistview.h"

#include "gamelist/gamelistdelegate.h"
#include "gamelist/gamelistmodel.h"

#include <QEvent>
#include <QMouseEvent>

GameListView::GameListView(QWidget* parent)
    : QListView(parent), m_model(new GameListModel(this)), m_delegate(new GameListDelegate(this)) {
    setModel(m_model);
    setItemDelegate(m_delegate);
    setViewMode(QListView::IconMode);
    setMovement(QListView::Static);
    setFlow(QListView::LeftToRight);
    setWrapping(true);
    setResizeMode(QListView::Adjust);
    setUniformItemSizes(true);
    setIconSize(QSize(ImageList::kWidth, ImageList::kHeight));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    updateCells();
}

int GameListView::count() const {
    return m_model->rowCount();
}

QString GameListView::caption(int row) const {
    return m_model->caption(row);
}

void GameListView::setCaption(int row, const QString& caption) {
    m_model->setCaption(row, caption);
}

int GameListView::selectedRow() const {
    const QModelIndexList rows = selectionModel()->selectedIndexes();
    return rows.isEmpty() ? -1 : rows.first().row();
}

int GameListView::focusedRow() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

int GameListView::findCaption(const QString& caption) const {
    for (int row = 0; row < count(); ++row)
        if (m_model->caption(row).compare(caption, Qt::CaseInsensitive) == 0)
            return row;
    return -1;
}

void GameListView::setEntryImage(int row, const QImage& thumb) {
    m_model->setImage(row, thumb);
}

int GameListView::imageCount() const {
    return m_model->images().count();
}

const ImageList& GameListView::imageList() const {
    return m_model->images();
}

void GameListView::clear() {
    m_model->clear();
}

void GameListView::setEntries(const QStringList& captions, QList<QImage> cells) {
    m_model->setEntries(captions, std::move(cells));
}

int GameListView::addEntry(const QString& caption, const QImage& thumb) {
    return m_model->append(caption, thumb);
}

void GameListView::selectRow(int row) {
    const QModelIndex index = m_model->index(row);
    if (!index.isValid())
        return;
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    scrollTo(index);
}

void GameListView::setIconSpacing(int cx, int cy) {
    m_spacing = QSize(cx, cy);
    updateCells();
}

void GameListView::updateCells() {
    const int width = m_spacing.width() > 0 ? m_spacing.width() : ImageList::kWidth + 16;
    const int height = m_spacing.height() > 0 ? m_spacing.height() : GameListDelegate::cellHeight(font());
    const QSize cell(width, height);
    m_delegate->setCellSize(cell);
    setGridSize(cell);
}

void GameListView::mouseReleaseEvent(QMouseEvent* event) {
    QListView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton)
        emit mouseClicked();
}

void GameListView::mouseDoubleClickEvent(QMouseEvent* event) {
    QListView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit mouseDoubleClicked();
}

void GameListView::changeEvent(QEvent* event) {
    QListView::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        updateCells();
}
