#pragma once

#include "store/playtimestore.h"

#include <QDate>
#include <QString>

// The play figures as the game list's tool tip words them.
namespace playtimetext {

// "12 h 05 min": whole hours, then minutes as two digits; under a minute of
// counted play reads "under 1 min" so that a played game never shows zero.
QString duration(qint64 seconds);

// "today", "yesterday", or the date as "10 Dec 2026", by the local calendar
// day of `when` seen from `today`.
QString day(const QDateTime& when, const QDate& today);

// The game's tool tip: its name, then its play time and when it was last
// played, or that it has not been played yet.
QString toolTip(const QString& name, const PlayStats* stats, const QDate& today);

} // namespace playtimetext
