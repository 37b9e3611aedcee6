#pragma once

#include <QString>

class IniValues;

// The three generations of the emulator's current builds whose settings files
// differ in the keys Korvello writes. The emulator saves every key it knows into
// PCSX2.ini, so the user's own file says which generation reads it.
enum class CurrentGeneration {
    Early17,  // early 1.7 Qt builds: "deinterlace", "VU.Roundmode", one "vuOverflow" for both units
    Later17,  // later 1.7 builds: "deinterlace_mode", VU0/VU1 apart, SPU2 "OutputModule"
    Current2, // 2.x: SPU2 "Backend"/"SyncMode", no FrameLimitEnable, per-game switch removed
};

// One bit per generation, for the mapping's rows.
constexpr unsigned generationBit(CurrentGeneration g) {
    return 1u << static_cast<unsigned>(g);
}
inline constexpr unsigned kAllGenerations = 7u;

// The generation of a PCSX2.ini's contents. A file without any of the telling
// keys (a new or empty one) is taken for the newest generation, which is what a
// fresh install runs.
CurrentGeneration generationOf(const IniValues& settings);

// "early 1.7", "later 1.7", "2.x": for messages and the documentation.
QString generationName(CurrentGeneration g);
