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

// The emulator's ElfObject::GetCRC: the XOR of the file's little-endian 32-bit words; the
// one to three bytes after the last whole word are not part of it.
quint32 bootFileCrc(const QByteArray& data) {
    quint32 crc = 0;
    const qsizetype words = data.size() / 4;
    for (qsizetype i = 0; i < words; ++i)
        crc ^= qFromLittleEndian<quint32>(data.constData() + i * 4);
    return crc;
}

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
    identity.crc = bootFileCrc(
        fileSystem.readFile(*bootEntry, MaxBootFileBytes, QStringLiteral("the boot file ") + discPath));
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
    // name (Path::SanitizeFileName), "<CRC>.ini" when the disc has no serial.
    const QString crc = QStringLiteral("%1").arg(id.crc, 8, 16, QLatin1Char('0')).toUpper();
    if (id.serial.isEmpty())
        return crc + QStringLiteral(".ini");
    QString serial = id.serial;
    for (QChar& c : serial) {
        if (c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c))
            c = u'_';
    }
    return serial + u'_' + crc + QStringLiteral(".ini");
}

} // namespace disc
