#include "emulatorsettings/configwriter.h"

#include "core/korvelloerror.h"
#include "emulatorsettings/pluginera.h"
#include "ini/inidocument.h"
#include "store/columntable.h"
#include "store/encodings.h"
#include "store/gameprofile.h"

#include <algorithm>
#include <initializer_list>

namespace {
using R = ValueRule;
} // namespace

// In the order of writing. Within PCSX2_ui.ini the six line-route keys come after
// the keyed writes of GSWindow, Framerate and ProgramLog, so that a file the keyed
// route has just created exists when the line route reads it.
//
// "vuMinMax" and "vuBlockHack" of EmuCore/Speedhacks are not written: no profile
// column holds them, and the emulator's own values survive, like every other
// setting the profile does not hold.
//
// The last field of the GSdx.ini rows is the spelling the plug-in's Linux build
// reads in its flat file when the file has no line of the key yet (a line it has
// keeps its own spelling): GSdxApp::Init names "Renderer" (so spelled since 2015),
// "interlace" and "extrathreads" (the name swthreads was given in 2011); every
// other key is spelled there as here.
const std::array<IniKey, kIniKeyCount> kIniKeys = {{
    // GSdx.ini [Settings]
    {IniFile::GSdx, "Settings", "Renderer", col::GSDXRenderer, R::AsStored, "Renderer"},
    {IniFile::GSdx, "Settings", "Interlace", col::GSDXInterlace, R::AsStored, "interlace"},
    {IniFile::GSdx, "Settings", "resx", col::GSDXresx, R::AsStored, "resx"},
    {IniFile::GSdx, "Settings", "resy", col::GSDXresy, R::AsStored, "resy"},
    {IniFile::GSdx, "Settings", "upscale_multiplier", col::GSDXupscale_multiplier, R::AsStored,
     "upscale_multiplier"},
    {IniFile::GSdx, "Settings", "nativeres", col::GSDXnativeres, R::AsStored, "nativeres"},
    {IniFile::GSdx, "Settings", "UserHacks_MSAA", col::GSDXUserHacks_MSAA, R::Msaa, "UserHacks_MSAA"},
    {IniFile::GSdx, "Settings", "swthreads", col::GSDXswthreads, R::AsStored, "extrathreads"},
    {IniFile::GSdx, "Settings", "filter", col::GSDXfilter, R::AsStored, "filter"},
    {IniFile::GSdx, "Settings", "paltex", col::GSDXpaltex, R::AsStored, "paltex"},
    {IniFile::GSdx, "Settings", "logz", col::GSDXlogz, R::AsStored, "logz"},
    {IniFile::GSdx, "Settings", "fba", col::GSDXfba, R::AsStored, "fba"},
    {IniFile::GSdx, "Settings", "aa1", col::GSDXaa1, R::AsStored, "aa1"},
    {IniFile::GSdx, "Settings", "UserHacks_SkipDraw", col::GSDXUserHacks_SkipDraw, R::AsStored,
     "UserHacks_SkipDraw"},
    {IniFile::GSdx, "Settings", "UserHacks_AlphaHack", col::GSDXUserHacks_AlphaHack, R::AsStored,
     "UserHacks_AlphaHack"},
    {IniFile::GSdx, "Settings", "UserHacks_HalfPixelOffset", col::GSDXUserHacks_HalfPixelOffset, R::AsStored,
     "UserHacks_HalfPixelOffset"},
    {IniFile::GSdx, "Settings", "UserHacks_SpriteHack", col::GSDXUserHacks_SpriteHack, R::AsStored,
     "UserHacks_SpriteHack"},
    {IniFile::GSdx, "Settings", "UserHacks_WildHack", col::GSDXUserHacks_WildHack, R::AsStored,
     "UserHacks_WildHack"},
    {IniFile::GSdx, "Settings", "UserHacks", col::GSDXUserHacks, R::AsStored, "UserHacks"},
    // PCSX2_ui.ini [GSWindow]
    {IniFile::Ui, "GSWindow", "AspectRatio", col::PCSX2AspectRatio, R::AsStored},
    {IniFile::Ui, "GSWindow", "WindowSize", col::PCSX2WindowSize, R::AsStored},
    {IniFile::Ui, "GSWindow", "DisableResizeBorders", col::PCSX2DisableResizeBorders, R::AsStored},
    {IniFile::Ui, "GSWindow", "AlwaysHideMouse", col::PCSX2AlwaysHideMouse, R::AsStored},
    {IniFile::Ui, "GSWindow", "CloseOnEsc", col::PCSX2CloseOnEsc, R::AsStored},
    {IniFile::Ui, "GSWindow", "DefaultToFullscreen", col::PCSX2DefaultToFullscreen, R::AsStored},
    {IniFile::Ui, "GSWindow", "IsToggleFullscreenOnDoubleClick", col::PCSX2IsToggleFullscreenOnDoubleClick,
     R::AsStored},
    {IniFile::Ui, "GSWindow", "Zoom", col::PCSX2Zoom, R::AsStored},
    // PCSX2_vm.ini [EmuCore/Gamefixes]
    {IniFile::Vm, "EmuCore/Gamefixes", "VuAddSubHack", col::PCSX2VuAddSubHack, R::AsStored},
    {IniFile::Vm, "EmuCore/Gamefixes", "IPUWaitHack", col::PCSX2IPUWaitHack, R::AsStored},
    {IniFile::Vm, "EmuCore/Gamefixes", "VuClipFlagHack", col::PCSX2VuClipFlagHack, R::AsStored},
    {IniFile::Vm, "EmuCore/Gamefixes", "FpuCompareHack", col::PCSX2FpuCompareHack, R::AsStored},
    {IniFile::Vm, "EmuCore/Gamefixes", "FpuMulHack", col::PCSX2FpuMulHack, R::AsStored},
    {IniFile::Vm, "EmuCore/Gamefixes", "FpuNegDivHack", col::PCSX2FpuNegDivHack, R::AsStored},
    {IniFile::Vm, "EmuCore/Gamefixes", "XgKickHack", col::PCSX2XgKickHack, R::AsStored},
    {IniFile::Vm, "EmuCore/Gamefixes", "EETimingHack", col::PCSX2EETimingHack, R::AsStored},
    {IniFile::Vm, "EmuCore/Gamefixes", "SkipMPEGHack", col::PCSX2SkipMPEGHack, R::AsStored},
    {IniFile::Vm, "EmuCore/Gamefixes", "OPHFlagHack", col::PCSX2OPHFlagHack, R::AsStored},
    {IniFile::Vm, "EmuCore/Gamefixes", "DMABusyHack", col::PCSX2DMABusyHack, R::AsStored},
    {IniFile::Vm, "EmuCore/Gamefixes", "VIFFIFOHack", col::PCSX2VIFFIFOHack, R::AsStored},
    {IniFile::Vm, "EmuCore/Gamefixes", "VIF1StallHack", col::PCSX2VIF1StallHack, R::AsStored},
    {IniFile::Vm, "EmuCore/Gamefixes", "GIFReverseHack", col::PCSX2GIFReverseHack, R::AsStored},
    // PCSX2_vm.ini [EmuCore/GS]
    {IniFile::Vm, "EmuCore/GS", "FrameLimitEnable", col::PCSX2FrameLimitEnable, R::AsStored},
    {IniFile::Vm, "EmuCore/GS", "DisableOutput", col::PCSX2DisableOutput, R::AsStored},
    {IniFile::Vm, "EmuCore/GS", "SynchronousMTGS", col::PCSX2SynchronousMTGS, R::AsStored},
    {IniFile::Vm, "EmuCore/GS", "VsyncEnable", col::PCSX2VsyncEnable, R::AsStored},
    {IniFile::Vm, "EmuCore/GS", "FramerateNTSC", col::PCSX2FramerateNTSC, R::AsStored},
    {IniFile::Vm, "EmuCore/GS", "FrameratePAL", col::PCSX2FrameratePAL, R::AsStored},
    {IniFile::Vm, "EmuCore/GS", "FramesToDraw", col::PCSX2FramesToDraw, R::AsStored},
    {IniFile::Vm, "EmuCore/GS", "FramesToSkip", col::PCSX2FramesToSkip, R::AsStored},
    {IniFile::Vm, "EmuCore/GS", "ManagedVsync", col::PCSX2ManagedVsync, R::AsStored},
    // PCSX2_ui.ini [Framerate]
    {IniFile::Ui, "Framerate", "NominalScalar", col::PCSX2NominalScalar, R::AsStored},
    {IniFile::Ui, "Framerate", "SlomoScalar", col::PCSX2SlomoScalar, R::AsStored},
    {IniFile::Ui, "Framerate", "TurboScalar", col::PCSX2TurboScalar, R::AsStored},
    {IniFile::Ui, "Framerate", "SkipOnLimit", col::PCSX2SkipOnLimit, R::AsStored},
    {IniFile::Ui, "Framerate", "SkipOnTurbo", col::PCSX2SkipOnTurbo, R::AsStored},
    // PCSX2_vm.ini [EmuCore/CPU/Recompiler]
    {IniFile::Vm, "EmuCore/CPU/Recompiler", "EnableEE", col::PCSX2EnableEE, R::AsStored},
    {IniFile::Vm, "EmuCore/CPU/Recompiler", "EnableIOP", col::PCSX2EnableIOP, R::AsStored},
    {IniFile::Vm, "EmuCore/CPU/Recompiler", "fpuOverflow", col::PCSX2fpuOverflow, R::AsStored},
    {IniFile::Vm, "EmuCore/CPU/Recompiler", "fpuExtraOverflow", col::PCSX2fpuExtraOverflow, R::AsStored},
    {IniFile::Vm, "EmuCore/CPU/Recompiler", "fpuFullMode", col::PCSX2fpuFullMode, R::AsStored},
    {IniFile::Vm, "EmuCore/CPU/Recompiler", "EnableVU0", col::PCSX2EnableVU0, R::AsStored},
    {IniFile::Vm, "EmuCore/CPU/Recompiler", "EnableVU1", col::PCSX2EnableVU1, R::AsStored},
    {IniFile::Vm, "EmuCore/CPU/Recompiler", "UseMicroVU0", col::PCSX2UseMicroVU0, R::AsStored},
    {IniFile::Vm, "EmuCore/CPU/Recompiler", "UseMicroVU1", col::PCSX2UseMicroVU1, R::AsStored},
    {IniFile::Vm, "EmuCore/CPU/Recompiler", "vuOverflow", col::PCSX2vuOverflow, R::AsStored},
    {IniFile::Vm, "EmuCore/CPU/Recompiler", "vuExtraOverflow", col::PCSX2vuExtraOverflow, R::AsStored},
    {IniFile::Vm, "EmuCore/CPU/Recompiler", "vuSignOverflow", col::PCSX2vuSignOverflow, R::AsStored},
    {IniFile::Vm, "EmuCore/CPU/Recompiler", "EnableEECache", col::PCSX2EnableEECache, R::AsStored},
    // PCSX2_vm.ini [EmuCore/CPU]
    {IniFile::Vm, "EmuCore/CPU", "FPU.Roundmode", col::PCSX2FPURoundmode, R::AsStored},
    {IniFile::Vm, "EmuCore/CPU", "VU.Roundmode", col::PCSX2VURoundmode, R::AsStored},
    // PCSX2_vm.ini [EmuCore/Speedhacks]
    {IniFile::Vm, "EmuCore/Speedhacks", "EECycleRate", col::PCSX2EECycleRate, R::AsStored},
    {IniFile::Vm, "EmuCore/Speedhacks", "VUCycleSteal", col::PCSX2VUCycleSteal, R::AsStored},
    {IniFile::Vm, "EmuCore/Speedhacks", "fastCDVD", col::PCSX2FastCDVD, R::AsStored},
    {IniFile::Vm, "EmuCore/Speedhacks", "IntcStat", col::PCSX2IntcStat, R::AsStored},
    {IniFile::Vm, "EmuCore/Speedhacks", "WaitLoop", col::PCSX2WaitLoop, R::AsStored},
    {IniFile::Vm, "EmuCore/Speedhacks", "vuFlagHack", col::PCSX2vuFlagHack, R::AsStored},
    {IniFile::Vm, "EmuCore/Speedhacks", "vuThread", col::PCSX2vuThread, R::AsStored},
    // PCSX2_vm.ini [EmuCore]
    {IniFile::Vm, "EmuCore", "EnableCheats", col::PCSX2EnableCheats, R::AsStored},
    {IniFile::Vm, "EmuCore", "EnablePatches", col::PCSX2EnablePatches, R::AsStored},
    {IniFile::Vm, "EmuCore", "BackupSavestate", col::PCSX2BackupSavestate, R::AsStored},
    {IniFile::Vm, "EmuCore", "HostFs", col::PCSX2HostFs, R::AsStored},
    {IniFile::Vm, "EmuCore", "McdEnableEjection", col::PCSX2McdEnableEjection, R::AsStored},
    // PCSX2_ui.ini [ProgramLog]
    {IniFile::Ui, "ProgramLog", "Visible", col::PCSX2Visible, R::AsStored},
    // PCSX2_ui.ini the line route, no section
    {IniFile::Ui, nullptr, "EnableSpeedHacks", col::PCSX2EnableSpeedHacks, R::AsStored},
    {IniFile::Ui, nullptr, "EnableGameFixes", col::PCSX2EnableGameFixes, R::AsStored},
    {IniFile::Ui, nullptr, "CdvdSource", col::PCSX2CdvdSource, R::AsStored},
    {IniFile::Ui, nullptr, "CurrentIso", col::PCSX2CurrentIso, R::DoubledBackslash},
    {IniFile::Ui, nullptr, "EnablePresets", col::PCSX2EnablePresets, R::AsStored},
    {IniFile::Ui, nullptr, "PresetIndex", col::PCSX2PresetIndex, R::AsStored},
    // SPU2-X.ini [MIXING]
    {IniFile::Spu2, "MIXING", "Interpolation", col::SPU2Interpolation, R::AsStored},
    {IniFile::Spu2, "MIXING", "Reverb_Boost", col::SPU2Reverb_Boost, R::AsStored},
    {IniFile::Spu2, "MIXING", "Disable_Effects", col::SPU2Disable_Effects, R::OneZero},
    {IniFile::Spu2, "MIXING", "DealiasFilter", col::SPU2DealiasFilter, R::OneZero},
    // SPU2-X.ini [OUTPUT]
    {IniFile::Spu2, "OUTPUT", "Synch_Mode", col::SPU2Synch_Mode, R::AsStored},
    {IniFile::Spu2, "OUTPUT", "XAudio2_SpeakerConfiguration", col::SPU2XAudio2_SpeakerConfiguration,
     R::AsStored},
    {IniFile::Spu2, "OUTPUT", "Latency", col::SPU2Latency, R::AsStored},
    {IniFile::Spu2, "OUTPUT", "Output_Module", col::SPU2Output_Module, R::AsStored},
    // SPU2-X.ini [DEBUG]
    {IniFile::Spu2, "DEBUG", "Global_Enable", col::SPU2Global_Enable, R::OneZero},
    // SPU2-X.ini [DSP PLUGIN]
    {IniFile::Spu2, "DSP PLUGIN", "Enabled", col::SPU2Enabled, R::OneZero},
    // PCSX2_ui.ini [Filenames]
    {IniFile::Ui, "Filenames", "GS", col::GSDXPluginFile, R::PluginPath},
    // PCSX2_ui.ini [MemoryCards]
    {IniFile::Ui, "MemoryCards", "Slot1_Filename", col::PCSX2Slot1_Filename, R::AsStored},
    {IniFile::Ui, "MemoryCards", "Slot2_Filename", col::PCSX2Slot2_Filename, R::AsStored},
    // PCSX2_ui.ini [Folders]
    {IniFile::Ui, "Folders", "UseDefaultMemoryCards", -1, R::AlwaysDisabled},
    {IniFile::Ui, "Folders", "MemoryCards", col::PCSX2MemoryCards, R::DoubledBackslash},
}};

