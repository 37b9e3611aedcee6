#include "app/emulatordiscovery.h"

#include "app/emulatorregistry.h"
#include "ini/inidocument.h"
#include "launch/currentbuild.h"
#include "launch/flatpakbuild.h"
#include "store/encodings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace emulatordiscovery {

namespace {

VersionQuery& versionQuery() {
    static VersionQuery query;
    return query;
}

// Folder entries sorted by name without letter case, so that the lists never
// depend on the file system's own order.
QFileInfoList sortedEntries(const QString& folder) {
    return QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                      QDir::Name | QDir::IgnoreCase);
}

} // namespace

Folders deriveFolders(const QString& appFolder, const EmulatorRegistry& registry) {
    Folders f{appFolder + QStringLiteral("inis"), appFolder + QStringLiteral("Plugins")};
    if (!registry.keyExists())
        return f;
    if (const std::optional<QString> settings = registry.value(QStringLiteral("SettingsFolder")))
        f.settingsFolder = enc::singleBackslashes(*settings);
    if (const std::optional<QString> plugins = registry.value(QStringLiteral("PluginsFolder")))
        f.pluginsFolder = enc::singleBackslashes(*plugins);
    return f;
}

Folders deriveFolders(const QString& appFolder, const EmulatorRegistry& registry,
                      const QString& settingsFolder) {
    Folders f = deriveFolders(appFolder, registry);
    const QString folder = settingsFolder.isEmpty() ? f.settingsFolder : settingsFolder;
    // The emulator's AppConfig keeps the plug-in folder in PCSX2_ui.ini's [Folders]:
    // its own choice when UseDefaultPluginsFolder is disabled, otherwise the folder
    // it last loaded from, which is where a distribution's package put them.
    const IniDocument ui = IniDocument::open(folder + QStringLiteral("/PCSX2_ui.ini"));
    const std::optional<QString> named = ui.value(QStringLiteral("Folders"), QStringLiteral("PluginsFolder"));
    if (!named || named->isEmpty())
        return f;
    const std::optional<QString> useDefault =
        ui.value(QStringLiteral("Folders"), QStringLiteral("UseDefaultPluginsFolder"));
    const bool ownChoice =
        useDefault && useDefault->compare(QLatin1String("disabled"), Qt::CaseInsensitive) == 0;
    const bool registryNames = registry.keyExists() && registry.value(QStringLiteral("PluginsFolder"));
    if (ownChoice || !registryNames)
        f.pluginsFolder = *named;
    return f;
}

void setVersionQuery(VersionQuery query) {
    versionQuery() = std::move(query);
}

int GetOSLevel() {
    const VersionQuery& query = versionQuery();
    const std::optional<OsVersion> version = query ? query() : std::nullopt;
    if (!version || version->major != 6)
        return 0;
    return version->minor == 0 ? 1 : 2;
}

QList<Renderer> listedRenderers(int osLevel) {
    QList<Renderer> listed;
    for (const Renderer& r : kRenderers) {
        if (!r.direct3d10 || osLevel == 2)
            listed.append(r);
    }
    return listed;
}

QStringList listExecutables(const QString& folder, const QString& ownName) {
    QStringList names;
    for (const QFileInfo& entry : sortedEntries(folder)) {
        const QString name = entry.fileName();
        const bool candidate = name.endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive) ||
                               entry.permission(QFileDevice::ExeOwner);
        if (!candidate)
            continue;
        QCoreApplication::processEvents();
        if (!entry.isFile() || name == ownName)
            continue;
        names.append(name);
    }
    return names;
}

bool isGSPluginName(const QString& fileName) {
    const bool begins = fileName.startsWith(QStringLiteral("gsdx"), Qt::CaseInsensitive) ||
                        fileName.startsWith(QStringLiteral("libgsdx"), Qt::CaseInsensitive);
    const bool ends = fileName.endsWith(QStringLiteral(".dll"), Qt::CaseInsensitive) ||
                      fileName.endsWith(QStringLiteral(".so"), Qt::CaseInsensitive);
    return begins && ends;
}

QList<GSPlugin> scanGSPlugins(const QString& folder) {
    using LibType = quint32 (*)();
    using LibName = const char* (*)();
    QList<GSPlugin> plugins;
    for (const QFileInfo& entry : sortedEntries(folder)) {
        if (!isGSPluginName(entry.fileName()))
            continue;
        QCoreApplication::processEvents();
        QLibrary library(folder + u'/' + entry.fileName());
        if (!library.load())
            continue;
        const auto getName = reinterpret_cast<LibName>(library.resolve("PS2EgetLibName"));
        const auto getType = reinterpret_cast<LibType>(library.resolve("PS2EgetLibType"));
        if (getName && getType && getType() == 1) {
            // A plug-in that reports no name at all is skipped like any other failure.
            if (const char* name = getName())
                plugins.append({QString::fromUtf8(name), entry.fileName()});
        }
        library.unload();
    }
    return plugins;
}

GameStarter::Folders startFolders(const QString& appFolder, const QString& pluginEraFolder,
                                  const QString& ownName) {
    const QStringList executables = listExecutables(appFolder, ownName);
    const currentbuild::Detection detection = currentbuild::detect(appFolder, pluginEraFolder, executables);
    // A folder with no emulator of its own, beside an installed Flatpak build: the games
    // are the Flatpak's, in the current builds' mode with its settings.
    if (!detection.current && executables.isEmpty() && !QFileInfo(pluginEraFolder).isDir() &&
        flatpakbuild::find())
        return {appFolder, flatpakbuild::settingsFolder(), true, QString()};
    return {appFolder, detection.settingsFolder, detection.current, QString()};
}

} // namespace emulatordiscovery
