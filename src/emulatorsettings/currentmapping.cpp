#include "emulatorsettings/currentmapping.h"

#include "core/korvelloerror.h"
#include "store/columntable.h"
#include "store/encodings.h"
#include "store/gameprofile.h"

#include <QLocale>
#include <cmath>

namespace {
using R = CurrentRule;
constexpr const char* kGS = "EmuCore/GS";
constexpr const char* kFixes = "EmuCore/Gamefixes";
constexpr const char* kRec = "EmuCore/CPU/Recompiler";
constexpr const char* kCpu = "EmuCore/CPU";
constexpr const char* kHacks = "EmuCore/Speedhacks";
constexpr const char* kCore = "EmuCore";
constexpr const char* kSpu2 = "SPU2/Output";
constexpr int kFixGate = col::PCSX2EnableGameFixes;
constexpr int kHackGate = col::PCSX2EnableSpeedHacks;
constexpr int kHwHackGate = col::GSDXUserHacks;
constexpr unsigned kEarly = generationBit(CurrentGeneration::Early17);
constexpr unsigned k17 = kEarly | generationBit(CurrentGeneration::Later17);
constexpr unsigned k2 = generationBit(CurrentGeneration::Current2);
constexpr unsigned kLater = generationBit(CurrentGeneration::Later17) | k2;
} // namespace

