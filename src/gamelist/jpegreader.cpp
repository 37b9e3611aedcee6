#include "gamelist/jpegreader.h"

#include "core/korvelloerror.h"
#include "gamelist/picturelimit.h"

#include <QDir>
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>
// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

namespace {

// libjpeg reports fatal errors through error_exit, which must not return; the
// default one ends the process. This one keeps the message and jumps back to
// the reader's method that called libjpeg; no C++ object with a destructor
// lives between the setjmp there and the jump.
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

// One CMYK row (4 bytes a pixel) to RGB. Adobe's applications write CMYK
// inverted (0 = full ink) and mark the file with their APP14 marker; without
// it the values are plain ink.
void cmykToRgb(const JSAMPLE* in, unsigned char* out, JDIMENSION width, bool inverted) {
    for (JDIMENSION x = 0; x < width; ++x, in += 4, out += 3) {
        if (inverted) {
            out[0] = mul255(in[0], in[3]);
            out[1] = mul255(in[1], in[3]);
            out[2] = mul255(in[2], in[3]);
        } else {
            const unsigned k = 255u - in[3];
            out[0] = mul255(255u - in[0], k);
            out[1] = mul255(255u - in[1], k);
            out[2] = mul255(255u - in[2], k);
        }
    }
}

} // namespace

struct JpegReader::State {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    bool created = false;
    bool cmyk = false;
    bool keepExif = false;
    const QByteArray* data = nullptr;
    JSAMPARRAY cmykLine = nullptr;
    JSAMPARRAY scratchLine = nullptr; // rows read only to be passed over
};

JpegReader::JpegReader(const QByteArray& data, QString source, bool keepExif)
    : m(std::make_unique<State>()), m_source(std::move(source)) {
    std::memset(&m->cinfo, 0, sizeof m->cinfo);
    m->data = &data;
    m->keepExif = keepExif;
}

JpegReader::~JpegReader() {
    if (m->created)
        jpeg_destroy_decompress(&m->cinfo);
}

void JpegReader::fail() {
    throw KorvelloError(QStringLiteral("Cannot decode the picture %1: %2")
                            .arg(QDir::toNativeSeparators(m_source), QString::fromLocal8Bit(m->err.message)));
}

void JpegReader::readHeader() {
    jpeg_decompress_struct& cinfo = m->cinfo;
    cinfo.err = jpeg_std_error(&m->err.pub);
    m->err.pub.error_exit = onError;
    m->err.pub.emit_message = onMessage;
    m->err.message[0] = '\0';
    if (setjmp(m->err.jump))
        fail();
    jpeg_create_decompress(&cinfo);
    m->created = true;
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(m->data->constData()),
                 static_cast<unsigned long>(m->data->size()));
    if (m->keepExif)
        jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&cinfo, TRUE);
    // Four-component pictures (CMYK, or YCCK which libjpeg turns into CMYK) are
    // converted here; libjpeg converts every other colour space to RGB itself.
    m->cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = m->cmyk ? JCS_CMYK : JCS_RGB;
    // Before jpeg_start_decompress(), which reserves the coefficient buffers of
    // a progressive picture for the whole declared size.
    picturelimit::check(m_source, cinfo.image_width, cinfo.image_height, 3);
}

QSize JpegReader::size() const {
    return {static_cast<int>(m->cinfo.image_width), static_cast<int>(m->cinfo.image_height)};
}

QByteArray JpegReader::exifBlock() const {
    for (jpeg_saved_marker_ptr marker = m->cinfo.marker_list; marker; marker = marker->next) {
        if (marker->marker == JPEG_APP0 + 1 && marker->data_length >= 6 &&
            std::memcmp(marker->data, "Exif\0\0", 6) == 0)
            return QByteArray(reinterpret_cast<const char*>(marker->data),
                              static_cast<qsizetype>(marker->data_length));
    }
    return {};
}

void JpegReader::start() {
    if (setjmp(m->err.jump))
        fail();
    jpeg_start_decompress(&m->cinfo);
    m->scratchLine = (*m->cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&m->cinfo), JPOOL_IMAGE,
                                                   m->cinfo.output_width * 3, 1);
    if (m->cmyk)
        m->cmykLine = (*m->cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&m->cinfo), JPOOL_IMAGE,
                                                    m->cinfo.output_width * 4, 1);
}

int JpegReader::nextRow() const {
    return static_cast<int>(m->cinfo.output_scanline);
}

void JpegReader::readRows(unsigned char** rows, int count) {
    jpeg_decompress_struct& cinfo = m->cinfo;
    if (setjmp(m->err.jump))
        fail();
    int done = 0;
    if (!m->cmyk) {
        // RGB rows have libjpeg's layout: decode straight into the caller's rows.
        while (done < count)
            done += static_cast<int>(
                jpeg_read_scanlines(&cinfo, rows + done, static_cast<JDIMENSION>(count - done)));
    } else {
        const bool inverted = cinfo.saw_Adobe_marker;
        for (; done < count; ++done) {
            jpeg_read_scanlines(&cinfo, m->cmykLine, 1);
            cmykToRgb(m->cmykLine[0], rows[done], cinfo.output_width, inverted);
        }
    }
}

void JpegReader::skipRows(int count) {
    jpeg_decompress_struct& cinfo = m->cinfo;
    const int end = std::min(nextRow() + count, static_cast<int>(cinfo.output_height));
    // libjpeg-turbo 2.1 upsamples the rows after a skip from the wrong chroma
    // rows when the skip starts or ends inside a row group (two rows of a
    // 4:2:0 picture), so the rows of a partly skipped group are read instead.
    // This costs at most one row at each end of a skip.
    const int group = std::max(1, cinfo.max_v_samp_factor);
    unsigned char* scratch = m->scratchLine[0];
    while (nextRow() < end && nextRow() % group != 0)
        readRows(&scratch, 1);
    const int groupsEnd = end - end % group;
    if (setjmp(m->err.jump))
        fail();
    while (nextRow() < groupsEnd) {
        if (jpeg_skip_scanlines(&cinfo, static_cast<JDIMENSION>(groupsEnd - nextRow())) == 0)
            break; // at the end already
    }
    while (nextRow() < end)
        readRows(&scratch, 1);
}

void JpegReader::finish() {
    jpeg_decompress_struct& cinfo = m->cinfo;
    const int height = static_cast<int>(cinfo.output_height);
    if (nextRow() < height) {
        // Skipping to the very end is free in libjpeg and checks nothing;
        // decoding the last row reads all the data before it.
        if (nextRow() < height - 1)
            skipRows(height - 1 - nextRow());
        std::vector<unsigned char> line(std::size_t(cinfo.output_width) * 3);
        unsigned char* row = line.data();
        readRows(&row, 1);
    }
    if (setjmp(m->err.jump))
        fail();
    jpeg_finish_decompress(&cinfo);
}
