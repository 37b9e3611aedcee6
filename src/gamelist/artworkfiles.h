#pragma once

#include <QString>

// Where a game's pictures live: Images/big_<name>.jpg (poster) and
// Images/thumb_<name>.jpg (thumbnail) under the program folder, with the
// installed "unknown" pictures standing in for a game that has none.
namespace artworkfiles {

enum class Kind { Poster, Thumbnail };

// The game's own file, whether or not it exists.
QString path(const QString& appFolder, Kind kind, const QString& gameName);
// The game's own file when it exists, otherwise the fallback picture.
QString pathOrFallback(const QString& appFolder, Kind kind, const QString& gameName);

} // namespace artworkfiles
