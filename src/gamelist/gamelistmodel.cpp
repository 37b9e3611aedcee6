#include "gamelist/gamelistmodel.h"

#include <algorithm>

int GameListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_entries.size());
}

QVariant GameListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_entries.size())
        return {};
    const Entry& entry = m_entries.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return entry.caption;
    case ImageRole:
        return m_images.at(entry.image);
    default:
        return {};
    }
}

Qt::ItemFlags GameListModel::flags(const QModelIndex& index) const {
    // Captions are never edited in place.
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren
                           : Qt::NoItemFlags;
}

void GameListModel::clear() {
    beginResetModel();
    m_entries.clear();
    m_images.clear();
    endResetModel();
}

void GameListModel::setEntries(const QStringList& captions, QList<QImage> cells) {
    Q_ASSERT(captions.size() == cells.size());
    beginResetModel();
    m_entries.clear();
    m_entries.reserve(captions.size());
    for (qsizetype i = 0; i < captions.size(); ++i)
        m_entries.append(Entry{captions.at(i), int(i)});
    m_images.assign(std::move(cells));
    endResetModel();
}

void GameListModel::replacePictures(const QStringList& captions, const QList<QImage>& cells) {
    Q_ASSERT(captions.size() == cells.size());
    const qsizetype n = std::min(captions.size(), m_entries.size());
    for (qsizetype i = 0; i < n; ++i)
        if (m_entries.at(i).image == int(i) && m_entries.at(i).caption == captions.at(i) &&
            !cells.at(i).isNull())
            m_images.replace(int(i), cells.at(i));
    if (n > 0)
        emit dataChanged(index(0), index(int(n) - 1), {ImageRole});
}

int GameListModel::append(const QString& caption, const QImage& picture) {
    const int row = static_cast<int>(m_entries.size());
    const int image = m_images.add(picture);
    beginInsertRows({}, row, row);
    m_entries.append(Entry{caption, image});
    endInsertRows();
    return row;
}

void GameListModel::setCaption(int row, const QString& caption) {
    m_entries[row].caption = caption;
    const QModelIndex i = index(row);
    emit dataChanged(i, i, {Qt::DisplayRole, Qt::ToolTipRole});
}

void GameListModel::setImage(int row, const QImage& picture) {
    m_entries[row].image = m_images.add(picture);
    const QModelIndex i = index(row);
    emit dataChanged(i, i, {ImageRole});
}
