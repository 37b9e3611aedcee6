#include "disc/rawsectorsource.h"

#include "core/korvelloerror.h"
#include "disc/imagefile.h"

#include <array>
#include <cstring>

namespace disc {

namespace {

// The twelve bytes every raw CD data sector starts with.
constexpr std::array<unsigned char, 12> Sync = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                                0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
constexpr quint64 VolumeDescriptorSector = 16;

bool hasVolumeDescriptor(const char* userData) {
    return std::memcmp(userData + 1, "CD001", 5) == 0;
}

} // namespace

RawSectorSource::RawSectorSource(ImageFile& file, qint64 fileOffset, int blockSize, int dataOffset)
    : m_file(file), m_fileOffset(fileOffset), m_blockSize(blockSize), m_dataOffset(dataOffset) {}

std::unique_ptr<RawSectorSource> RawSectorSource::detect(ImageFile& file, qint64 fileOffset, int blockSize) {
    // A plain image first: 2048 bytes a sector, nothing around the user data.
    if (blockSize == 0 || blockSize == SectorSize) {
        char sector[SectorSize];
        const qint64 at = fileOffset + qint64(VolumeDescriptorSector) * SectorSize;
        if (file.readSomeAt(at, sector, SectorSize) == SectorSize && hasVolumeDescriptor(sector)) {
            auto source = std::make_unique<RawSectorSource>(file, fileOffset, SectorSize, 0);
            source->keepDescriptor(sector);
            return source;
        }
    }
    // Raw sectors: the sync pattern, a 4-byte header whose last byte is the mode, then the
    // user data (mode 2 form 1 has an 8-byte subheader first).
    for (const int size : {2352, 2448}) {
        if (blockSize != 0 && blockSize != size)
            continue;
        char sector[2448];
        const qint64 at = fileOffset + qint64(VolumeDescriptorSector) * size;
        if (file.readSomeAt(at, sector, size) != size)
            continue;
        if (std::memcmp(sector, Sync.data(), Sync.size()) != 0)
            continue;
        const int mode = static_cast<unsigned char>(sector[15]);
        const int dataOffset = mode == 1 ? 16 : mode == 2 ? 24 : -1;
        if (dataOffset > 0 && hasVolumeDescriptor(sector + dataOffset)) {
            auto source = std::make_unique<RawSectorSource>(file, fileOffset, size, dataOffset);
            source->keepDescriptor(sector + dataOffset);
            return source;
        }
    }
    return nullptr;
}

quint64 RawSectorSource::sectorCount() const {
    const qint64 bytes = m_file.size() - m_fileOffset;
    return bytes <= 0 ? 0 : quint64(bytes) / quint64(m_blockSize);
}

void RawSectorSource::read(quint64 lsn, char* out) {
    if (lsn >= sectorCount())
        throw KorvelloError(QStringLiteral("the image is truncated: it has %1 sectors, sector %2 was needed")
                                .arg(sectorCount())
                                .arg(lsn));
    if (lsn == VolumeDescriptorSector && m_hasDescriptor) {
        std::memcpy(out, m_descriptor.data(), SectorSize);
        return;
    }
    m_file.readAt(m_fileOffset + qint64(lsn) * m_blockSize + m_dataOffset, out, SectorSize);
}

void RawSectorSource::keepDescriptor(const char* userData) {
    std::memcpy(m_descriptor.data(), userData, SectorSize);
    m_hasDescriptor = true;
}

void RawSectorSource::readRun(quint64 lsn, quint32 count, char* out) {
    // Plain 2048-byte images hold the boot file as one stretch of the file: one read
    // instead of one per sector.
    if (m_blockSize != SectorSize || count == 0) {
        SectorSource::readRun(lsn, count, out);
        return;
    }
    if (lsn + count > sectorCount())
        throw KorvelloError(QStringLiteral("the image is truncated: it has %1 sectors, sector %2 was needed")
                                .arg(sectorCount())
                                .arg(lsn + count - 1));
    m_file.readAt(m_fileOffset + qint64(lsn) * SectorSize, out, qint64(count) * SectorSize);
}

} // namespace disc
