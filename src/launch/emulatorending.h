#pragma once

#include <QList>
#include <QString>

#include <functional>

// Ending an emulator so that it can save. The emulator's current builds take
// SIGTERM as a request to quit: they shut the virtual machine down, write the
// memory cards (buffered until then) and, when the user asked for it, the
// resume state. So every way Korvello ends an emulator first asks it with
// SIGTERM, gives it time, and only then ends with SIGKILL what still runs.
namespace emulatorending {

// How long an emulator asked to quit is given before it is ended.
constexpr int kQuitWaitMs = 10000;

// One process, with what tells it from a later one that gets the same number.
struct Process {
    qint64 pid = 0;
    QString identity; // processIdentity() when it was chosen
};

// The processes of one ending: those asked to quit, and every process that is
// ended after the wait (the asked ones and, for a tree, the rest of it).
struct Ending {
    QList<Process> asked;
    QList<Process> all;
    bool isEmpty() const { return all.isEmpty(); }
};

// Every running emulator of that executable name (as the process table names
// them; never `ownName`, never another user's process, never one in a sandbox of
// its own such as the Flatpak build's). Empty for a name that is not a plain file name.
Ending ofExecutable(const QString& exeFile, const QString& ownName);

// The process tree below `root` (the emulator itself, or the Flatpak launcher
// that holds the sandbox): the first processes of the tree that are neither
// flatpak nor bwrap are asked, as the sandbox's own init does not pass SIGTERM on.
Ending ofTree(qint64 root);

// Sends SIGTERM to the processes to ask. Returns how many were asked.
int ask(const Ending& ending);

// Whether any of the asked processes still runs.
bool anyRunning(const Ending& ending);

// Ends with SIGKILL, the deepest first, every process of the ending that still
// runs. Returns how many had to be ended.
int finish(const Ending& ending);

// What ask, the wait and finish came to.
struct Result {
    int asked = 0;       // processes asked to quit
    bool forced = false; // some did not end in time and were ended
};

// Asks, waits up to `waitMs` for the asked processes to end (calling `idle`
// about every 20 ms, where a window keeps repainting), then ends the rest.
Result endAndWait(const Ending& ending, int waitMs = kQuitWaitMs, const std::function<void()>& idle = {});

// The one line said when an emulator had to be ended.
QString forcedText();

} // namespace emulatorending
