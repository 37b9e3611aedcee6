// libFuzzer target: both INI write routes on an arbitrary file with an
// arbitrary value (and a section and key such as the program writes). A refused write leaves the file byte
// for byte as it was, and writing the same value twice gives the same file as once.
#include "core/korvelloerror.h"
#include "ini/iniwriter.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <fuzzer/FuzzedDataProvider.h>

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        __builtin_trap();
}

QString text(FuzzedDataProvider& in) {
    const std::string s = in.ConsumeRandomLengthString(64);
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// One route's write; false when it was refused.
bool write(bool keyed, const QString& path, const QString& section, const QString& key,
           const QString& value) {
    try {
        if (keyed)
            WriteIniValue(path, section, key, value);
        else
            ReplaceKeyLine(key, value, path);
        return true;
    } catch (const KorvelloError&) {
        return false;
    }
}

// Sections and keys come from the program's own table, never from stored data:
// names with characters that are syntax in the file are not what it writes.
bool isProgramName(const QString& name) {
    if (name.isEmpty() || name.trimmed() != name)
        return false;
    for (const QChar c : name) {
        if (c.unicode() < 32 || c == u'=' || c == u'[' || c == u']' || c == u';' || c.isSurrogate() ||
            c == QChar::ReplacementCharacter)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir dir;
    static const QString path = dir.path() + QStringLiteral("/PCSX2_ui.ini");
    FuzzedDataProvider in(data, size);
    const bool keyed = in.ConsumeBool();
    const QString section = text(in);
    const QString key = text(in);
    const QString value = text(in);
    if (!isProgramName(section) || !isProgramName(key))
        return 0;
    const std::string rest = in.ConsumeRemainingBytesAsString();
    const QByteArray before(rest.data(), static_cast<qsizetype>(rest.size()));
    writeAll(path, before);

    if (!write(keyed, path, section, key, value)) {
        if (readAll(path) != before)
            __builtin_trap(); // a refused write changed the file
        return 0;
    }
    const QByteArray once = readAll(path);
    if (!write(keyed, path, section, key, value) || readAll(path) != once)
        __builtin_trap(); // the same write again must change nothing
    return 0;
}
