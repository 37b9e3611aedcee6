#include "store/playtimetext.h"

#include <QLocale>

namespace playtimetext {

QString duration(qint64 seconds) {
    if (seconds > 0 && seconds < 60)
        return QStringLiteral("under 1 min");
    const qint64 minutes = seconds / 60;
    return QStringLiteral("%1 h %2 min").arg(minutes / 60).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString day(const QDateTime& when, const QDate& today) {
    const QDate date = when.toLocalTime().date();
    if (date == today)
        return QStringLiteral("today");
    if (date == today.addDays(-1))
        return QStringLiteral("yesterday");
    // English month names whatever the user's locale, as every other text of the program.
    return QLocale::c().toString(date, QStringLiteral("d MMM yyyy"));
}

QString toolTip(const QString& name, const PlayStats* stats, const QDate& today) {
    if (!stats || !stats->lastPlayed.isValid())
        return name + QStringLiteral("\nNot played yet");
    return name + QStringLiteral("\nPlay time: ") + duration(stats->seconds) +
           QStringLiteral("\nLast played: ") + day(stats->lastPlayed, today);
}

} // namespace playtimetext
