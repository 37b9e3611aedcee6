#include "core/searchtext.h"

namespace searchtext {

namespace {

// Letters that Unicode does not decompose into a base letter and a mark, and
// that users type without their stroke or as two letters.
QStringView spelledOut(char16_t c) {
    switch (c) {
    case u'ß':
    case u'ẞ':
        return u"ss";
    case u'æ':
    case u'Æ':
        return u"ae";
    case u'œ':
    case u'Œ':
        return u"oe";
    case u'ø':
    case u'Ø':
        return u"o";
    case u'đ':
    case u'Đ':
        return u"d";
    case u'ð':
    case u'Ð':
        return u"d";
    case u'ł':
    case u'Ł':
        return u"l";
    case u'ı':
        return u"i";
    case u'þ':
    case u'Þ':
        return u"th";
    default:
        return {};
    }
}

bool isMark(QChar c) {
    const QChar::Category category = c.category();
    return category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining ||
           category == QChar::Mark_Enclosing;
}

bool isAscii(QStringView text) {
    for (const QChar c : text)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

} // namespace

QString fold(QStringView text) {
    // Most names are plain ASCII: lower-casing is all they need, and the search
    // folds every name once per rebuild, so that path stays cheap.
    if (isAscii(text))
        return text.toString().toLower();
    const QString decomposed = text.toString().normalized(QString::NormalizationForm_KD);
    QString result;
    result.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (isMark(c))
            continue;
        const QStringView spelled = spelledOut(c.unicode());
        if (!spelled.isEmpty())
            result.append(spelled);
        else
            result.append(c);
    }
    return result.toCaseFolded();
}

} // namespace searchtext
