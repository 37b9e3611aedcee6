// Game list benchmark. Program folders with 2,000 and 20,000 games (rows in
// db.mdb, 100 x 150 thumbnails at JPEG quality 90) are listed by the real main
// window, offscreen. Contenders are alternated run by run; each figure is the
// min and median of the runs, with the page faults (getrusage) beside it.
//
//  - rebuild of 2,000 unchanged games from the thumbnail cache, against
//    decoding the same files with libjpeg alone on one core (reading included);
//  - rebuild with an empty cache (every thumbnail decoded on all cores; the
//    cache file is written afterwards, behind the shown grid, and that write
//    is reported on its own line), against the same single-core decode;
//  - start-up to the first painted thumbnail with 2,000 games and a warm cache,
//    in a fresh process, against one rebuild plus the start-up of the window
//    with an empty list;
//  - start-up with 20,000 games and a warm cache (absolute);
//  - anonymous memory per game at 20,000 games: the resident anonymous memory
//    of that start-up less that of the empty start-up, over 20,000;
//  - the same two at twice the scale (QT_SCALE_FACTOR=2, a device pixel ratio
//    of 2): 20,000 games that each also have a 200 x 300 thumbnail, against an
//    empty start-up at that scale;
//  - with --old PATH, the start-up with 20,000 games of another build of this
//    benchmark (an earlier commit's), alternated with this one's on the same
//    folder, with a cache folder of its own; its memory per game beside ours.
// The ratios, per run and then min and median, are the last lines printed.
#include "app/mainwindow.h"
#include "gamelist/gamelistview.h"
#include "gamelist/jpegwriter.h"
#include "gamelist/thumbnailloader.h"
#include "store/profilestore.h"
#include "support/windowparts.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <functional>
#include <jpeglib.h>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr int kGames = 2000;
constexpr int kManyGames = 20000;
constexpr int kRuns = 7;

// A cover-like thumbnail: gradients, a few shapes and light noise, so each
// file compresses like a real cover (not like flat colour).
QImage coverLike(int seed, int scale = 1) {
    QImage img(100 * scale, 150 * scale, QImage::Format_RGB888);
    QRandomGenerator rng(static_cast<quint32>(seed));
    const double hue = rng.bounded(360);
    for (int y = 0; y < img.height(); ++y) {
        uchar* p = img.scanLine(y);
        for (int x = 0; x < img.width(); ++x, p += 3) {
            const double shape = std::sin((x / scale + seed) / 9.0) * std::cos((y / scale - seed) / 13.0);
            const int noise = int(rng.bounded(13)) - 6;
            auto channel = [&](double v) { return uchar(std::clamp(int(v) + noise, 0, 255)); };
            p[0] = channel(100 + 80 * std::sin(hue + y / 40.0) + 40 * shape);
            p[1] = channel(110 + 70 * std::cos(hue + x / 30.0) - 30 * shape);
            p[2] = channel(120 + 60 * std::sin(hue / 2 + (x + y) / 50.0) + 20 * shape);
        }
    }
    return img;
}

QString gameName(int i) {
    static const char* words[] = {"Shadow",   "ico",  "Dragon", "Final",  "okami",  "Zone",
                                  "Katamari", "rez",  "Jak",    "Ape",    "Beyond", "Silent",
                                  "tekken",   "Gran", "Devil",  "Kingdom"};
    return QStringLiteral("%1 Quest %2").arg(QLatin1String(words[(i * 7) % 16])).arg(i);
}

// libjpeg alone: read and decode every file into one reused RGB buffer.
double decodeAlone(const QStringList& files) {
    std::vector<unsigned char> buffer;
    QElapsedTimer timer;
    timer.start();
    for (const QString& path : files) {
        FILE* f = std::fopen(QFile::encodeName(path).constData(), "rb");
        if (!f)
            continue;
        jpeg_decompress_struct cinfo;
        jpeg_error_mgr err;
        cinfo.err = jpeg_std_error(&err);
        jpeg_create_decompress(&cinfo);
        jpeg_stdio_src(&cinfo, f);
        jpeg_read_header(&cinfo, TRUE);
        cinfo.out_color_space = JCS_RGB;
        jpeg_start_decompress(&cinfo);
        const std::size_t stride = std::size_t(cinfo.output_width) * 3;
        buffer.resize(stride * cinfo.output_height);
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW row = buffer.data() + stride * cinfo.output_scanline;
            jpeg_read_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_decompress(&cinfo);
        jpeg_destroy_decompress(&cinfo);
        std::fclose(f);
    }
    return timer.nsecsElapsed() / 1e6;
}

long faultsNow() {
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt + usage.ru_majflt;
}

double monotonicMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

long rssAnonKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("RssAnon:"))
            return line.mid(8).trimmed().split(' ').first().toLong();
    return 0;
}

// One contender's runs: times in ms and page faults.
struct Series {
    explicit Series(const char* what) : name(what) {}
    const char* name;
    std::vector<double> ms;
    std::vector<double> faults;

    void add(double time, double pageFaults) {
        ms.push_back(time);
        faults.push_back(pageFaults);
    }
};

double minOf(std::vector<double> v) {
    return *std::min_element(v.begin(), v.end());
}

double medianOf(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void print(const Series& s) {
    std::printf("%-58s min %9.1f ms  median %9.1f ms   page faults min %8.0f  median %8.0f\n", s.name,
                minOf(s.ms), medianOf(s.ms), minOf(s.faults), medianOf(s.faults));
}

// Times one in-process call with its page faults.
void measure(Series& s, const std::function<void()>& f) {
    const long faults = faultsNow();
    QElapsedTimer timer;
    timer.start();
    f();
    s.add(timer.nsecsElapsed() / 1e6, double(faultsNow() - faults));
}

bool buildFolder(const QString& root, int games, const QStringList& sources, QStringList& thumbs) {
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
    if (games > 0) {
        // The rows go in with the store's own add statement, in one transaction for speed.
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench"));
        db.setDatabaseName(dbPath);
        if (!db.open())
            return false;
        QSqlQuery q(db);
        q.exec(QStringLiteral("BEGIN"));
        for (int i = 0; i < games; ++i) {
            GameProfile p;
            p.setValue(col::gamename, gameName(i));
            p.setValue(col::PCSX2CurrentIso, QStringLiteral("/iso/%1.iso").arg(i));
            if (!q.exec(ProfileStore::addStatement(p))) {
                std::fprintf(stderr, "%s\n", qPrintable(q.lastError().text()));
                return false;
            }
        }
        q.exec(QStringLiteral("COMMIT"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench"));
    // Every game has a thumbnail file of its own; beyond the sources' number
    // they are copies (other files, so other cache entries).
    for (int i = 0; i < games; ++i) {
        const QString path = dir.filePath(QStringLiteral("Images/thumb_%1.jpg").arg(gameName(i)));
        if (!sources.isEmpty())
            QFile::copy(sources.at(i % sources.size()), path);
        else
            jpeg::writeFile(coverLike(i), path, 90);
        thumbs.append(path);
    }
    return true;
}

// The child process: start-up of the main window on the folder, to its first
// paint (of the game grid when it lists games). Prints the time from main()
// on, the page faults and the resident anonymous memory at that point.
class PaintWatch : public QObject {
public:
    bool seen = false;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            seen = true;
        return false;
    }
};

int startUp(int argc, char* argv[], double t0) {
    QApplication app(argc, argv);
    MainWindow w(QString::fromLocal8Bit(argv[2]) + u'/');
    PaintWatch watch;
    QWidget* painted =
        parts(w).gameGrid->count() > 0 ? parts(w).gameGrid->viewport() : static_cast<QWidget*>(&w);
    painted->installEventFilter(&watch);
    w.show();
    while (!watch.seen)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    const double ms = monotonicMs() - t0;
    std::printf("%.3f %ld %ld %d\n", ms, faultsNow(), rssAnonKb(), parts(w).gameGrid->count());
    std::fflush(stdout);
    // A first start writes its cache behind the grid; the next start finds it.
    if (parts(w).thumbnails)
        parts(w).thumbnails->waitForCacheWrite();
    std::_Exit(0); // tearing down is not part of the figure
}

struct StartUp {
    double ms = 0;
    double faults = 0;
    double anonKb = 0;
    int games = -1;
};

// The start-up of `program` (this benchmark, or another build of it) in a
// child process, at a device pixel ratio of `scale`, with its thumbnail cache
// in `cacheHome` when one is given.
StartUp runStartUp(const QString& folder, int scale = 1, const QString& program = {},
                   const QString& cacheHome = {}) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (scale != 1)
        env.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::number(scale));
    if (!cacheHome.isEmpty())
        env.insert(QStringLiteral("XDG_CACHE_HOME"), cacheHome);
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(program.isEmpty() ? QCoreApplication::applicationFilePath() : program,
                {QStringLiteral("--start-up"), folder});
    child.waitForFinished(-1);
    const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
    StartUp result;
    if (fields.size() == 4)
        result = {fields[0].toDouble(), fields[1].toDouble(), fields[2].toDouble(), fields[3].toInt()};
    return result;
}

void printRatio(const char* what, const std::vector<double>& ratios) {
    std::printf("%s: min %.3f, median %.3f\n", what, minOf(ratios), medianOf(ratios));
}

} // namespace

