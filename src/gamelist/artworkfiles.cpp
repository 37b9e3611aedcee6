#include "gamelist/artworkfiles.h"

#include "core/programfiles.h"
#include "store/encodings.h"

#include <QFileInfo>

namespace artworkfiles {

namespace {

const QString kFallbackName = QStringLiteral("unknown");

QString fileIn(const QString& appFolder, Kind kind, const QString& baseName) {
    const QLatin1String prefix(kind == Kind::Poster ? "Images/big_" : "Images/thumb_");
    return appFolder + prefix + baseName + QStringLiteral(".jpg");
}

} // namespace

bool isFallbackName(const QString& gameName) {
    // Without letter case: on a case-blind file system "UNKNOWN" names the same files.
    return gameName.compare(kFallbackName, Qt::CaseInsensitive) == 0;
}

QString fallbackNameRefusal(const QString& gameName) {
    return QStringLiteral("The name \"%1\" is kept for the pictures of games without artwork; "
                          "choose another name")
        .arg(gameName);
}

bool hasOwnArtwork(const QString& gameName) {
    if (!enc::IsValidProfileName(gameName) || enc::trimmed(gameName) != gameName || isFallbackName(gameName))
        return false;
    // Lone surrogates stand for bytes of a stored name that were not UTF-8.
    if (!gameName.isValidUtf16())
        return false;
    for (const QChar c : gameName) {
        if (c.unicode() < 32 || c.unicode() == 127)
            return false;
    }
    return true;
}

QString path(const QString& appFolder, Kind kind, const QString& gameName) {
    return hasOwnArtwork(gameName) ? fileIn(appFolder, kind, gameName) : QString();
}

QString pathOrFallback(const QString& appFolder, Kind kind, const QString& gameName,
                       const QStringList& fallbackFolders) {
    const QString own = path(appFolder, kind, gameName);
    return !own.isEmpty() && QFileInfo::exists(own) ? own : fallbackPath(appFolder, kind, fallbackFolders);
}

QString doubleSizePath(const QString& path) {
    const qsizetype dot = path.lastIndexOf(u'.');
    const qsizetype slash = path.lastIndexOf(u'/');
    return dot > slash ? path.left(dot) + QStringLiteral("@2x") + path.mid(dot)
                       : path + QStringLiteral("@2x");
}

QString fallbackPath(const QString& appFolder, Kind kind, const QStringList& fallbackFolders) {
    if (fallbackFolders.isEmpty())
        return fileIn(appFolder, kind, kFallbackName);
    return programfiles::locateIn(fallbackFolders, fileIn(QString(), kind, kFallbackName));
}

} // namespace artworkfiles
