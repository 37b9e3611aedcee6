#pragma once

#include "launch/gamestarter.h"

#include <QString>
#include <QStringList>

class QTextStream;

// The program's command line: with no options it shows the window; --list,
// --start NAME, --unload and --restore-emulator-settings do their work without one and end with an exit
// status; --folder DIR names the emulator folder to work in. Parsed with
// QCommandLineParser, which also answers --help and --version.
class CommandLine {
public:
    enum class Action { Window, List, Start, Unload, AddFolder, Restore, Help, Version, Fail };

    // `arguments` as QCoreApplication::arguments() gives them.
    explicit CommandLine(const QStringList& arguments);

    Action action() const { return m_action; }
    // The failure text of a command line that cannot be obeyed (Action::Fail).
    const QString& errorText() const { return m_error; }

    // The emulator folder, ending in "/": the --folder DIR when given (then
    // remembered for later runs); else the executable's folder when the program
    // stands in it (its Images folder or db.mdb beside it); else the folder
    // remembered from the last run. Empty when none of them applies.
    QString appFolder() const { return m_appFolder; }

    // Runs a window-free action (every one but Window): its output goes to
    // `out`, its one-line error to `err`. Returns the exit status: 0 on success,
    // 1 when the work failed, 2 for a command line that cannot be obeyed.
    int run(QTextStream& out, QTextStream& err);

    // Keeps a --folder DIR for later runs; nothing when none was given.
    // Throws KorvelloError when the settings file cannot be written.
    void rememberFolder() const;

    // The settings value that keeps the emulator folder between runs.
    static QString folderKey() { return QStringLiteral("Folder"); }
    // The settings value that keeps the executable name of the emulator started last.
    static QString lastEmulatorKey() { return QStringLiteral("LastEmulator"); }

private:
    void resolveFolder();
    int list(QTextStream& out);
    int start(QTextStream& err);
    // Puts the emulator's own settings back (SettingsBackup); returns what was done.
    QString restoreEmulatorSettings() const;
    // Opens the started game's play session in the store.
    void recordPlaySession(const QString& databasePath, const GameStarter::Started& started);
    int unload(QTextStream& out);
    // Adds the games of a folder of disc images; the summary goes to `out`.
    int addFolder(QTextStream& out);

    Action m_action = Action::Window;
    QString m_error;
    QString m_appFolder;
    QString m_givenFolder;
    QString m_startName;
    QString m_addFolder;
    QString m_helpText;
};
