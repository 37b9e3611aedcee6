#pragma once

#include "disc/sectorsource.h"

#include <QByteArray>
#include <QHash>
#include <memory>

namespace disc {

class ImageFile;

// A gzip-compressed 2048-byte ISO image (".gz"). The emulator's GzippedFileReader builds a
// seek index over the whole file; identifying needs only a few sectors near the start, so
// this reads forward through the stream, keeps the sectors asked for, and starts over only
// when an earlier sector is asked for again. It stops after MaxUnpackedBytes.
class GzipSectorSource : public SectorSource {
public:
    // Checks the gzip magic. Throws KorvelloError.
    explicit GzipSectorSource(ImageFile& file);
    ~GzipSectorSource() override;

    // Sector count is unknown until the end of the stream; reads past the end throw.
    quint64 sectorCount() const override;
    void read(quint64 lsn, char* out) override;

    static constexpr quint64 MaxUnpackedBytes = quint64(1) << 30;

private:
    struct Stream;
    void restart();
    // Unpacks the next sector into m_sector; false at the end of the data.
    bool nextSector();

    ImageFile& m_file;
    std::unique_ptr<Stream> m_stream;
    QByteArray m_sector;
    quint64 m_nextLsn = 0;
    quint64 m_unpacked = 0;
    QHash<quint64, QByteArray> m_kept;
};

} // namespace disc
