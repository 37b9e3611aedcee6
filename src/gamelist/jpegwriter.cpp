#include "gamelist/jpegwriter.h"

#include "core/korvelloerror.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QSaveFile>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <jpeglib.h>
#include <memory>

namespace {

// libjpeg reports fatal errors through error_exit, which must not return; the
// default one ends the process. This one keeps the message and jumps back to
// encode(), which owns no C++ objects between setjmp and the jump.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

extern "C" [[noreturn]] void onEncoderError(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings are not errors; libjpeg would print them to stderr.
extern "C" void onEncoderMessage(j_common_ptr) {}

struct Encoded {
    unsigned char* data = nullptr; // malloc'ed by libjpeg's memory destination
    unsigned long size = 0;
};

// Plain C-style encoding into memory. Returns false with err.message set.
bool encode(const QImage& picture, int quality, Encoded& out, ErrorManager& err) {
    jpeg_compress_struct cinfo;
    std::memset(&cinfo, 0, sizeof cinfo);
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = onEncoderError;
    err.pub.output_message = onEncoderMessage;
    err.message[0] = '\0';
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &out.data, &out.size);
    cinfo.image_width = static_cast<JDIMENSION>(picture.width());
    cinfo.image_height = static_cast<JDIMENSION>(picture.height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo); // baseline sequential, Huffman tables of the standard
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        // libjpeg reads the rows and never writes them.
        JSAMPROW row = const_cast<JSAMPROW>(picture.constScanLine(static_cast<int>(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

// The file's own bits; WriteUser is left out because Qt answers it from
// access(), which grants root everything.
bool hasWriteBits(const QFileInfo& info) {
    return info.permissions() & (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther);
}

KorvelloError createError(const QString& path, const QString& reason) {
    return KorvelloError(
        QStringLiteral("Cannot create file \"%1\". %2").arg(QDir::toNativeSeparators(path), reason));
}

} // namespace

void jpeg::writeFile(const QImage& rgb888, const QString& path, int quality) {
    if (rgb888.format() != QImage::Format_RGB888 || rgb888.isNull())
        throw KorvelloError(QStringLiteral("The picture for \"%1\" is not a 24-bit bitmap").arg(path));

    Encoded encoded;
    ErrorManager err;
    const bool ok = encode(rgb888, quality, encoded, err);
    // Owned from here on, also when writing the file fails.
    std::unique_ptr<unsigned char, decltype(&std::free)> bytes(encoded.data, &std::free);
    if (!ok)
        throw KorvelloError(QStringLiteral("JPEG error: %1").arg(QString::fromLocal8Bit(err.message)));

    // The program runs as any user, also as root, for whom permission bits do
    // not stop a write: a read-only folder or file is refused here explicitly.
    const QFileInfo target(path);
    const QFileInfo folder(target.absolutePath());
    if (!folder.isDir())
        throw createError(path, QStringLiteral("The folder does not exist"));
    if (!hasWriteBits(folder) || (target.exists() && !hasWriteBits(target)))
        throw createError(path, QStringLiteral("Access is denied"));

    // Written beside the target and renamed over it, so an existing picture is
    // either the old one or the new one, never a truncated file.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw createError(path, file.errorString());
    if (file.write(reinterpret_cast<const char*>(bytes.get()), static_cast<qint64>(encoded.size)) !=
            static_cast<qint64>(encoded.size) ||
        !file.commit())
        throw KorvelloError(QStringLiteral("Cannot write file \"%1\". %2")
                                .arg(QDir::toNativeSeparators(path), file.errorString()));
}
