#include "emulatorsettings/currentcommandline.h"

#include "core/korvelloerror.h"

#include <QProcess>

namespace currentcommandline {

namespace {

// The options of QtHost::ParseCommandLineOptions that start a game or shape the start. "-help",
// "-version", "-testconfig" and "-updatecleanup" are known to it too, but end the emulator before
// a game runs. "-settings <file>" (CHECK_ARG_PARAM) is read by the 1.7 builds only.
const QStringList kSwitches = {"-batch",      "-nogui",       "-portable",        "-fastboot",
                               "-slowboot",   "-bios",        "-fullscreen",      "-nofullscreen",
                               "-bigpicture", "-setupwizard", "-earlyconsolelog", "-debugger"};
const QStringList kWithValue = {"-state", "-statefile", "-elf", "-gameargs", "-disc", "-logfile"};
const QStringList kEndingEarly = {"-help", "-version", "-testconfig", "-updatecleanup"};

// The plug-in era's keys (wxWidgets' "--name" and "--name=value" forms) that the current builds
// have exactly: AppInit's OnInitCmdLine "nogui", "fullscreen", "windowed", "portable", "nodisc"
// (boots the BIOS with an empty tray, as "-bios"), "fullboot" (no fast boot, as "-slowboot"),
// "forcewiz" (the setup wizard), "elf" and "cfg" (the settings file, 1.7 only).
struct Translation {
    const char* old;
    const char* current;
    bool value;
};
const Translation kTranslations[] = {
    {"--nogui", "-nogui", false},           {"--fullscreen", "-fullscreen", false},
    {"--windowed", "-nofullscreen", false}, {"--portable", "-portable", false},
    {"--nodisc", "-bios", false},           {"--fullboot", "-slowboot", false},
    {"--forcewiz", "-setupwizard", false},  {"--elf", "-elf", true},
    {"--cfg", "-settings", true},
};

KorvelloError refused(const QString& key) {
    return KorvelloError(
        QStringLiteral("The command-line key \"%1\" is not accepted by the emulator's current "
                       "builds: it would end the emulator with \"Unknown parameter\"")
            .arg(key));
}

} // namespace

QStringList translate(const QString& cmdKeys, CurrentGeneration generation) {
    const bool settingsKey = generation != CurrentGeneration::Current2;
    const QStringList keys = QProcess::splitCommand(cmdKeys);
    QStringList out;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        QString key = keys.at(i);
        if (key == u"--") {
            // Everything after it would be taken for the disc image's name.
            throw KorvelloError(
                QStringLiteral("The command-line keys hold \"--\": the emulator's current builds "
                               "would take what follows for the disc image's name"));
        }
        // An old "--name=value" or "--name value" key with an exact equivalent.
        for (const Translation& t : kTranslations) {
            const QString old = QString::fromLatin1(t.old);
            if (key == old || (t.value && key.startsWith(old + u'='))) {
                if (t.current == QLatin1String("-settings") && !settingsKey)
                    throw refused(key);
                QString value;
                if (t.value) {
                    if (key.size() > old.size()) {
                        value = key.mid(old.size() + 1);
                    } else if (i + 1 < keys.size()) {
                        value = keys.at(++i);
                    } else {
                        throw refused(key);
                    }
                }
                out << QString::fromLatin1(t.current);
                if (t.value)
                    out << value;
                key.clear();
                break;
            }
        }
        if (key.isEmpty())
            continue;
        if (kSwitches.contains(key)) {
            out << key;
        } else if (kWithValue.contains(key) || (settingsKey && key == u"-settings")) {
            // CHECK_ARG_PARAM: without a value after it the parser takes the key for an unknown one.
            if (i + 1 >= keys.size())
                throw refused(key);
            out << key << keys.at(++i);
        } else if (kEndingEarly.contains(key)) {
            throw KorvelloError(
                QStringLiteral(
                    "The command-line key \"%1\" makes the emulator's current builds exit before the "
                    "game starts")
                    .arg(key));
        } else if (key.startsWith(u'-')) {
            throw refused(key);
        } else {
            throw KorvelloError(
                QStringLiteral("The command-line keys hold \"%1\", which the emulator's current "
                               "builds would take for a part of the disc image's name")
                    .arg(key));
        }
    }
    return out;
}

} // namespace currentcommandline
