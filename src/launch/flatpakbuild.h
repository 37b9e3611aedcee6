#pragma once

#include <QString>

#include <QStringList>
#include <functional>
#include <optional>

// The emulator as Flathub ships it (application id net.pcsx2.PCSX2): no executable in a
// folder of the user's, settings in the sandbox's own configuration folder, started through
// the launcher Flatpak exports or "flatpak run". A profile names it in its executable
// column by kExecutable; everything else about a Start is the current builds' (per-game
// files, their command line).
namespace flatpakbuild {

inline constexpr char kAppId[] = "net.pcsx2.PCSX2";
// How a profile stores the Flatpak build as its executable: not a file name, so that it
// can never be taken for a file of the emulator's folder nor name processes to end.
inline constexpr char kExecutable[] = "flatpak:net.pcsx2.PCSX2";
// How the executable list shows it.
inline constexpr char kListName[] = "PCSX2 (Flatpak)";

// True for kExecutable exactly.
bool isFlatpak(const QString& exeFile);

// The folders Flatpak exports launchers into: "/exports/bin" of each installation
// flatpak knows, the user's first (flatpakinstallations::folders()).
QStringList exportFolders();

// An installed Flatpak build and how to start it.
struct Installation {
    QString launcher; // the exported launcher, empty when only "flatpak info" knew the build
    QString flatpak;  // the flatpak command, empty when it is not on PATH
};

// The installation, when there is one: an executable launcher named kAppId in an export
// folder, else "flatpak info net.pcsx2.PCSX2" answering (at most a few seconds).
std::optional<Installation> find();

// The build's data folder, where the sandbox keeps PCSX2's configuration:
// ~/.var/app/net.pcsx2.PCSX2/config/PCSX2 (the sandbox's $XDG_CONFIG_HOME/PCSX2).
QString dataFolder();
// Its settings folder: dataFolder() + "/inis".
QString settingsFolder();

// The program and arguments that start the build with the emulator's `arguments`: the
// launcher, else flatpak run net.pcsx2.PCSX2.
QStringList startCommand(const Installation& installation, const QStringList& arguments);

// Whether the sandbox may read `folder`, as flatpak answers it for the build's
// permissions and the user's overrides ("flatpak info --file-access"): true or false, and
// nothing when flatpak cannot say.
std::optional<bool> sandboxReads(const Installation& installation, const QString& folder);

// One line for a disc image the sandbox cannot read (where it really is, links resolved),
// naming in quotes the command that grants its folder; empty when it can, or when that
// cannot be told. Korvello never changes the
// permissions itself.
QString permissionNotice(const Installation& installation, const QString& imagePath);

// Starts the build detached, in `workingFolder`, and keeps the started process (with what
// tells it from a later process of the same number) so that endStarted() ends exactly it.
// Throws KorvelloError when it cannot be started.
qint64 start(const Installation& installation, const QStringList& arguments, const QString& workingFolder);

// The process the last start() created, in any copy of the program, when it still
// runs (its identity matches the record); 0 otherwise.
qint64 startedProcess();

// Ends the process tree the last start() created (the launcher, the sandbox and the
// emulator in it), when it still runs; nothing else. The emulator is asked to quit
// first and given emulatorending::kQuitWaitMs (`idle` is called while it is waited
// for). Returns how many processes were asked; `forced`, when given, says whether
// some had to be ended after the wait.
int endStarted(const std::function<void()>& idle = {}, bool* forced = nullptr);

} // namespace flatpakbuild