QString iniFileName(IniFile file) {
    switch (file) {
    case IniFile::GSdx:
        return QStringLiteral("GSdx.ini");
    case IniFile::Ui:
        return QStringLiteral("PCSX2_ui.ini");
    case IniFile::Vm:
        return QStringLiteral("PCSX2_vm.ini");
    case IniFile::Spu2:
        return QStringLiteral("SPU2-X.ini");
    }
    return {};
}

namespace {

QString doubledBackslashes(QString text) {
    return text.replace(u'\\', QStringLiteral("\\\\"));
}

// The anti-aliasing level is stored as a position 0 to 3 and written as the
// plug-in's sample count. Any other value, also text that is no integer, is written
// empty rather than ending the start.
QString msaaSamples(const QString& stored) {
    static const std::array<const char*, 4> samples = {"0", "2", "4", "8"};
    bool ok = false;
    const int position = stored.trimmed().toInt(&ok);
    if (!ok || position < 0 || position >= int(samples.size()))
        return {};
    return QString::fromLatin1(samples[position]);
}

} // namespace

QString iniValue(const IniKey& key, const GameProfile& profile, const QString& appFolder) {
    switch (key.rule) {
    case ValueRule::AsStored:
        return profile.value(key.column);
    case ValueRule::Msaa:
        return msaaSamples(profile.value(key.column));
    case ValueRule::DoubledBackslash:
        return doubledBackslashes(profile.value(key.column));
    case ValueRule::PluginPath:
        // Always the Plugins folder beside the program, whatever folder the emulator's key names.
        return doubledBackslashes(appFolder + QStringLiteral("Plugins/") + profile.value(key.column));
    case ValueRule::AlwaysDisabled:
        return QStringLiteral("disabled");
    case ValueRule::OneZero: {
        const QString& stored = profile.value(key.column);
        if (stored.isEmpty())
            return {};
        return enc::BoolToDigit(enc::IsTrueText(stored));
    }
    }
    return {};
}

