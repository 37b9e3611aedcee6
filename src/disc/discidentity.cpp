#include "disc/discidentity.h"

#include "core/korvelloerror.h"
#include "disc/csosectorsource.h"
#include "disc/cuesheet.h"
#include "disc/gamelistcache.h"
#include "disc/gzipsectorsource.h"
#include "disc/imagefile.h"
#include "disc/isofilesystem.h"
#include "disc/rawsectorsource.h"
#include "disc/sectorsource.h"
#include "disc/systemcnf.h"

#include <QDateTime>
#include <QFileInfo>
#include <QtEndian>
#include <cstring>
#include <memory>

namespace disc {

namespace {

// SYSTEM.CNF is a few lines; anything longer is not one.
constexpr quint32 MaxSystemCnfBytes = 64 * 1024;
// The emulator refuses boot files over 0xFFFFFFF bytes (ElfObject::CheckElfSize); real boot
// executables are a few MiB, and a CRC over more than this would read far too much.
constexpr quint32 MaxBootFileBytes = 64 * 1024 * 1024;
// ElfObject::CheckElfSize also refuses a file no longer than the 52-byte ELF header.
constexpr quint32 ElfHeaderBytes = 52;

QString displayName(const QString& path) {
    return QFileInfo(path).fileName().isEmpty() ? path : QFileInfo(path).fileName();
}

// Four lanes of eight 32-bit words: XOR does not care how the words are grouped, so a
// block of 128 bytes is taken in four independent steps the processor runs side by side.
using CrcLane = quint32 __attribute__((vector_size(32)));
constexpr qsizetype CrcBlockBytes = 4 * qsizetype(sizeof(CrcLane));

#if defined(__x86_64__) && defined(__GNUC__)
// Built twice and chosen when the program loads: with AVX2 a lane is one register; the
// x86-64 baseline holds it in two 16-byte halves.
#define KORVELLO_CRC_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define KORVELLO_CRC_CLONES
#endif

// XORs `blocks` blocks of CrcBlockBytes little-endian bytes into `lanes`. Lanes are passed
// through memory, never as values, so both builds agree on how they are handed over.
KORVELLO_CRC_CLONES void xorBlocks(const char* bytes, qsizetype blocks, CrcLane* lanes) {
    // Locals, not the caller's memory: stores through `lanes` could alias the bytes, and
    // the compiler would write the lanes back at every step.
    CrcLane a = lanes[0], b = lanes[1], c = lanes[2], d = lanes[3];
    for (const char* at = bytes; at < bytes + blocks * CrcBlockBytes; at += CrcBlockBytes) {
        CrcLane w, x, y, z;
        std::memcpy(&w, at, sizeof w);
        std::memcpy(&x, at + 32, sizeof x);
        std::memcpy(&y, at + 64, sizeof y);
        std::memcpy(&z, at + 96, sizeof z);
        a ^= w;
        b ^= x;
        c ^= y;
        d ^= z;
    }
    lanes[0] = a;
    lanes[1] = b;
    lanes[2] = c;
    lanes[3] = d;
}

// The emulator's ElfObject::GetCRC: the XOR of the file's little-endian 32-bit words; the
// one to three bytes after the last whole word are not part of it. `add` takes the file in
// pieces whose lengths are whole words, all but the last.
//
// Boot files are megabytes, summed for every disc of a folder, so on a little-endian processor
// the words are taken a block at a time (xorBlocks) and each lane's eight words are folded
// into one at the end. One word at a time, the sum cost almost as much as reading the file.
class BootFileCrc {
public:
    void add(const char* bytes, qsizetype length) {
        qsizetype done = 0;
        if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
            const qsizetype blocks = length / CrcBlockBytes;
            xorBlocks(bytes, blocks, m_lanes);
            done = blocks * CrcBlockBytes;
        }
        quint32 tail = m_tail;
        for (qsizetype i = done; i + 4 <= length; i += 4)
            tail ^= qFromLittleEndian<quint32>(bytes + i);
        m_tail = tail;
    }
    quint32 value() const {
        const CrcLane all = m_lanes[0] ^ m_lanes[1] ^ m_lanes[2] ^ m_lanes[3];
        quint32 sum = m_tail;
        for (int i = 0; i < 8; ++i)
            sum ^= all[i];
        return sum;
    }

private:
    CrcLane m_lanes[4] = {};
    quint32 m_tail = 0;
};

DiscIdentity identifyFileSystem(SectorSource& source) {
    IsoFileSystem fileSystem(source);
    const std::optional<IsoFileSystem::Entry> cnfEntry = fileSystem.locate(QStringLiteral("SYSTEM.CNF"));
    if (!cnfEntry)
        throw KorvelloError(QStringLiteral("it is not a PS2 disc: it has no SYSTEM.CNF"));
    const SystemCnf cnf =
        SystemCnf::parse(fileSystem.readFile(*cnfEntry, MaxSystemCnfBytes, QStringLiteral("SYSTEM.CNF")));
    if (cnf.type == SystemCnf::DiscType::PS1)
        throw KorvelloError(
            QStringLiteral("it is not a PS2 disc: its SYSTEM.CNF names a PlayStation (PS1) boot "
                           "file (BOOT = %1)")
                .arg(cnf.bootPath));
    if (cnf.type != SystemCnf::DiscType::PS2)
        throw KorvelloError(QStringLiteral("it is not a PS2 disc: its SYSTEM.CNF has no BOOT2 line"));

    const QString discPath = discPathFromBootPath(cnf.bootPath);
    if (discPath.isEmpty())
        throw KorvelloError(
            QStringLiteral("its SYSTEM.CNF names a boot file that is not on the disc (BOOT2 = %1)")
                .arg(cnf.bootPath));
    const std::optional<IsoFileSystem::Entry> bootEntry = fileSystem.locate(discPath);
    if (!bootEntry)
        throw KorvelloError(
            QStringLiteral("the boot file %1 named in SYSTEM.CNF is not on the disc").arg(discPath));
    if (!bootEntry->directory && bootEntry->length <= ElfHeaderBytes)
        throw KorvelloError(QStringLiteral("the boot file %1 is only %2 bytes long; it is not an executable")
                                .arg(discPath)
                                .arg(bootEntry->length));

    DiscIdentity identity;
    identity.elfPath = cnf.bootPath;
    identity.serial = serialFromBootPath(cnf.bootPath);
    // Streamed through a small buffer: the file is only summed, and a buffer the size of the
    // file would be fresh memory for every disc.
    BootFileCrc crc;
    fileSystem.streamFile(*bootEntry, MaxBootFileBytes, QStringLiteral("the boot file ") + discPath,
                          [&crc](const char* data, qsizetype length) { crc.add(data, length); });
    identity.crc = crc.value();
    return identity;
}

// CHD images need a CHD reader, which Debian does not package; the emulator has read the
// image already when it listed the folder, and its game list cache holds what it found.
DiscIdentity identifyFromGameList(const QString& imagePath, const QString& gameListCachePath) {
    const QString hint =
        QStringLiteral("CHD images are identified from the emulator's game list; open the folder "
                       "in the emulator once");
    if (gameListCachePath.isEmpty())
        throw KorvelloError(hint);
    const std::optional<GameListCacheEntry> entry = gamelistcache::find(gameListCachePath, imagePath);
    if (!entry)
        throw KorvelloError(hint + QStringLiteral(" (its game list has no entry for this file)"));
    // GameList::ScanDirectory scans a file again when its modification time differs from the
    // cached one; a cached size that differs means the same.
    const QFileInfo info(imagePath);
    if (entry->lastModified != quint64(info.lastModified().toSecsSinceEpoch()) ||
        (entry->totalSize != 0 && entry->totalSize != quint64(info.size())))
        throw KorvelloError(hint + QStringLiteral(" (its game list entry is older than the file)"));
    if (entry->type == 1)
        throw KorvelloError(
            QStringLiteral("it is not a PS2 disc: the emulator's game list lists it as a PlayStation "
                           "(PS1) disc"));
    if (entry->type != 0)
        throw KorvelloError(
            QStringLiteral("it is not a PS2 disc: the emulator's game list could not identify it"));
    DiscIdentity identity;
    identity.serial = entry->serial;
    identity.crc = entry->crc;
    return identity;
}

DiscIdentity identifyRaw(ImageFile& file, qint64 fileOffset, int blockSize) {
    std::unique_ptr<RawSectorSource> source = RawSectorSource::detect(file, fileOffset, blockSize);
    if (!source)
        throw KorvelloError(QStringLiteral("it is not a disc image this program can read (no ISO 9660 volume "
                                           "descriptor at sector 16 in 2048, 2352 or 2448-byte sectors)"));
    return identifyFileSystem(*source);
}

DiscIdentity identifyImage(const QString& imagePath, const QString& gameListCachePath) {
    const QString suffix = QFileInfo(imagePath).suffix().toLower();
    if (suffix == QLatin1String("cue")) {
        const CueDataTrack track = CueDataTrack::read(imagePath);
        ImageFile data(track.filePath);
        if (track.blockSize == 2336)
            throw KorvelloError(
                QStringLiteral("its data track has 2336-byte sectors, which this program does not read"));
        return identifyRaw(data, track.fileOffset, track.blockSize);
    }

    ImageFile file(imagePath);
    char magic[8] = {};
    file.readSomeAt(0, magic, sizeof magic);
    if (suffix == QLatin1String("chd") || std::memcmp(magic, "MComprHD", 8) == 0)
        return identifyFromGameList(imagePath, gameListCachePath);
    if (suffix == QLatin1String("cso") || suffix == QLatin1String("zso") ||
        std::memcmp(magic + 1, "ISO", 3) == 0) {
        CsoSectorSource source(file);
        return identifyFileSystem(source);
    }
    if (suffix == QLatin1String("gz") || (quint8(magic[0]) == 0x1F && quint8(magic[1]) == 0x8B)) {
        GzipSectorSource source(file);
        return identifyFileSystem(source);
    }
    return identifyRaw(file, 0, 0);
}

} // namespace

DiscIdentity identify(const QString& imagePath, const QString& gameListCachePath) {
    try {
        return identifyImage(imagePath, gameListCachePath);
    } catch (const KorvelloError& error) {
        throw KorvelloError(QStringLiteral("Cannot identify the disc image \"%1\": %2")
                                .arg(displayName(imagePath), error.text()));
    }
}

QString perGameFileName(const DiscIdentity& id) {
    // VMManager::GetGameSettingsPath: "<serial>_<CRC>.ini" with the serial made a safe file
    // name (Path::SanitizeFileName), "<CRC>.ini" when the disc has no serial. Off Windows the
    // emulator's FileSystemCharacterIsSane refuses "/" and "*" only, each becoming "_"; so no
    // serial read from an image or a cache can name a file outside the folder.
    const QString crc = QStringLiteral("%1").arg(id.crc, 8, 16, QLatin1Char('0')).toUpper();
    if (id.serial.isEmpty())
        return crc + QStringLiteral(".ini");
    QString serial = id.serial;
    for (QChar& c : serial) {
        if (c == u'/' || c == u'*' || c.unicode() == 0)
            c = u'_';
    }
    return serial + u'_' + crc + QStringLiteral(".ini");
}

} // namespace disc
