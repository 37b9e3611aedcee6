#pragma once

#include <QString>
#include <QStringList>

// Text forms of profile values, shared by the editor mapping and the
// configuration writer. Comparisons are exact: same characters, same case.
namespace enc {

QString BoolToText(bool value);          // "TRUE" / "FALSE"
bool IsTrueText(const QString& text);    // exactly "TRUE"
QString BoolToDigit(bool value);         // "1" / "0"
int BoolToInt(bool value);               // 1 / 0
bool IntToBool(int value);               // > 0
QString BoolToEnabledText(bool value);   // "enabled" / "disabled"
QString IntToEnabledText(int value);     // "enabled" when > 0
bool IsEnabledText(const QString& text); // exactly "enabled"

// Frame-skip mode (0 disabled, 1 on turbo only, 2 constant): columns 45, 46.
struct SkipFlags {
    QString skipOnLimit, skipOnTurbo;
};
SkipFlags skipToFlags(int position);
int skipFromFlags(const QString& skipOnLimit, const QString& skipOnTurbo);

// EE and VU clamping modes (0 to 3): three flags each (49-51, 56-58).
struct ClampFlags {
    QString first, second, third;
};
ClampFlags clampToFlags(int position);
int clampFromFlags(const QString& first, const QString& second, const QString& third);

// VU0 / VU1 core (0 interpreter, 1 microVU, 2 superVU): "Enable" and "UseMicro" flags.
struct VuFlags {
    QString enable, useMicro;
};
VuFlags vuToFlags(int position);
int vuFromFlags(const QString& enable, const QString& useMicro);

// EE / IOP core (0 interpreter, 1 recompiler).
QString coreToFlag(int position);
int coreFromFlag(const QString& flag);

// Upscale multiplier: stored = scaling position + 1.
int upscaleFromScaling(int scalingPosition);
int scalingFromUpscale(int stored);

// Word columns: aspect ratio (17), disc source (80), output module (90).
const QStringList& aspectRatioWords();
const QStringList& cdvdSourceWords();
const QStringList& outputModuleWords();
// Position of text in words (exact comparison), -1 when none matches.
int wordPosition(const QStringList& words, const QString& text);

// Framerate scalars (42-44): the editor shows percent, the row stores the fraction.
// Both throw KorvelloError when the text is not a number.
QString scalarFromPercentText(const QString& percentText);
QString percentTextFromScalar(const QString& stored);

// Window size (18): "640,480"; reading splits at "," or ";", skips leading blanks
// of each part and drops empty parts. Throws KorvelloError with fewer than two parts.
QString joinWindowSize(const QString& width, const QString& height);
struct WindowSize {
    QString width, height;
};
WindowSize splitWindowSize(const QString& stored);

// Paths typed or stored with doubled separators: every "\\" pair becomes one "\".
QString singleBackslashes(QString text);

// Names: trimming removes leading and trailing characters up to code 32.
QString trimmed(const QString& text);
// A name that can be a profile's: not empty, no "/", no control character, and
// its artwork's file name within kMaxFileNameBytes.
bool IsValidProfileName(const QString& name);
// What the user reads when a name is refused.
QString ProfileNameRule();
// The longest file name the file systems here take, in bytes (NAME_MAX).
constexpr qsizetype kMaxFileNameBytes = 255;

} // namespace enc
