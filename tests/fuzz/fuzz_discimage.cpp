// libFuzzer target: an arbitrary file opened as a disc image. Identification either
// gives an identity or a KorvelloError; it never crashes, hangs or allocates without
// bound, whatever the file holds. The container is chosen by the file's magic
// (plain or raw ISO, CSO, ZSO, gzip).
#include "core/korvelloerror.h"
#include "disc/discidentity.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/image.img");
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) !=
                static_cast<qint64>(size))
            __builtin_trap();
    }
    try {
        const disc::DiscIdentity id = disc::identify(path);
        if (id.elfPath.isEmpty())
            __builtin_trap(); // an identity always names the boot file it was read from
    } catch (const KorvelloError& error) {
        if (error.text().isEmpty())
            __builtin_trap();
    }
    return 0;
}
