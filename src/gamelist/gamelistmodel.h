#pragma once

#include "gamelist/imagelist.h"

#include <QAbstractListModel>
#include <QList>
#include <QString>
#include <QStringList>

// The entries of the game list: a caption (the game's name) and the position
// of its picture in the image list, which the model owns.
class GameListModel : public QAbstractListModel {
    Q_OBJECT
public:
    // The entry's picture as a QImage.
    static constexpr int ImageRole = Qt::UserRole + 1;

    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Removes every entry and every image.
    void clear();
    // Replaces every entry and every image in one step: entry i gets caption i
    // and the set's cell i (see ImageList::assign()).
    void setEntries(const QStringList& captions, ThumbnailSet::Pointer pictures);
    // Gives entry i the same picture from another set, pictures' cell i, for
    // every entry that still has caption i and the image setEntries() gave it;
    // the others keep theirs.
    void replacePictures(const QStringList& captions, ThumbnailSet::Pointer pictures);
    // Appends the picture to the image list and an entry pointing at it.
    int append(const QString& caption, const QImage& picture);
    QString caption(int row) const { return m_entries.at(row).caption; }
    void setCaption(int row, const QString& caption);
    int imageIndex(int row) const { return m_entries.at(row).image; }
    // Appends the picture to the image list and points the entry at it.
    void setImage(int row, const QImage& picture);
    const ImageList& images() const { return m_images; }

private:
    struct Entry {
        QString caption;
        int image = -1;
    };
    QList<Entry> m_entries;
    ImageList m_images;
};
