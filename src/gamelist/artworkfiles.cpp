#include "gamelist/artworkfiles.h"

#include <QFileInfo>

namespace artworkfiles {

namespace {
QString fileIn(const QString& appFolder, Kind kind, const QString& baseName) {
    const QLatin1String prefix(kind == Kind::Poster ? "Images/big_" : "Images/thumb_");
    return appFolder + prefix + baseName + QStringLiteral(".jpg");
}
} // namespace

QString path(const QString& appFolder, Kind kind, const QString& gameName) {
    return fileIn(appFolder, kind, gameName);
}

QString pathOrFallback(const QString& appFolder, Kind kind, const QString& gameName) {
    const QString own = fileIn(appFolder, kind, gameName);
    return QFileInfo::exists(own) ? own : fileIn(appFolder, kind, QStringLiteral("unknown"));
}

} // namespace artworkfiles
