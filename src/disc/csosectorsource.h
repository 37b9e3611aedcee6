#pragma once

#include "disc/sectorsource.h"

#include <QByteArray>

namespace disc {

class ImageFile;

// A CSO (magic "CISO", raw deflate frames) or ZSO (magic "ZISO", LZ4 block frames) image,
// read as the emulator's CsoFileReader reads it: a 24-byte header, then one 32-bit index
// entry per frame (its position shifted by the header's alignment; the top bit marks a frame
// stored uncompressed). Only the two index entries of a needed frame are read.
class CsoSectorSource : public SectorSource {
public:
    // Reads and checks the header. Throws KorvelloError.
    explicit CsoSectorSource(ImageFile& file);

    quint64 sectorCount() const override;
    void read(quint64 lsn, char* out) override;

    // Frames larger than this are refused; maxcso writes 2 KiB to 16 KiB frames.
    static constexpr quint32 MaxFrameSize = 1024 * 1024;

private:
    void loadFrame(quint64 frame);

    ImageFile& m_file;
    bool m_lz4 = false;
    quint64 m_totalBytes = 0;
    quint32 m_frameSize = 0;
    int m_frameShift = 0;
    int m_indexShift = 0;
    quint64 m_frameCount = 0;
    QByteArray m_frame;
    quint64 m_loadedFrame = ~quint64(0);
};

} // namespace disc
