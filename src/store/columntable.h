#pragma once

#include <QString>
#include <array>

// The 106 columns of table `db`, in the table's own order. The add statement
// supplies values by position, the loader and the configuration writer read
// them by position, so this order binds and is written down exactly once.
enum class ColumnForm {
    TF,     // "TRUE" / "FALSE"
    Digit,  // "1" / "0"
    ED,     // "enabled" / "disabled"
    N,      // decimal integer
    T,      // free text
    F,      // decimal fraction with "." (framerate scalars)
    Words,  // one of a fixed word list (aspect ratio, disc source, output module)
};

struct Column {
    int position;
    const char* name;
    ColumnForm form;
};

inline constexpr int kColumnCount = 106;

extern const std::array<Column, kColumnCount> kColumns;

// Position of a column by name (exact), or -1.
int columnPosition(const QString& name);

// Positions of the named columns, for readers that address columns by name.
namespace col {
enum : int {
    gamename = 0, GSDXRenderer, GSDXInterlace, GSDXresx, GSDXresy, GSDXupscale_multiplier, GSDXnativeres,
    GSDXUserHacks_MSAA, GSDXswthreads, GSDXfilter, GSDXpaltex, GSDXlogz, GSDXfba, GSDXaa1,
    GSDXUserHacks_SkipDraw, GSDXUserHacks_AlphaHack, GSDXUserHacks_HalfPixelOffset, PCSX2AspectRatio,
    PCSX2WindowSize, PCSX2DisableResizeBorders, PCSX2AlwaysHideMouse, PCSX2CloseOnEsc,
    PCSX2DefaultToFullscreen, PCSX2IsToggleFullscreenOnDoubleClick, PCSX2VuAddSubHack, PCSX2IPUWaitHack,
    PCSX2VuClipFlagHack, PCSX2FpuCompareHack, PCSX2FpuMulHack, PCSX2FpuNegDivHack, PCSX2XgKickHack,
    PCSX2EETimingHack, PCSX2SkipMPEGHack, PCSX2OPHFlagHack, PCSX2FrameLimitEnable, PCSX2DisableOutput,
    PCSX2SynchronousMTGS, PCSX2VsyncEnable, PCSX2FramerateNTSC, PCSX2FrameratePAL, PCSX2FramesToDraw,
    PCSX2FramesToSkip, PCSX2NominalScalar, PCSX2SlomoScalar, PCSX2TurboScalar, PCSX2SkipOnLimit,
    PCSX2SkipOnTurbo, PCSX2EnableEE, PCSX2EnableIOP, PCSX2fpuOverflow, PCSX2fpuExtraOverflow,
    PCSX2fpuFullMode, PCSX2EnableVU0, PCSX2EnableVU1, PCSX2UseMicroVU0, PCSX2UseMicroVU1, PCSX2vuOverflow,
    PCSX2vuExtraOverflow, PCSX2vuSignOverflow, PCSX2Zoom, PCSX2DMABusyHack, PCSX2FPURoundmode,
    PCSX2BackupSavestate, PCSX2VIFFIFOHack, PCSX2VURoundmode, PCSX2EECycleRate, PCSX2VUCycleSteal,
    PCSX2FastCDVD, PCSX2IntcStat, PCSX2WaitLoop, PCSX2vuFlagHack, SPU2DealiasFilter,
    GSDXUserHacks_SpriteHack, PCSX2vuThread, PCSX2EnablePatches, PCSX2MemoryCards, PCSX2McdEnableEjection,
    PCSX2Visible, PCSX2EnableSpeedHacks, PCSX2EnableGameFixes, PCSX2CdvdSource, PCSX2CurrentIso,
    PCSX2EnablePresets, PCSX2PresetIndex, SPU2Interpolation, SPU2Reverb_Boost, SPU2Disable_Effects,
    SPU2Synch_Mode, SPU2XAudio2_SpeakerConfiguration, SPU2Latency, SPU2Output_Module, SPU2Global_Enable,
    SPU2Enabled, PCSX2ExeFile, PCSX2CMDKeys, GSDXPluginFile, PCSX2Slot1_Filename, PCSX2Slot2_Filename,
    PCSX2EnableCheats, PCSX2HostFs, PCSX2EnableEECache, PCSX2ManagedVsync, GSDXUserHacks_WildHack,
    GSDXUserHacks, PCSX2VIF1StallHack, PCSX2GIFReverseHack,
};
} // namespace col
static_assert(col::PCSX2GIFReverseHack == kColumnCount - 1);
