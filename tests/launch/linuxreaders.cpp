#include "linuxreaders.h"

#include <QStringList>

namespace linuxreaders {

QMap<QByteArray, QByteArray> readGsdx(const QByteArray& bytes) {
    QMap<QByteArray, QByteArray> settings;
    QByteArray key;
    QByteArray value;
    qsizetype pos = 0;
    const auto isSpace = [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    };
    const auto skipSpace = [&] {
        while (pos < bytes.size() && isSpace(bytes[pos]))
            ++pos;
    };
    const auto token = [&](QByteArray& out) {
        skipSpace();
        if (pos >= bytes.size())
            return false;
        const qsizetype start = pos;
        while (pos < bytes.size() && !isSpace(bytes[pos]))
            ++pos;
        out = bytes.mid(start, pos - start);
        return true;
    };
    while (token(key)) { // EOF before the first conversion ends the loop
        skipSpace();
        if (pos < bytes.size() && bytes[pos] == '=') {
            ++pos;
            if (token(value))
                skipSpace();
        }
        settings[key] = value;
    }
    return settings;
}

std::optional<QString> readWx(const QByteArray& bytes, const QString& section, const QString& key) {
    bool inSection = false;
    for (QString line : QString::fromUtf8(bytes).split(u'\n')) {
        line = line.trimmed();
        if (line.startsWith(u'[')) {
            inSection = line.mid(1, line.indexOf(u']') - 1) == section;
        } else if (inSection && line.contains(u'=') && line.section(u'=', 0, 0).trimmed() == key) {
            return line.section(u'=', 1).trimmed();
        }
    }
    return std::nullopt;
}

} // namespace linuxreaders
