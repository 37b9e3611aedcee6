#include "emulatorsettings/pluginerareader.h"

#include "emulatorsettings/configwriter.h"
#include "emulatorsettings/pluginera.h"
#include "ini/inidocument.h"
#include "ini/initext.h"
#include "store/columntable.h"
#include "store/gameprofile.h"

#include <QFileInfo>

namespace pluginera {

namespace {

// The flat GSdx.ini's value of `key`: its reader keeps the last line of a key,
// and the writer finds the key's lines without letter case.
std::optional<QString> flatValue(const IniDocument& doc, const QString& key) {
    std::optional<QString> found;
    const IniText& text = doc.text();
    for (int i = 0; i < text.count(); ++i) {
        const QString line = text.text(i);
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0 || line.left(equals).trimmed().compare(key, Qt::CaseInsensitive) != 0)
            continue;
        found = line.mid(equals + 1).trimmed();
    }
    return found;
}

// The line route's value: the text after "=" of the first line holding the key.
std::optional<QString> lineValue(const IniDocument& doc, const QString& key) {
    const IniText& text = doc.text();
    for (int i = 0; i < text.count(); ++i) {
        const QString line = text.text(i);
        if (!line.contains(key, Qt::CaseSensitive))
            continue;
        const qsizetype equals = line.indexOf(u'=');
        return equals < 0 ? QString() : line.mid(equals + 1);
    }
    return std::nullopt;
}

// Stored values that the builds' translation may have turned into `text`, the
// most likely first; the text itself is always the last one tried.
QStringList candidates(const IniKey& key, const QString& text, const Builds& builds) {
    QStringList list;
    switch (key.rule) {
    case ValueRule::Msaa: {
        const int position = QStringList{"0", "2", "4", "8"}.indexOf(text.trimmed());
        if (position >= 0)
            list << QString::number(position);
        break;
    }
    case ValueRule::DoubledBackslash:
        list << QString(text).replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
        break;
    case ValueRule::OneZero:
        if (text.trimmed() == QLatin1String("1"))
            list << QStringLiteral("TRUE");
        else if (text.trimmed() == QLatin1String("0"))
            list << QStringLiteral("FALSE");
        break;
    default:
        break;
    }
    const QString t = text.trimmed();
    if (key.column == col::PCSX2EECycleRate) {
        if (t == QLatin1String("-1"))
            list << QStringLiteral("1");
        else if (t == (builds.core16 ? QLatin1String("-3") : QLatin1String("-2")))
            list << QStringLiteral("2");
    }
    if (key.column == col::PCSX2VsyncEnable && builds.core16) {
        if (t == QLatin1String("1"))
            list << QStringLiteral("enabled");
        else if (t == QLatin1String("0"))
            list << QStringLiteral("disabled");
    }
    if (key.column == col::PCSX2CdvdSource && t.compare(QLatin1String("ISO"), Qt::CaseInsensitive) == 0)
        list << QStringLiteral("Iso");
    list << text;
    return list;
}

} // namespace

QStringList readProfile(GameProfile& profile, const QString& settingsFolder) {
    EmulatorFiles files = EmulatorFiles::open(settingsFolder);
    const auto docOf = [&](IniFile f) -> const IniDocument& { return files.of(f); };
    const Builds& builds = files.builds;
    const bool flatGsdx = docOf(IniFile::GSdx).exists() && docOf(IniFile::GSdx).isFlat();

    QStringList unheld;
    for (const IniKey& key : kIniKeys) {
        if (key.column < 0 || key.column == col::PCSX2CurrentIso)
            continue;
        const IniDocument& doc = docOf(key.file);
        const bool flat = key.file == IniFile::GSdx && flatGsdx;
        const QString name = QString::fromLatin1(key.key);
        if (key.rule == ValueRule::PluginPath) {
            if (const std::optional<QString> path = doc.value(QString::fromLatin1(key.section), name);
                path && !path->isEmpty())
                profile.setValue(key.column, QFileInfo(QString(*path).replace(u'\\', u'/')).fileName());
            continue;
        }
        if (key.column == col::PCSX2MemoryCards &&
            doc.value(QStringLiteral("Folders"), QStringLiteral("UseDefaultMemoryCards"))
                    .value_or(QString())
                    .compare(QLatin1String("enabled"), Qt::CaseInsensitive) == 0) {
            profile.setValue(key.column, QString());
            continue;
        }
        if (flat && key.column == col::GSDXnativeres)
            continue; // never read there; upscale_multiplier below says it
        // Linux: the native resolution is upscale_multiplier 1, a custom one 0,
        // and nativeres is never read.
        if (flat && key.column == col::GSDXupscale_multiplier) {
            if (const std::optional<QString> text = flatValue(doc, name)) {
                profile.setValue(col::GSDXnativeres,
                                 *text == QLatin1String("1") ? QStringLiteral("1") : QStringLiteral("0"));
                if (*text == QLatin1String("0"))
                    profile.setValue(key.column, QStringLiteral("1"));
                else if (*text != QLatin1String("1"))
                    profile.setValue(key.column, *text);
            } else {
                profile.setValue(col::GSDXnativeres, QStringLiteral("0"));
                profile.setValue(key.column, QString());
            }
            continue;
        }
        // The 1.6 cores read the VU cycle stealing under the name they gave it.
        QString spelling = name;
        if (builds.core16 && key.column == col::PCSX2VUCycleSteal)
            spelling = QStringLiteral("EECycleSkip");
        std::optional<QString> text;
        if (flat)
            text = flatValue(doc, key.linuxKey ? QString::fromLatin1(key.linuxKey) : name);
        else if (key.section)
            text = doc.value(QString::fromLatin1(key.section), spelling);
        else
            text = lineValue(doc, name);
        if (!text) {
            // The emulator takes a missing key as its own default, and the writer
            // adds no line for an empty value: so the key stays missing. A
            // missing file keeps the profile's values, which a Start then writes.
            if (doc.exists() && key.section)
                profile.setValue(key.column, QString());
            continue;
        }
        bool held = false;
        const QString before = profile.value(key.column);
        for (const QString& stored : candidates(key, *text, builds)) {
            profile.setValue(key.column, stored);
            const KeyWrite write = keyWriteFor(key, iniValue(key, profile, QString()), profile, builds, flat);
            if (write.skip || write.value == *text) {
                held = true;
                break;
            }
        }
        if (!held) {
            profile.setValue(key.column, before);
            unheld << name;
        }
    }
    return unheld;
}

} // namespace pluginera
