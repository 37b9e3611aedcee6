#pragma once

#include <QByteArray>
#include <QString>

namespace disc {

// What a disc's SYSTEM.CNF says about its boot file, read as the emulator's
// GetPS2ElfName reads it.
struct SystemCnf {
    enum class DiscType { Other, PS1, PS2 };
    DiscType type = DiscType::Other;
    QString bootPath; // the BOOT2 (or BOOT) value as written, "cdrom0:\\SLUS_209.46;1"

    static SystemCnf parse(const QByteArray& text);
};

// The serial the emulator forms from a boot path (ExecutablePathToSerial): the name after
// the last "\" (or ":"), without its ";1", kept only when it looks like "ABCD_123.45" or
// "ABCD-123.45", then "." removed, "_" made "-" and letters upper-cased: "SLUS-20946".
// Empty when the name does not look like a serial.
QString serialFromBootPath(const QString& bootPath);

// The file's path on the disc for a "cdrom0:\\DIR\\NAME.EXT;1" boot path, as the emulator's
// cdvdUncheckedLoadDiscElf forms it: the device and leading slashes dropped, the version cut
// at the first ";". Empty when the path is not on the disc ("cdrom:" or "cdrom0:").
QString discPathFromBootPath(const QString& bootPath);

} // namespace disc
