#include "jpegfixture.h"

#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <jpeglib.h>
#include <stdexcept>
#include <vector>

namespace {

struct EncodeError {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

extern "C" [[noreturn]] void onEncodeError(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<EncodeError*>(cinfo->err)->jump, 1);
}

// Calls rowAt(y) for each row; it returns a row of `components` bytes a pixel.
template <typename RowAt>
bool encodeRows(int width, int height, J_COLOR_SPACE input, int components, jpegfixture::Form form,
                RowAt rowAt, unsigned char** data, unsigned long* size) {
    jpeg_compress_struct cinfo;
    std::memset(&cinfo, 0, sizeof cinfo);
    EncodeError err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = onEncodeError;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, data, size);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = components;
    cinfo.in_color_space = input;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    using F = jpegfixture::Form;
    if (form == F::Grayscale)
        jpeg_set_colorspace(&cinfo, JCS_GRAYSCALE);
    if (form == F::Cmyk)
        jpeg_set_colorspace(&cinfo, JCS_CMYK); // writes Adobe's marker
    if (form == F::Colour444 || form == F::Colour422) {
        cinfo.comp_info[0].h_samp_factor = form == F::Colour422 ? 2 : 1;
        cinfo.comp_info[0].v_samp_factor = 1;
    }
    if (form == F::Progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rowAt(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

template <typename RowAt>
QByteArray encodeWith(int width, int height, J_COLOR_SPACE input, int components, jpegfixture::Form form,
                      RowAt rowAt) {
    unsigned char* data = nullptr;
    unsigned long size = 0;
    const bool ok = encodeRows(width, height, input, components, form, rowAt, &data, &size);
    QByteArray bytes = ok ? QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)) : QByteArray();
    std::free(data);
    if (!ok)
        throw std::runtime_error("the fixture encoder failed");
    return bytes;
}

void putShort(QByteArray& out, int v, bool bigEndian) {
    if (bigEndian)
        out.append(char(v >> 8)).append(char(v & 0xFF));
    else
        out.append(char(v & 0xFF)).append(char(v >> 8));
}

void putLong(QByteArray& out, quint32 v, bool bigEndian) {
    for (int i = 0; i < 4; ++i)
        out.append(char(bigEndian ? (v >> (24 - 8 * i)) & 0xFF : (v >> (8 * i)) & 0xFF));
}

} // namespace

QByteArray jpegfixture::encode(const QImage& rgb, Form form) {
    Q_ASSERT(rgb.format() == QImage::Format_RGB888);
    if (form != Form::Cmyk)
        return encodeWith(rgb.width(), rgb.height(), JCS_RGB, 3, form,
                          [&](int y) { return rgb.constScanLine(y); });
    // Inverted CMYK with no black ink: C, M, Y are R, G, B; K is 255.
    std::vector<unsigned char> line(4 * std::size_t(rgb.width()));
    return encodeWith(rgb.width(), rgb.height(), JCS_CMYK, 4, form, [&](int y) {
        const uchar* in = rgb.constScanLine(y);
        for (int x = 0; x < rgb.width(); ++x) {
            line[4 * std::size_t(x)] = in[3 * x];
            line[4 * std::size_t(x) + 1] = in[3 * x + 1];
            line[4 * std::size_t(x) + 2] = in[3 * x + 2];
            line[4 * std::size_t(x) + 3] = 255;
        }
        return line.data();
    });
}

QByteArray jpegfixture::flat(int width, int height) {
    const std::vector<unsigned char> row(std::size_t(width), 128);
    return encodeWith(width, height, JCS_GRAYSCALE, 1, Form::Grayscale, [&](int) { return row.data(); });
}

QByteArray jpegfixture::orientationExif(int orientation, bool bigEndian) {
    QByteArray block("Exif\0\0", 6);
    block.append(bigEndian ? "MM" : "II");
    putShort(block, 42, bigEndian);
    putLong(block, 8, bigEndian);       // the first IFD follows the 8-byte TIFF header
    putShort(block, 1, bigEndian);      // one entry
    putShort(block, 0x0112, bigEndian); // Orientation
    putShort(block, 3, bigEndian);      // SHORT
    putLong(block, 1, bigEndian);       // one value, held in the entry itself
    putShort(block, orientation, bigEndian);
    putShort(block, 0, bigEndian);
    putLong(block, 0, bigEndian); // no next IFD
    return block;
}

QByteArray jpegfixture::withApp1(const QByteArray& jpeg, const QByteArray& block) {
    QByteArray marker("\xFF\xE1", 2);
    const int length = int(block.size()) + 2;
    marker.append(char(length >> 8)).append(char(length & 0xFF)).append(block);
    return jpeg.left(2) + marker + jpeg.mid(2);
}