// Readers are in the emulator's pcsx2/Pcsx2Config.cpp unless said otherwise
// (GSOptions::LoadSave, GamefixOptions::LoadSave, RecompilerOptions::LoadSave,
// CpuOptions::LoadSave, SpeedhackOptions::LoadSave, LoadSaveCore,
// EmulationSpeedOptions::LoadSave, SPU2Options::LoadSave, LoadSaveMemcards).
// Every one of them runs over the layered settings, so a game's settings file
// (VMManager::GetGameSettingsPath) overrides each key it holds.
const std::array<CurrentKey, kCurrentKeyCount> kCurrentKeys = {{
    // GSSettingIntEnumEx(Renderer, "Renderer")
    {kGS, "Renderer", col::GSDXRenderer, R::Renderer},
    // GSSettingIntEnumEx(InterlaceMode, "deinterlace_mode"); GSInterlaceMode in Config.h: Automatic, Off, ...
    {kGS, "deinterlace_mode", col::GSDXInterlace, R::Deinterlace, -1, kLater},
    // Early 1.7: GSSettingIntEnumEx(Interlace, "deinterlace") over GSInterlaceMode Off, WeaveTFF, ...,
    // BlendBFF, Automatic (0..7), the plug-in era's own order
    {kGS, "deinterlace", col::GSDXInterlace, R::DeinterlaceEarly, -1, kEarly},
    // GSSettingFloatEx(UpscaleMultiplier, "upscale_multiplier")
    {kGS, "upscale_multiplier", col::GSDXupscale_multiplier, R::Upscale},
    // GSSettingIntEx(SWExtraThreads, "extrathreads"); a missing key keeps the emulator's default
    {kGS, "extrathreads", col::GSDXswthreads, R::IntegerOrEmpty},
    // GSSettingIntEnumEx(TextureFiltering, "filter"); BiFiltering keeps the old numbers
    {kGS, "filter", col::GSDXfilter, R::Integer},
    // GSSettingBoolEx(GPUPaletteConversion, "paltex")
    {kGS, "paltex", col::GSDXpaltex, R::Bool},
    // GSSettingIntEx(SkipDrawStart, "UserHacks_SkipDraw_Start") / (SkipDrawEnd, "UserHacks_SkipDraw_End")
    {kGS, "UserHacks_SkipDraw_Start", col::GSDXUserHacks_SkipDraw, R::SkipDrawStart},
    {kGS, "UserHacks_SkipDraw_End", col::GSDXUserHacks_SkipDraw, R::SkipDrawEnd},
    // GSSettingIntEnumEx(UserHacks_HalfPixelOffset, "UserHacks_HalfPixelOffset"); GSHalfPixelOffset Off,
    // Normal
    {kGS, "UserHacks_HalfPixelOffset", col::GSDXUserHacks_HalfPixelOffset, R::HalfPixelOffset},
    // GSSettingBoolEx(UserHacks_WildHack, "UserHacks_WildHack")
    {kGS, "UserHacks_WildHack", col::GSDXUserHacks_WildHack, R::Bool},
    // GSSettingBoolEx(ManualUserHacks, "UserHacks")
    {kGS, "UserHacks", col::GSDXUserHacks, R::Bool},
    // MainWindow::shouldHideMouseCursor and DisplayWidget's double-click handler read these through
    // Host::GetBoolSettingValue, whose game layer is this file
    {"UI", "HideMouseCursor", col::PCSX2AlwaysHideMouse, R::Bool},
    {"UI", "DoubleClickTogglesFullscreen", col::PCSX2IsToggleFullscreenOnDoubleClick, R::Bool},
    // SettingsWrapEnumEx(AspectRatio, "AspectRatio", AspectRatioNames)
    {kGS, "AspectRatio", col::PCSX2AspectRatio, R::AspectRatio},
    // 1.7: EmulationSpeedOptions wrap.EntryBitBool("EmuCore/GS", "FrameLimitEnable", ...); 2.x reads no
    // such key (its limiter is NominalScalar below)
    {kGS, "FrameLimitEnable", col::PCSX2FrameLimitEnable, R::Bool, -1, k17},
    // 1.7: wrap.EnumEntry(..., "VsyncEnable", ...), an integer VsyncMode; 2.x:
    // SettingsWrapBitBool(VsyncEnable)
    {kGS, "VsyncEnable", col::PCSX2VsyncEnable, R::Digit, -1, k17},
    {kGS, "VsyncEnable", col::PCSX2VsyncEnable, R::Bool, -1, k2},
    // SettingsWrapEntry(FramerateNTSC) / (FrameratePAL), floats
    {kGS, "FramerateNTSC", col::PCSX2FramerateNTSC, R::Float},
    {kGS, "FrameratePAL", col::PCSX2FrameratePAL, R::Float},
    // GamefixOptions::LoadSave, SettingsWrapBitBool(<name>)
    {kFixes, "VuAddSubHack", col::PCSX2VuAddSubHack, R::Bool, kFixGate},
    {kFixes, "FpuMulHack", col::PCSX2FpuMulHack, R::Bool, kFixGate},
    // 1.7: SettingsWrapBitBool(FpuNegDivHack), gone from 2.x's GamefixOptions
    {kFixes, "FpuNegDivHack", col::PCSX2FpuNegDivHack, R::Bool, kFixGate, k17},
    {kFixes, "XgKickHack", col::PCSX2XgKickHack, R::Bool, kFixGate},
    {kFixes, "EETimingHack", col::PCSX2EETimingHack, R::Bool, kFixGate},
    {kFixes, "SkipMPEGHack", col::PCSX2SkipMPEGHack, R::Bool, kFixGate},
    {kFixes, "OPHFlagHack", col::PCSX2OPHFlagHack, R::Bool, kFixGate},
    {kFixes, "DMABusyHack", col::PCSX2DMABusyHack, R::Bool, kFixGate},
    {kFixes, "VIFFIFOHack", col::PCSX2VIFFIFOHack, R::Bool, kFixGate},
    {kFixes, "VIF1StallHack", col::PCSX2VIF1StallHack, R::Bool, kFixGate},
    // EmulationSpeedOptions::LoadSave, section "Framerate", floats. In 2.x a NominalScalar of 0 is the
    // unlimited speed (VMManager::GetTargetSpeedForLimiterMode returns it as is; 0 means no limit).
    {"Framerate", "NominalScalar", col::PCSX2NominalScalar, R::Float, -1, k17},
    {"Framerate", "NominalScalar", col::PCSX2NominalScalar, R::NominalScalar, -1, k2},
    {"Framerate", "SlomoScalar", col::PCSX2SlomoScalar, R::Float},
    {"Framerate", "TurboScalar", col::PCSX2TurboScalar, R::Float},
    // RecompilerOptions::LoadSave
    {kRec, "EnableEE", col::PCSX2EnableEE, R::Bool},
    {kRec, "EnableIOP", col::PCSX2EnableIOP, R::Bool},
    {kRec, "EnableEECache", col::PCSX2EnableEECache, R::Bool},
    {kRec, "EnableVU0", col::PCSX2EnableVU0, R::Bool},
    {kRec, "EnableVU1", col::PCSX2EnableVU1, R::Bool},
    {kRec, "fpuOverflow", col::PCSX2fpuOverflow, R::Bool},
    {kRec, "fpuExtraOverflow", col::PCSX2fpuExtraOverflow, R::Bool},
    {kRec, "fpuFullMode", col::PCSX2fpuFullMode, R::Bool},
    // One VU clamping mode for both units, which the later builds keep apart
    // (SettingsWrapBitBool(vu0Overflow) ... (vu1SignOverflow)).
    {kRec, "vu0Overflow", col::PCSX2vuOverflow, R::Bool, -1, kLater},
    {kRec, "vu0ExtraOverflow", col::PCSX2vuExtraOverflow, R::Bool, -1, kLater},
    {kRec, "vu0SignOverflow", col::PCSX2vuSignOverflow, R::Bool, -1, kLater},
    {kRec, "vu1Overflow", col::PCSX2vuOverflow, R::Bool, -1, kLater},
    {kRec, "vu1ExtraOverflow", col::PCSX2vuExtraOverflow, R::Bool, -1, kLater},
    {kRec, "vu1SignOverflow", col::PCSX2vuSignOverflow, R::Bool, -1, kLater},
    // Early 1.7: SettingsWrapBitBool(vuOverflow), (vuExtraOverflow), (vuSignOverflow) for both units
    {kRec, "vuOverflow", col::PCSX2vuOverflow, R::Bool, -1, kEarly},
    {kRec, "vuExtraOverflow", col::PCSX2vuExtraOverflow, R::Bool, -1, kEarly},
    {kRec, "vuSignOverflow", col::PCSX2vuSignOverflow, R::Bool, -1, kEarly},
    // CpuOptions::LoadSave, read_fpcr(..., "FPU"/"VU0"/"VU1") -> "<prefix>.Roundmode"; same order of modes
    {kCpu, "FPU.Roundmode", col::PCSX2FPURoundmode, R::Integer},
    {kCpu, "VU0.Roundmode", col::PCSX2VURoundmode, R::Integer, -1, kLater},
    {kCpu, "VU1.Roundmode", col::PCSX2VURoundmode, R::Integer, -1, kLater},
    // Early 1.7: one read_fpcr(..., "VU") for both units
    {kCpu, "VU.Roundmode", col::PCSX2VURoundmode, R::Integer, -1, kEarly},
    // SpeedhackOptions::LoadSave, clamped to MIN_EE_CYCLE_RATE..MAX_EE_CYCLE_RATE; the cycle scalars of
    // iR5900.cpp scaleblockcycles_calculation (see CurrentRule::CycleRate). EECycleSkip is the old VU cycle
    // stealing, 0..3 in the same steps.
    {kHacks, "EECycleRate", col::PCSX2EECycleRate, R::CycleRate, kHackGate},
    {kHacks, "EECycleSkip", col::PCSX2VUCycleSteal, R::Integer, kHackGate},
    {kHacks, "fastCDVD", col::PCSX2FastCDVD, R::Bool, kHackGate},
    {kHacks, "IntcStat", col::PCSX2IntcStat, R::Bool, kHackGate},
    {kHacks, "WaitLoop", col::PCSX2WaitLoop, R::Bool, kHackGate},
    {kHacks, "vuFlagHack", col::PCSX2vuFlagHack, R::Bool, kHackGate},
    // MTVU sits among the speed hacks in the plug-in era too: off with them
    {kHacks, "vuThread", col::PCSX2vuThread, R::Bool, kHackGate},
    // LoadSaveCore
    {kCore, "EnablePatches", col::PCSX2EnablePatches, R::Bool},
    {kCore, "EnableCheats", col::PCSX2EnableCheats, R::Bool},
    {kCore, "HostFs", col::PCSX2HostFs, R::Bool},
    {kCore, "BackupSavestate", col::PCSX2BackupSavestate, R::Bool},
    // 1.7: SettingsWrapBitBool(McdEnableEjection), gone from 2.x's LoadSaveCore
    {kCore, "McdEnableEjection", col::PCSX2McdEnableEjection, R::Bool, -1, k17},
    // 1.7 SPU2Options::LoadSave: SettingsWrapEntry(OutputModule), (Latency), "SynchMode",
    // (SpeakerConfiguration)
    {kSpu2, "OutputModule", col::SPU2Output_Module, R::OutputModule, -1, k17},
    {kSpu2, "Latency", col::SPU2Latency, R::Integer, -1, k17},
    {kSpu2, "SynchMode", col::SPU2Synch_Mode, R::Integer, -1, k17},
    {kSpu2, "SpeakerConfiguration", col::SPU2XAudio2_SpeakerConfiguration, R::Integer, -1, k17},
    // 2.x SPU2Options::LoadSave: "Backend" parsed by AudioStream::ParseBackendName ("Null", "Cubeb",
    // "SDL"), "SyncMode" by ParseSyncMode ("Disabled", "TimeStretch"), "BufferMS" the buffer in
    // milliseconds, "ExpansionMode" by ParseExpansionMode ("Disabled", "StereoLFE", "Quadraphonic",
    // "QuadraphonicLFE", "Surround51", "Surround71")
    {kSpu2, "Backend", col::SPU2Output_Module, R::Backend, -1, k2},
    {kSpu2, "SyncMode", col::SPU2Synch_Mode, R::SyncMode, -1, k2},
    {kSpu2, "BufferMS", col::SPU2Latency, R::Integer, -1, k2},
    {kSpu2, "ExpansionMode", col::SPU2XAudio2_SpeakerConfiguration, R::ExpansionMode, -1, k2},
    {"SPU2/Debug", "Global_Enable", col::SPU2Global_Enable, R::Bool},
    // LoadSaveMemcards "Slot%u_Filename"; the folder itself ([Folders] MemoryCards) is read through
    // EmuFolders from the base layer only, and stays the user's
    {"MemoryCards", "Slot1_Filename", col::PCSX2Slot1_Filename, R::Text},
    {"MemoryCards", "Slot2_Filename", col::PCSX2Slot2_Filename, R::Text},
}};

