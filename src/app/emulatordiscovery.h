#pragma once

#include "launch/gamestarter.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>

class EmulatorRegistry;

// Finding out, at start-up, where the emulator keeps its settings and plug-ins,
// which executables stand beside the program, which graphics plug-ins are
// installed and which renderers the system offers. Window-free: the main window
// puts the results into the editor's lists.
namespace emulatordiscovery {

struct Folders {
    QString settingsFolder; // settings folder
    QString pluginsFolder;  // plug-ins folder
};

// AppFolder + "inis" and AppFolder + "Plugins" (no trailing separator), each
// replaced by the registry's "SettingsFolder" / "PluginsFolder" when the key holds
// it, with every "\\" pair read as one "\". Nothing checks that the folders exist.
Folders deriveFolders(const QString& appFolder, const EmulatorRegistry& registry);
// The same, with the plug-in folder the emulator's PCSX2_ui.ini (in
// `settingsFolder`, or the derived one when empty) names in [Folders]
// "PluginsFolder": taken when its UseDefaultPluginsFolder is disabled, or when
// the registry names no plug-in folder.
Folders deriveFolders(const QString& appFolder, const EmulatorRegistry& registry,
                      const QString& settingsFolder);

// The system version as the version query reports it.
struct OsVersion {
    quint32 major = 0;
    quint32 minor = 0;
};
using VersionQuery = std::function<std::optional<OsVersion>()>;
// Replaces the version query (tests feed versions through it); an empty query
// restores the platform's, which fails on Linux as there is no Windows version.
void setVersionQuery(VersionQuery query);

// 0 when the query fails or the major version is not 6; 1 for 6.0; 2 for 6.x.
int GetOSLevel();

struct Renderer {
    const char* text;
    int number;      // what a profile stores and the graphics plug-in receives
    bool direct3d10; // listed only at OS level 2
};
inline constexpr std::array<Renderer, 7> kRenderers = {{
    {"Direct3D9 (Hardware)", 0, false},
    {"Direct3D9 (Software)", 1, false},
    {"Direct3D9 (Null)", 2, false},
    {"Direct3D10/11 (Hardware)", 3, true},
    {"Direct3D10/11 (Software)", 4, true},
    {"Direct3D10/11 (Null)", 5, true},
    {"SDL 1.3 (Software)", 7, false},
}};

// The renderers listed at an OS level, in table order.
QList<Renderer> listedRenderers(int osLevel);

// Bare names of the executables in `folder`: regular files ending in ".exe" (any
// case) or carrying the owner's execute bit, never folders, without the file
// named `ownName`; sorted by name without letter case. Pending events are
// processed once per entry found.
QStringList listExecutables(const QString& folder, const QString& ownName);

struct GSPlugin {
    QString name; // the plug-in's display name, as it reports it
    QString file; // its bare file name
};

// Whether a file name is that of a graphics plug-in: beginning with "gsdx" or
// "libgsdx" and ending in ".dll" or ".so", without letter case.
bool isGSPluginName(const QString& fileName);

// The graphics plug-ins in `folder`, in name order without letter case: every
// library that loads, exports "PS2EgetLibType" and "PS2EgetLibName" and reports
// type exactly 1. Each library is unloaded before the next; failures are skipped
// silently. Pending events are processed once per entry found.
QList<GSPlugin> scanGSPlugins(const QString& folder);

// Where Start writes for the emulator folder `appFolder` and which builds it
// serves (the current builds or the plug-in era), as the window and
// `korvello --start` both decide it: from the plug-in era's settings folder
// `pluginEraFolder`, then the current builds' own, then the executables beside
// the program (all but `ownName`).
GameStarter::Folders startFolders(const QString& appFolder, const QString& pluginEraFolder,
                                  const QString& ownName);

} // namespace emulatordiscovery
