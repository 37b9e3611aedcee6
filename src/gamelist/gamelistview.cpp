#include "gamelist/gamelistview.h"

#include "core/searchtext.h"
#include "gamelist/gamelistdelegate.h"
#include "gamelist/gamelistfilter.h"
#include "gamelist/gamelistmodel.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>

GameListView::GameListView(QWidget* parent)
    : QListView(parent), m_model(new GameListModel(this)), m_filter(new GameListFilter(this)),
      m_delegate(new GameListDelegate(this)) {
    m_filter->setSourceModel(m_model);
    setModel(m_filter);
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
    m_readAhead.setSingleShot(true);
    connect(&m_readAhead, &QTimer::timeout, this, &GameListView::readAhead);
}

int GameListView::count() const {
    return m_model->rowCount();
}

int GameListView::visibleCount() const {
    return m_filter->rowCount();
}

QString GameListView::caption(int row) const {
    return m_filter->index(row, 0).data(Qt::DisplayRole).toString();
}

void GameListView::setCaption(int row, const QString& caption) {
    const QModelIndex source = m_filter->mapToSource(m_filter->index(row, 0));
    if (source.isValid())
        m_model->setCaption(source.row(), caption);
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
    for (int row = 0; row < visibleCount(); ++row)
        if (this->caption(row).compare(caption, Qt::CaseInsensitive) == 0)
            return row;
    return -1;
}

void GameListView::setEntryImage(int row, const QImage& thumb) {
    const QModelIndex source = m_filter->mapToSource(m_filter->index(row, 0));
    if (source.isValid())
        m_model->setImage(source.row(), thumb);
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
    m_model->setEntries(captions, ThumbnailSet::fromCells(std::move(cells)));
}

void GameListView::setEntries(const QStringList& captions, ThumbnailSet::Pointer pictures) {
    m_model->setEntries(captions, std::move(pictures));
}

void GameListView::replacePictures(const QStringList& captions, ThumbnailSet::Pointer pictures) {
    m_model->replacePictures(captions, std::move(pictures));
}

int GameListView::addEntry(const QString& caption, const QImage& thumb) {
    return m_model->append(caption, thumb);
}

void GameListView::selectRow(int row) {
    const QModelIndex index = m_filter->index(row, 0);
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

void GameListView::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
    if (event->reason() == QContextMenuEvent::Mouse) {
        // A mouse request reaches the list through its viewport, in viewport coordinates.
        const QModelIndex index = indexAt(event->pos());
        if (index.isValid())
            emit entryMenuRequested(index.row(), event->globalPos());
        else
            emit emptyMenuRequested(event->globalPos());
        return;
    }
    // From the keyboard: the selected entry's menu, opened on that entry.
    const int row = selectedRow();
    if (row < 0) {
        emit emptyMenuRequested(viewport()->mapToGlobal(viewport()->rect().center()));
        return;
    }
    const QRect cell = visualRect(model()->index(row, 0));
    emit entryMenuRequested(row, viewport()->mapToGlobal(cell.center()));
}

void GameListView::changeEvent(QEvent* event) {
    QListView::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        updateCells();
}

void GameListView::paintEvent(QPaintEvent* event) {
    QListView::paintEvent(event);
    // After the frame is shown, not before it.
    m_readAhead.start(0);
}

void GameListView::readAhead() {
    const QSize cell = gridSize();
    if (cell.isEmpty())
        return;
    const QModelIndex first = indexAt(QPoint(cell.width() / 2, 1));
    if (!first.isValid())
        return;
    // The next screen of cells, at most kReadAheadCells of them: with what is
    // on screen that stays well within what the cell reader keeps.
    const int columns = std::max(viewport()->width() / cell.width(), 1);
    const int screen = columns * (viewport()->height() / cell.height() + 2);
    const int start = first.row() + screen;
    const int end = std::min({start + screen, start + kReadAheadCells, visibleCount()});
    for (int row = start; row < end; ++row)
        m_filter->index(row, 0).data(GameListModel::ImageRole);
}

void GameListView::keyPressEvent(QKeyEvent* event) {
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        if (selectedRow() >= 0)
            emit startRequested();
        return;
    }
    if (plain && event->key() == Qt::Key_Delete) {
        if (selectedRow() >= 0)
            emit deleteRequested();
        return;
    }
    // The view would take F2 as its own edit key (captions are never edited here).
    if ((plain && event->key() == Qt::Key_F2) ||
        (event->modifiers() == Qt::ControlModifier && event->key() == Qt::Key_E)) {
        if (selectedRow() >= 0)
            emit editRequested();
        return;
    }
    QListView::keyPressEvent(event);
    // Ctrl+Space would leave nothing selected; once an entry has been
    // selected one stays selected, as with the mouse.
    if (selectedRow() < 0 && currentIndex().isValid())
        selectRow(currentIndex().row());
}

void GameListView::keyboardSearch(const QString& search) {
    const int n = visibleCount();
    if (n == 0 || search.isEmpty())
        return;
    if (!m_typeAheadTimer.isValid() || m_typeAheadTimer.elapsed() > QApplication::keyboardInputInterval())
        m_typeAhead.clear();
    m_typeAheadTimer.start();
    m_typeAhead += searchtext::fold(search);
    // One letter, or the same letter again and again, steps to the next game
    // starting with it; a longer prefix may still be the current game's.
    const bool oneLetter = m_typeAhead.count(m_typeAhead.front()) == m_typeAhead.size();
    const QString prefix = oneLetter ? m_typeAhead.left(1) : m_typeAhead;
    const int current = qMax(selectedRow(), 0);
    const int from = oneLetter && selectedRow() >= 0 ? current + 1 : current;
    for (int i = 0; i < n; ++i) {
        const int row = (from + i) % n;
        if (m_filter->foldedCaption(row).startsWith(prefix)) {
            selectRow(row);
            return;
        }
    }
}

QModelIndex GameListView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    // Home and End go to the first and the last game, not to the ends of the
    // current column as a grid of icons would.
    if (action == MoveHome && visibleCount() > 0)
        return model()->index(0, 0);
    if (action == MoveEnd && visibleCount() > 0)
        return model()->index(visibleCount() - 1, 0);
    return QListView::moveCursor(action, modifiers);
}
