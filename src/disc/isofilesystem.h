#pragma once

#include <QByteArray>
#include <QString>
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

    // A directory larger than this is refused; real discs' directories take a few sectors.
    static constexpr quint32 MaxDirectoryBytes = 1024 * 1024;

private:
    void checkExtent(const Entry& entry, const QString& name) const;

    SectorSource& m_source;
    Entry m_root;
};

} // namespace disc
