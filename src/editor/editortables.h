#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The fixed data of the editor's rules and presets: which renderer offers
// which controls, the texts of the value labels and of the preset levels.
namespace editortables {

// Which controls a renderer offers: S the software renderers' controls, D9
// those only the Direct3D9 hardware renderer has, H the hardware renderers'.
struct RendererSwitches {
    bool s = true;
    bool d9 = true;
    bool h = true;
    bool operator==(const RendererSwitches&) const = default;
};

struct RendererRow {
    const char* text;
    int number; // what a profile stores and the configuration writer passes on
    RendererSwitches switches;
};

// Every renderer entry the program may list, by its fixed number (no entry has 6).
inline constexpr RendererRow kRenderers[] = {
    {"Direct3D9 (Hardware)", 0, {false, true, true}},
    {"Direct3D9 (Software)", 1, {true, false, false}},
    {"Direct3D9 (Null)", 2, {false, false, false}},
    {"Direct3D10/11 (Hardware)", 3, {false, false, true}},
    {"Direct3D10/11 (Software)", 4, {true, false, false}},
    {"Direct3D10/11 (Null)", 5, {false, false, false}},
    {"SDL 1.3 (Software)", 7, {true, false, false}},
};

// The switches for a renderer number; no entry selected (nullopt), and a
// number no renderer has, switch everything on.
RendererSwitches rendererSwitches(std::optional<int> number);

// The emulator's current builds name their renderers by the numbers of their
// GSRendererType and the rules treat them by kind.
enum class RendererKind { Hardware, Software, Null };

struct CurrentRendererRow {
    const char* text;
    int number; // what [EmuCore/GS] Renderer stores, and what the profile stores
    RendererKind kind;
};

// The renderers the current Linux builds offer (Auto -1, Null 11, OpenGL 12,
// Software 13, Vulkan 14). "Automatic" is -1, the value a profile holds when
// no renderer is chosen: both leave the choice to the emulator.
inline constexpr CurrentRendererRow kCurrentRenderers[] = {
    {"Automatic", -1, RendererKind::Hardware},
    {"OpenGL (Hardware)", 12, RendererKind::Hardware},
    {"Vulkan (Hardware)", 14, RendererKind::Hardware},
    {"Software", 13, RendererKind::Software},
    {"Null", 11, RendererKind::Null},
};

// The renderers of the plug-in era's Linux GSdx: off Windows its GSdxApp::Init
// lists only OpenGL hardware (12) and OpenGL software (13), then the null
// renderer (11, "None (Core Benchmark)"). The rules treat them by kind, as the
// current builds' numbers, which are the same.
inline constexpr CurrentRendererRow kLinuxPluginRenderers[] = {
    {"OpenGL (Hardware)", 12, RendererKind::Hardware},
    {"OpenGL (Software)", 13, RendererKind::Software},
    {"None (Core Benchmark)", 11, RendererKind::Null},
};

// A stored renderer number as the Linux GSdx's, by kind: the design's hardware
// renderers (0, 3) 12, its software ones (1, 4, 7) 13, its null ones (2, 5) 11; a
// Linux number as it is; nothing for any other number.
std::optional<int> linuxPluginRenderer(int stored);

// The sound modules of the Linux SPU2-X (its Config.cpp dialog and mods[]: the
// Alsa module is listed out), with the word its Output_Module holds.
struct SoundModuleRow {
    const char* text;
    const char* word;
};
inline constexpr SoundModuleRow kLinuxSoundModules[] = {
    {"0 - No Sound (emulate SPU2 only)", "nullout"},
    {"1 - PortAudio (cross-platform)", "portaudio"},
    {"2 - SDL Audio (recommended for PulseAudio)", "SDLAudio"},
};

// The kind of a current builds' renderer number. The emulator counts every
// renderer that is neither Null nor Software as hardware, and so does this.
RendererKind currentRendererKind(int number);

// The switches of a kind: hardware H only (the Direct3D9-only controls have no
// equivalent there), software S only, null none.
RendererSwitches kindSwitches(RendererKind kind);

// lblPreset by slider position 0..5 (level = position + 1).
inline constexpr const char* kPresetLevels[] = {"1 - Safest",          "2 - Safe (faster)",
                                                "3 - Balanced",        "4 - Aggressive",
                                                "5 - Aggressive plus", "6 - Mostly Harmful"};

// lblEECyclerate by position of trkEECyclerate (0..2).
inline constexpr const char* kEECyclerateTexts[] = {"Default cyclerate.",
                                                    "Reduces the EE's cyclerate by about 33%.",
                                                    "Reduces the EE's cyclerate by about 50%."};

// lblVUCycleStealing by position of trkVUCycleStealing (0..3).
inline constexpr const char* kVUCycleStealingTexts[] = {
    "0 - Disables VU Cycle Stealing.", "1 - Mild VU Cycle Stealing.", "2 - Moderate VU Cycle Stealing.",
    "3 - Maximum VU Cycle Stealing."};

// The text of a table above at a position; empty outside it.
template <std::size_t N> QString textAt(const char* const (&texts)[N], int position) {
    if (position < 0 || position >= static_cast<int>(N))
        return {};
    return QString::fromLatin1(texts[position]);
}

// lblSPU2Latency for a latency in milliseconds: "Latency: 150 ms (avg)".
QString latencyText(int milliseconds);

} // namespace editortables
