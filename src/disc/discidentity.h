#pragma once

#include <QString>

// What identifies a PlayStation 2 disc to the emulator: the serial and the boot
// executable's CRC, read from a disc image of any format the emulator opens.
namespace disc {

struct DiscIdentity {
    QString serial;  // as the emulator forms it from SYSTEM.CNF's BOOT2 line, e.g. "SLUS-20946"
    quint32 crc = 0; // the boot executable's CRC, computed exactly as the emulator computes it
    QString elfPath; // the BOOT2 path as written, e.g. "cdrom0:\\SLUS_209.46;1"
};

// Reads the disc image at `imagePath` and returns its identity. Throws KorvelloError
// (core/korvelloerror.h) with a one-line reason naming the file when it cannot be read or
// identified. `gameListCachePath` (optional) is the current emulator builds' game list
// cache file ("<data folder>/cache/gamelist.cache"): used for formats this module cannot
// read itself (CHD), matched by the image's path (and size/mtime as the emulator stores them).
DiscIdentity identify(const QString& imagePath, const QString& gameListCachePath = {});

// The per-game settings file name of the current builds: "<SERIAL>_<CRC as 8 upper-case hex>.ini"
QString perGameFileName(const DiscIdentity& id);

} // namespace disc
