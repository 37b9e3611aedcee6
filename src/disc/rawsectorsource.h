#pragma once

#include "disc/sectorsource.h"

#include <array>
#include <memory>

namespace disc {

class ImageFile;

// Sectors stored one after another in a file: plain 2048-byte ISO images, and raw CD
// images of 2352 bytes a sector (2448 with subchannel data) whose user data lies after
// the sync pattern and header: at byte 16 in a mode 1 sector, at byte 24 in mode 2 form 1.
class RawSectorSource : public SectorSource {
public:
    // `fileOffset` is where sector 0 starts in the file (a cue sheet's INDEX 01).
    RawSectorSource(ImageFile& file, qint64 fileOffset, int blockSize, int dataOffset);

    // Finds the layout of the image from its volume descriptor at sector 16: "CD001" at
    // user data byte 1, as the emulator's InputIsoFile::Detect probes its block sizes.
    // `blockSize` 0 tries all; otherwise only that size. Returns null when none fits.
    static std::unique_ptr<RawSectorSource> detect(ImageFile& file, qint64 fileOffset, int blockSize = 0);

    quint64 sectorCount() const override;
    void read(quint64 lsn, char* out) override;
    void readRun(quint64 lsn, quint32 count, char* out) override;

    int blockSize() const { return m_blockSize; }
    int dataOffset() const { return m_dataOffset; }

private:
    void keepDescriptor(const char* userData);

    ImageFile& m_file;
    qint64 m_fileOffset;
    int m_blockSize;
    int m_dataOffset;
    // The volume descriptor's sector, read by detect(); the file system asks for it next.
    std::array<char, SectorSize> m_descriptor{};
    bool m_hasDescriptor = false;
};

} // namespace disc