namespace {

bool isOneOf(int column, std::initializer_list<int> columns) {
    return std::find(columns.begin(), columns.end(), column) != columns.end();
}

// The flat GSdx.ini of the Linux build: the spelling found in the file is kept,
// the values are those its reader takes for what the profile says.
KeyWrite linuxGsdxWrite(const IniKey& key, const QString& value, const GameProfile& profile) {
    // GSdxApp::Init sets fba and logz only on Windows, and the OpenGL renderers
    // never read UserHacks_MSAA or UserHacks_AlphaHack; nativeres is gone too.
    if (isOneOf(key.column, {col::GSDXnativeres, col::GSDXUserHacks_MSAA, col::GSDXlogz, col::GSDXfba,
                             col::GSDXUserHacks_AlphaHack}))
        return {{}, {}, true};
    // A line of the key keeps its spelling (setFlatValue); a missing key gets the one
    // the 1.4 and 1.6 plug-ins read. A "swthreads" line, which they never read, stays.
    const QString spelling = QString::fromLatin1(key.linuxKey);
    if (key.column == col::GSDXRenderer && !value.isEmpty()) {
        // A number the Linux build has no renderer for would send it down a path its own source
        // says crashes: such a value leaves the user's renderer.
        const std::optional<QString> renderer = pluginera::linuxRenderer(value);
        return renderer ? KeyWrite{spelling, *renderer} : KeyWrite{{}, {}, true};
    }
    if (key.column == col::GSDXupscale_multiplier)
        return {spelling, pluginera::linuxUpscale(profile.value(col::GSDXnativeres), value)};
    return {spelling, value};
}

} // namespace

