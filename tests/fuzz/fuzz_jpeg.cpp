// libFuzzer target: arbitrary bytes through the JPEG decoder, as thumbnails,
// posters and imports read them. A picture that cannot be decoded must come
// back as KorvelloError, never as a crash, a hang or an oversized allocation.
#include "core/korvelloerror.h"
#include "gamelist/jpeg.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        const QImage picture = jpeg::decode(bytes, QStringLiteral("fuzz.jpg"));
        if (picture.isNull() || picture.format() != QImage::Format_RGB888)
            __builtin_trap(); // a decoded picture is always a real 24-bit one
    } catch (const KorvelloError&) {
    }
    return 0;
}
