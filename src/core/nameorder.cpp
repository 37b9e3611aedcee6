#include "core/nameorder.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <numeric>
#include <vector>

namespace nameorder {

void sort(QStringList& names) {
    // The system's locale, not QLocale's default: the program sets the default
    // to C for its number texts. Qt collates the C locale by code points, which
    // puts every accented letter after "z": there English's collation serves.
    QLocale locale = QLocale::system();
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English);
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseSensitive); // case tells equal letters apart, after them
    collator.setNumericMode(true);
    // One key per name: 20,000 names are compared without collating each again.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(static_cast<size_t>(names.size()));
    for (const QString& name : std::as_const(names))
        keys.push_back(collator.sortKey(name));
    std::vector<qsizetype> order(static_cast<size_t>(names.size()));
    std::iota(order.begin(), order.end(), qsizetype(0));
    std::stable_sort(order.begin(), order.end(), [&keys](qsizetype a, qsizetype b) {
        return keys[static_cast<size_t>(a)].compare(keys[static_cast<size_t>(b)]) < 0;
    });
    QStringList sorted;
    sorted.reserve(names.size());
    for (const qsizetype i : order)
        sorted.append(names.at(i));
    names = std::move(sorted);
}

} // namespace nameorder
