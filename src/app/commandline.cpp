#include "app/commandline.h"

#include "app/emulatordiscovery.h"
#include "app/emulatorfolder.h"
#include "app/emulatorregistry.h"
#include "app/programsettings.h"
#include "core/appinfo.h"
#include "core/korvelloerror.h"
#include "core/programfiles.h"
#include "launch/emulatorlauncher.h"
#include "launch/gamestarter.h"
#include "launch/playsessiontracker.h"
#include "store/playtimestore.h"
#include "store/profilestore.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace {

// Errors start with the program's name, as command-line tools' errors do.
const QString kErrorPrefix = QStringLiteral("korvello: ");

// The text as the window's error report shows it, on one line.
QString oneLine(const QString& text) {
    QString line = reportText(text);
    line.replace(u'\n', u' ');
    return line;
}

} // namespace

CommandLine::CommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Keeps PlayStation 2 games with their own emulator settings and starts them in PCSX2.\n"
        "Without options, shows the game library."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption list(QStringLiteral("list"),
                                  QStringLiteral("Print the game names, one per line."));
    const QCommandLineOption start(QStringLiteral("start"),
                                   QStringLiteral("Start the game NAME (letter case does not matter) without "
                                                  "the window, as the Start button does."),
                                   QStringLiteral("NAME"));
    const QCommandLineOption unload(
        QStringLiteral("unload"),
        QStringLiteral("End the emulator Korvello started last, as Ctrl+Alt+U does."));
    const QCommandLineOption folder(QStringLiteral("folder"),
                                    QStringLiteral("Work in the emulator folder DIR (db.mdb, inis, Plugins, "
                                                   "Images); it is remembered for later runs."),
                                    QStringLiteral("DIR"));
    parser.addOptions({list, start, unload, folder});
    m_helpText = parser.helpText();

    if (!parser.parse(arguments)) {
        m_action = Action::Fail;
        m_error = parser.errorText();
        return;
    }
    if (parser.isSet(help)) {
        m_action = Action::Help;
        return;
    }
    if (parser.isSet(version)) {
        m_action = Action::Version;
        return;
    }
    if (!parser.positionalArguments().isEmpty()) {
        m_action = Action::Fail;
        m_error =
            QStringLiteral("Unknown argument \"%1\"; see --help").arg(parser.positionalArguments().first());
        return;
    }
    const int chosen = int(parser.isSet(list)) + int(parser.isSet(start)) + int(parser.isSet(unload));
    if (chosen > 1 || parser.values(start).size() > 1) {
        m_action = Action::Fail;
        m_error = QStringLiteral("Give only one of --list, --start NAME and --unload");
        return;
    }
    if (parser.values(folder).size() > 1) {
        m_action = Action::Fail;
        m_error = QStringLiteral("Give --folder only once");
        return;
    }
    m_action = parser.isSet(list)     ? Action::List
               : parser.isSet(start)  ? Action::Start
               : parser.isSet(unload) ? Action::Unload
                                      : Action::Window;
    m_startName = parser.value(start);
    m_givenFolder = parser.value(folder);
    resolveFolder();
}

void CommandLine::resolveFolder() {
    if (!m_givenFolder.isEmpty()) {
        const QFileInfo given(m_givenFolder);
        if (!given.isDir()) {
            m_action = Action::Fail;
            m_error = QStringLiteral("The folder %1 does not exist").arg(m_givenFolder);
            return;
        }
        m_appFolder = given.absoluteFilePath() + u'/';
        return;
    }
    // A copy that stands in a folder of its own works there, as it always has;
    // only when that folder holds nothing of Korvello's or an emulator's does a
    // folder chosen earlier take its place. The installed program works in the
    // folder it was given or chose, and asks when it knows none.
    const QString own = appinfo::AppFolder();
    const bool installed = programfiles::isInstalledLayout(QCoreApplication::applicationDirPath());
    if (!installed && (QFileInfo::exists(own + QStringLiteral("Images")) ||
                       QFileInfo::exists(own + QStringLiteral("db.mdb")) ||
                       emulatorfolder::missingEmulator(own, appinfo::ExecutableName()).isEmpty())) {
        m_appFolder = own;
        return;
    }
    const std::optional<QString> remembered = ProgramSettings().readText(folderKey());
    if (remembered && QFileInfo(*remembered).isDir())
        m_appFolder = QFileInfo(*remembered).absoluteFilePath() + u'/';
    else if (!installed)
        m_appFolder = own;
}

