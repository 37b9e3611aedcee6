#include "app/commandline.h"

#include "app/emulatordiscovery.h"
#include "app/emulatorfolder.h"
#include "app/emulatorregistry.h"
#include "app/programsettings.h"
#include "app/singleinstance.h"
#include "core/appinfo.h"
#include "core/korvelloerror.h"
#include "core/programfiles.h"
#include "emulatorsettings/settingsrestore.h"
#include "launch/currentbuild.h"
#include "launch/emulatorending.h"
#include "launch/emulatorlauncher.h"
#include "launch/flatpakbuild.h"
#include "launch/gamestarter.h"
#include "launch/playsessiontracker.h"
#include "library/libraryimport.h"
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

// A folder Korvello can work in: it holds the games' database, the emulator's
// settings folder or an emulator executable (pcsx2*, any letter case).
bool holdsEmulatorOrDatabase(const QString& folder) {
    const QDir dir(folder);
    if (QFileInfo::exists(dir.filePath(QStringLiteral("db.mdb"))) ||
        QFileInfo(dir.filePath(QStringLiteral("inis"))).isDir())
        return true;
    for (const QFileInfo& entry : dir.entryInfoList(QDir::Files | QDir::Executable))
        if (entry.fileName().startsWith(QLatin1String("pcsx2"), Qt::CaseInsensitive))
            return true;
    return false;
}

// The games' database of the folder, checked before SQLite opens it: a command
// never creates one, and only a regular file is opened.
QString existingDatabase(const QString& appFolder) {
    const QString path = appFolder + QStringLiteral("db.mdb");
    const QFileInfo file(path);
    if (!file.exists())
        throw KorvelloError(
            QStringLiteral("There is no game database %1").arg(QDir::toNativeSeparators(path)));
    if (!file.isFile())
        throw KorvelloError(
            QStringLiteral("The game database %1 is not a regular file").arg(QDir::toNativeSeparators(path)));
    return path;
}

// A database error with the file and what was being done.
KorvelloError databaseError(const QString& doing, const QString& path, const KorvelloError& error) {
    return KorvelloError(QStringLiteral("%1 %2: %3")
                             .arg(doing, QDir::toNativeSeparators(path), reportText(error.innermostText())));
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
    const QCommandLineOption addFolder(
        QStringLiteral("add-folder"),
        QStringLiteral("Add the games of the disc images in DIR and its subfolders (one profile per game not "
                       "in the library yet), then print a summary."),
        QStringLiteral("DIR"));
    const QCommandLineOption restore(
        QStringLiteral("restore-emulator-settings"),
        QStringLiteral("Put back the emulator's own settings files, as they were before Korvello first "
                       "wrote them."));
    parser.addOptions({list, start, unload, folder, addFolder, restore});
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
    const int chosen = int(parser.isSet(list)) + int(parser.isSet(start)) + int(parser.isSet(unload)) +
                       int(parser.isSet(addFolder)) + int(parser.isSet(restore));
    if (chosen > 1 || parser.values(start).size() > 1 || parser.values(addFolder).size() > 1) {
        m_action = Action::Fail;
        m_error = QStringLiteral("Give only one of --list, --start NAME, --unload, --add-folder DIR and "
                                 "--restore-emulator-settings");
        return;
    }
    if (parser.values(folder).size() > 1) {
        m_action = Action::Fail;
        m_error = QStringLiteral("Give --folder only once");
        return;
    }
    m_action = parser.isSet(list)        ? Action::List
               : parser.isSet(start)     ? Action::Start
               : parser.isSet(unload)    ? Action::Unload
               : parser.isSet(addFolder) ? Action::AddFolder
               : parser.isSet(restore)   ? Action::Restore
                                         : Action::Window;
    m_addFolder = parser.value(addFolder);
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
        // With the Flatpak build installed any folder can keep its games.
        if (!holdsEmulatorOrDatabase(given.absoluteFilePath()) && !flatpakbuild::find()) {
            m_action = Action::Fail;
            m_error =
                QStringLiteral("The folder %1 holds no emulator and no game database (db.mdb); give the "
                               "emulator's folder")
                    .arg(m_givenFolder);
            return;
        }
        m_appFolder = QDir::cleanPath(given.absoluteFilePath()) + u'/';
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
        if (m_action != Action::Unload && m_appFolder.isEmpty())
            throw KorvelloError(
                QStringLiteral("No emulator folder is known; give it once with --folder DIR"));
        // A folder is remembered for later runs only once its command worked.
        int status = 0;
        switch (m_action) {
        case Action::List:
            status = list(out);
            break;
        case Action::Start:
            status = start(err);
            break;
        case Action::AddFolder:
            status = addFolder(out);
            break;
        case Action::Restore:
            out << restoreEmulatorSettings() << u'\n';
            break;
        default:
            return unload(out);
        }
        rememberFolder();
        return status;
    } catch (const KorvelloError& error) {
        err << kErrorPrefix << oneLine(error.innermostText()) << u'\n';
        return 1;
    }
}

