#include "ini/inidocument.h"

#include "core/asciicase.h"
#include "core/boundedread.h"
#include "core/korvelloerror.h"
#include "ini/iniwriter.h"
#include "ini/settingsfile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <optional>

namespace {

bool hasWriteBit(const QString& path) {
    constexpr QFileDevice::Permissions anyWrite =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return (QFile::permissions(path) & anyWrite) != 0;
}

// A section header's name, or nothing when the line is not a header.
std::optional<QString> sectionName(const QString& line) {
    const QString t = line.trimmed();
    if (!t.startsWith(u'['))
        return std::nullopt;
    const qsizetype close = t.indexOf(u']');
    return (close < 0 ? t.mid(1) : t.mid(1, close - 1)).trimmed();
}

// The key of a "key=value" line, or nothing when the line holds no "=".
std::optional<QString> keyName(const QString& line) {
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0)
        return std::nullopt;
    return line.left(eq).trimmed();
}

bool isKeyLine(const QString& line, const QString& key) {
    const std::optional<QString> name = keyName(line);
    return name && equalAsciiNoCase(*name, key);
}

void setKey(IniText& ini, const QString& section, const QString& key, const QString& value,
            bool newLinesLikeFile) {
    // The first section of that name is the one written, as the private-profile functions do.
    int header = -1;
    int end = ini.count();
    for (int i = 0; i < ini.count(); ++i) {
        const std::optional<QString> name = sectionName(ini.text(i));
        if (!name)
            continue;
        if (header >= 0) {
            end = i;
            break;
        }
        if (equalAsciiNoCase(*name, section))
            header = i;
    }
    const QString newLine = key + u'=' + value;
    // New lines end in CR LF, as the private-profile functions write them, or as the
    // file's own lines do when asked (a file the emulator wrote with LF stays LF).
    QString lineEnd = newLinesLikeFile ? ini.firstLineEnd() : QString();
    if (lineEnd.isEmpty())
        lineEnd = QStringLiteral("\r\n");
    if (header < 0) {
        ini.insert(ini.count(), u'[' + section + u']', lineEnd);
        ini.insert(ini.count(), newLine, lineEnd);
        return;
    }
    int lastNonBlank = header;
    for (int i = header + 1; i < end; ++i) {
        const QString text = ini.text(i);
        if (const std::optional<QString> name = keyName(text); name && equalAsciiNoCase(*name, key)) {
            // Rewritten where it stands; its indentation and its key's spelling stay.
            qsizetype indent = 0;
            while (indent < text.size() && text.at(indent).isSpace())
                ++indent;
            ini.replace(i, text.left(indent) + *name + u'=' + value);
            return;
        }
        if (!text.trimmed().isEmpty())
            lastNonBlank = i;
    }
    ini.insert(lastNonBlank + 1, newLine, lineEnd);
}

bool holdsLineBreak(const QString& value) {
    return value.contains(u'\r') || value.contains(u'\n') || value.contains(QChar(u'\0'));
}

bool holdsBlank(const QString& value) {
    for (const QChar c : value) {
        // The plug-in's reader splits on what C's isspace() calls a blank.
        if (c == u' ' || c == u'\t' || c == u'\v' || c == u'\f')
            return true;
    }
    return false;
}

} // namespace

IniDocument IniDocument::open(const QString& path) {
    IniDocument doc;
    doc.m_path = resolveIniFile(path);
    const QFileInfo info(doc.m_path);
    doc.m_folderExists = QFileInfo(info.path()).isDir();
    doc.m_onDisk = info.exists();
    doc.m_exists = doc.m_onDisk;
    doc.m_writeBit = doc.m_onDisk && hasWriteBit(doc.m_path);

    const BoundedRead in = BoundedRead::read(doc.m_path, kMaxSettingsFileBytes);
    if (!in.bytes) {
        doc.m_readError = in.missing() ? QStringLiteral("No such file or directory") : in.error;
        return doc;
    }
    doc.m_text = IniText::parse(*in.bytes);
    return doc;
}

bool IniDocument::isFlat() const {
    for (int i = 0; i < m_text.count(); ++i) {
        const QString line = m_text.text(i);
        if (sectionName(line))
            return false;
        if (line.contains(u'='))
            return true;
    }
    return true;
}

