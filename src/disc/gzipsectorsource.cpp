#include "disc/gzipsectorsource.h"

#include "core/korvelloerror.h"
#include "disc/imagefile.h"

#include <cstring>
#include <zlib.h>

namespace disc {

namespace {
constexpr int InputChunk = 64 * 1024;
// Sectors asked for are kept for the walk back from a file to its directory; the boot
// file itself is read forward once.
constexpr int MaxKeptSectors = 256;
} // namespace

struct GzipSectorSource::Stream {
    z_stream z{};
    bool open = false;
    bool ended = false;
    qint64 inputOffset = 0;
    QByteArray input;

    ~Stream() {
        if (open)
            inflateEnd(&z);
    }
};

GzipSectorSource::GzipSectorSource(ImageFile& file) : m_file(file) {
    char magic[2];
    if (m_file.size() < 18)
        throw KorvelloError(QStringLiteral("it is too short for a gzip file (%1 bytes)").arg(m_file.size()));
    m_file.readAt(0, magic, 2);
    if (static_cast<quint8>(magic[0]) != 0x1F || static_cast<quint8>(magic[1]) != 0x8B)
        throw KorvelloError(QStringLiteral("it is not a gzip file (wrong magic)"));
    m_sector.resize(SectorSize);
    restart();
}

GzipSectorSource::~GzipSectorSource() = default;

void GzipSectorSource::restart() {
    m_stream = std::make_unique<Stream>();
    // 15 + 32: a gzip (or zlib) header detected by zlib itself.
    if (inflateInit2(&m_stream->z, 15 + 32) != Z_OK)
        throw KorvelloError(QStringLiteral("zlib cannot be started"));
    m_stream->open = true;
    m_stream->input.resize(InputChunk);
    m_nextLsn = 0;
}

quint64 GzipSectorSource::sectorCount() const {
    // Not known without unpacking everything; reads past the end report it.
    return MaxUnpackedBytes / SectorSize;
}

bool GzipSectorSource::nextSector() {
    Stream& s = *m_stream;
    s.z.next_out = reinterpret_cast<Bytef*>(m_sector.data());
    s.z.avail_out = SectorSize;
    while (s.z.avail_out > 0) {
        if (s.ended)
            return false;
        if (s.z.avail_in == 0) {
            const qint64 got = m_file.readSomeAt(s.inputOffset, s.input.data(), InputChunk);
            if (got == 0)
                throw KorvelloError(QStringLiteral("the gzip image is truncated"));
            s.inputOffset += got;
            s.z.next_in = reinterpret_cast<Bytef*>(s.input.data());
            s.z.avail_in = uInt(got);
        }
        const uInt before = s.z.avail_out;
        const int status = inflate(&s.z, Z_NO_FLUSH);
        m_unpacked += before - s.z.avail_out;
        if (m_unpacked > MaxUnpackedBytes * 2)
            throw KorvelloError(QStringLiteral("the gzip image took more than %1 bytes of unpacking")
                                    .arg(MaxUnpackedBytes * 2));
        if (status == Z_STREAM_END) {
            // Another gzip member may follow (gzip of concatenated parts).
            if (s.z.avail_in > 0 || s.inputOffset < m_file.size()) {
                inflateReset(&s.z);
                continue;
            }
            s.ended = true;
        } else if (status != Z_OK) {
            throw KorvelloError(QStringLiteral("the gzip image is damaged (%1)")
                                    .arg(QString::fromLatin1(s.z.msg ? s.z.msg : "inflate failed")));
        }
    }
    ++m_nextLsn;
    return true;
}

void GzipSectorSource::read(quint64 lsn, char* out) {
    if (const auto kept = m_kept.constFind(lsn); kept != m_kept.constEnd()) {
        std::memcpy(out, kept->constData(), SectorSize);
        return;
    }
    if (lsn >= MaxUnpackedBytes / SectorSize)
        throw KorvelloError(QStringLiteral("the data needed lies beyond the first %1 MiB of the gzip image; "
                                           "unpack it to an ISO image first")
                                .arg(MaxUnpackedBytes >> 20));
    if (lsn < m_nextLsn)
        restart();
    while (m_nextLsn <= lsn) {
        if (!nextSector())
            throw KorvelloError(QStringLiteral("the image is truncated: it ends before sector %1").arg(lsn));
    }
    if (m_kept.size() >= MaxKeptSectors)
        m_kept.clear();
    m_kept.insert(lsn, m_sector);
    std::memcpy(out, m_sector.constData(), SectorSize);
}

} // namespace disc