void CommandLine::rememberFolder() const {
    if (m_givenFolder.isEmpty() || m_appFolder.isEmpty())
        return;
    ProgramSettings settings;
    settings.createKey();
    settings.writeText(folderKey(), m_appFolder);
}

int CommandLine::run(QTextStream& out, QTextStream& err) {
    switch (m_action) {
    case Action::Help:
        out << m_helpText;
        return 0;
    case Action::Version:
        out << appinfo::kTitle << QStringLiteral(" v.2.1.") << appinfo::BuildNumber() << u'\n';
        return 0;
    case Action::Fail:
        err << kErrorPrefix << oneLine(m_error) << u'\n';
        return 2;
    case Action::Window:
        return 0;
    default:
        break;
    }
    try {
        if (m_action != Action::Unload) {
            if (m_appFolder.isEmpty())
                throw KorvelloError(
                    QStringLiteral("No emulator folder is known; give it once with --folder DIR"));
            rememberFolder();
        }
        switch (m_action) {
        case Action::List:
            return list(out);
        case Action::Start:
            return start(err);
        default:
            return unload();
        }
    } catch (const KorvelloError& error) {
        err << kErrorPrefix << oneLine(error.innermostText()) << u'\n';
        return 1;
    }
}

int CommandLine::list(QTextStream& out) {
    ProfileStore store;
    store.setDatabasePath(m_appFolder + QStringLiteral("db.mdb"));
    for (const QString& name : store.listNames())
        out << name << u'\n';
    return 0;
}

int CommandLine::start(QTextStream& err) {
    ProfileStore store;
    store.setDatabasePath(m_appFolder + QStringLiteral("db.mdb"));
    const emulatordiscovery::Folders folders =
        emulatordiscovery::deriveFolders(m_appFolder, EmulatorRegistry());
    ProgramSettings settings;
    const std::optional<int> runValue = settings.readInt(QStringLiteral("Run"));
    GameStarter starter(
        store,
        emulatordiscovery::startFolders(m_appFolder, folders.settingsFolder, appinfo::ExecutableName()),
        appinfo::ExecutableName());
    const GameStarter::Started started = starter.start(m_startName, runValue && *runValue != 0);
    for (const QString& notice : started.notices)
        err << kErrorPrefix << oneLine(notice) << u'\n';
    settings.createKey();
    settings.writeText(lastEmulatorKey(), started.executable);
    // The game runs: a play time that cannot be recorded is said, not a failure.
    try {
        recordPlaySession(m_appFolder + QStringLiteral("db.mdb"), started);
    } catch (const KorvelloError& error) {
        err << kErrorPrefix << oneLine(error.innermostText()) << u'\n';
    }
    return 0;
}

void CommandLine::recordPlaySession(const QString& databasePath, const GameStarter::Started& started) {
    if (started.pid <= 0)
        return;
    // The session opens in the store and stays open when this process exits:
    // the window takes it up on its next start, as it takes up its own.
    PlayTimeStore playTime;
    playTime.setDatabasePath(databasePath);
    PlaySessionTracker(playTime).gameStarted(started.game, started.pid);
}

int CommandLine::unload() {
    const std::optional<QString> exeFile = ProgramSettings().readText(lastEmulatorKey());
    if (!exeFile || exeFile->isEmpty())
        throw KorvelloError(QStringLiteral("Korvello has not started an emulator yet"));
    // As the unload key does: every process of exactly that name ended.
    if (emulatorlauncher::endRunningEmulator(*exeFile, appinfo::ExecutableName()) == 0)
        throw KorvelloError(QStringLiteral("No emulator named %1 is running").arg(*exeFile));
    return 0;
}
