#include "disc/csosectorsource.h"

#include "core/korvelloerror.h"
#include "disc/imagefile.h"

#include <QtEndian>
#include <cstring>
#include <lz4.h>
#include <zlib.h>

namespace disc {

namespace {
constexpr int HeaderSize = 24;
}

CsoSectorSource::CsoSectorSource(ImageFile& file) : m_file(file) {
    char header[HeaderSize];
    if (m_file.size() < HeaderSize)
        throw KorvelloError(
            QStringLiteral("it is too short for a CSO/ZSO header (%1 bytes)").arg(m_file.size()));
    m_file.readAt(0, header, HeaderSize);
    // CsoFileReader::ValidateHeader: "CISO" or "ZISO", version 0 or 1, a frame size that is
    // a power of two and at least one sector; a "Z" first selects LZ4.
    if ((header[0] != 'C' && header[0] != 'Z') || std::memcmp(header + 1, "ISO", 3) != 0)
        throw KorvelloError(
            QStringLiteral("it is not a CSO or ZSO image (wrong magic; \"CISO\" or \"ZISO\" expected)"));
    m_lz4 = header[0] == 'Z';
    m_totalBytes = qFromLittleEndian<quint64>(header + 8);
    m_frameSize = qFromLittleEndian<quint32>(header + 16);
    const quint8 version = static_cast<quint8>(header[20]);
    m_indexShift = static_cast<quint8>(header[21]);
    if (version > 1)
        throw KorvelloError(
            QStringLiteral("it is a version %1 CSO image; the emulator reads only version 0 and 1")
                .arg(version));
    if (m_frameSize < quint32(SectorSize) || (m_frameSize & (m_frameSize - 1)) != 0)
        throw KorvelloError(
            QStringLiteral("its CSO frame size %1 is not a power of two of at least 2048").arg(m_frameSize));
    if (m_frameSize > MaxFrameSize)
        throw KorvelloError(QStringLiteral("its CSO frame size %1 is larger than %2 bytes")
                                .arg(m_frameSize)
                                .arg(MaxFrameSize));
    if (m_indexShift > 16)
        throw KorvelloError(QStringLiteral("its CSO index alignment %1 is not a real one").arg(m_indexShift));
    for (quint32 i = m_frameSize; i > 1; i >>= 1)
        ++m_frameShift;
    m_frameCount = (m_totalBytes + m_frameSize - 1) / m_frameSize;
    // The index has one entry more than there are frames, and it must fit in the file.
    if (m_frameCount + 1 > quint64(m_file.size() - HeaderSize) / 4)
        throw KorvelloError(
            QStringLiteral("the image is truncated: its CSO header claims %1 bytes of disc, more than "
                           "its index can hold")
                .arg(m_totalBytes));
}

quint64 CsoSectorSource::sectorCount() const {
    return m_totalBytes / SectorSize;
}

void CsoSectorSource::loadFrame(quint64 frame) {
    if (frame == m_loadedFrame)
        return;
    m_loadedFrame = ~quint64(0);
    char entries[8];
    m_file.readAt(HeaderSize + qint64(frame) * 4, entries, 8);
    const quint32 entry0 = qFromLittleEndian<quint32>(entries);
    const quint32 entry1 = qFromLittleEndian<quint32>(entries + 4);
    const bool stored = (entry0 & 0x80000000u) != 0;
    const quint64 position = quint64(entry0 & 0x7FFFFFFFu) << m_indexShift;
    const quint64 end = quint64(entry1 & 0x7FFFFFFFu) << m_indexShift;
    if (end < position)
        throw KorvelloError(QStringLiteral("its CSO index is damaged at frame %1").arg(frame));
    m_frame.resize(m_frameSize);
    // The bytes of the disc this frame holds: a whole frame, but for the last one, whose
    // tail past the disc's end is never handed out. Every one of them must come from the
    // file; a frame that gives fewer would leave the rest of the buffer as it was.
    const quint64 frameStart = frame << m_frameShift;
    const qint64 needed = qint64(qMin<quint64>(m_frameSize, m_totalBytes - frameStart));
    if (stored) {
        // Stored frames are read whole, as CsoFileReader::ReadChunk does.
        const qint64 got = m_file.readSomeAt(qint64(position), m_frame.data(), m_frameSize);
        if (got < needed)
            throw KorvelloError(QStringLiteral("the image is truncated in CSO frame %1 (%2 of its %3 bytes)")
                                    .arg(frame)
                                    .arg(got)
                                    .arg(needed));
        m_loadedFrame = frame;
        return;
    }
    // A compressed frame is its packed size, padded up to the alignment; more than a frame
    // and its padding is a damaged index.
    const quint64 packedSize = end - position;
    if (packedSize > quint64(m_frameSize) + (quint64(1) << m_indexShift) + 64)
        throw KorvelloError(QStringLiteral("its CSO index is damaged at frame %1").arg(frame));
    if (position >= quint64(m_file.size()))
        throw KorvelloError(
            QStringLiteral("the image is truncated: CSO frame %1 lies past its end").arg(frame));
    QByteArray packed(qsizetype(packedSize), Qt::Uninitialized);
    const qint64 got = m_file.readSomeAt(qint64(position), packed.data(), qint64(packedSize));
    if (m_lz4) {
        const int result = LZ4_decompress_safe_partial(packed.constData(), m_frame.data(), int(got),
                                                       int(m_frameSize), int(m_frameSize));
        if (result < 0)
            throw KorvelloError(QStringLiteral("ZSO frame %1 is damaged (LZ4 cannot unpack it)").arg(frame));
        if (result < needed)
            throw KorvelloError(QStringLiteral("ZSO frame %1 is damaged (it unpacks to %2 of its %3 bytes)")
                                    .arg(frame)
                                    .arg(result)
                                    .arg(needed));
    } else {
        z_stream stream{};
        if (inflateInit2(&stream, -15) != Z_OK)
            throw KorvelloError(QStringLiteral("zlib cannot be started"));
        stream.next_in = reinterpret_cast<Bytef*>(packed.data());
        stream.avail_in = uInt(got);
        stream.next_out = reinterpret_cast<Bytef*>(m_frame.data());
        stream.avail_out = m_frameSize;
        const int status = inflate(&stream, Z_FINISH);
        const bool whole = status == Z_STREAM_END && stream.total_out == m_frameSize;
        inflateEnd(&stream);
        if (!whole)
            throw KorvelloError(
                QStringLiteral("CSO frame %1 is damaged (deflate cannot unpack it)").arg(frame));
    }
    m_loadedFrame = frame;
}

void CsoSectorSource::read(quint64 lsn, char* out) {
    if (lsn >= sectorCount())
        throw KorvelloError(QStringLiteral("the image is truncated: it has %1 sectors, sector %2 was needed")
                                .arg(sectorCount())
                                .arg(lsn));
    const quint64 position = lsn * SectorSize;
    loadFrame(position >> m_frameShift);
    std::memcpy(out, m_frame.constData() + (position & (m_frameSize - 1)), SectorSize);
}

} // namespace disc
