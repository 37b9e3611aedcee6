#include "gamelist/gamelistfilter.h"

#include "core/searchtext.h"
#include "store/playtimetext.h"

#include <QDate>

GameListFilter::GameListFilter(QObject* parent) : QSortFilterProxyModel(parent) {
    setDynamicSortFilter(false);
}

void GameListFilter::setSearchText(const QString& text) {
    if (text == m_searchText)
        return;
    m_searchText = text;
    m_foldedSearch = text.trimmed().isEmpty() ? QString() : searchtext::fold(text);
    invalidateFilter();
}

void GameListFilter::setOrder(Order order) {
    if (order == m_order)
        return;
    m_order = order;
    applyOrder();
}

void GameListFilter::applyOrder() {
    // Sorting again never filters again: an entry renamed since the last
    // search stays where it is shown.
    sort(m_order == Order::Name ? -1 : 0); // -1: the model's own order
}

void GameListFilter::setPlayStats(QHash<QString, PlayStats> stats) {
    m_stats = std::move(stats);
    if (m_order != Order::Name)
        applyOrder();
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::ToolTipRole});
}

void GameListFilter::setDiscLines(QHash<QString, QString> lines) {
    m_discLines = std::move(lines);
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::ToolTipRole});
}

const PlayStats* GameListFilter::playStats(const QString& name) const {
    const auto it = m_stats.constFind(name);
    return it == m_stats.cend() ? nullptr : &*it;
}

const QString& GameListFilter::folded(const QString& caption) const {
    auto it = m_foldCache.find(caption);
    if (it == m_foldCache.end())
        it = m_foldCache.insert(caption, searchtext::fold(caption));
    return *it;
}

QString GameListFilter::foldedCaption(int row) const {
    return folded(index(row, 0).data(Qt::DisplayRole).toString());
}

QVariant GameListFilter::data(const QModelIndex& index, int role) const {
    if (role != Qt::ToolTipRole)
        return QSortFilterProxyModel::data(index, role);
    const QString name = QSortFilterProxyModel::data(index, Qt::DisplayRole).toString();
    const QString tip = playtimetext::toolTip(name, playStats(name), QDate::currentDate());
    const auto disc = m_discLines.constFind(name.toLower());
    return disc == m_discLines.cend() ? tip : tip + u'\n' + *disc;
}

bool GameListFilter::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    if (m_foldedSearch.isEmpty())
        return true;
    const QString caption = sourceModel()->index(sourceRow, 0, sourceParent).data(Qt::DisplayRole).toString();
    return folded(caption).contains(m_foldedSearch);
}

bool GameListFilter::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    const PlayStats* l = playStats(left.data(Qt::DisplayRole).toString());
    const PlayStats* r = playStats(right.data(Qt::DisplayRole).toString());
    const qint64 lKey = !l                             ? -1
                        : m_order == Order::LastPlayed ? l->lastPlayed.toMSecsSinceEpoch()
                                                       : l->seconds;
    const qint64 rKey = !r                             ? -1
                        : m_order == Order::LastPlayed ? r->lastPlayed.toMSecsSinceEpoch()
                                                       : r->seconds;
    if (lKey != rKey)
        return lKey > rKey;          // the larger figure first
    return left.row() < right.row(); // among equals, the name order
}
