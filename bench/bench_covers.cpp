// Cover download benchmark: 100 covers from a local HTTP server (its own
// thread, 127.0.0.1) through CoverDownload, which fetches, decodes, scales and
// writes each as poster and thumbnail, against a plain HTTP client
// (QNetworkAccessManager doing only GETs, every request at once, each body
// written to a file as it came) fetching the same 100 files. The contenders
// take turns run by run; each line gives min and median wall time and the
// minor and major page faults of the run (getrusage of this process, server
// thread included, for both alike). The ratio of the medians is the last line.
#include "library/coverdownload.h"
#include "support/httptestserver.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr int kCovers = 100;
constexpr int kRuns = 7;

// A cover-like picture: 600 x 850, gradients, shapes and noise, about 100 KB as JPEG.
QByteArray coverJpeg(int seed) {
    QImage img(600, 850, QImage::Format_RGB888);
    QRandomGenerator rng{quint32(seed)};
    for (int y = 0; y < img.height(); ++y) {
        uchar* p = img.scanLine(y);
        for (int x = 0; x < img.width(); ++x, p += 3) {
            const double s = std::sin((x + seed * 13) / 47.0) * std::cos(y / 71.0);
            const int noise = int(rng.bounded(13)) - 6;
            p[0] = uchar(std::clamp(int(120 + 90 * s) + noise, 0, 255));
            p[1] = uchar(std::clamp(int(60 + y / 6) + noise, 0, 255));
            p[2] = uchar(std::clamp(int(200 - x / 4 + 30 * s) + noise, 0, 255));
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, "JPG", 90);
    return bytes;
}

struct Sample {
    double ms;
    long minflt;
    long majflt;
};

template <typename F> Sample measure(F&& f) {
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    QElapsedTimer timer;
    timer.start();
    f();
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    getrusage(RUSAGE_SELF, &after);
    return {ms, after.ru_minflt - before.ru_minflt, after.ru_majflt - before.ru_majflt};
}

QString gameName(int i) {
    return QStringLiteral("Game %1").arg(i, 3, 10, QLatin1Char('0'));
}

void resetFolder(const QString& folder) {
    QDir(folder + "Images").removeRecursively();
    QDir().mkpath(folder + "Images");
}

void runCoverDownload(const QString& base, const QString& folder) {
    CoverDownload::Options options;
    options.appFolder = folder;
    options.replaceExisting = true;
    QList<CoverDownload::Game> games;
    for (int i = 0; i < kCovers; ++i)
        games.append({gameName(i), QString()});
    CoverDownload download({base + "/c/${title}.jpg"}, options);
    QEventLoop loop;
    QObject::connect(&download, &CoverDownload::finished, &loop, &QEventLoop::quit);
    download.start(games);
    loop.exec();
    int ok = 0;
    for (const auto& r : download.reports())
        ok += r.status == CoverDownload::Status::Downloaded;
    if (ok != kCovers)
        std::fprintf(stderr, "CoverDownload: only %d of %d covers\n", ok, kCovers);
}

void runPlainClient(const QString& base, const QString& folder) {
    QNetworkAccessManager network;
    QEventLoop loop;
    int left = kCovers;
    for (int i = 0; i < kCovers; ++i) {
        const QString name = gameName(i);
        QNetworkReply* reply =
            network.get(QNetworkRequest(QUrl(base + "/c/" + QUrl::toPercentEncoding(name) + ".jpg")));
        QObject::connect(reply, &QNetworkReply::finished, &loop, [&, reply, name] {
            QFile file(folder + "Images/" + name + ".jpg");
            if (reply->error() != QNetworkReply::NoError || !file.open(QIODevice::WriteOnly) ||
                file.write(reply->readAll()) < 0)
                std::fprintf(stderr, "plain client: %s failed\n", qPrintable(name));
            reply->deleteLater();
            if (--left == 0)
                loop.quit();
        });
    }
    loop.exec();
}

void print(const char* name, std::vector<Sample> samples) {
    std::sort(samples.begin(), samples.end(), [](const Sample& a, const Sample& b) { return a.ms < b.ms; });
    const Sample& median = samples[samples.size() / 2];
    std::printf("%-44s min %8.1f ms  median %8.1f ms  (median run: %ld minor, %ld major page faults)\n", name,
                samples.front().ms, median.ms, median.minflt, median.majflt);
}

double medianMs(std::vector<Sample> samples) {
    std::sort(samples.begin(), samples.end(), [](const Sample& a, const Sample& b) { return a.ms < b.ms; });
    return samples[samples.size() / 2].ms;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QThread serverThread;
    auto* server = new HttpTestServer;
    qint64 bytes = 0;
    for (int i = 0; i < kCovers; ++i) {
        const QByteArray cover = coverJpeg(i);
        bytes += cover.size();
        server->serve("/c/" + QUrl::toPercentEncoding(gameName(i)) + ".jpg", cover);
    }
    server->moveToThread(&serverThread);
    serverThread.start();
    bool listening = false;
    QMetaObject::invokeMethod(
        server, [&] { listening = server->listen(); }, Qt::BlockingQueuedConnection);
    if (!listening) {
        std::fprintf(stderr, "cannot listen on 127.0.0.1\n");
        return 1;
    }
    const QString base = server->base();
    QTemporaryDir downloads, plain;
    const QString downloadFolder = downloads.path() + "/";
    const QString plainFolder = plain.path() + "/";
    std::printf("%d covers of 600 x 850 pixels, %.1f MB in all, from %s\n", kCovers, double(bytes) / 1e6,
                qPrintable(base));

    std::vector<Sample> covers, client;
    for (int run = 0; run < kRuns; ++run) {
        resetFolder(downloadFolder);
        covers.push_back(measure([&] { runCoverDownload(base, downloadFolder); }));
        resetFolder(plainFolder);
        client.push_back(measure([&] { runPlainClient(base, plainFolder); }));
    }
    print("CoverDownload (fetch, decode, poster+thumb)", covers);
    print("plain QNetworkAccessManager GETs to files", client);
    std::printf("ratio of medians: %.2f\n", medianMs(covers) / medianMs(client));

    QMetaObject::invokeMethod(
        server, [server] { delete server; }, Qt::BlockingQueuedConnection);
    serverThread.quit();
    serverThread.wait();
    return 0;
}
