#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

// Disc images for the tests, made the way users' tools make them: ISO 9660 images by
// xorriso, and from those raw CD sectors, CSO/ZSO containers and gzip files written here
// from the formats' definitions.
namespace discimages {

// Bytes of a boot file of `size` bytes: an ELF magic, then a counting pattern.
QByteArray bootFile(int size);
// The emulator's boot file CRC, computed here on its own: every whole 4-byte group read
// as a little-endian number, all of them XORed.
quint32 expectedCrc(const QByteArray& data);

// Runs xorriso on a folder holding `files` (path on the disc -> bytes) and returns the
// image's bytes; empty when xorriso is missing or fails.
QByteArray makeIso(const QString& workDir, const QMap<QString, QByteArray>& files);

// The image as raw 2352-byte CD sectors: sync, header (BCD address, mode), user data at
// byte 16 (mode 1) or after the 8-byte subheader at byte 24 (mode 2 form 1), zero EDC/ECC.
QByteArray toRawSectors(const QByteArray& iso, int mode);
// CSO ("CISO", raw deflate) or ZSO ("ZISO", LZ4) container, version 1.
QByteArray toCso(const QByteArray& iso, bool lz4, quint32 frameSize, int align);
QByteArray toGzip(const QByteArray& iso);

// The emulator's game list cache (version 34) with the given entries.
struct CacheEntry {
    QString path;
    QString serial;
    quint8 type = 0;
    quint64 size = 0;
    quint64 mtime = 0;
    quint32 crc = 0;
};
QByteArray gameListCache(const QList<CacheEntry>& entries);

// Offset of the directory record of a file named `name` (without version) in `iso`; -1 if none.
qsizetype directoryRecord(const QByteArray& iso, const QByteArray& name);

bool writeFile(const QString& path, const QByteArray& data);

// The serial the emulator forms from a boot file name: "_" as "-", the "." dropped
// ("SLUS_209.46" -> "SLUS-20946").
QString serialOf(const QString& bootName);

// Writes a PS2 disc image to `path` (its folder made): SYSTEM.CNF whose BOOT2 line names
// `bootName` on cdrom0, and the boot file `boot`. False when xorriso is missing or fails.
bool writePs2Iso(const QString& path, const QString& bootName, const QByteArray& boot);

} // namespace discimages
