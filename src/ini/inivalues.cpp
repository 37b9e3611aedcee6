#include "ini/inivalues.h"

#include "core/boundedread.h"

#include "ini/initext.h"
#include "ini/iniwriter.h"
#include "ini/settingsfile.h"

#include <QFile>
#include <QSet>

namespace {

QString lowerAscii(QString text) {
    for (QChar& c : text) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    }
    return text;
}

QString slot(const QString& section, const QString& key) {
    return lowerAscii(section) + u'\n' + lowerAscii(key);
}

} // namespace

IniValues IniValues::fromFile(const QString& path) {
    const BoundedRead in = BoundedRead::read(resolveIniFile(path), kMaxSettingsFileBytes);
    return in.bytes ? fromBytes(*in.bytes) : IniValues();
}

IniValues IniValues::fromBytes(const QByteArray& bytes) {
    IniValues values;
    const IniText text = IniText::parse(bytes);
    QSet<QString> seenSections;
    QString section;
    bool counting = true; // false inside a repeated section
    for (int i = 0; i < text.count(); ++i) {
        const QString line = text.text(i).trimmed();
        if (line.startsWith(u'[')) {
            const qsizetype close = line.indexOf(u']');
            section = (close < 0 ? line.mid(1) : line.mid(1, close - 1)).trimmed();
            counting = !seenSections.contains(lowerAscii(section));
            seenSections.insert(lowerAscii(section));
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (!counting || eq < 0 || line.startsWith(u';') || line.startsWith(u'#'))
            continue;
        const QString key = slot(section, line.left(eq).trimmed());
        if (!values.m_values.contains(key))
            values.m_values.insert(key, line.mid(eq + 1).trimmed());
    }
    return values;
}

std::optional<QString> IniValues::value(const QString& section, const QString& key) const {
    const auto it = m_values.constFind(slot(section, key));
    if (it == m_values.constEnd())
        return std::nullopt;
    return *it;
}
