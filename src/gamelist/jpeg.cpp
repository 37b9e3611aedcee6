#include "gamelist/jpeg.h"

#include "core/korvelloerror.h"

#include <QDir>
#include <QFile>
#include <csetjmp>
#include <cstdio>
#include <cstring>
// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

namespace {

// libjpeg reports fatal errors through error_exit, which must not return; the
// default one ends the process. This one keeps the message and jumps back to
// decodeInto(), which owns no C++ object with a destructor between setjmp and
// the jump.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

extern "C" [[noreturn]] void onError(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// libjpeg only warns about damaged data and goes on with made-up pixels (a
// truncated file comes out grey at the bottom). A picture shown with such
// pixels would hide the damage, so every warning about damaged data ends the
// decoding like an error. Warnings that leave the pixels intact are ignored,
// as are trace messages (level >= 0). Stray bytes between markers are common
// in pictures from cameras and editors and do not touch the pixels either.
extern "C" void onMessage(j_common_ptr cinfo, int level) {
    if (level >= 0)
        return;
    switch (cinfo->err->msg_code) {
    case JWRN_ADOBE_XFORM:
    case JWRN_JFIF_MAJOR:
    case JWRN_BOGUS_ICC:
    case JWRN_EXTRANEOUS_DATA:
        return;
    default:
        onError(cinfo);
    }
}

inline JSAMPLE mul255(unsigned a, unsigned b) {
    return static_cast<JSAMPLE>((a * b + 127) / 255);
}

// Plain C-style decoding into *out. Returns false with err.message set.
bool decodeInto(const unsigned char* data, unsigned long size, QImage* out, ErrorManager& err) {
    jpeg_decompress_struct cinfo;
    std::memset(&cinfo, 0, sizeof cinfo);
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = onError;
    err.pub.emit_message = onMessage;
    err.message[0] = '\0';
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, size);
    jpeg_read_header(&cinfo, TRUE);
    // Four-component pictures (CMYK, or YCCK which libjpeg turns into CMYK) are
    // converted here; libjpeg converts every other colour space to RGB itself.
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_start_decompress(&cinfo);

    const JDIMENSION width = cinfo.output_width;
    const JDIMENSION height = cinfo.output_height;
    *out = QImage(static_cast<int>(width), static_cast<int>(height), QImage::Format_RGB888);
    if (out->isNull()) {
        std::snprintf(err.message, sizeof err.message, "Picture too large (%u x %u)", width, height);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }

    // Row addresses are worked out here: QImage::scanLine() checks for sharing on every call.
    uchar* const bits = out->bits();
    const qsizetype stride = out->bytesPerLine();
    if (!cmyk) {
        // RGB888 scan lines have exactly libjpeg's layout: decode straight into the picture.
        constexpr JDIMENSION kBatch = 16;
        JSAMPROW rows[kBatch];
        while (cinfo.output_scanline < height) {
            JDIMENSION n = 0;
            for (; n < kBatch && cinfo.output_scanline + n < height; ++n)
                rows[n] = bits + stride * (cinfo.output_scanline + n);
            jpeg_read_scanlines(&cinfo, rows, n);
        }
    } else {
        // Adobe's applications write CMYK inverted (0 = full ink) and mark the
        // file with their APP14 marker; without it the values are plain ink.
        const bool inverted = cinfo.saw_Adobe_marker;
        JSAMPARRAY line =
            (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, width * 4, 1);
        while (cinfo.output_scanline < height) {
            uchar* target = bits + stride * cinfo.output_scanline;
            jpeg_read_scanlines(&cinfo, line, 1);
            const JSAMPLE* in = line[0];
            for (JDIMENSION x = 0; x < width; ++x, in += 4, target += 3) {
                if (inverted) {
                    target[0] = mul255(in[0], in[3]);
                    target[1] = mul255(in[1], in[3]);
                    target[2] = mul255(in[2], in[3]);
                } else {
                    const unsigned k = 255u - in[3];
                    target[0] = mul255(255u - in[0], k);
                    target[1] = mul255(255u - in[1], k);
                    target[2] = mul255(255u - in[2], k);
                }
            }
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

} // namespace

namespace jpeg {

QImage decode(const QByteArray& data, const QString& source) {
    ErrorManager err;
    QImage picture;
    if (!decodeInto(reinterpret_cast<const unsigned char*>(data.constData()),
                    static_cast<unsigned long>(data.size()), &picture, err))
        throw KorvelloError(QStringLiteral("Cannot decode the picture %1: %2")
                                .arg(QDir::toNativeSeparators(source), QString::fromLocal8Bit(err.message)));
    return picture;
}

QImage decodeFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw KorvelloError(QStringLiteral("Cannot open the picture %1: %2")
                                .arg(QDir::toNativeSeparators(path), file.errorString()));
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw KorvelloError(QStringLiteral("Cannot read the picture %1: %2")
                                .arg(QDir::toNativeSeparators(path), file.errorString()));
    return decode(data, path);
}

} // namespace jpeg