KeyWrite keyWriteFor(const IniKey& key, const QString& value, const GameProfile& profile,
                     const pluginera::Builds& builds, bool flat) {
    const QString name = QString::fromLatin1(key.key);
    // No folder of the profile's own: the emulator keeps the memory card folder it
    // uses now. "disabled" with an empty folder would send it to a folder of no
    // name, where none of the user's saves are.
    if ((key.column == col::PCSX2MemoryCards || key.rule == ValueRule::AlwaysDisabled) &&
        profile.value(col::PCSX2MemoryCards).trimmed().isEmpty())
        return {{}, {}, true};
    if (flat)
        return linuxGsdxWrite(key, value, profile);
    if (key.file == IniFile::Spu2 && builds.linuxPlugins) {
        // The Linux SPU2-X's Config.cpp reads no reverb boost, speaker configuration or
        // Winamp DSP; a module it does not know would crash 1.4's and be replaced by
        // SDLAudio in 1.6's, losing the user's own.
        if (isOneOf(key.column,
                    {col::SPU2Reverb_Boost, col::SPU2XAudio2_SpeakerConfiguration, col::SPU2Enabled}))
            return {{}, {}, true};
        if (key.column == col::SPU2Output_Module && !pluginera::isLinuxSoundModule(value))
            return {{}, {}, true};
    }
    if (key.file == IniFile::Vm) {
        if (key.column == col::PCSX2EECycleRate && (builds.linuxPlugins || builds.core16))
            return {name, pluginera::eeCycleRate(value, builds.core16)};
        if (builds.core16) {
            if (key.column == col::PCSX2VUCycleSteal)
                return {QStringLiteral("EECycleSkip"), value};
            if (key.column == col::PCSX2VsyncEnable)
                return {name, pluginera::vsyncNumber(value)};
            // The 1.6 GSOptions read neither any more.
            if (isOneOf(key.column, {col::PCSX2DisableOutput, col::PCSX2ManagedVsync}))
                return {{}, {}, true};
        }
    }
    if (key.column == col::PCSX2CdvdSource)
        return {name, pluginera::cdvdSource(value, builds.core16)};
    return {name, value};
}

