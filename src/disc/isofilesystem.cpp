#include "disc/isofilesystem.h"

#include "core/korvelloerror.h"
#include "disc/sectorsource.h"

#include <QStringList>
#include <QtEndian>
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

// The record's name up to its ";" version or a NUL, as the emulator's
// IsoReader::GetDirectoryEntryFileName strips it.
QByteArray recordName(const char* record, int nameLength) {
    const char* name = record + RecordHeader;
    int length = 0;
    while (length < nameLength && name[length] != ';' && name[length] != '\0')
        ++length;
    return QByteArray(name, length);
}

bool sameName(const QByteArray& a, const QByteArray& b) {
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = char(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = char(y - 'a' + 'A');
        if (x != y)
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

std::optional<IsoFileSystem::Entry> IsoFileSystem::locate(const QString& path) {
    Entry directory = m_root;
    const QStringList parts = QString(path).replace(u'\\', u'/').split(u'/', Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return std::nullopt;
    QString walked;
    for (qsizetype part = 0; part < parts.size(); ++part) {
        const QByteArray wanted = parts[part].toLatin1();
        walked += (walked.isEmpty() ? QString() : QStringLiteral("/")) + parts[part];
        if (directory.length == 0)
            throw KorvelloError(QStringLiteral("a directory on the disc has a length of 0"));
        if (directory.length > MaxDirectoryBytes)
            throw KorvelloError(
                QStringLiteral("a directory on the disc claims %1 bytes; that is not a real disc's "
                               "directory (damaged image)")
                    .arg(directory.length));
        checkExtent(directory, QStringLiteral("a directory"));
        const quint32 sectors = (directory.length + Size - 1) / Size;
        std::optional<Entry> found;
        for (quint32 i = 0; i < sectors && !found; ++i) {
            const char* sector = directorySector(quint64(directory.sector) + i);
            // Records never cross a sector; a length below the fixed part ends the sector,
            // so every step moves forward and a sector is walked at most once.
            int offset = 0;
            while (offset + RecordHeader < Size) {
                const int recordLength = static_cast<quint8>(sector[offset]);
                if (recordLength < RecordHeader)
                    break;
                const int nameLength = static_cast<quint8>(sector[offset + 32]);
                if (RecordHeader + nameLength <= recordLength && offset + RecordHeader + nameLength <= Size) {
                    const QByteArray name = recordName(sector + offset, nameLength);
                    const bool special = nameLength == 1 && (sector[offset + RecordHeader] == '\0' ||
                                                             sector[offset + RecordHeader] == '\1');
                    if (!special && !name.isEmpty() && sameName(name, wanted)) {
                        found = entryAt(sector + offset);
                        break;
                    }
                }
                offset += recordLength;
            }
        }
        if (!found)
            return std::nullopt;
        if (part + 1 == parts.size())
            return found;
        if (!found->directory)
            throw KorvelloError(QStringLiteral("\"%1\" on the disc is a file, not a folder").arg(walked));
        // A record pointing back at its own directory would make a longer path walk in a
        // circle; the path's components bound the walk, so it ends anyway.
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