int CommandLine::list(QTextStream& out) {
    const QString path = m_appFolder + QStringLiteral("db.mdb");
    if (!QFileInfo::exists(path))
        return 0; // no database yet: no games, and none is made for a list
    ProfileStore store;
    store.setDatabasePath(existingDatabase(m_appFolder));
    QStringList names;
    try {
        names = store.listNames();
    } catch (const KorvelloError& error) {
        throw databaseError(QStringLiteral("Cannot list the games of"), path, error);
    }
    for (const QString& name : std::as_const(names))
        out << name << u'\n';
    return 0;
}

int CommandLine::start(QTextStream& err) {
    const QString path = existingDatabase(m_appFolder);
    ProfileStore store;
    store.setDatabasePath(path);
    // The database is read once here, so that its errors name the file; the
    // Start reads the same row again.
    bool known = false;
    try {
        known = store.exists(m_startName);
    } catch (const KorvelloError& error) {
        throw databaseError(QStringLiteral("Cannot read the game \"%1\" from").arg(m_startName), path, error);
    }
    if (!known)
        throw KorvelloError(QStringLiteral("There is no game named \"%1\" in the database").arg(m_startName));
    const emulatordiscovery::Folders folders =
        emulatordiscovery::deriveFolders(m_appFolder, EmulatorRegistry(), QString());
    ProgramSettings settings;
    const std::optional<int> runValue = settings.readInt(QStringLiteral("Run"));
    GameStarter::Folders startFolders =
        emulatordiscovery::startFolders(m_appFolder, folders.settingsFolder, appinfo::ExecutableName());
    startFolders.pluginsFolder = folders.pluginsFolder;
    GameStarter starter(store, startFolders, appinfo::ExecutableName());
    // As in the window: Start plays the game unless the user turned "Run CDVD after start" off.
    const GameStarter::Started started = starter.start(m_startName, !runValue || *runValue != 0);
    for (const QString& notice : started.notices)
        err << kErrorPrefix << oneLine(notice) << u'\n';
    settings.createKey();
    settings.writeText(lastEmulatorKey(), started.executable);
    // The game runs: a play time that cannot be recorded is said, not a failure.
    try {
        recordPlaySession(m_appFolder + QStringLiteral("db.mdb"), started);
    } catch (const KorvelloError& error) {
        err << kErrorPrefix
            << oneLine(
                   QStringLiteral("%1 started, but its play time cannot be recorded in %2: %3")
                       .arg(started.game, QDir::toNativeSeparators(path), reportText(error.innermostText())))
            << u'\n';
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
    PlaySessionTracker tracker(playTime);
    tracker.gameStarted(started.game, started.pid);
    // No window watches the game: a small process of its own does, and
    // closes the session when the emulator ends.
    tracker.detachWatches(databasePath);
}

QString CommandLine::restoreEmulatorSettings() const {
    // The plug-in era's settings folder and the per-game files' folders, where Start keeps
    // the user's own files.
    const emulatordiscovery::Folders folders =
        emulatordiscovery::deriveFolders(m_appFolder, EmulatorRegistry());
    const GameStarter::Folders start =
        emulatordiscovery::startFolders(m_appFolder, folders.settingsFolder, appinfo::ExecutableName());
    return ::restoreEmulatorSettings(
        folders.settingsFolder, currentbuild::gameSettingsFolders(start.settingsFolder, start.currentBuilds));
}

int CommandLine::unload(QTextStream& out) {
    const std::optional<QString> exeFile = ProgramSettings().readText(lastEmulatorKey());
    if (!exeFile || exeFile->isEmpty())
        throw KorvelloError(QStringLiteral("Korvello has not started an emulator yet"));
    // The emulator is asked to quit and given time to save; what still runs after that is ended.
    bool forced = false;
    if (flatpakbuild::isFlatpak(*exeFile)) {
        // Exactly the process tree that Korvello's last Flatpak Start created.
        if (flatpakbuild::endStarted({}, &forced) == 0)
            throw KorvelloError(QStringLiteral("The Flatpak emulator that Korvello started is not running"));
    } else {
        // As the unload key does: every process of exactly that name.
        const emulatorending::Result ended =
            emulatorending::endAndWait(emulatorending::ofExecutable(*exeFile, appinfo::ExecutableName()));
        if (ended.asked == 0)
            throw KorvelloError(QStringLiteral("No emulator named %1 is running").arg(*exeFile));
        forced = ended.forced;
    }
    if (forced)
        out << emulatorending::forcedText() << u'\n';
    return 0;
}

int CommandLine::addFolder(QTextStream& out) {
    const QString ownName = appinfo::ExecutableName();
    const emulatordiscovery::Folders folders =
        emulatordiscovery::deriveFolders(m_appFolder, EmulatorRegistry());
    const GameStarter::Folders start =
        emulatordiscovery::startFolders(m_appFolder, folders.settingsFolder, ownName);
    // The executable as the window's list would offer it: the only one, or
    // among several the only one named after the emulator.
    const QStringList executables = emulatordiscovery::listExecutables(m_appFolder, ownName);
    QStringList named;
    for (const QString& e : executables)
        if (e.contains(QStringLiteral("pcsx2"), Qt::CaseInsensitive))
            named << e;
    QString executable = executables.size() == 1 ? executables.first()
                         : named.size() == 1     ? named.first()
                                                 : QString();
    // A folder with no emulator of its own serves the installed Flatpak build.
    if (executables.isEmpty() && start.currentBuilds &&
        start.settingsFolder == flatpakbuild::settingsFolder())
        executable = QLatin1String(flatpakbuild::kExecutable);
    if (executable.isEmpty())
        throw KorvelloError(
            executables.isEmpty()
                ? QStringLiteral("No emulator executable is in %1").arg(m_appFolder)
                : QStringLiteral("Several emulator executables are in %1 (%2): add the folder in "
                                 "the window, where one is chosen")
                      .arg(m_appFolder, executables.join(QStringLiteral(", "))));
    LibraryImport::Options options;
    options.databasePath = m_appFolder + QStringLiteral("db.mdb");
    options.executable = executable;
    if (!start.currentBuilds) {
        const QList<emulatordiscovery::GSPlugin> plugins =
            emulatordiscovery::scanGSPlugins(folders.pluginsFolder);
        if (!plugins.isEmpty())
            options.pluginFile = plugins.first().file;
    }
    options.gameIndexPath = GameIndex::find(m_appFolder);
    if (start.currentBuilds)
        options.currentSettingsFolder = start.settingsFolder;
    else
        options.pluginEraSettingsFolder = start.settingsFolder;
    const LibraryImport::Summary summary = LibraryImport(options).run(m_addFolder);
    if (!summary.added.isEmpty())
        SingleInstance::tellLibraryChanged(m_appFolder);
    out << LibraryImport::summaryText(summary) << u'\n';
    for (const QString& name : summary.added)
        out << QStringLiteral("added: ") << name << u'\n';
    // The games stored are listed above; the error that stopped the rest ends the command.
    if (!summary.stoppedBy.isEmpty())
        throw KorvelloError(summary.stoppedBy);
    return 0;
}
