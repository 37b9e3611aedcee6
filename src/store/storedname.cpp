#include "store/storedname.h"

namespace storedname {

namespace {

constexpr char16_t kFirstStandIn = 0xDC80;
constexpr char16_t kLastStandIn = 0xDCFF;

// Length of the valid UTF-8 sequence at `at` (1 to 4) and its code point, or 0
// when the bytes there are not one: stray continuation bytes, overlong forms,
// surrogate code points and values above U+10FFFF are all invalid.
int validSequence(const QByteArray& bytes, qsizetype at, char32_t* codePoint) {
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(bytes.at(i)); };
    const unsigned char lead = byte(at);
    int length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        *codePoint = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, value = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, value = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, value = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (at + length > bytes.size())
        return 0;
    for (int i = 1; i < length; ++i) {
        const unsigned char next = byte(at + i);
        if ((next & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (next & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    *codePoint = value;
    return length;
}

void appendUtf8(QByteArray& out, char32_t c) {
    if (c < 0x80) {
        out.append(static_cast<char>(c));
    } else if (c < 0x800) {
        out.append(static_cast<char>(0xC0 | (c >> 6)));
        out.append(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.append(static_cast<char>(0xE0 | (c >> 12)));
        out.append(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.append(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.append(static_cast<char>(0xF0 | (c >> 18)));
        out.append(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.append(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.append(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

} // namespace

QString decode(const QByteArray& bytes) {
    QString name;
    name.reserve(bytes.size());
    for (qsizetype at = 0; at < bytes.size();) {
        char32_t c = 0;
        const int length = validSequence(bytes, at, &c);
        if (length == 0) {
            name.append(QChar(char16_t(kFirstStandIn + static_cast<unsigned char>(bytes.at(at)) - 0x80)));
            ++at;
            continue;
        }
        if (c >= 0x10000) {
            name.append(QChar(QChar::highSurrogate(c)));
            name.append(QChar(QChar::lowSurrogate(c)));
        } else {
            name.append(QChar(char16_t(c)));
        }
        at += length;
    }
    return name;
}

QByteArray encode(const QString& name) {
    QByteArray bytes;
    bytes.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t u = name.at(i).unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < name.size() && name.at(i + 1).isLowSurrogate()) {
            appendUtf8(bytes, QChar::surrogateToUcs4(u, name.at(i + 1).unicode()));
            ++i;
        } else if (u >= kFirstStandIn && u <= kLastStandIn) {
            bytes.append(static_cast<char>(0x80 + (u - kFirstStandIn)));
        } else if (QChar::isSurrogate(u)) {
            appendUtf8(bytes, 0xFFFD);
        } else {
            appendUtf8(bytes, u);
        }
    }
    return bytes;
}

bool hasForeignBytes(const QString& name) {
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t u = name.at(i).unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < name.size() && name.at(i + 1).isLowSurrogate())
            ++i;
        else if (u >= kFirstStandIn && u <= kLastStandIn)
            return true;
    }
    return false;
}

} // namespace storedname
