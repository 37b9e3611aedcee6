#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The text of one of the emulator's INI files, held so that it can be written
// back exactly: the byte-order mark and every line as the raw bytes it has in
// the file (content and line end apart). Lines nobody changes keep their bytes;
// changed and new lines are encoded in the file's own encoding.
//
// Encodings: a UTF-8 mark (EF BB BF), a UTF-16 mark in either byte order
// (FF FE, FE FF), or no mark, in which case the file is handled as bytes and
// new text is written as UTF-8. Lines end at CR LF, CR or LF.
//
// A UTF-16 file with an odd number of bytes keeps its stray last byte apart
// from the lines and writes it back at the very end, so that every line, old or
// new, stays on whole code units and readable.
class IniText {
public:
    enum class Encoding { Bytes, Utf8Bom, Utf16LE, Utf16BE };

    IniText() = default;
    static IniText parse(const QByteArray& bytes);
    QByteArray bytes() const;

    Encoding encoding() const { return m_encoding; }
    int count() const { return int(m_lines.size()); }
    // The line's content decoded (without its line end).
    QString text(int line) const;
    bool hasEnd(int line) const { return !m_lines.at(line).end.isEmpty(); }

    // Replaces the content of a line; its line end stays as it was.
    void replace(int line, const QString& text);
    // Inserts a new line ending in `end` (CR LF unless given) before position
    // `line` (count() appends). A line before it that had no line end receives
    // the same end, so the two stay apart.
    void insert(int line, const QString& text, QStringView end = u"\r\n");
    void remove(int line) { m_lines.removeAt(line); }
    // The end of the first line that has one ("\r\n", "\n" or "\r"), empty when no line has an end.
    QString firstLineEnd() const;
    // Gives every line, the last included, the line end CR LF.
    void endAllLinesWithCrLf();

private:
    struct Line {
        QByteArray content; // raw bytes in the file's encoding
        QByteArray end;     // raw bytes: empty, CR, LF or CR LF
    };
    QByteArray encode(const QString& text) const;
    QString decode(const QByteArray& raw) const;
    QByteArray crlf() const { return encode(QStringLiteral("\r\n")); }

    Encoding m_encoding = Encoding::Bytes;
    QList<Line> m_lines;
    QByteArray m_strayByte; // the odd last byte of a UTF-16 file, written back last
};