int main(int argc, char* argv[]) {
    const double t0 = monotonicMs();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 3 && qstrcmp(argv[1], "--start-up") == 0)
        return startUp(argc, argv, t0);

    // The user's settings and thumbnail cache are left alone; the children
    // inherit these folders.
    QTemporaryDir config;
    QTemporaryDir cache;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
    QApplication app(argc, argv);
    // --old PATH: another build of this benchmark, whose start-up is compared.
    const int oldAt = int(QCoreApplication::arguments().indexOf(QStringLiteral("--old")));
    const QString oldBench = oldAt > 0 ? QCoreApplication::arguments().value(oldAt + 1) : QString();
    QTemporaryDir oldCache;

    QTemporaryDir folder, many, manyDouble, empty, doubleSources;
    QStringList thumbs, manyThumbs, doubleThumbs, none;
    if (!folder.isValid() || !buildFolder(folder.path(), kGames, {}, thumbs) ||
        !buildFolder(many.path(), kManyGames, thumbs, manyThumbs) ||
        !buildFolder(manyDouble.path(), kManyGames, thumbs, doubleThumbs) ||
        !buildFolder(empty.path(), 0, {}, none)) {
        std::fprintf(stderr, "cannot build the program folders\n");
        return 1;
    }
    // Every game of the 2x folder also has a thumbnail of twice the size.
    constexpr int kDoubleSources = 500;
    for (int i = 0; i < kDoubleSources; ++i)
        jpeg::writeFile(coverLike(i, 2), doubleSources.filePath(QStringLiteral("%1.jpg").arg(i)), 90);
    for (int i = 0; i < kManyGames; ++i)
        QFile::copy(doubleSources.filePath(QStringLiteral("%1.jpg").arg(i % kDoubleSources)),
                    QString(doubleThumbs.at(i)).replace(QStringLiteral(".jpg"), QStringLiteral("@2x.jpg")));
    qint64 fileBytes = 0;
    for (const QString& t : thumbs)
        fileBytes += QFileInfo(t).size();
    std::printf("games: %d and %d, thumbnails 100 x 150 at quality 90, %.1f KB per file on average, "
                "%d cores, %d runs per contender\n",
                kGames, kManyGames, fileBytes / 1024.0 / kGames, QThread::idealThreadCount(), kRuns);

    MainWindow w(folder.path() + u'/'); // start-up runs the first rebuild and fills the cache
    if (parts(w).gameGrid->count() != kGames) {
        std::fprintf(stderr, "the list holds %d games, not %d\n", parts(w).gameGrid->count(), kGames);
        return 1;
    }
    const QString indexFile = parts(w).thumbnails->cache().indexPath();
    const QString pixelFile = parts(w).thumbnails->cache().pixelPath();

    // The first start with 20,000 games fills its cache (reported, not a target).
    const StartUp coldMany = runStartUp(many.path());
    if (coldMany.games != kManyGames) {
        std::fprintf(stderr, "the start-up with %d games listed %d\n", kManyGames, coldMany.games);
        return 1;
    }
    std::printf("first start-up with %d games (empty cache, fills it): %.1f ms, %.0f page faults\n",
                kManyGames, coldMany.ms, coldMany.faults);
    const StartUp coldDouble = runStartUp(manyDouble.path(), 2);
    if (coldDouble.games != kManyGames) {
        std::fprintf(stderr, "the 2x start-up with %d games listed %d\n", kManyGames, coldDouble.games);
        return 1;
    }
    std::printf("first start-up at 2x with %d games (empty cache, fills it): %.1f ms, %.0f page faults\n",
                kManyGames, coldDouble.ms, coldDouble.faults);
    if (!oldBench.isEmpty()) {
        const StartUp coldOld = runStartUp(many.path(), 1, oldBench, oldCache.path());
        if (coldOld.games != kManyGames) {
            std::fprintf(stderr, "%s listed %d games\n", qPrintable(oldBench), coldOld.games);
            return 1;
        }
        std::printf("first start-up of %s (fills its own cache): %.1f ms\n", qPrintable(oldBench),
                    coldOld.ms);
    }

    Series alone{"decode alone, libjpeg, one core"};
    Series warm{"rebuild from the cache, 2,000 unchanged"};
    Series cold{"rebuild with an empty cache, all cores"};
    Series coldWrite{"  then writing its cache file behind the grid"};
    Series startWarm{"start-up to first painted thumbnail, 2,000 games"};
    Series startEmpty{"start-up to first paint, empty list"};
    Series startMany{"start-up to first painted thumbnail, 20,000 games"};
    Series startDouble{"start-up at 2x to first painted thumbnail, 20,000 games"};
    Series startEmptyDouble{"start-up at 2x to first paint, empty list"};
    Series startOld{"start-up, 20,000 games, the --old build"};
    Series startOldEmpty{"start-up, empty list, the --old build"};
    std::vector<double> anonPerGameKb, anonPerGameDoubleKb, anonPerGameOldKb;
    for (int run = 0; run < kRuns; ++run) {
        measure(alone, [&] { decodeAlone(thumbs); });
        measure(warm, [&] { parts(w).gameListPage->loadGameList(); });
        // As on a first run: no cache files and no loader yet. The old cache's
        // pages are released before the clock starts.
        parts(w).gameGrid->clear();
        parts(w).gameListPage->forgetThumbnails();
        QFile::remove(indexFile);
        QFile::remove(pixelFile);
        measure(cold, [&] { parts(w).gameListPage->loadGameList(); });
        // The cache file is written behind the shown grid; its time is
        // reported, and no other contender runs beside it.
        measure(coldWrite, [&] { parts(w).thumbnails->waitForCacheWrite(); });
        // The cold rebuild wrote the cache again: the children find it warm.
        const StartUp a = runStartUp(folder.path());
        const StartUp b = runStartUp(empty.path());
        const StartUp c = runStartUp(many.path());
        if (a.games != kGames || b.games != 0 || c.games != kManyGames) {
            std::fprintf(stderr, "a start-up did not list its games\n");
            return 1;
        }
        startWarm.add(a.ms, a.faults);
        startEmpty.add(b.ms, b.faults);
        startMany.add(c.ms, c.faults);
        anonPerGameKb.push_back((c.anonKb - b.anonKb) / kManyGames);
        const StartUp d = runStartUp(manyDouble.path(), 2);
        const StartUp e = runStartUp(empty.path(), 2);
        if (d.games != kManyGames || e.games != 0) {
            std::fprintf(stderr, "a 2x start-up did not list its games\n");
            return 1;
        }
        startDouble.add(d.ms, d.faults);
        startEmptyDouble.add(e.ms, e.faults);
        anonPerGameDoubleKb.push_back((d.anonKb - e.anonKb) / kManyGames);
        if (!oldBench.isEmpty()) {
            const StartUp f = runStartUp(many.path(), 1, oldBench, oldCache.path());
            const StartUp g = runStartUp(empty.path(), 1, oldBench, oldCache.path());
            startOld.add(f.ms, f.faults);
            startOldEmpty.add(g.ms, g.faults);
            anonPerGameOldKb.push_back((f.anonKb - g.anonKb) / kManyGames);
        }
    }
    for (const Series* s : {&alone, &warm, &cold, &coldWrite, &startWarm, &startEmpty, &startMany,
                            &startDouble, &startEmptyDouble})
        print(*s);
    if (!oldBench.isEmpty()) {
        print(startOld);
        print(startOldEmpty);
    }

    std::vector<double> warmRatio, coldRatio, startRatio;
    for (int run = 0; run < kRuns; ++run) {
        warmRatio.push_back(warm.ms[run] / alone.ms[run]);
        coldRatio.push_back(cold.ms[run] / alone.ms[run]);
        startRatio.push_back(startWarm.ms[run] / (warm.ms[run] + startEmpty.ms[run]));
    }
    printRatio("rebuild of 2,000 unchanged from the cache / libjpeg-alone decode (target <= 0.2)", warmRatio);
    printRatio("first rebuild, empty cache / single-core decode alone (target <= 0.7)", coldRatio);
    printRatio("start-up to first painted thumbnail, 2,000 games, warm cache / (one rebuild + empty "
               "start-up) (target <= 1.5)",
               startRatio);
    std::printf("start-up with 20,000 games, warm cache, ms (target < 1500): min %.1f, median %.1f\n",
                minOf(startMany.ms), medianOf(startMany.ms));
    std::printf("anonymous memory per game at 20,000 games, KB (target <= 2): min %.2f, median %.2f\n",
                minOf(anonPerGameKb), medianOf(anonPerGameKb));
    std::printf("anonymous memory per game at 20,000 games at 2x, KB (target <= 4): min %.2f, median %.2f\n",
                minOf(anonPerGameDoubleKb), medianOf(anonPerGameDoubleKb));
    if (!oldBench.isEmpty()) {
        std::vector<double> versusOld;
        for (int run = 0; run < kRuns; ++run)
            versusOld.push_back(startMany.ms[run] / startOld.ms[run]);
        printRatio("start-up with 20,000 games, this build / the --old build, run by run (target <= 1)",
                   versusOld);
        std::printf("anonymous memory per game at 20,000 games, the --old build, KB: min %.2f, median %.2f\n",
                    minOf(anonPerGameOldKb), medianOf(anonPerGameOldKb));
    }
    return 0;
}
