#pragma once

#include "store/playtimestore.h"

#include <QHash>
#include <QSortFilterProxyModel>
#include <QString>

// What the grid shows of the game list: the games whose names contain the
// search text (without letter case and accents), in the chosen order. It sits
// between the list's model and the view and never changes the model: the
// entries, their order and their pictures stay as the rebuild made them. The
// name order is the model's own (the database's order); the play orders put
// the most recently or most played games first and keep name order among
// equals. Filtering and ordering happen only when asked for (a rename's new
// caption neither hides nor moves its entry until the next change), as the
// list is never re-sorted behind the user's back.
//
// It also gives each entry its tool tip: the name, its play time and when it
// was last played, and what is known of its disc.
class GameListFilter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    enum class Order { Name = 0, LastPlayed = 1, MostPlayed = 2 };

    explicit GameListFilter(QObject* parent = nullptr);

    void setSearchText(const QString& text);
    const QString& searchText() const { return m_searchText; }
    void setOrder(Order order);
    Order order() const { return m_order; }
    // The play figures of the games by name, as the play-time store gives them.
    void setPlayStats(QHash<QString, PlayStats> stats);
    const PlayStats* playStats(const QString& name) const;
    // A line about each game's disc (serial, region, compatibility), keyed by
    // the name in lower case; added to the game's tool tip.
    void setDiscLines(QHash<QString, QString> lines);

    // The name of the entry at a visible position, folded as the search folds it.
    QString foldedCaption(int row) const;

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    const QString& folded(const QString& caption) const;
    void applyOrder();

    QString m_searchText;
    QString m_foldedSearch;
    Order m_order = Order::Name;
    QHash<QString, PlayStats> m_stats;
    QHash<QString, QString> m_discLines;
    // Folded names by name: each name is folded once, not once per key typed.
    mutable QHash<QString, QString> m_foldCache;
};
