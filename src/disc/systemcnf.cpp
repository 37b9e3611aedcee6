#include "disc/systemcnf.h"

#include <QList>

namespace disc {

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

QByteArray stripped(QByteArray text) {
    qsizetype start = 0, end = text.size();
    while (start < end && isSpace(text[start]))
        ++start;
    while (end > start && isSpace(text[end - 1]))
        --end;
    return text.mid(start, end - start);
}

// "????_???.??*" and "????-???.??*": any four characters, the separator, three, a dot, two
// or more.
bool looksLikeSerial(const QString& name) {
    return name.size() >= 11 && (name[4] == u'_' || name[4] == u'-') && name[8] == u'.';
}

} // namespace

SystemCnf SystemCnf::parse(const QByteArray& text) {
    // Lines end at "\n"; each is stripped of white space and split at its first "="
    // (StringUtil::ParseAssignmentString). The last BOOT2 or BOOT line decides.
    SystemCnf result;
    const QList<QByteArray> lines = text.split('\n');
    for (qsizetype number = 0; number < lines.size(); ++number) {
        const QByteArray line = stripped(lines[number]);
        const qsizetype equals = line.indexOf('=');
        if (equals < 0)
            continue;
        const QByteArray key = stripped(line.left(equals));
        const QByteArray value = stripped(line.mid(equals + 1));
        if (value.isEmpty() && number == lines.size() - 1)
            continue;
        if (key == "BOOT2") {
            result.type = DiscType::PS2;
            result.bootPath = QString::fromLatin1(value);
        } else if (key == "BOOT") {
            result.type = DiscType::PS1;
            result.bootPath = QString::fromLatin1(value);
        }
    }
    return result;
}

QString serialFromBootPath(const QString& bootPath) {
    qsizetype slash = bootPath.lastIndexOf(u'\\');
    if (slash < 0)
        slash = bootPath.lastIndexOf(u':');
    QString serial = slash < 0 ? bootPath : bootPath.mid(slash + 1);
    const qsizetype version = serial.lastIndexOf(u';');
    if (version >= 0)
        serial.truncate(version);
    if (!looksLikeSerial(serial))
        return {};
    QString formed;
    for (const QChar c : serial) {
        if (c == u'.')
            continue;
        if (c == u'_')
            formed += u'-';
        else if (c >= u'a' && c <= u'z')
            formed += QChar(c.unicode() - 'a' + 'A');
        else
            formed += c;
    }
    return formed;
}

QString discPathFromBootPath(const QString& bootPath) {
    qsizetype start;
    if (bootPath.startsWith(QLatin1String("cdrom0:")))
        start = 7;
    else if (bootPath.startsWith(QLatin1String("cdrom:")))
        start = 6;
    else
        return {};
    while (start < bootPath.size() && (bootPath[start] == u'\\' || bootPath[start] == u'/'))
        ++start;
    qsizetype end = bootPath.indexOf(u';', start);
    if (end < 0)
        end = bootPath.size();
    return bootPath.mid(start, end - start);
}

} // namespace disc
