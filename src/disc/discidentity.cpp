#include "disc/discidentity.h"

#include "core/korvelloerror.h"
#include "disc/imagefile.h"
#include "disc/isofilesystem.h"
#include "disc/rawsectorsource.h"
#include "disc/sectorsource.h"
#include "disc/systemcnf.h"

#include <QFileInfo>
#include <QtEndian>
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

DiscIdentity identifyImage(const QString& imagePath, const QString& gameListCachePath) {
    Q_UNUSED(gameListCachePath);
    ImageFile file(imagePath);
    std::unique_ptr<RawSectorSource> source = RawSectorSource::detect(file, 0);
    if (!source)
        throw KorvelloError(QStringLiteral("it is not a disc image this program can read (no ISO 9660 volume "
                                           "descriptor at sector 16 in 2048, 2352 or 2448-byte sectors)"));
    return identifyFileSystem(*source);
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
