// Start's configuration writing, timed against its floor.
//   writer: WriteEmulatorConfig of the test fixture's profile into the test
//           fixture's four emulator files (the path from Start's click to the
//           emulator's exec, less the profile load and the process start);
//   floor:  replacing the same four files once each with their final bytes,
//           the way the writer replaces a file (temporary file, rename).
// Before every timed Start the four files are put back to their starting bytes
// (not timed), so each Start does the same work. The contenders alternate run
// by run; each run times kStarts Starts. Prints per Start: min and median over
// the runs, with the minor and major page faults (getrusage) of the timed parts
// beside them. The last line is the ratio writer / floor (target: at most 2).
#include "emulatorsettings/configwriter.h"
#include "store/gameprofile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr int kRuns = 7;
constexpr int kStarts = 40;

const QStringList kFiles = {QStringLiteral("GSdx.ini"), QStringLiteral("PCSX2_ui.ini"),
                            QStringLiteral("PCSX2_vm.ini"), QStringLiteral("SPU2-X.ini")};

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

GameProfile fixtureProfile(const QString& dataFolder) {
    GameProfile p;
    const QStringList lines =
        QString::fromUtf8(readAll(dataFolder + QStringLiteral("profile.txt"))).split(u'\n');
    for (const QString& line : lines) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq > 0)
            p.setValue(line.left(eq), line.mid(eq + 1));
    }
    return p;
}

long faults() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt + usage.ru_majflt;
}

struct Run {
    double msPerStart;
    double faultsPerStart;
};

struct Contender {
    const char* name;
    std::function<void()> start;
    std::vector<Run> runs;
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString data = QStringLiteral(KORVELLO_SOURCE_DIR "/tests/data/launch/");
    const GameProfile profile = fixtureProfile(data);
    QTemporaryDir dir;
    const QString inis = dir.path() + u'/';
    const QString appFolder = QStringLiteral("/opt/pcsx2/");

    std::vector<QByteArray> startBytes;
    for (const QString& name : kFiles)
        startBytes.push_back(readAll(data + QStringLiteral("start/") + name));
    const auto reset = [&] {
        for (int i = 0; i < int(kFiles.size()); ++i)
            writeAll(inis + kFiles[i], startBytes[std::size_t(i)]);
    };

    // The floor's bytes are what the writer itself produces.
    reset();
    WriteEmulatorConfig(profile, inis, appFolder);
    std::vector<QByteArray> finalBytes;
    for (const QString& name : kFiles)
        finalBytes.push_back(readAll(inis + name));

    std::vector<Contender> contenders = {
        {"writer (104 keys, each file read and replaced once)",
         [&] { WriteEmulatorConfig(profile, inis, appFolder); },
         {}},
        {"floor (the four final files replaced once each)",
         [&] {
             for (int i = 0; i < int(kFiles.size()); ++i) {
                 QSaveFile out(inis + kFiles[i]);
                 if (!out.open(QIODevice::WriteOnly) || out.write(finalBytes[std::size_t(i)]) < 0 ||
                     !out.commit())
                     std::fprintf(stderr, "cannot replace %s\n", qPrintable(kFiles[i]));
             }
         },
         {}},
    };

    for (int run = 0; run < kRuns; ++run) {
        for (Contender& c : contenders) {
            qint64 ns = 0;
            long faultCount = 0;
            for (int s = 0; s < kStarts; ++s) {
                reset();
                const long faultsBefore = faults();
                QElapsedTimer timer;
                timer.start();
                c.start();
                ns += timer.nsecsElapsed();
                faultCount += faults() - faultsBefore;
            }
            c.runs.push_back({double(ns) / 1e6 / kStarts, double(faultCount) / kStarts});
        }
    }

    // The files must end as the writer leaves them, or the comparison means nothing.
    for (int i = 0; i < int(kFiles.size()); ++i) {
        if (readAll(inis + kFiles[i]) != finalBytes[std::size_t(i)]) {
            std::fprintf(stderr, "%s differs from the writer's result\n", qPrintable(kFiles[i]));
            return 1;
        }
    }

    std::printf("Start's configuration writing, %d runs of %d Starts, per Start:\n", kRuns, kStarts);
    std::vector<double> medians, mins;
    for (const Contender& c : contenders) {
        std::vector<double> ms, pf;
        for (const Run& r : c.runs) {
            ms.push_back(r.msPerStart);
            pf.push_back(r.faultsPerStart);
        }
        medians.push_back(median(ms));
        mins.push_back(*std::min_element(ms.begin(), ms.end()));
        std::printf("  %-52s min %7.3f ms  median %7.3f ms  page faults min %6.1f median %6.1f\n", c.name,
                    *std::min_element(ms.begin(), ms.end()), median(ms),
                    *std::min_element(pf.begin(), pf.end()), median(pf));
    }
    std::printf("ratio writer / floor: min %.2f, median %.2f (target <= 2)\n", mins[0] / mins[1],
                medians[0] / medians[1]);
    return 0;
}