bool columnIsOn(const GameProfile& profile, int column) {
    const QString& stored = profile.value(column);
    switch (kColumns[column].form) {
    case ColumnForm::ED:
        return enc::IsEnabledText(stored);
    case ColumnForm::TF:
        return enc::IsTrueText(stored);
    default:
        return enc::IntToBool(profile.intValue(column));
    }
}

bool sameCurrentValue(CurrentRule rule, const QString& existing, const QString& wanted) {
    const QString have = existing.trimmed();
    if (have == wanted)
        return true;
    switch (rule) {
    case R::Bool: {
        // StringUtil::FromChars<bool> takes "true"/"yes"/"on"/"1" and "false"/"no"/"off"/"0".
        const auto truth = [](const QString& t) -> std::optional<bool> {
            const QString l = t.toLower();
            if (l == u"true" || l == u"yes" || l == u"on" || l == u"1")
                return true;
            if (l == u"false" || l == u"no" || l == u"off" || l == u"0")
                return false;
            return std::nullopt;
        };
        const std::optional<bool> a = truth(have);
        return a && a == truth(wanted);
    }
    case R::Float:
    case R::NominalScalar:
    case R::Upscale: {
        bool okA = false;
        bool okB = false;
        const float a = QLocale::c().toFloat(have, &okA);
        const float b = QLocale::c().toFloat(wanted, &okB);
        return okA && okB && a == b;
    }
    default:
        return false;
    }
}

