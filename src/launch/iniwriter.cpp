#include "launch/iniwriter.h"
#include "core/asciicase.h"

#include "core/korvelloerror.h"
#include "launch/initext.h"

#include <QDir>
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

// Writes the whole file through a temporary file in its folder, renamed over the
// original only when everything was written. Returns the failure's reason or empty.
QString saveReplacing(const QString& path, const QByteArray& bytes) {
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return out.errorString();
    if (out.write(bytes) != bytes.size()) {
        const QString reason = out.errorString();
        out.cancelWriting();
        return reason;
    }
    if (!out.commit())
        return out.errorString();
    return {};
}

void setKey(IniText& ini, const QString& section, const QString& key, const QString& value) {
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
    if (header < 0) {
        ini.insert(ini.count(), u'[' + section + u']');
        ini.insert(ini.count(), newLine);
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
    ini.insert(lastNonBlank + 1, newLine);
}

} // namespace

QString resolveIniFile(const QString& path) {
    const QFileInfo info(path);
    if (info.exists())
        return path;
    const QDir folder = info.absoluteDir();
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& name : names) {
        if (name.compare(info.fileName(), Qt::CaseInsensitive) == 0)
            return info.path() + u'/' + name;
    }
    return path;
}

void WriteIniValue(const QString& path, const QString& section, const QString& key, const QString& value) {
    WriteIniValues(path, {IniAssignment{section, key, value}});
}

void WriteIniValues(const QString& path, const QList<IniAssignment>& assignments) {
    const QString file = resolveIniFile(path);
    const auto fail = [&] { throw KorvelloError(QStringLiteral("Unable to write to %1").arg(file)); };
    for (const IniAssignment& a : assignments) {
        if (a.value.contains(u'\r') || a.value.contains(u'\n'))
            fail();
    }
    if (!QFileInfo(QFileInfo(file).path()).isDir())
        fail();
    IniText ini;
    if (QFileInfo::exists(file)) {
        if (!hasWriteBit(file))
            fail();
        QFile in(file);
        if (!in.open(QIODevice::ReadOnly))
            fail();
        const QByteArray bytes = in.readAll();
        if (in.error() != QFileDevice::NoError)
            fail();
        ini = IniText::parse(bytes);
    }
    for (const IniAssignment& a : assignments)
        setKey(ini, a.section, a.key, a.value);
    if (!saveReplacing(file, ini.bytes()).isEmpty())
        fail();
}

void ReplaceKeyLine(const QString& key, const QString& value, const QString& path) {
    const QString file = resolveIniFile(path);
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        throw KorvelloError(QStringLiteral("Cannot open file \"%1\". %2").arg(file, in.errorString()));
    const QByteArray bytes = in.readAll();
    if (in.error() != QFileDevice::NoError)
        throw KorvelloError(QStringLiteral("Cannot open file \"%1\". %2").arg(file, in.errorString()));
    in.close();

    IniText ini = IniText::parse(bytes);
    for (int i = 0; i < ini.count(); ++i) {
        if (ini.text(i).contains(key, Qt::CaseSensitive)) {
            ini.replace(i, key + u'=' + value);
            break;
        }
    }
    ini.endAllLinesWithCrLf();

    if (!hasWriteBit(file))
        throw KorvelloError(QStringLiteral("Cannot create file \"%1\". %2")
                                .arg(file, QString::fromLocal8Bit(std::strerror(EACCES))));
    if (const QString reason = saveReplacing(file, ini.bytes()); !reason.isEmpty())
        throw KorvelloError(QStringLiteral("Cannot create file \"%1\". %2").arg(file, reason));
}