EmulatorFiles EmulatorFiles::open(const QString& settingsFolder) {
    const QString folder = settingsFolder.endsWith(u'/') ? settingsFolder : settingsFolder + u'/';
    EmulatorFiles files;
    for (IniFile f : {IniFile::GSdx, IniFile::Ui, IniFile::Vm, IniFile::Spu2})
        files.of(f) = IniDocument::open(folder + iniFileName(f));
    files.builds = pluginera::detect(files.of(IniFile::GSdx), files.of(IniFile::Vm));
    if (files.builds.linuxPlugins && !files.of(IniFile::Spu2).exists())
        files.of(IniFile::Spu2) = IniDocument::open(folder + QLatin1String(pluginera::kLinuxSoundFile));
    return files;
}

void WriteEmulatorConfig(const GameProfile& profile, const QString& iniPath, const QString& appFolder) {
    WriteEmulatorConfig(profile, iniPath, appFolder, appFolder + QStringLiteral("Plugins"));
}

void WriteEmulatorConfig(const GameProfile& profile, const QString& iniPath, const QString& appFolder,
                         const QString& pluginsFolder) {
    // The four files of this Start, each read once and replaced once.
    EmulatorFiles files = EmulatorFiles::open(iniPath);
    const auto docOf = [&](IniFile f) -> IniDocument& { return files.of(f); };
    const pluginera::Builds& builds = files.builds;
    const bool flatGsdx = docOf(IniFile::GSdx).isFlat();
    const bool linuxBuilds = builds.linuxPlugins || builds.core16;
    const auto isFlat = [&](const IniKey& key) { return key.file == IniFile::GSdx && flatGsdx; };

    // Every value is checked before any file changes.
    std::array<KeyWrite, kIniKeyCount> writes;
    for (std::size_t i = 0; i < kIniKeys.size(); ++i) {
        const IniKey& key = kIniKeys[i];
        QString value = iniValue(key, profile, appFolder);
        if (key.rule == ValueRule::PluginPath) {
            // The folder the emulator loads its plug-ins from (its registry file, its PCSX2_ui.ini).
            const QString plugins = pluginsFolder.endsWith(u'/') ? pluginsFolder : pluginsFolder + u'/';
            value = QString(plugins + profile.value(key.column)).replace(u'\\', QStringLiteral("\\\\"));
        }
        writes[i] = keyWriteFor(key, value, profile, builds, isFlat(key));
        if (!writes[i].skip)
            docOf(key.file).checkValue(writes[i].key, writes[i].value, isFlat(key));
    }

    // Changed files are replaced in the order the writing first reached them.
    QList<IniFile> touched;
    const auto saveTouched = [&] {
        for (IniFile f : touched)
            docOf(f).save();
    };
    for (std::size_t i = 0; i < kIniKeys.size(); ++i) {
        const IniKey& key = kIniKeys[i];
        const KeyWrite& w = writes[i];
        if (w.skip)
            continue;
        IniDocument& doc = docOf(key.file);
        // An empty value says nothing the file does not say already when it lacks the key:
        // the emulator takes its own default either way.
        if (w.value.isEmpty() && key.section && !isFlat(key) &&
            !doc.value(QString::fromLatin1(key.section), w.key).has_value())
            continue;
        try {
            if (isFlat(key))
                doc.setFlatValue(w.key, w.value);
            else if (key.section) // the Linux builds' files keep their LF in new lines too
                doc.setValue(QString::fromLatin1(key.section), w.key, w.value, linuxBuilds);
            else // every line keeps its own end: a file in LF stays LF
                doc.replaceKeyLine(w.key, w.value, true);
        } catch (const KorvelloError&) {
            // What the writes before this key changed is kept, as if each had been written on its own.
            saveTouched();
            throw;
        }
        if (!touched.contains(key.file))
            touched.append(key.file);
    }
    saveTouched();
}
