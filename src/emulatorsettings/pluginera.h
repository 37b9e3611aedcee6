#pragma once

#include <QString>
#include <optional>

class IniDocument;

// Which plug-in era builds read an emulator settings folder, as the folder's own
// files tell, and how a profile's stored values read for them.
//
// The profile stores the values of the Windows builds of its time (renderers
// 0 to 7, sound modules xaudio2 ... portaudio, EE cycle rate 0 to 2, ...). The
// Linux builds of the 1.4 and 1.6 cores and their OpenGL-era GSdx and Linux
// SPU2-X read some of the same keys with other meanings, spellings or lists;
// these functions give the value that means there what the profile says, or
// nothing when the profile's value has no such meaning and the user's own line
// is to stay as it is.
namespace pluginera {

struct Builds {
    // The graphics plug-in's file is in its Linux build's flat form (or missing):
    // the plug-ins are the Linux builds.
    bool linuxPlugins = false;
    // The core is of the 1.6 family: its PCSX2_vm.ini holds EECycleSkip (the
    // name VUCycleStealing was given in 2018) or a numeric VsyncEnable.
    bool core16 = false;
};

Builds detect(const IniDocument& gsdx, const IniDocument& vm);
// The same for the files in a settings folder.
Builds detect(const QString& settingsFolder);

// The Linux GSdx's renderer numbers (GSdxApp::Init lists, off Windows, only
// OGL_HW 12 and OGL_SW 13, then Null 11). A stored design renderer maps by kind:
// hardware (0, 3) to 12, software (1, 4, 7) to 13, null (2, 5) to 11; a stored
// Linux number stays; anything else gives nothing.
inline constexpr int kLinuxOglHardware = 12;
inline constexpr int kLinuxOglSoftware = 13;
inline constexpr int kLinuxNull = 11;
std::optional<QString> linuxRenderer(const QString& stored);

// The Linux GSdx's upscale_multiplier: 1 for the native resolution, 0 for a
// custom one (then resx/resy), 2 to 6 for a multiple. `nativeres` is the
// profile's "1"/"0", `upscale` its stored multiplier (1 meaning custom, as the
// Windows plug-in of its time read it).
QString linuxUpscale(const QString& nativeres, const QString& upscale);

// The EE cycle rate as these cores read it. The profile's 1 and 2 are the design
// era's underclocking ("reduces the EE's cyclerate by about 33% / 50%"); both
// cores read positive values as overclocking, so 1 and 2 are written as the
// negative values whose meaning matches those labels: -1 and -2 for the 1.4
// family, -1 and -3 for the 1.6 family. Other values are written as stored.
QString eeCycleRate(const QString& stored, bool core16);

// VsyncEnable of the 1.6 family is a number (0 off, 1 on, 2 adaptive).
QString vsyncNumber(const QString& stored);

// CdvdSource of the 1.6 family spells the disc image source "ISO".
QString cdvdSource(const QString& stored, bool core16);

// Whether the Linux SPU2-X knows a sound module word ("nullout", "portaudio",
// "SDLAudio"; compared with case, as its FindOutputModuleById does).
bool isLinuxSoundModule(const QString& word);

// The sound plug-in's file as the Linux SPU2-X opens it.
inline constexpr const char* kLinuxSoundFile = "spu2-x.ini";

} // namespace pluginera
