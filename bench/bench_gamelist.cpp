// Game list benchmark: a program folder with 2,000 games (rows in db.mdb and
// 100 x 150 thumbnails, JPEG quality 90) is listed by the real main window's
// loadGameList, offscreen, and timed against decoding the same 2,000 files
// with libjpeg alone (file reading included). Also measures the memory the
// list holds per game. Targets: rebuild at most 1.5 x decode alone, at most
// 80 KB per game. The last line printed is the ratio rebuild / decode alone.
#include "app/mainwindow.h"
#include "gamelist/gamelistview.h"
#include "gamelist/imagelist.h"
#include "gamelist/jpegwriter.h"
#include "store/profilestore.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <jpeglib.h>
#include <malloc.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kGames = 2000;
constexpr int kRuns = 5;

// A cover-like thumbnail: gradients, a few shapes and light noise, so each
// file compresses like a real cover (not like flat colour).
QImage coverLike(int seed) {
    QImage img(100, 150, QImage::Format_RGB888);
    QRandomGenerator rng(static_cast<quint32>(seed));
    const double hue = rng.bounded(360);
    for (int y = 0; y < 150; ++y) {
        uchar* p = img.scanLine(y);
        for (int x = 0; x < 100; ++x, p += 3) {
            const double shape = std::sin((x + seed) / 9.0) * std::cos((y - seed) / 13.0);
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

long rssKb() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toLong() * (sysconf(_SC_PAGESIZE) / 1024) : 0;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
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

bool buildFolder(const QString& root, QStringList& thumbs) {
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
        // The rows go in with the store's own add statement, in one transaction for speed.
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench"));
        db.setDatabaseName(dbPath);
        if (!db.open())
            return false;
        QSqlQuery q(db);
        q.exec(QStringLiteral("BEGIN"));
        for (int i = 0; i < kGames; ++i) {
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
    for (int i = 0; i < kGames; ++i) {
        const QString path = dir.filePath(QStringLiteral("Images/thumb_%1.jpg").arg(gameName(i)));
        jpeg::writeFile(coverLike(i), path, 90);
        thumbs.append(path);
    }
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path())); // leave the user's settings alone
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir folder;
    QStringList thumbs;
    if (!folder.isValid() || !buildFolder(folder.path(), thumbs)) {
        std::fprintf(stderr, "cannot build the program folder\n");
        return 1;
    }
    qint64 fileBytes = 0;
    for (const QString& t : thumbs)
        fileBytes += QFileInfo(t).size();
    std::printf("games: %d, thumbnails 100 x 150 at quality 90, %.1f KB per file on average\n", kGames,
                fileBytes / 1024.0 / kGames);

    MainWindow w(folder.path() + u'/'); // start-up runs the first rebuild
    if (w.m_gameGrid->count() != kGames) {
        std::fprintf(stderr, "the list holds %d games, not %d\n", w.m_gameGrid->count(), kGames);
        return 1;
    }

    std::vector<double> alone, rebuild;
    for (int run = 0; run < kRuns; ++run) {
        alone.push_back(decodeAlone(thumbs));
        QElapsedTimer timer;
        timer.start();
        w.loadGameList();
        rebuild.push_back(timer.nsecsElapsed() / 1e6);
    }
    const double aloneMs = median(alone);
    const double rebuildMs = median(rebuild);
    std::printf("decode alone with libjpeg: %.1f ms (median of %d; best %.1f)\n", aloneMs, kRuns,
                *std::min_element(alone.begin(), alone.end()));
    std::printf("loadGameList rebuild:      %.1f ms (median of %d; best %.1f), %.1f us per game\n", rebuildMs,
                kRuns, *std::min_element(rebuild.begin(), rebuild.end()), rebuildMs * 1000 / kGames);

    // Memory held by the list: the image list's pixels, and the process's growth
    // from an empty list to a full one.
    w.m_gameGrid->clear();
    malloc_trim(0);
    const long before = rssKb();
    w.loadGameList();
    const long after = rssKb();
    std::printf("memory per game: image list %.1f KB, resident set growth %.1f KB (target 80 KB)\n",
                w.m_gameGrid->imageList().bytes() / 1024.0 / kGames, double(after - before) / kGames);

    const double ratio = rebuildMs / aloneMs;
    std::printf("rebuild / decode alone (target at most 1.5):\n%.2f\n", ratio);
    return 0;
}
