#pragma once

#include <QString>
#include <optional>

namespace disc {

// One entry of the current emulator builds' game list cache ("<data folder>/cache/gamelist.cache").
struct GameListCacheEntry {
    QString path;
    QString serial;
    QString title;
    quint8 type = 0; // 0 PS2 disc, 1 PS1 disc, 2 ELF, 3 invalid
    quint64 totalSize = 0;
    quint64 lastModified = 0; // seconds since 1970, as the emulator's file scan reports it
    quint32 crc = 0;
};

// Reads the emulator's binary game list cache, written by GameList::WriteEntryToCache:
// the signature 0x45434C47 and version 34 as little-endian 32-bit words, then entries of
// path, serial, title, sort title and English title (each a 32-bit length and that many
// bytes), type and region (one byte each), size and modification time (64 bits each), CRC
// (32 bits) and compatibility (one byte). The emulator keeps the last entry of a path.
namespace gamelistcache {

constexpr quint32 Signature = 0x45434C47;
constexpr quint32 Version = 34;
// The cache holds a few hundred bytes a game; a file larger than this is not one.
constexpr qint64 MaxCacheBytes = 256 * 1024 * 1024;

// The entry for `imagePath` (compared as given and as its canonical path). Throws
// KorvelloError when the cache cannot be read or is damaged; nothing when no entry matches.
std::optional<GameListCacheEntry> find(const QString& cachePath, const QString& imagePath);

} // namespace gamelistcache

} // namespace disc
