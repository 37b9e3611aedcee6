#include "discfixture.h"

#include "support/discimages.h"

#include <QDir>
#include <QStandardPaths>
#include <QtEndian>

namespace discfixture {

namespace {

// A 32-bit MIPS executable header and one program header, then bytes that follow `seed`.
QByteArray bootFile(quint32 seed) {
    QByteArray elf(4096, '\0');
    auto put16 = [&](int at, quint16 v) { qToLittleEndian(v, elf.data() + at); };
    auto put32 = [&](int at, quint32 v) { qToLittleEndian(v, elf.data() + at); };
    elf[0] = 0x7f;
    elf[1] = 'E';
    elf[2] = 'L';
    elf[3] = 'F';
    elf[4] = 1;          // 32-bit
    elf[5] = 1;          // little-endian
    elf[6] = 1;          // version
    put16(16, 2);        // executable
    put16(18, 8);        // MIPS
    put32(20, 1);        // version
    put32(24, 0x100008); // entry
    put32(28, 52);       // program headers
    put16(40, 52);       // header size
    put16(42, 32);       // program header size
    put16(44, 1);        // one program header
    put16(46, 40);
    put32(52, 1);                   // PT_LOAD
    put32(56, 0);                   // offset
    put32(60, 0x100000);            // virtual address
    put32(64, 0x100000);            // physical address
    put32(68, quint32(elf.size())); // file size
    put32(72, quint32(elf.size())); // memory size
    put32(76, 7);                   // flags
    put32(80, 0x10);                // alignment
    quint32 x = seed * 2654435761u + 1;
    for (int i = 128; i < elf.size(); i += 4) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        put32(i, x);
    }
    return elf;
}

} // namespace

QString xorriso() {
    return QStandardPaths::findExecutable(QStringLiteral("xorriso"));
}

Disc makeIso(const QString& folder, const QString& fileName, const QString& bootName, quint32 seed) {
    Disc disc;
    const QByteArray elf = bootFile(seed);
    const QString path = QDir(folder).filePath(fileName);
    if (!discimages::writePs2Iso(path, bootName, elf))
        return disc;
    disc.path = path;
    disc.serial = discimages::serialOf(bootName);
    disc.crc = discimages::expectedCrc(elf);
    return disc;
}

} // namespace discfixture
