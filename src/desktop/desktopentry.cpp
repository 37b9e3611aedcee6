#include "desktop/desktopentry.h"

namespace desktopentry {

QString escapeValue(const QString& value) {
    QString out;
    out.reserve(value.size() + 8);
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == u'\\')
            out += QLatin1String("\\\\");
        else if (c == u'\n')
            out += QLatin1String("\\n");
        else if (c == u'\r')
            out += QLatin1String("\\r");
        else if (c == u'\t')
            out += QLatin1String("\\t");
        else if (c == u' ' && i == 0)
            out += QLatin1String("\\s");
        else
            out += c;
    }
    return out;
}

QString quoteArgument(const QString& argument) {
    QString out = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            out += u'\\';
        out += c;
        // Field codes are expanded after the quotes are undone, so a literal
        // percent sign is doubled inside quotes too.
        if (c == u'%')
            out += u'%';
    }
    out += u'"';
    return out;
}

QString execValue(const QString& program, const QStringList& arguments) {
    QStringList parts{quoteArgument(program)};
    for (const QString& argument : arguments)
        parts << quoteArgument(argument);
    return escapeValue(parts.join(u' '));
}

bool hasUnwritableCharacter(const QString& text) {
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r') || u == 0x7f)
            return true;
    }
    return false;
}

} // namespace desktopentry
