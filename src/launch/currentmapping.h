#pragma once

#include <QString>
#include <array>
#include <optional>

class GameProfile;

// The profile's values in the form the emulator's current builds read them from
// PCSX2.ini: one row per key written, each naming the statement of the emulator
// that reads it. Profile values without a faithful equivalent have no row (the
// README lists them); the disc image and the command-line keys go on the command
// line instead (currentbuild::startArguments).

// How a key's value is made from its column.
enum class CurrentRule {
    Bool,            // the column's on/off form (ED, 01 or TF) as "true" / "false"
    Renderer,        // a current builds' renderer number as stored; a plug-in era number by its kind:
                     // Direct3D hardware 0, 3 -> automatic -1, software 1, 4, 7 -> 13, null 2, 5 -> 11
    Integer,         // a decimal integer, as stored (trimmed)
    Deinterlace,     // list position 0 None, 1..6 weave/bob/blend, 7 Auto -> the emulator's mode number
    Upscale,         // native resolution -> "1"; scaling 2x..6x -> "2".."6"; "Custom" -> not written
    SkipDrawStart,   // skip-draw count N > 0 -> "1", else "0"
    SkipDrawEnd,     // skip-draw count N > 0 -> N, else "0"
    HalfPixelOffset, // on -> "1" (Normal), off -> "0" (Off)
    AspectRatio,     // "Stretch", "4:3", "16:9" as stored; another text -> not written
    Digit,           // on -> "1", off -> "0" (read as a mode number by some builds, as a boolean by others)
    CycleRate,       // EE cyclerate 0 default, 1 about -33%, 2 about -50% -> 0, -2 (60%), -3 (50%)
    Float,           // a decimal number written in the emulator's own float form
    OutputModule,    // "nullout" stays; every sounding module -> "cubeb"
    Text,            // as stored
};

struct CurrentKey {
    const char* section;
    const char* key;
    int column;
    CurrentRule rule;
    // A global switch column that, when off, turns the value off ("false" or
    // "0"), because the current builds have no switch of their own; -1 for none.
    int gate = -1;
};

inline constexpr int kCurrentKeyCount = 67;
extern const std::array<CurrentKey, kCurrentKeyCount> kCurrentKeys;

// The value written for a row, or nothing when the stored value has no
// equivalent (a scaling of "Custom", an unknown aspect ratio word). Throws
// KorvelloError naming the column when a number column holds no number.
std::optional<QString> currentValue(const CurrentKey& key, const GameProfile& profile);

// The emulator's float form: the shortest text with "." that reads back as the
// same single-precision value ("2", "59.94", "0.5").
QString emulatorFloatText(double value);

// The on/off state of an ED, 01 or TF column as the profile stores it.
bool columnIsOn(const GameProfile& profile, int column);
