#include "disc/isofilesystem.h"

#include "core/korvelloerror.h"
#include "disc/sectorsource.h"

#include <QList>
#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <memory>

namespace disc {

namespace {

constexpr int Size = SectorSource::SectorSize;
// A directory record's fixed part; the name follows it.
constexpr int RecordHeader = 33;
constexpr quint8 DirectoryFlag = 0x02;

IsoFileSystem::Entry entryAt(const char* record) {
    IsoFileSystem::Entry entry;
    entry.sector = qFromLittleEndian<quint32>(record + 2);
    entry.length = qFromLittleEndian<quint32>(record + 10);
    entry.directory = (static_cast<quint8>(record[25]) & DirectoryFlag) != 0;
    return entry;
}

char upper(char c) {
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

// Whether the record's name, up to its ";" version or a NUL as the emulator's
// IsoReader::GetDirectoryEntryFileName strips it, is `wanted` without letter case. Compared
// in place: a directory is walked record by record, and most names differ at once.
bool nameIs(const char* name, int nameLength, const QByteArray& wanted) {
    int length = 0;
    while (length < nameLength && name[length] != ';' && name[length] != '\0')
        ++length;
    if (length != wanted.size())
        return false;
    for (int i = 0; i < length; ++i) {
        if (upper(name[i]) != upper(wanted[i]))
            return false;
    }
    return true;
}

} // namespace

IsoFileSystem::IsoFileSystem(SectorSource& source) : m_source(source) {
    // The volume descriptors start at sector 16; the emulator's IsoReader::ReadPVD tries 256.
    char sector[Size];
    for (quint64 i = 0; i < 256; ++i) {
        if (16 + i >= m_source.sectorCount())
            break;
        m_source.read(16 + i, sector);
        if (std::memcmp(sector + 1, "CD001", 5) != 0)
            continue;
        const quint8 type = static_cast<quint8>(sector[0]);
        if (type == 255)
            break;
        if (type != 1)
            continue;
        // The root directory's record sits at byte 156 of the primary volume descriptor.
        m_root = entryAt(sector + 156);
        m_root.directory = true;
        return;
    }
    throw KorvelloError(
        QStringLiteral("it has no ISO 9660 primary volume descriptor (not a disc image, or damaged)"));
}

void IsoFileSystem::checkExtent(const Entry& entry, const QString& name) const {
    const quint64 sectors = (quint64(entry.length) + Size - 1) / Size;
    if (quint64(entry.sector) + sectors > m_source.sectorCount())
        throw KorvelloError(
            QStringLiteral("the directory record of %1 points outside the image (sector %2 of %3); "
                           "the image is truncated or damaged")
                .arg(name)
                .arg(quint64(entry.sector) + sectors)
                .arg(m_source.sectorCount()));
}

const char* IsoFileSystem::directorySector(quint64 lsn) {
    // SYSTEM.CNF and the boot file are found in the same root directory, one after the other.
    if (lsn != m_cachedSector) {
        m_cachedSector = NoSector;
        m_source.read(lsn, m_cached.data());
        m_cachedSector = lsn;
    }
    return m_cached.data();
}

std::optional<IsoFileSystem::Entry> IsoFileSystem::findInDirectory(const Entry& directory,
                                                                   const QByteArray& wanted) {
    if (directory.length == 0)
        throw KorvelloError(QStringLiteral("a directory on the disc has a length of 0"));
    if (directory.length > MaxDirectoryBytes)
        throw KorvelloError(
            QStringLiteral("a directory on the disc claims %1 bytes; that is not a real disc's "
                           "directory (damaged image)")
                .arg(directory.length));
    checkExtent(directory, QStringLiteral("a directory"));
    const quint32 sectors = (directory.length + Size - 1) / Size;
    for (quint32 i = 0; i < sectors; ++i) {
        if (++m_directorySectorsScanned > MaxDirectorySectors)
            throw KorvelloError(QStringLiteral("its directories take more than %1 sectors to search; no real "
                                               "disc's do (damaged image)")
                                    .arg(MaxDirectorySectors));
        const char* sector = directorySector(quint64(directory.sector) + i);
        // Records never cross a sector; a length below the fixed part ends the sector,
        // so every step moves forward and a sector is walked at most once.
        int offset = 0;
        while (offset + RecordHeader < Size) {
            const char* record = sector + offset;
            const int recordLength = static_cast<quint8>(record[0]);
            if (recordLength < RecordHeader)
                break;
            offset += recordLength;
            const int nameLength = static_cast<quint8>(record[32]);
            if (RecordHeader + nameLength > recordLength ||
                record - sector + RecordHeader + nameLength > Size)
                continue;
            // "." and ".." are one byte, 0 and 1; `wanted` is never empty, so neither matches.
            if (nameLength == 1 && (record[RecordHeader] == '\0' || record[RecordHeader] == '\1'))
                continue;
            if (nameIs(record + RecordHeader, nameLength, wanted))
                return entryAt(record);
        }
    }
    return std::nullopt;
}

std::optional<IsoFileSystem::Entry> IsoFileSystem::locate(const QString& path) {
    const QByteArray bytes = path.toLatin1();
    if (bytes.size() > MaxPathBytes)
        throw KorvelloError(QStringLiteral("the path %1... on the disc is %2 bytes long; ISO 9660 allows %3")
                                .arg(path.left(40))
                                .arg(bytes.size())
                                .arg(MaxPathBytes));
    // Components between "\" or "/", empty ones skipped as the emulator skips repeated slashes.
    QList<QByteArray> parts;
    for (const QByteArray& part : bytes.split('\\')) {
        for (const QByteArray& piece : part.split('/')) {
            if (!piece.isEmpty())
                parts.append(piece);
        }
    }
    if (parts.isEmpty())
        return std::nullopt;
    if (parts.size() > MaxPathDepth)
        throw KorvelloError(QStringLiteral("the path %1 on the disc is %2 levels deep; ISO 9660 allows %3")
                                .arg(path)
                                .arg(parts.size())
                                .arg(MaxPathDepth));
    // The directories this walk entered, by their first sector: a record pointing back at
    // a folder already walked through would lead the walk in a circle.
    std::array<quint32, MaxPathDepth> entered{};
    int enteredCount = 0;
    Entry directory = m_root;
    for (qsizetype part = 0; part < parts.size(); ++part) {
        if (std::find(entered.begin(), entered.begin() + enteredCount, directory.sector) !=
            entered.begin() + enteredCount)
            throw KorvelloError(
                QStringLiteral("a folder on the path %1 on the disc leads back into itself (damaged image)")
                    .arg(path));
        entered[enteredCount++] = directory.sector;
        const std::optional<Entry> found = findInDirectory(directory, parts[part]);
        if (!found || part + 1 == parts.size())
            return found;
        if (!found->directory)
            throw KorvelloError(QStringLiteral("\"%1\" on the disc is a file, not a folder")
                                    .arg(QString::fromLatin1(parts.mid(0, part + 1).join('/'))));
        directory = *found;
    }
    return std::nullopt;
}

void IsoFileSystem::checkFile(const Entry& entry, quint32 maxLength, const QString& name) const {
    if (entry.directory)
        throw KorvelloError(QStringLiteral("%1 on the disc is a folder, not a file").arg(name));
    if (entry.length > maxLength)
        throw KorvelloError(QStringLiteral("%1 on the disc claims %2 bytes, more than the %3 bytes allowed")
                                .arg(name)
                                .arg(entry.length)
                                .arg(maxLength));
    checkExtent(entry, name);
}

QByteArray IsoFileSystem::readFile(const Entry& entry, quint32 maxLength, const QString& name) {
    checkFile(entry, maxLength, name);
    QByteArray data;
    const quint32 sectors = (entry.length + Size - 1) / Size;
    data.resize(qsizetype(sectors) * Size);
    m_source.readRun(entry.sector, sectors, data.data());
    data.truncate(entry.length);
    return data;
}

void IsoFileSystem::streamFile(const Entry& entry, quint32 maxLength, const QString& name,
                               const std::function<void(const char*, qsizetype)>& consume) {
    static_assert(ChunkBytes % Size == 0);
    checkFile(entry, maxLength, name);
    const quint32 sectors = (entry.length + Size - 1) / Size;
    // One buffer a thread, kept: a fresh one this size would be memory the system maps and
    // clears again for every disc.
    thread_local const std::unique_ptr<char[]> buffer = std::make_unique_for_overwrite<char[]>(ChunkBytes);
    quint32 remaining = entry.length;
    for (quint32 done = 0; done < sectors;) {
        const quint32 count = qMin<quint32>(sectors - done, ChunkBytes / Size);
        m_source.readRun(quint64(entry.sector) + done, count, buffer.get());
        const quint32 bytes = qMin<quint32>(remaining, count * quint32(Size));
        consume(buffer.get(), bytes);
        remaining -= bytes;
        done += count;
    }
}

} // namespace disc
