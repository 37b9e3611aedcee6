#pragma once

#include <QtGlobal>

namespace disc {

// The 2048-byte user data sectors of a disc image, whatever the container: the
// file system reader asks for sectors by number and never sees the format.
class SectorSource {
public:
    static constexpr int SectorSize = 2048;

    virtual ~SectorSource() = default;
    // Number of sectors the image holds.
    virtual quint64 sectorCount() const = 0;
    // Copies the user data of sector `lsn` into `out` (SectorSize bytes). Throws
    // KorvelloError with the reason when the sector cannot be read.
    virtual void read(quint64 lsn, char* out) = 0;
    // Copies `count` sectors from `lsn` on into `out` (count * SectorSize bytes). A
    // container whose sectors lie back to back in the file reads them in one go.
    virtual void readRun(quint64 lsn, quint32 count, char* out) {
        for (quint32 i = 0; i < count; ++i)
            read(lsn + i, out + qsizetype(i) * SectorSize);
    }
};

} // namespace disc
