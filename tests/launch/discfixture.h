#pragma once

#include <QString>

// Small PlayStation 2 disc images for Start's tests, made by Debian's xorriso:
// SYSTEM.CNF naming a boot file, and the boot file, a minimal ELF of the
// emulator's kind. The serial and the CRC the emulator names its game settings
// file by are computed here from its rules, independently of the reader.
namespace discfixture {

struct Disc {
    QString path;
    QString serial; // "SLUS-20946"
    quint32 crc = 0;
};

// The xorriso executable, or an empty text when it is not installed.
QString xorriso();

// Makes `folder`/`fileName` holding SYSTEM.CNF "BOOT2 = cdrom0:\<bootName>;1" and the
// boot file; `seed` varies the boot file's bytes (and so the CRC). Returns an empty
// path when xorriso fails.
Disc makeIso(const QString& folder, const QString& fileName,
             const QString& bootName = QStringLiteral("SLUS_209.46"), quint32 seed = 1);

} // namespace discfixture
