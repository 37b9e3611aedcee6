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
    // one buffer that stays in the processor's cache: for a file that is only scanned.
    void streamFile(const Entry& entry, quint32 maxLength, const QString& name,
                    const std::function<void(const char* data, qsizetype length)>& consume);

    // Pieces of a streamed file: whole sectors, small enough for the processor's cache.
    static constexpr quint32 ChunkBytes = 256 * 1024;

    // A directory larger than this is refused; real discs' directories take a few sectors.
    static constexpr quint32 MaxDirectoryBytes = 1024 * 1024;

private:
    void checkExtent(const Entry& entry, const QString& name) const;
    void checkFile(const Entry& entry, quint32 maxLength, const QString& name) const;
    // Sector `lsn` of a directory, read once for consecutive look-ups in it.
    const char* directorySector(quint64 lsn);

    static constexpr quint64 NoSector = ~quint64(0);

    SectorSource& m_source;
    Entry m_root;
    quint64 m_cachedSector = NoSector;
    std::array<char, 2048> m_cached{};
};

} // namespace disc
