#pragma once

#include "emulatorsettings/currentgeneration.h"

#include <QString>
#include <array>
#include <optional>

class GameProfile;

// The profile's values in the form the emulator's current builds read them from
// a game's settings file (gamesettings/<SERIAL>_<CRC>.ini, layered over PCSX2.ini
// at boot): one row per key written and generation, each naming the statement of
// the emulator that reads it. Profile values without a faithful equivalent have
// no row (docs/current-builds-mapping.md lists them); start-fullscreen, the disc
// image and the command-line keys go on the command line instead
// (currentbuild::startArguments). Settings the emulator reads only from PCSX2.ini
// (the memory card folder) are the user's and are not written.

// How a key's value is made from its column.
enum class CurrentRule {
    Bool,             // the column's on/off form (ED, 01 or TF) as "true" / "false"
    Renderer,         // a current builds' renderer number as stored; a plug-in era number by its kind:
                      // Direct3D hardware 0, 3 -> automatic -1, software 1, 4, 7 -> 13, null 2, 5 -> 11
    Integer,          // a decimal integer, as stored (trimmed)
    IntegerOrEmpty,   // the same, but an empty box writes nothing (the emulator's default holds)
    Deinterlace,      // list position 0 None, 1..6 weave/bob/blend, 7 Auto -> Automatic 0, Off 1, then 2..7
    DeinterlaceEarly, // the same list -> the early builds' numbers, which are the list's own (Off 0 .. Auto
                      // 7)
    Upscale,          // native resolution -> "1"; scaling 2x..6x -> "2".."6"; "Custom" -> not written
    SkipDrawStart,    // skip-draw count N > 0 -> "1", else "0"
    SkipDrawEnd,      // skip-draw count N > 0 -> N, else "0"
    HalfPixelOffset,  // on -> "1" (Normal), off -> "0" (Off)
    AspectRatio,      // "Stretch", "4:3", "16:9" as stored; another text -> not written
    Digit,            // on -> "1", off -> "0" (an integer mode in the 1.7 builds)
    CycleRate,        // EE cyclerate 0 default, 1 about -33%, 2 about -50% -> 0, -1, -2
    Float,            // a decimal number written in the emulator's own float form
    NominalScalar,    // 2.x: the frame limit off -> "0" (unlimited), else the scalar as Float
    OutputModule,     // 1.7: "nullout" stays; every sounding module -> "cubeb"
    Backend,          // 2.x: "nullout" -> "Null"; every sounding module -> "Cubeb"
    SyncMode,         // 2.x: TimeStretch 0 -> "TimeStretch"; Async 1 and None 2 -> "Disabled"
    ExpansionMode,    // 2.x: stereo 0, quadraphonic 1, 5.1 2, 7.1 3 -> the emulator's expansion names
    Text,             // as stored
};

struct CurrentKey {
    const char* section;
    const char* key;
    int column;
    CurrentRule rule;
    // A global switch column that, when off, turns the value off ("false" or
    // "0"), because the current builds have no switch of their own; -1 for none.
    int gate = -1;
    // The generations that read this key (generationBit), all by default.
    unsigned generations = kAllGenerations;

    bool readBy(CurrentGeneration g) const { return (generations & generationBit(g)) != 0; }
};

inline constexpr int kCurrentKeyCount = 78;
extern const std::array<CurrentKey, kCurrentKeyCount> kCurrentKeys;

// The value written for a row, or nothing when the stored value has no
// equivalent (a scaling of "Custom", an unknown aspect ratio word, an empty
// thread box). Throws KorvelloError naming the column when a number column
// holds no number.
std::optional<QString> currentValue(const CurrentKey& key, const GameProfile& profile);

// True when the emulator reads `existing` and `wanted` as the same value of a row
// of this rule: "1.000000" and "1" for a float, "1" and "true" for a switch. Such a
// line is left as it stands, so that writing back what was read changes no byte.
bool sameCurrentValue(CurrentRule rule, const QString& existing, const QString& wanted);

// The emulator's float form: the shortest text with "." that reads back as the
// same single-precision value ("2", "59.94", "0.5").
QString emulatorFloatText(double value);

// The on/off state of an ED, 01 or TF column as the profile stores it.
bool columnIsOn(const GameProfile& profile, int column);
