#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <memory>

// Row-by-row JPEG decoding with libjpeg-turbo, for callers that want only some
// rows of a picture or want to place the rows themselves. Colour, grayscale and
// CMYK pictures (plain or Adobe's inverted CMYK) come out as 24-bit RGB rows.
// Every step throws KorvelloError ("Cannot decode the picture <source>: ...")
// for damaged data; damaged data is never turned into made-up pixels. The
// reader refuses a picture beyond picturelimit from its header, before libjpeg
// reserves anything for it.
//
// Order of use: readHeader(), start(), then readRows()/skipRows() until
// nextRow() == size().height() or the caller has what it needs, then finish().
class JpegReader {
public:
    // `data` must outlive the reader. With keepExif the first EXIF block
    // (APP1 beginning "Exif\0\0") is kept for exifBlock().
    JpegReader(const QByteArray& data, QString source, bool keepExif = false);
    ~JpegReader();
    JpegReader(const JpegReader&) = delete;
    JpegReader& operator=(const JpegReader&) = delete;

    // Reads the header and applies the size limit.
    void readHeader();
    QSize size() const;
    // The EXIF block without its marker, starting with "Exif\0\0", or empty.
    QByteArray exifBlock() const;

    void start();
    // The next row readRows() gives or skipRows() passes over.
    int nextRow() const;
    // Decodes `count` rows of 3 * width bytes each into rows[0..count-1].
    void readRows(unsigned char** rows, int count);
    // Passes over `count` rows without colour conversion; whole bands of rows
    // are only entropy-decoded.
    void skipRows(int count);
    // Checks the rest of the data for damage: it decodes the last row when it
    // was not read (libjpeg would otherwise skip to the end without looking).
    void finish();

private:
    [[noreturn]] void fail();

    struct State;
    std::unique_ptr<State> m;
    QString m_source;
};