QString emulatorFloatText(double value) {
    // The emulator writes a float with the C locale's shortest form; six significant
    // digits give back every float the editor's texts produce ("59.94", "0.5").
    return QString::number(double(float(value)), 'g', 6);
}

namespace {

int integerOf(const GameProfile& profile, int column) {
    bool ok = false;
    const int n = profile.value(column).trimmed().toInt(&ok);
    if (!ok)
        throw KorvelloError(QStringLiteral("\"%1\" is not a valid integer value for %2")
                                .arg(profile.value(column), QString::fromLatin1(kColumns[column].name)));
    return n;
}

double numberOf(const GameProfile& profile, int column) {
    bool ok = false;
    const double d = QLocale::c().toDouble(profile.value(column).trimmed(), &ok);
    if (!ok || !std::isfinite(d))
        throw KorvelloError(QStringLiteral("\"%1\" is not a valid floating point value for %2")
                                .arg(profile.value(column), QString::fromLatin1(kColumns[column].name)));
    return d;
}

QString boolText(bool on) {
    return on ? QStringLiteral("true") : QStringLiteral("false");
}

} // namespace

std::optional<QString> currentValue(const CurrentKey& key, const GameProfile& profile) {
    const bool gateOn = key.gate < 0 || columnIsOn(profile, key.gate);
    const int c = key.column;
    switch (key.rule) {
    case R::Bool:
        return boolText(gateOn && columnIsOn(profile, c));
    case R::Digit:
        return QString::number(gateOn && columnIsOn(profile, c) ? 1 : 0);
    case R::Integer:
        return QString::number(gateOn ? integerOf(profile, c) : 0);
    case R::IntegerOrEmpty:
        if (profile.value(c).trimmed().isEmpty())
            return std::nullopt; // the renderer in use may ignore it; a missing key is the emulator's default
        return QString::number(integerOf(profile, c));
    case R::CycleRate: {
        // The old slider only slowed the EE: by about a third, or by about half. iR5900.cpp
        // scaleblockcycles_calculation charges a block (s_nBlockCycles <= 80 || > 168 ? 5 : 7) / 32 of its
        // cycles at -1, the scalars the plug-in era's "-33%" used, and ((5 + -2 * (rate + 1)) / 32) below
        // that: 7/32 at -2, the scalar of the plug-in era's "about 50%", against 4/32 by default. The same
        // formula stands in every generation, so 1 -> -1 and 2 -> -2 in all three; -3 (9/32), which the
        // 2.x menu calls "50% speed", would slow the game more than the profile asked.
        const int position = gateOn ? integerOf(profile, c) : 0;
        if (position <= 0)
            return QStringLiteral("0");
        return position == 1 ? QStringLiteral("-1") : QStringLiteral("-2");
    }
    case R::Renderer: {
        // A profile made for the plug-in era keeps its renderer's kind; the current
        // builds have no Direct3D 9 or SDL and no renderer numbered 0 to 7 on Linux.
        const int number = integerOf(profile, c);
        switch (number) {
        case 0:
        case 3:
            return QStringLiteral("-1");
        case 1:
        case 4:
        case 7:
            return QStringLiteral("13");
        case 2:
        case 5:
            return QStringLiteral("11");
        default:
            return QString::number(number);
        }
    }
    case R::Deinterlace: {
        // The list: None, six weave/bob/blend modes, Auto. The emulator: Automatic 0, Off 1, then the same
        // six.
        const int position = integerOf(profile, c);
        if (position == 7)
            return QStringLiteral("0");
        if (position < 0 || position > 7)
            return std::nullopt;
        return QString::number(position + 1);
    }
    case R::DeinterlaceEarly: {
        const int position = integerOf(profile, c);
        if (position < 0 || position > 7)
            return std::nullopt;
        return QString::number(position);
    }
    case R::Upscale: {
        if (columnIsOn(profile, col::GSDXnativeres))
            return QStringLiteral("1");
        const int multiplier = integerOf(profile, c);
        if (multiplier < 2 || multiplier > 6)
            return std::nullopt; // a custom resolution has no equivalent
        return emulatorFloatText(multiplier);
    }
    case R::SkipDrawStart:
    case R::SkipDrawEnd: {
        // The old count skipped N draws from the one detected; the current builds skip a range of draws.
        const int count = profile.value(c).trimmed().isEmpty() ? 0 : integerOf(profile, c);
        if (count <= 0 || !columnIsOn(profile, kHwHackGate))
            return QStringLiteral("0");
        return key.rule == R::SkipDrawStart ? QStringLiteral("1") : QString::number(count);
    }
    case R::HalfPixelOffset:
        return QString::number(columnIsOn(profile, c) ? 1 : 0);
    case R::AspectRatio: {
        const QString& word = profile.value(c);
        // The emulator's AspectRatioNames; "Auto 4:3/3:2", its default, is none of the
        // design's words but is stored as it stands and so goes back unchanged.
        if (word == u"Stretch" || word == u"4:3" || word == u"16:9" || word == u"Auto 4:3/3:2")
            return word;
        return std::nullopt;
    }
    case R::Float:
        return emulatorFloatText(numberOf(profile, c));
    case R::NominalScalar:
        if (!columnIsOn(profile, col::PCSX2FrameLimitEnable))
            return QStringLiteral("0");
        return emulatorFloatText(numberOf(profile, c));
    case R::OutputModule:
        // The current Linux builds have one sounding module; the Windows ones all mean "sound on".
        return profile.value(c) == u"nullout" ? QStringLiteral("nullout") : QStringLiteral("cubeb");
    case R::Backend:
        return profile.value(c) == u"nullout" ? QStringLiteral("Null") : QStringLiteral("Cubeb");
    case R::SyncMode:
        // Async mixing is gone; both it and "None" leave the output unsynchronised.
        return integerOf(profile, c) == 0 ? QStringLiteral("TimeStretch") : QStringLiteral("Disabled");
    case R::ExpansionMode: {
        static const char* const kNames[] = {"Disabled", "Quadraphonic", "Surround51", "Surround71"};
        const int n = integerOf(profile, c);
        if (n < 0 || n > 3)
            return std::nullopt;
        return QString::fromLatin1(kNames[n]);
    }
    case R::Text:
        return profile.value(c);
    }
    return std::nullopt;
}