void IniDocument::requireKeyedWrite() const {
    // Once a write here has created the file, it is the program's own and writable.
    const bool writable = m_folderExists && (!m_onDisk || (m_writeBit && m_readError.isEmpty()));
    if (!writable)
        throw KorvelloError(QStringLiteral("Unable to write to %1").arg(m_path));
}

void IniDocument::checkValue(const QString& key, const QString& value, bool flat) const {
    if (holdsLineBreak(value))
        throw KorvelloError(
            QStringLiteral("The value of \"%1\" contains a line break or a null character, so it is not "
                           "written to %2")
                .arg(key, m_path));
    if (flat && holdsBlank(value))
        throw KorvelloError(QStringLiteral("The value of \"%1\" contains a blank, which the graphics plug-in "
                                           "cannot read, so it is not written to %2")
                                .arg(key, m_path));
}

void IniDocument::setValue(const QString& section, const QString& key, const QString& value,
                           bool newLinesLikeFile) {
    checkValue(key, value, false);
    requireKeyedWrite();
    setKey(m_text, section, key, value, newLinesLikeFile);
    m_exists = true;
    m_modified = true;
}

void IniDocument::setFlatValue(const QString& key, const QString& value) {
    checkValue(key, value, true);
    requireKeyedWrite();
    // Every line of the key is rewritten: the plug-in keeps the last one it reads.
    bool found = false;
    for (int i = m_text.count() - 1; i >= 0; --i) {
        if (!isKeyLine(m_text.text(i), key))
            continue;
        found = true;
        if (value.isEmpty())
            m_text.remove(i);
        else // the reader compares keys with case: the line's own spelling is the one it reads
            m_text.replace(i, keyName(m_text.text(i)).value_or(key) + QStringLiteral(" = ") + value);
    }
    if (!found && !value.isEmpty()) {
        QString end = m_text.firstLineEnd();
        if (end.isEmpty())
            end = QStringLiteral("\n");
        m_text.insert(m_text.count(), key + QStringLiteral(" = ") + value, end);
    }
    m_exists = true;
    m_modified = true;
}

void IniDocument::replaceKeyLine(const QString& key, const QString& value, bool keepLineEnds) {
    checkValue(key, value, false);
    if (!m_exists || (m_onDisk && !m_readError.isEmpty()))
        throw KorvelloError(QStringLiteral("Cannot open file \"%1\". %2").arg(m_path, m_readError));
    if (m_onDisk && !m_writeBit)
        throw KorvelloError(QStringLiteral("Cannot create file \"%1\". %2")
                                .arg(m_path, QString::fromLocal8Bit(std::strerror(EACCES))));
    for (int i = 0; i < m_text.count(); ++i) {
        if (m_text.text(i).contains(key, Qt::CaseSensitive)) {
            m_text.replace(i, key + u'=' + value);
            break;
        }
    }
    if (!keepLineEnds)
        m_text.endAllLinesWithCrLf();
    m_modified = true;
}

std::optional<QString> IniDocument::value(const QString& section, const QString& key) const {
    bool inSection = false;
    for (int i = 0; i < m_text.count(); ++i) {
        const QString line = m_text.text(i);
        if (const std::optional<QString> name = sectionName(line)) {
            if (inSection)
                return std::nullopt;
            inSection = equalAsciiNoCase(*name, section);
        } else if (inSection && isKeyLine(line, key)) {
            return line.mid(line.indexOf(u'=') + 1).trimmed();
        }
    }
    return std::nullopt;
}

QString IniDocument::commit() {
    if (!m_modified)
        return {};
    const QByteArray bytes = m_text.bytes();
    QSaveFile out(m_path);
    if (!out.open(QIODevice::WriteOnly))
        return out.errorString();
    if (out.write(bytes) != bytes.size()) {
        const QString reason = out.errorString();
        out.cancelWriting();
        return reason;
    }
    if (!out.commit())
        return out.errorString();
    m_onDisk = true;
    m_writeBit = hasWriteBit(m_path);
    m_readError.clear();
    m_modified = false;
    return {};
}

void IniDocument::save() {
    if (!commit().isEmpty())
        throw KorvelloError(QStringLiteral("Unable to write to %1").arg(m_path));
}
