#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class GameProfile;

// Running the stand-in emulator in tests: installing it under a name of the
// test's own (so that tests running side by side never end each other's
// emulators), reading what it recorded, and ending every process a test started.
namespace emulatorrun {

// The fixture profile of tests/data/launch/profile.txt: one "column=value" line per column.
GameProfile fixtureProfile();

// "pcsx2-<tag>-<pid>.exe": unique per test process and longer than 15 characters.
QString uniqueName(const QString& tag);

// Copies the stand-in emulator to folder + name, executable. Returns the path.
QString install(const QString& folder, const QString& name);

struct Record {
    qint64 pid = 0;
    QString workingFolder;
    QStringList arguments;
};
// What the emulator at `exePath` recorded when it last started; waits up to `ms` for it.
std::optional<Record> waitForRecord(const QString& exePath, int ms = 5000);

// True while the process exists and is not a zombie.
bool isAlive(qint64 pid);
// Waits up to `ms` for the process to end.
bool waitForEnd(qint64 pid, int ms = 5000);

// Starts `exePath` directly (not through the program) and returns its pid once
// it has recorded itself, or 0.
qint64 startDirectly(const QString& exePath, const QStringList& arguments = {});

// Ends, with SIGKILL, every process given to it when it goes out of scope.
class Reaper {
public:
    Reaper() = default;
    ~Reaper();
    Reaper(const Reaper&) = delete;
    Reaper& operator=(const Reaper&) = delete;
    void add(qint64 pid) { m_pids.append(pid); }

private:
    QList<qint64> m_pids;
};

} // namespace emulatorrun
