#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <functional>
#include <optional>

namespace disc {

class SectorSource;

// The ISO 9660 file system of a disc image, read the way the emulator's IsoReader reads
// it: the primary volume descriptor from sector 16 on, then one directory per path
// component, names compared without letter case and without their ";1" version.
// Every extent is checked against the image before it is read.
//
// The work is bounded whatever the image says, so that a crafted image of a few
// kilobytes cannot cost more than a real disc: a path has at most MaxPathBytes bytes
// and MaxPathDepth components, a walk enters each directory once (a folder that holds
// itself is a damaged image), and all look-ups of one image together scan at most
// MaxDirectorySectors directory sectors.
class IsoFileSystem {
public:
    struct Entry {
        quint32 sector = 0;
        quint32 length = 0;
        bool directory = false;
    };

    // Reads the primary volume descriptor. Throws KorvelloError.
    explicit IsoFileSystem(SectorSource& source);

    // The entry at `path` ("SYSTEM.CNF", "DATA\\MAIN.ELF"); nothing when a component is
    // missing. Throws on a damaged directory.
    std::optional<Entry> locate(const QString& path);
    // The whole file. Throws when it is longer than `maxLength` or lies outside the image.
    QByteArray readFile(const Entry& entry, quint32 maxLength, const QString& name);
    // The same file handed to `consume` in pieces of at most ChunkBytes, in order, through
    // one buffer kept for the thread: for a file that is only scanned.
    void streamFile(const Entry& entry, quint32 maxLength, const QString& name,
                    const std::function<void(const char* data, qsizetype length)>& consume);

    // Pieces of a streamed file: whole sectors, a megabyte at a time. Measured on a 1 MiB
    // L2 cache, four reads of 256 KiB cost the kernel more than the one read of a megabyte
    // saves the sum that follows it; a boot file is a few of these.
    static constexpr quint32 ChunkBytes = 1024 * 1024;

    // A directory larger than this is refused; real discs' directories take a few sectors.
    static constexpr quint32 MaxDirectoryBytes = 1024 * 1024;
    // ISO 9660 (ECMA-119 6.8.2.1) lets a directory tree go eight levels deep, the root
    // being the first, and a path be 255 bytes long; the PS2's discs are mastered to it, so
    // a boot path beyond either names no file of a real disc.
    static constexpr int MaxPathDepth = 8;
    static constexpr int MaxPathBytes = 255;
    // Directory sectors all look-ups of one image may scan (2 MiB of records): a real disc's
    // directories take a few sectors each, and identifying reads the root and the boot
    // file's folders. Each costs a frame's unpacking in a compressed image.
    static constexpr quint32 MaxDirectorySectors = 1024;

private:
    void checkExtent(const Entry& entry, const QString& name) const;
    void checkFile(const Entry& entry, quint32 maxLength, const QString& name) const;
    // Sector `lsn` of a directory, read once for consecutive look-ups in it.
    const char* directorySector(quint64 lsn);
    // The record named `wanted` in `directory`, or nothing.
    std::optional<Entry> findInDirectory(const Entry& directory, const QByteArray& wanted);

    static constexpr quint64 NoSector = ~quint64(0);

    SectorSource& m_source;
    Entry m_root;
    quint64 m_cachedSector = NoSector;
    quint32 m_directorySectorsScanned = 0;
    std::array<char, 2048> m_cached{};
};

} // namespace disc
