#include "ini/initext.h"

#include <QtEndian>

namespace {

const QByteArray kUtf8Bom("\xEF\xBB\xBF", 3);
const QByteArray kUtf16LEBom("\xFF\xFE", 2);
const QByteArray kUtf16BEBom("\xFE\xFF", 2);

bool isUtf16(IniText::Encoding e) {
    return e == IniText::Encoding::Utf16LE || e == IniText::Encoding::Utf16BE;
}

QByteArray bomOf(IniText::Encoding e) {
    switch (e) {
    case IniText::Encoding::Utf8Bom:
        return kUtf8Bom;
    case IniText::Encoding::Utf16LE:
        return kUtf16LEBom;
    case IniText::Encoding::Utf16BE:
        return kUtf16BEBom;
    case IniText::Encoding::Bytes:
        break;
    }
    return {};
}

} // namespace

IniText IniText::parse(const QByteArray& bytes) {
    IniText t;
    if (bytes.startsWith(kUtf8Bom))
        t.m_encoding = Encoding::Utf8Bom;
    else if (bytes.startsWith(kUtf16LEBom))
        t.m_encoding = Encoding::Utf16LE;
    else if (bytes.startsWith(kUtf16BEBom))
        t.m_encoding = Encoding::Utf16BE;
    QByteArray body = bytes.mid(bomOf(t.m_encoding).size());

    // Lines are split on code units, so that a UTF-16 file is cut only between
    // whole characters. An odd trailing byte is kept apart: left in the last
    // line, it would shift every code unit written after it by one byte.
    const qsizetype unit = isUtf16(t.m_encoding) ? 2 : 1;
    if (unit == 2 && body.size() % 2 != 0) {
        t.m_strayByte = body.right(1);
        body.chop(1);
    }
    const auto unitAt = [&](qsizetype i) -> char16_t {
        if (unit == 1)
            return static_cast<unsigned char>(body[i]);
        if (t.m_encoding == Encoding::Utf16LE)
            return qFromLittleEndian<quint16>(body.constData() + i);
        return qFromBigEndian<quint16>(body.constData() + i);
    };
    qsizetype start = 0;
    qsizetype i = 0;
    while (i + unit <= body.size()) {
        const char16_t c = unitAt(i);
        if (c != u'\r' && c != u'\n') {
            i += unit;
            continue;
        }
        qsizetype endLength = unit;
        if (c == u'\r' && i + 2 * unit <= body.size() && unitAt(i + unit) == u'\n')
            endLength = 2 * unit;
        t.m_lines.append(Line{body.mid(start, i - start), body.mid(i, endLength)});
        i += endLength;
        start = i;
    }
    if (start < body.size())
        t.m_lines.append(Line{body.mid(start), {}});
    return t;
}

QByteArray IniText::bytes() const {
    QByteArray out = bomOf(m_encoding);
    for (const Line& line : m_lines)
        out += line.content + line.end;
    return out + m_strayByte;
}

QString IniText::decode(const QByteArray& raw) const {
    if (!isUtf16(m_encoding))
        return QString::fromUtf8(raw);
    QString s;
    s.reserve(raw.size() / 2);
    for (qsizetype i = 0; i + 2 <= raw.size(); i += 2) {
        const quint16 u = m_encoding == Encoding::Utf16LE ? qFromLittleEndian<quint16>(raw.constData() + i)
                                                          : qFromBigEndian<quint16>(raw.constData() + i);
        s.append(QChar(u));
    }
    return s;
}

QByteArray IniText::encode(const QString& text) const {
    if (!isUtf16(m_encoding))
        return text.toUtf8();
    QByteArray out(text.size() * 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const quint16 u = text.at(i).unicode();
        if (m_encoding == Encoding::Utf16LE)
            qToLittleEndian<quint16>(u, out.data() + 2 * i);
        else
            qToBigEndian<quint16>(u, out.data() + 2 * i);
    }
    return out;
}

QString IniText::text(int line) const {
    return decode(m_lines.at(line).content);
}

void IniText::replace(int line, const QString& text) {
    m_lines[line].content = encode(text);
}

void IniText::insert(int line, const QString& text, QStringView end) {
    const QByteArray rawEnd = encode(end.toString());
    if (line > 0 && m_lines.at(line - 1).end.isEmpty())
        m_lines[line - 1].end = rawEnd;
    m_lines.insert(line, Line{encode(text), rawEnd});
}

QString IniText::firstLineEnd() const {
    for (const Line& line : m_lines) {
        if (!line.end.isEmpty())
            return decode(line.end);
    }
    return {};
}

void IniText::endAllLinesWithCrLf() {
    const QByteArray end = crlf();
    for (Line& line : m_lines)
        line.end = end;
}
