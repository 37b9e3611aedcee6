#pragma once

#include "emulatorsettings/currentgeneration.h"

#include <QString>
#include <QStringList>

#include <functional>

class GameProfile;
class WrittenFileStore;

// The emulator's current builds: no plug-ins, one settings file PCSX2.ini in the
// folder "inis" of their data folder (the user's global settings, never written
// here), per-game override files in "gamesettings" (where Start writes the
// profile), and a command line of their own. An emulator folder is served in
// this mode when its executable or its settings folder says so (detect); the
// plug-in era's files and behaviour are left as they are.
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
// it in any ASCII letter case ("pcsx2-qt", "PCSX2-qt-v2.2.0"), and for the
// AppImage their release scripts make of it ("pcsx2-v2.2.0-linux-appimage-x64-Qt.AppImage":
// a name beginning with "pcsx2" and ending in "-Qt.AppImage", any letter case).
bool isCurrentExecutable(const QString& fileName);

// Chooses the mode of an emulator folder. An executable of the current builds
// among `executables` decides first: their mode, with their own settings folder
// for `appFolder` (settingsFolder), whatever else lies there. The plug-in era's
// files left beside a PCSX2.ini by an aborted first run of an old build (and a
// registry file naming that folder) change nothing then. Without one, the
// plug-in era's settings folder `pluginEraFolder` (from the emulator's key, else
// appFolder + "inis") decides: its own files keep the plug-in era; PCSX2.ini
// alone there means the current builds. Otherwise the current builds' own
// settings folder decides by the same test. With none of these, the plug-in era
// stays, as before.
Detection detect(const QString& appFolder, const QString& pluginEraFolder,
                 const QStringList& executables = {});

// The current builds' command line: "-fullscreen" or "-nofullscreen" as the
// profile's start-fullscreen says (the emulator reads [UI] StartFullscreen from
// PCSX2.ini only, so the command line is where a game's choice can act), the
// profile's keys translated (currentcommandline::translate, which throws on a key
// the emulator would reject), then, with "Run CDVD after start" on, "--" and the
// disc image, so that an image whose name starts with a dash is never read as an
// option. Off, the emulator starts without a disc.
QStringList startArguments(const GameProfile& profile, bool runCdvd, CurrentGeneration generation);

// The game settings file the emulator reads for a disc, in the form of the
// generation: "<SERIAL>_<CRC>.ini" (VMManager::GetGameSettingsPath(serial, crc),
// "<CRC>.ini" when the disc has no serial), and "<CRC>.ini" for the early 1.7
// builds (GetGameSettingsPath(u32 game_crc) formats "%08X.ini"). `dataFolder`
// is the folder above "inis".
// The emulator's game list cache (its [Folders] Cache, "cache" by default, relative to
// the data folder) of the data folder whose settings folder (inis) is given. It
// identifies the images the disc reader cannot read itself (CHD).
QString gameListCachePath(const QString& settingsFolder);

// The gamesettings folder of the data folder whose settings folder (inis) is given.
QString gameSettingsFolder(const QString& settingsFolder);

// What a Start knows of its earlier writes. When the game's settings file differs
// from what Korvello last wrote there (`written`), the user changed it in the
// emulator: the keys changed are read back into the profile through the mapping
// Start writes with, the profile is handed to `saveProfile` (stored before the
// file is written), and one notice names the settings taken over. Then the file
// is written and its bytes remembered.
struct GameFileMemory {
    WrittenFileStore* written = nullptr;
    std::function<void(const GameProfile&)> saveProfile;
};

// Every gamesettings folder Korvello may have written for a library in appFolder:
// the folder's own current builds' (when `currentBuilds`) and the Flatpak build's.
QStringList gameSettingsFolders(const QString& settingsFolder, bool currentBuilds);

QString gameSettingsPath(const QString& dataFolder, const QString& serial, quint32 crc,
                         CurrentGeneration generation);

// Start for the current builds. In order: the generation from PCSX2.ini in
// `settingsFolder`; the command line (a refused key throws and nothing else
// happens); the profile's disc image identified and the profile written into its
// game settings file (a failed write throws and nothing else happens). A disc
// that cannot be identified, or no disc image at all, writes nothing and adds one
// line to `notices` saying why this game's settings were not applied; so does
// the 1.7 builds' switch [EmuCore] EnablePerGameSettings when it is off. Then a
// running emulator of the same executable ends, and appFolder + the profile's
// executable starts detached with appFolder as its working folder. PCSX2.ini is
// never written. Returns the executable name started, for the unload key.
// The running emulator is asked to quit and given time to save (emulatorending),
// `idle` called while it is waited for.
// With `memory`, what the user changed in the emulator is taken in first (see GameFileMemory).
QString startGame(GameProfile& profile, const QString& settingsFolder, const QString& appFolder, bool runCdvd,
                  qint64* pid = nullptr, QStringList* notices = nullptr,
                  const std::function<void()>& idle = {}, const GameFileMemory* memory = nullptr);

// The first half of startGame, for an emulator started some other way (the Flatpak
// build): the generation, the command line and the game's settings file written, the
// notices added. Returns the emulator's arguments; ends and starts nothing. A relative
// disc image path is taken from `imageFolder` (the emulator's folder, where the
// emulator opens it), else from the current folder.
QStringList prepareGame(GameProfile& profile, const QString& settingsFolder, bool runCdvd,
                        QStringList* notices = nullptr, const QString& imageFolder = QString(),
                        const GameFileMemory* memory = nullptr);

} // namespace currentbuild
