#pragma once

#include <QStringList>

// The order in which people read a list of names: the user's language's
// collation, where letter case and accents are told apart only after the
// letters themselves ("éclair" between "Eagle" and "Ezio", not after "Zone"),
// and numbers inside names go by their value ("Game 2" before "Game 10").
namespace nameorder {

// Sorts `names` in that order; equal names keep their order.
void sort(QStringList& names);

} // namespace nameorder
