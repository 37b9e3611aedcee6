// Search benchmark: a program folder with 5,000 games (rows in db.mdb and
// 100 x 150 thumbnails) in the real main window, offscreen. Typing one
// character into the empty search field, timed until the grid has laid out
// and painted the result, against one full rebuild of the list (LoadGameList,
// then the same layout and paint). The two contenders alternate run by run;
// min and median of the runs, and the page faults of each, are printed. The
// last line is the ratio typing / rebuild (medians).
#include "app/mainwindow.h"

#include "gamelist/gamelistview.h"
#include "gamelist/jpegwriter.h"
#include "store/columntable.h"
#include "store/profilestore.h"
#include "support/windowparts.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr int kGames = 5000;
constexpr int kRuns = 7;

QString gameName(int i) {
    static const char* words[] = {"Shadow",   "Ōkami", "Dragon", "Final",  "Élite",  "Zone",
                                  "Katamari", "rez",   "Jak",    "Ape",    "Beyond", "Silent",
                                  "tekken",   "Gran",  "Devil",  "Kingdom"};
    return QStringLiteral("%1 Quest %2").arg(QString::fromUtf8(words[(i * 7) % 16])).arg(i);
}

// A thumbnail with some structure, so that it compresses like a cover.
QImage cover(int seed) {
    QImage img(100, 150, QImage::Format_RGB888);
    for (int y = 0; y < 150; ++y) {
        uchar* p = img.scanLine(y);
        for (int x = 0; x < 100; ++x, p += 3) {
            p[0] = uchar((x * 3 + seed * 11 + y) & 0xff);
            p[1] = uchar((y * 2 + seed * 7) & 0xff);
            p[2] = uchar(((x ^ y) + seed) & 0xff);
        }
    }
    return img;
}

bool buildFolder(const QString& root) {
    QDir dir(root);
    for (const char* sub : {"Images", "inis", "Plugins"})
        dir.mkpath(QLatin1String(sub));
    for (const char* name : {"thumb_unknown.jpg", "big_unknown.jpg"})
        QFile::copy(QStringLiteral(KORVELLO_SOURCE_DIR "/Images/") + QLatin1String(name),
                    dir.filePath(QStringLiteral("Images/") + QLatin1String(name)));
    const QString dbPath = dir.filePath(QStringLiteral("db.mdb"));
    {
        ProfileStore store; // creates db.mdb with table db
        store.setDatabasePath(dbPath);
        store.listNames();
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench"));
        db.setDatabaseName(dbPath);
        if (!db.open())
            return false;
        QSqlQuery q(db);
        q.exec(QStringLiteral("BEGIN"));
        for (int i = 0; i < kGames; ++i) {
            GameProfile p;
            p.setValue(col::gamename, gameName(i));
            if (!q.exec(ProfileStore::addStatement(p))) {
                std::fprintf(stderr, "%s\n", qPrintable(q.lastError().text()));
                return false;
            }
        }
        q.exec(QStringLiteral("COMMIT"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench"));
    for (int i = 0; i < kGames; ++i)
        jpeg::writeFile(cover(i), dir.filePath(QStringLiteral("Images/thumb_%1.jpg").arg(gameName(i))), 90);
    return true;
}

struct Sample {
    double ms;
    long minorFaults;
    long majorFaults;
};

template <typename F> Sample measure(F&& f) {
    rusage before{};
    rusage after{};
    getrusage(RUSAGE_SELF, &before);
    QElapsedTimer timer;
    timer.start();
    f();
    const double ms = timer.nsecsElapsed() / 1e6;
    getrusage(RUSAGE_SELF, &after);
    return {ms, after.ru_minflt - before.ru_minflt, after.ru_majflt - before.ru_majflt};
}

void report(const char* what, std::vector<Sample> samples) {
    std::sort(samples.begin(), samples.end(), [](const Sample& a, const Sample& b) { return a.ms < b.ms; });
    const Sample& min = samples.front();
    const Sample& median = samples[samples.size() / 2];
    std::printf("%-34s min %9.2f ms (%6ld minor, %ld major faults)   median %9.2f ms (%6ld minor, %ld major "
                "faults)\n",
                what, min.ms, min.minorFaults, min.majorFaults, median.ms, median.minorFaults,
                median.majorFaults);
}

double medianMs(std::vector<Sample> samples) {
    std::sort(samples.begin(), samples.end(), [](const Sample& a, const Sample& b) { return a.ms < b.ms; });
    return samples[samples.size() / 2].ms;
}

} // namespace

int main(int argc, char* argv[]) {
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir folder;
    if (!folder.isValid() || !buildFolder(folder.path())) {
        std::fprintf(stderr, "cannot build the program folder\n");
        return 1;
    }
    MainWindow w(folder.path() + u'/');
    w.show();
    QApplication::processEvents();
    if (parts(w).gameGrid->count() != kGames) {
        std::fprintf(stderr, "the list holds %d games, not %d\n", parts(w).gameGrid->count(), kGames);
        return 1;
    }
    // Until the grid is updated: the view lays out and paints what it now shows.
    auto settle = [&] {
        QApplication::processEvents();
        parts(w).gameGrid->viewport()->repaint();
    };
    std::vector<Sample> typing, narrowing, rebuild;
    int shownAfterTyping = 0;
    int shownAfterNarrowing = 0;
    for (int run = 0; run < kRuns; ++run) {
        auto typeOne = [&] {
            parts(w).searchField->clear();
            settle();
            typing.push_back(measure([&] {
                QTest::keyClick(parts(w).searchField, 'k');
                settle();
            }));
            shownAfterTyping = parts(w).gameGrid->visibleCount();
            narrowing.push_back(measure([&] {
                QTest::keyClick(parts(w).searchField, 'a');
                settle();
            }));
            shownAfterNarrowing = parts(w).gameGrid->visibleCount();
            parts(w).searchField->clear();
            settle();
        };
        auto rebuildOnce = [&] {
            rebuild.push_back(measure([&] {
                parts(w).gameListPage->loadGameList();
                settle();
            }));
        };
        if (run % 2 == 0) {
            typeOne();
            rebuildOnce();
        } else {
            rebuildOnce();
            typeOne();
        }
    }
    std::printf("games: %d; \"k\" shows %d of them, \"ka\" shows %d; %d runs, contenders alternated\n",
                kGames, shownAfterTyping, shownAfterNarrowing, kRuns);
    report("type \"k\" into the empty field:", typing);
    report("type \"a\" after it (\"ka\"):", narrowing);
    report("full rebuild (LoadGameList):", rebuild);
    std::printf("typing one character / one full rebuild (medians):\n%.4f\n",
                medianMs(typing) / medianMs(rebuild));
    return 0;
}
