#include "core/asciicase.h"

namespace {
char16_t upperAscii(char16_t c) {
    return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c;
}
} // namespace

bool equalAsciiNoCase(QStringView a, QStringView b) {
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (upperAscii(a[i].unicode()) != upperAscii(b[i].unicode()))
            return false;
    return true;
}
