#include "store/defaultprofile.h"

#include <array>

namespace {

// Every column's value after the page's Default button with the first renderer
// (number 0), plug-in and executable of the lists chosen; nullptr where make()
// takes the value from its caller.
constexpr std::array<const char*, kColumnCount> kDefaults = {
    nullptr,      // gamename: given
    "0",          // GSDXRenderer
    "7",          // GSDXInterlace
    "1024",       // GSDXresx
    "1024",       // GSDXresy
    "1",          // GSDXupscale_multiplier
    "0",          // GSDXnativeres
    "0",          // GSDXUserHacks_MSAA
    "1",          // GSDXswthreads
    "2",          // GSDXfilter
    "0",          // GSDXpaltex
    "1",          // GSDXlogz
    "1",          // GSDXfba
    "0",          // GSDXaa1
    "0",          // GSDXUserHacks_SkipDraw
    "0",          // GSDXUserHacks_AlphaHack
    "0",          // GSDXUserHacks_HalfPixelOffset
    "4:3",        // PCSX2AspectRatio
    "640,480",    // PCSX2WindowSize
    "disabled",   // PCSX2DisableResizeBorders
    "disabled",   // PCSX2AlwaysHideMouse
    "enabled",    // PCSX2CloseOnEsc
    "disabled",   // PCSX2DefaultToFullscreen
    "enabled",    // PCSX2IsToggleFullscreenOnDoubleClick
    "disabled",   // PCSX2VuAddSubHack
    "disabled",   // PCSX2IPUWaitHack
    "disabled",   // PCSX2VuClipFlagHack
    "disabled",   // PCSX2FpuCompareHack
    "disabled",   // PCSX2FpuMulHack
    "disabled",   // PCSX2FpuNegDivHack
    "disabled",   // PCSX2XgKickHack
    "disabled",   // PCSX2EETimingHack
    "disabled",   // PCSX2SkipMPEGHack
    "disabled",   // PCSX2OPHFlagHack
    "enabled",    // PCSX2FrameLimitEnable
    "disabled",   // PCSX2DisableOutput
    "disabled",   // PCSX2SynchronousMTGS
    "disabled",   // PCSX2VsyncEnable
    "59.94",      // PCSX2FramerateNTSC
    "50.0",       // PCSX2FrameratePAL
    "2",          // PCSX2FramesToDraw
    "2",          // PCSX2FramesToSkip
    "1",          // PCSX2NominalScalar
    "0.5",        // PCSX2SlomoScalar
    "2",          // PCSX2TurboScalar
    "disabled",   // PCSX2SkipOnLimit
    "disabled",   // PCSX2SkipOnTurbo
    "enabled",    // PCSX2EnableEE
    "enabled",    // PCSX2EnableIOP
    "enabled",    // PCSX2fpuOverflow
    "disabled",   // PCSX2fpuExtraOverflow
    "disabled",   // PCSX2fpuFullMode
    "enabled",    // PCSX2EnableVU0
    "enabled",    // PCSX2EnableVU1
    "enabled",    // PCSX2UseMicroVU0
    "enabled",    // PCSX2UseMicroVU1
    "enabled",    // PCSX2vuOverflow
    "disabled",   // PCSX2vuExtraOverflow
    "disabled",   // PCSX2vuSignOverflow
    "100.0",      // PCSX2Zoom
    "disabled",   // PCSX2DMABusyHack
    "3",          // PCSX2FPURoundmode
    "disabled",   // PCSX2BackupSavestate
    "disabled",   // PCSX2VIFFIFOHack
    "3",          // PCSX2VURoundmode
    "0",          // PCSX2EECycleRate
    "0",          // PCSX2VUCycleSteal
    "disabled",   // PCSX2FastCDVD
    "disabled",   // PCSX2IntcStat
    "disabled",   // PCSX2WaitLoop
    "disabled",   // PCSX2vuFlagHack
    "FALSE",      // SPU2DealiasFilter
    "0",          // GSDXUserHacks_SpriteHack
    "disabled",   // PCSX2vuThread
    "enabled",    // PCSX2EnablePatches
    "",           // PCSX2MemoryCards
    "enabled",    // PCSX2McdEnableEjection
    "disabled",   // PCSX2Visible
    "disabled",   // PCSX2EnableSpeedHacks
    "disabled",   // PCSX2EnableGameFixes
    "Iso",        // PCSX2CdvdSource
    nullptr,      // PCSX2CurrentIso: given
    "disabled",   // PCSX2EnablePresets
    "0",          // PCSX2PresetIndex
    "4",          // SPU2Interpolation
    "0",          // SPU2Reverb_Boost
    "FALSE",      // SPU2Disable_Effects
    "0",          // SPU2Synch_Mode
    "0",          // SPU2XAudio2_SpeakerConfiguration
    "150",        // SPU2Latency
    "xaudio2",    // SPU2Output_Module
    "FALSE",      // SPU2Global_Enable
    "FALSE",      // SPU2Enabled
    nullptr,      // PCSX2ExeFile: given
    "",           // PCSX2CMDKeys
    nullptr,      // GSDXPluginFile: given
    "Mcd001.ps2", // PCSX2Slot1_Filename
    "Mcd002.ps2", // PCSX2Slot2_Filename
    "disabled",   // PCSX2EnableCheats
    "disabled",   // PCSX2HostFs
    "disabled",   // PCSX2EnableEECache
    "disabled",   // PCSX2ManagedVsync
    "0",          // GSDXUserHacks_WildHack
    "0",          // GSDXUserHacks
    "disabled",   // PCSX2VIF1StallHack
    "disabled",   // PCSX2GIFReverseHack
};

} // namespace

namespace defaultprofile {

GameProfile make(const QString& name, const QString& image, const QString& executable,
                 const QString& pluginFile) {
    GameProfile profile;
    for (int p = 0; p < kColumnCount; ++p)
        if (kDefaults[std::size_t(p)])
            profile.setValue(p, QString::fromLatin1(kDefaults[std::size_t(p)]));
    profile.setValue(col::gamename, name);
    profile.setValue(col::PCSX2CurrentIso, image);
    profile.setValue(col::PCSX2ExeFile, executable);
    profile.setValue(col::GSDXPluginFile, pluginFile);
    return profile;
}

} // namespace defaultprofile
