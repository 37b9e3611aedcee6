#pragma once

#include <QString>

// The emulator's command-line keys, as the "Help" button of the advanced group
// shows them. Help only: nothing checks the keys a user types against it.
namespace keyhelp {

struct Line {
    const char* option; // nullptr: a continuation of the line before
    const char* description;
};

inline constexpr Line kLines[] = {
    {"-h, --help", "displays this list of command line options"},
    {"--console", "forces the program log/console to be visible"},
    {"--fullscreen", "use fullscreen GS mode"},
    {"--windowed", "use windowed GS mode"},
    {"--nogui", "disables display of the gui while running games"},
    {"--elf=<str>", "executes an ELF image"},
    {"--nodisc", "boots an empty dvd tray; use to enter the PS2 system menu"},
    {"--usecd", "boots from the CDVD plugin (overrides IsoFile parameter)"},
    {"--nohacks", "disables all speedhacks"},
    {"--gamefixes=<str>", "use the specified comma or pipe-delimited list of gamefixes."},
    {nullptr, "VuAddSub,VuClipFlag,FpuCompare,FpuMul,FpuNeg"},
    {nullptr, ",EETiming,SkipMpeg,OPHFlag,DMABusy"},
    {"--fullboot", "disables fast booting"},
    {"--cfgpath=<str>", "changes the configuration file path"},
    {"--cfg=<str>", "specifies the PCSX2 configuration file to use"},
    {"--forcewiz", "forces PCSX2 to start the First-time Wizard"},
    {"--portable", "enables portable mode operation (requires admin/root access)"},
    {"--gs=<str>", "specify the file to use as the GS plugin"},
    {"--pad=<str>", "specify the file to use as the PAD plugin"},
    {"--spu2=<str>", "specify the file to use as the SPU2 plugin"},
    {"--cdvd=<str>", "specify the file to use as the CDVD plugin"},
    {"--usb=<str>", "specify the file to use as the USB plugin"},
    {"--fw=<str>", "specify the file to use as the FW plugin"},
    {"--dev9=<str>", "specify the file to use as the DEV9 plugin"},
};

// The current builds' own options (pcsx2-qt QtHost::ParseCommandLineOptions and
// PrintCommandLineHelp), which the help shows for an emulator folder of those
// builds. The plug-in era's keys above with an exact equivalent are translated
// at Start; the others are refused at Save and at Start.
inline constexpr Line kCurrentLines[] = {
    {"-batch", "exits the emulator when the game is shut down"},
    {"-nogui", "hides the main window while the game runs (implies -batch)"},
    {"-fullscreen", "starts the game in fullscreen"},
    {"-nofullscreen", "starts the game in a window"},
    {"-bigpicture", "starts the fullscreen (big picture) interface"},
    {"-portable", "uses the emulator's folder as its data folder"},
    {"-fastboot", "skips the BIOS boot screens"},
    {"-slowboot", "boots through the BIOS screens"},
    {"-bios", "boots the BIOS without a disc"},
    {"-elf <file>", "boots the ELF file instead of the disc's own"},
    {"-disc <path>", "boots from the disc drive at the path"},
    {"-state <index>", "loads the save state of that slot"},
    {"-statefile <file>", "loads the save state file"},
    {"-gameargs <text>", "passes the text to the game as its arguments"},
    {"-logfile <file>", "writes the emulator's log to the file"},
    {"-earlyconsolelog", "shows the log in the console from the start"},
    {"-setupwizard", "runs the emulator's first-start setup"},
    {"-debugger", "opens the debugger and stops at the game's entry point"},
    {"-settings <file>", "(1.7 builds) reads this settings file instead of PCSX2.ini"},
    {"--nogui --fullscreen --windowed --portable --nodisc --fullboot --forcewiz --elf --cfg", nullptr},
    {nullptr, "become -nogui -fullscreen -nofullscreen -portable -bios -slowboot -setupwizard -elf"},
    {nullptr, "-settings at Start; other keys of the older builds are refused."},
};

// Options are padded with spaces to this width, then a tab and the description.
inline constexpr int kOptionWidth = 17;
// Continuation lines start with this many spaces and hold no tab.
inline constexpr int kContinuationIndent = 16;

// The whole text: the lines joined by CR LF, no break after the last.
QString text();
// The same for the current builds' options.
QString currentText();

} // namespace keyhelp
