#pragma once

#include <QString>
#include <QStringList>

class GameProfile;

// The emulator's current builds: no plug-ins, one settings file PCSX2.ini in the
// folder "inis" of their data folder, per-game override files in "gamesettings"
// (never touched here), and a command line of their own. An emulator folder is
// served in this mode when its settings folder says so (isCurrentSettingsFolder);
// the plug-in era's files and behaviour are left as they are.
namespace currentbuild {

// The settings folder ("<data folder>/inis") the current builds use when started
// from `programFolder`, found as they find it: portable mode when "portable.ini"
// or "portable.txt" stands beside the executable, else $XDG_CONFIG_HOME/PCSX2 when
// that variable holds an absolute path, else $HOME/.config/PCSX2, else portable.
QString settingsFolder(const QString& programFolder);

// The settings file's name as the emulator spells it.
inline constexpr char kSettingsFile[] = "PCSX2.ini";

// True when `folder` holds PCSX2.ini and no PCSX2_vm.ini (names compared without
// letter case, as the writer resolves them): the current builds' settings folder.
bool isCurrentSettingsFolder(const QString& folder);

// Which kind of emulator an emulator folder holds, and where its settings are.
struct Detection {
    bool current = false;   // the current builds' mode
    QString settingsFolder; // where Start writes: the plug-in era's folder when not current
};

// True for the executable of the current builds' Linux front end, which their
// build names "pcsx2-qt" (add_executable(pcsx2-qt)): a file name beginning with
// it in any ASCII letter case ("pcsx2-qt", "PCSX2-qt-v2.2.0").
bool isCurrentExecutable(const QString& fileName);

// Chooses the mode of an emulator folder. The plug-in era's settings folder
// `pluginEraFolder` (from the emulator's key, else appFolder + "inis") decides
// first: its own files keep the plug-in era; PCSX2.ini alone there means the
// current builds. Otherwise the current builds' own settings folder for
// `appFolder` (settingsFolder) decides by the same test, and then the
// executables beside the program: one of the current builds' selects their
// mode with that settings folder (which the emulator creates on its first
// start). With none of these, the plug-in era stays, as before.
Detection detect(const QString& appFolder, const QString& pluginEraFolder,
                 const QStringList& executables = {});

// The current builds' command line: the profile's keys split as a shell would
// split them, then, with "Run CDVD after start" on, "--" and the disc image, so
// that an image whose name starts with a dash is never read as an option. Off,
// the emulator starts without a disc.
QStringList startArguments(bool runCdvd, const QString& currentIso, const QString& cmdKeys);

// Start for the current builds: writes the profile into PCSX2.ini in
// `settingsFolder` (a failure throws KorvelloError and nothing else happens),
// ends a running emulator of the same executable, then starts appFolder + the
// profile's executable detached with appFolder as its working folder. Returns
// the executable name started, for the unload key.
QString startGame(const GameProfile& profile, const QString& settingsFolder, const QString& appFolder,
                  bool runCdvd, qint64* pid = nullptr);

} // namespace currentbuild
