#include "disc/gameindex.h"

#include "core/flatpakinstallations.h"
#include "core/korvelloerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstring>

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// A double-quoted YAML scalar from just after its opening quote; the escapes
// the database uses (\" \\ \n \t \xNN \uNNNN) are turned into their characters.
QString doubleQuoted(const char* p, const char* end) {
    QByteArray out;
    for (; p < end && *p != '"'; ++p) {
        if (*p != '\\' || p + 1 >= end) {
            out.append(*p);
            continue;
        }
        const char e = *++p;
        auto hex = [&](int digits) {
            if (end - p - 1 < digits)
                return;
            bool ok = false;
            const uint code = QByteArray(p + 1, digits).toUInt(&ok, 16);
            if (!ok)
                return;
            const char32_t character = char32_t(code);
            out.append(QString::fromUcs4(&character, 1).toUtf8());
            p += digits;
        };
        switch (e) {
        case 'n':
            out.append('\n');
            break;
        case 't':
            out.append('\t');
            break;
        case '0':
            break;
        case 'x':
            hex(2);
            break;
        case 'u':
            hex(4);
            break;
        default:
            out.append(e);
            break; // \" \\ \/ and anything else stand for themselves
        }
    }
    return QString::fromUtf8(out);
}

// The scalar value of a `key: value` line from the first character after the colon.
QString scalar(const char* p, const char* end) {
    while (p < end && isBlank(*p))
        ++p;
    if (p == end)
        return {};
    if (*p == '"')
        return doubleQuoted(p + 1, end);
    if (*p == '\'') {
        QByteArray out;
        for (++p; p < end; ++p) {
            if (*p == '\'') {
                if (p + 1 < end && p[1] == '\'') {
                    out.append('\'');
                    ++p;
                    continue;
                }
                break;
            }
            out.append(*p);
        }
        return QString::fromUtf8(out);
    }
    // A plain scalar ends at a comment (" #") or the line's end.
    const char* stop = p;
    while (stop < end && !(*stop == '#' && stop > p && isBlank(stop[-1])))
        ++stop;
    while (stop > p && (isBlank(stop[-1]) || stop[-1] == '\r'))
        --stop;
    return QString::fromUtf8(p, int(stop - p));
}

bool startsWith(const char* p, const char* end, const char* word, int length) {
    return end - p > length && std::memcmp(p, word, size_t(length)) == 0 && p[length] == ':';
}

} // namespace

GameIndex GameIndex::load(const QString& path) {
    // Opening a FIFO would wait for a writer: only a regular file (or a link to one) is read.
    if (!QFileInfo(path).isFile())
        throw KorvelloError(
            QStringLiteral("Cannot read the game database %1: it is not a regular file").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw KorvelloError(
            QStringLiteral("Cannot read the game database %1: %2").arg(path, file.errorString()));
    // Mapped rather than copied: the file is read once, front to back.
    const qint64 size = file.size();
    if (size > 0) {
        if (uchar* mapped = file.map(0, size))
            return parse(QByteArray::fromRawData(reinterpret_cast<const char*>(mapped), qsizetype(size)));
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw KorvelloError(
            QStringLiteral("Cannot read the game database %1: %2").arg(path, file.errorString()));
    return parse(bytes);
}

GameIndex GameIndex::parse(const QByteArray& text) {
    GameIndex index;
    index.m_entries.reserve(16384);
    const char* p = text.constData();
    const char* const end = p + text.size();
    Entry* current = nullptr; // the entry being read; nullptr inside a skipped one
    int childIndent = -1;     // the indentation of the entry's own keys
    while (p < end) {
        const char* lineEnd = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
        if (!lineEnd)
            lineEnd = end;
        const char* line = p;
        p = lineEnd + 1;
        if (line == lineEnd || *line == '#' || *line == '\r')
            continue;
        if (!isBlank(*line)) {
            // A top-level key: "SLUS-20946:" (the rest of the line empty or a comment).
            current = nullptr;
            const char* colon = line;
            while (colon < lineEnd && *colon != ':' && !isBlank(*colon))
                ++colon;
            if (colon == line || colon == lineEnd || *colon != ':')
                continue;
            QString serial = QString::fromLatin1(line, int(colon - line)).toUpper();
            if (serial.startsWith(u'"') && serial.endsWith(u'"') && serial.size() > 1)
                serial = serial.mid(1, serial.size() - 2);
            if (index.m_entries.contains(serial))
                continue; // the emulator keeps the first of two equal serials
            current = &index.m_entries[serial];
            childIndent = -1;
            continue;
        }
        if (!current)
            continue;
        const char* key = line;
        while (key < lineEnd && isBlank(*key))
            ++key;
        if (key == lineEnd || *key == '#' || *key == '\r')
            continue;
        const int indent = int(key - line);
        if (childIndent < 0)
            childIndent = indent;
        if (indent != childIndent)
            continue; // nested deeper: patches, fixes, block text
        if (startsWith(key, lineEnd, "name", 4))
            current->title = scalar(key + 5, lineEnd);
        else if (startsWith(key, lineEnd, "region", 6))
            current->region = scalar(key + 7, lineEnd);
        else if (startsWith(key, lineEnd, "compat", 6))
            current->compat = qBound(0, scalar(key + 7, lineEnd).toInt(), 6);
    }
    index.m_entries.squeeze();
    return index;
}

QStringList GameIndex::candidatePaths(const QString& emulatorFolder) {
    const QString file = QStringLiteral("/resources/GameIndex.yaml");
    QStringList paths;
    if (!emulatorFolder.isEmpty())
        paths << QDir::cleanPath(emulatorFolder) + file;
    // Installed builds keep their resources in a data folder named after the program.
    QStringList dataFolders = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    for (const QString& fixed : {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")})
        if (!dataFolders.contains(fixed))
            dataFolders << fixed;
    for (const QString& folder : dataFolders)
        for (const QString& name : {QStringLiteral("PCSX2"), QStringLiteral("pcsx2")})
            paths << folder + u'/' + name + file;
    // The Flatpak, in each installation flatpak knows. Its build installs the
    // program's folder as it is, resources beside the executable in bin; a
    // build laid out as a distribution's has them in share/PCSX2.
    for (const QString& installation : flatpakinstallations::folders()) {
        const QString files =
            flatpakinstallations::applicationFiles(installation, QStringLiteral("net.pcsx2.PCSX2"));
        paths << files + QStringLiteral("/bin") + file << files + QStringLiteral("/share/PCSX2") + file;
    }
    paths.removeDuplicates();
    return paths;
}

QString GameIndex::find(const QString& emulatorFolder) {
    for (const QString& path : candidatePaths(emulatorFolder))
        if (QFileInfo(path).isFile())
            return path;
    return {};
}

const GameIndex::Entry* GameIndex::lookup(const QString& serial) const {
    const auto it = m_entries.constFind(serial.toUpper());
    return it == m_entries.cend() ? nullptr : &*it;
}

QString GameIndex::compatText(int compat) {
    // The emulator's GameEntry::compatAsString, for the ratings 1 to 6.
    static const char* const kTexts[] = {"", "Nothing", "Intro", "Menu", "In-Game", "Playable", "Perfect"};
    return compat >= 1 && compat <= 6 ? QLatin1String(kTexts[compat]) : QString();
}
