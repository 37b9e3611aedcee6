#include "desktopexec.h"

#include <QFile>

namespace desktopexec {

QHash<QString, QString> readGroup(const QString& path) {
    QHash<QString, QString> keys;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return keys;
    bool inGroup = false;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        if (line.startsWith(u'[')) {
            inGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (!inGroup || line.startsWith(u'#') || eq < 0)
            continue;
        QString value = line.mid(eq + 1);
        while (value.startsWith(u' '))
            value.remove(0, 1);
        keys.insert(line.left(eq).trimmed(), value);
    }
    return keys;
}

std::optional<QString> unescapeValue(const QString& value) {
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != u'\\') {
            out += c;
            continue;
        }
        if (++i >= value.size())
            return std::nullopt;
        switch (value.at(i).unicode()) {
        case u's':
            out += u' ';
            break;
        case u'n':
            out += u'\n';
            break;
        case u't':
            out += u'\t';
            break;
        case u'r':
            out += u'\r';
            break;
        case u'\\':
            out += u'\\';
            break;
        default:
            return std::nullopt;
        }
    }
    return out;
}

std::optional<QStringList> splitExec(const QString& value, QString* error) {
    auto fail = [error](const QString& why) -> std::optional<QStringList> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    const std::optional<QString> line = unescapeValue(value);
    if (!line)
        return fail(QStringLiteral("a backslash sequence that is not a string escape"));

    // Split and unquote. Each argument remembers its text before field codes.
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QStringList words;
    QString word;
    bool inWord = false;
    for (qsizetype i = 0; i < line->size(); ++i) {
        const QChar c = line->at(i);
        if (c == u' ') {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
            continue;
        }
        if (c == u'"') {
            inWord = true;
            for (++i;; ++i) {
                if (i >= line->size())
                    return fail(QStringLiteral("an open quote"));
                const QChar q = line->at(i);
                if (q == u'"')
                    break;
                if (q == u'\\') {
                    if (i + 1 >= line->size())
                        return fail(QStringLiteral("a backslash at the end"));
                    const QChar next = line->at(++i);
                    if (next != u'"' && next != u'`' && next != u'$' && next != u'\\')
                        return fail(QStringLiteral("a backslash before '%1' inside quotes").arg(next));
                    word += next;
                    continue;
                }
                if (q == u'$' || q == u'`')
                    return fail(QStringLiteral("'%1' not escaped inside quotes").arg(q));
                word += q;
            }
            continue;
        }
        if (reserved.contains(c))
            return fail(QStringLiteral("the reserved character '%1' outside quotes").arg(c));
        word += c;
        inWord = true;
    }
    if (inWord)
        words << word;
    if (words.isEmpty())
        return fail(QStringLiteral("no program"));
    if (words.first().contains(u'='))
        return fail(QStringLiteral("\"=\" in the program"));

    // Field codes are expanded after the quoting is undone.
    QStringList arguments;
    for (const QString& w : std::as_const(words)) {
        QString expanded;
        for (qsizetype i = 0; i < w.size(); ++i) {
            if (w.at(i) != u'%') {
                expanded += w.at(i);
                continue;
            }
            if (i + 1 < w.size() && w.at(i + 1) == u'%') {
                expanded += u'%';
                ++i;
                continue;
            }
            return fail(QStringLiteral("a field code in \"%1\"").arg(w));
        }
        arguments << expanded;
    }
    return arguments;
}

} // namespace desktopexec
