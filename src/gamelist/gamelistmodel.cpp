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

void GameListModel::setEntries(const QStringList& captions, ThumbnailSet::Pointer pictures) {
    Q_ASSERT(captions.size() == (pictures ? pictures->count() : 0));
    beginResetModel();
    m_entries.clear();
    m_entries.reserve(captions.size());
    for (qsizetype i = 0; i < captions.size(); ++i)
        m_entries.append(Entry{captions.at(i), int(i)});
    m_images.assign(std::move(pictures));
    endResetModel();
}

void GameListModel::replacePictures(const QStringList& captions, ThumbnailSet::Pointer pictures) {
    const int fromSet = m_images.setCount();
    if (!pictures || pictures->count() != captions.size() || captions.size() != fromSet)
        return;
    // An entry that was renamed, or whose row shows another set's image, keeps
    // the picture it shows as an image of its own; the others take the new set's.
    QList<std::pair<int, QImage>> kept;
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        const Entry& entry = m_entries.at(i);
        if (entry.image < fromSet && (entry.image != int(i) || entry.caption != captions.at(i)))
            kept.append({int(i), m_images.at(entry.image)});
    }
    QList<QImage> added;
    for (int image = fromSet; image < m_images.count(); ++image)
        added.append(m_images.at(image));
    m_images.assign(std::move(pictures));
    for (const QImage& image : std::as_const(added))
        m_images.addCell(image);
    for (const auto& [row, image] : std::as_const(kept))
        m_entries[row].image = m_images.addCell(image);
    if (!m_entries.isEmpty())
        emit dataChanged(index(0), index(int(m_entries.size()) - 1), {ImageRole});
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
