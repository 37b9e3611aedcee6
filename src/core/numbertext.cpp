#include "core/numbertext.h"

#include "core/korvelloerror.h"

#include <QLocale>
#include <cmath>

namespace numbertext {

int toInt(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && text[i].unicode() <= u' ')
        ++i;
    bool ok = false;
    const QString body = text.mid(i);
    // QString::toInt would accept trailing blanks and other forms; the store only
    // writes plain decimal integers, so insist on sign and digits alone.
    bool plain = !body.isEmpty();
    for (qsizetype k = 0; k < body.size() && plain; ++k) {
        const char16_t c = body[k].unicode();
        const bool digit = c >= u'0' && c <= u'9';
        const bool sign = k == 0 && (c == u'-' || c == u'+') && body.size() > 1;
        plain = digit || sign;
    }
    const int value = plain ? body.toInt(&ok, 10) : 0;
    if (!ok)
        throw KorvelloError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return value;
}

double toDouble(const QString& text) {
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || text.trimmed().isEmpty())
        throw KorvelloError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
    return value;
}

QString formatGeneral(double value) {
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    if (value == 0.0)
        return QStringLiteral("0");
    // Round to 15 significant digits first, then decide the notation from the
    // rounded value's decimal exponent.
    const QString sci = QString::number(value, 'e', 14); // d.dddddddddddddde±xx
    const qsizetype ePos = sci.indexOf(u'e');
    const int exponent = sci.mid(ePos + 1).toInt();
    QString digits = sci.left(ePos);
    const bool negative = digits.startsWith(u'-');
    if (negative)
        digits.remove(0, 1);
    digits.remove(u'.');
    while (digits.size() > 1 && digits.back() == u'0')
        digits.chop(1);
    QString out;
    if (exponent >= 15 || exponent < -5) {
        out = digits.left(1);
        if (digits.size() > 1)
            out += u'.' + digits.mid(1);
        out += u'E' + QString::number(exponent);
    } else if (exponent < 0) {
        out = QStringLiteral("0.") + QString(-exponent - 1, u'0') + digits;
    } else if (digits.size() <= exponent + 1) {
        out = digits + QString(exponent + 1 - digits.size(), u'0');
    } else {
        out = digits.left(exponent + 1) + u'.' + digits.mid(exponent + 1);
    }
    return negative ? u'-' + out : out;
}

} // namespace numbertext
