#pragma once

#include <QString>
#include <QStringList>

// Where a game's pictures live: Images/big_<name>.jpg (poster) and
// Images/thumb_<name>.jpg (thumbnail) under the program folder, with the
// installed "unknown" pictures standing in for a game that has none.
//
// Only a name that can safely be part of a file name in Images has pictures of
// its own: it passes the profile-name check (so no "/" and no way out of the
// folder), is trimmed, holds no control characters and only whole characters
// (no bytes that were not UTF-8), and is not the fallback pictures' own name.
// Any other stored name shows the fallback pictures, and its files are never
// read, moved or deleted.
namespace artworkfiles {

enum class Kind { Poster, Thumbnail };

// True when the name has artwork files of its own (see above).
bool hasOwnArtwork(const QString& gameName);
// True when the name's artwork files would be the fallback pictures ("unknown",
// compared without letter case).
bool isFallbackName(const QString& gameName);
// The message that refuses such a name at Add Game, Save and import.
QString fallbackNameRefusal(const QString& gameName);

// The game's own file, whether or not it exists; empty when the name has none.
QString path(const QString& appFolder, Kind kind, const QString& gameName);
// The game's own file when it exists, otherwise the fallback picture.
QString pathOrFallback(const QString& appFolder, Kind kind, const QString& gameName,
                       const QStringList& fallbackFolders = {});
// The file of twice the design's size beside a picture file, for screens
// scaled to 150 % and more: "Images/thumb_<name>@2x.jpg" beside
// "Images/thumb_<name>.jpg".
QString doubleSizePath(const QString& path);
// The shared fallback picture of `kind` ("Images/thumb_unknown.jpg",
// "Images/big_unknown.jpg"): in the first of `fallbackFolders` that holds it (an
// installed program keeps it in its data folder), in appFolder when the list is empty.
QString fallbackPath(const QString& appFolder, Kind kind, const QStringList& fallbackFolders = {});

} // namespace artworkfiles
