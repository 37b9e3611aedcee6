// Covers for many games from address templates, against a real HTTP server on
// 127.0.0.1: the templates, every way a transfer fails, what is written and
// what is left alone.
#include "core/korvelloerror.h"
#include "disc/discidentity.h"
#include "gamelist/jpeg.h"
#include "jpegfixture.h"
#include "library/coverdownload.h"
#include "library/covertemplate.h"
#include "support/httptestserver.h"
#include "support/testfolder.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageWriter>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QThread>
#include <QTimer>

using Mode = HttpTestServer::Mode;
using Status = CoverDownload::Status;

namespace {

QImage picture(QSize size, int seed) {
    QImage img(size, QImage::Format_RGB888);
    for (int y = 0; y < size.height(); ++y) {
        uchar* p = img.scanLine(y);
        for (int x = 0; x < size.width(); ++x, p += 3) {
            p[0] = uchar(x * 3 + seed);
            p[1] = uchar(y * 5 + seed * 7);
            p[2] = uchar((x ^ y) + seed);
        }
    }
    return img;
}

QByteArray coverJpeg(int seed = 1, QSize size = {300, 400}) {
    return jpegfixture::encode(picture(size, seed), jpegfixture::Form::Colour420);
}

QByteArray coverPng(int seed = 2) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.write(picture({200, 150}, seed));
    return bytes;
}

// A complete JPEG whose entropy-coded data is damaged in the middle.
QByteArray damagedJpeg() {
    QByteArray bytes = coverJpeg(3, {400, 600});
    for (qsizetype i = bytes.size() / 2; i < bytes.size() / 2 + 200; ++i)
        bytes[i] = char(0xFF);
    return bytes;
}

struct Run {
    QList<CoverDownload::Report> reports;
    QStringList started;
    int thumbnails = 0;
};

Run download(const QStringList& templates, const QList<CoverDownload::Game>& games,
             CoverDownload::Options options) {
    CoverDownload download(templates, std::move(options));
    Run run;
    QObject::connect(&download, &CoverDownload::gameStarted,
                     [&](const QString& name) { run.started.append(name); });
    QObject::connect(
        &download, &CoverDownload::gameFinished,
        [&](const CoverDownload::Report&, const QImage& thumb) { run.thumbnails += !thumb.isNull(); });
    QSignalSpy finished(&download, &CoverDownload::finished);
    download.start(games);
    if (!finished.wait(20'000))
        qWarning("the download did not finish");
    run.reports = download.reports();
    return run;
}

QString thumbOf(const TestFolder& folder, const QString& name) {
    return folder.file(QStringLiteral("Images/thumb_%1.jpg").arg(name));
}
QString posterOf(const TestFolder& folder, const QString& name) {
    return folder.file(QStringLiteral("Images/big_%1.jpg").arg(name));
}

} // namespace

class TestCoverDownload : public QObject {
    Q_OBJECT
private slots:
    void init();
    void templatesExpand_data();
    void templatesExpand();
    void templatesRefused_data();
    void templatesRefused();
    void fetchesByTitleAndFileTitleInOrder();
    void failuresLeaveCoversAlone_data();
    void failuresLeaveCoversAlone();
    void onlyGamesWithoutCoverUnlessAll();
    void noSerialIsAFailureLine();
    void serialFromARealDiscImage();
    void cancelEndsEveryGame();
    void endlessBodiesStopAtTheirShare_data();
    void endlessBodiesStopAtTheirShare();
    void summaryCountsAndReasons();
    void summaryGroupsGamesByCause();

private:
    std::unique_ptr<HttpTestServer> m_server;
};

void TestCoverDownload::init() {
    m_server = std::make_unique<HttpTestServer>();
    QVERIFY(m_server->listen());
}

void TestCoverDownload::templatesExpand_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("image");
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QString>("expected");
    QTest::newRow("serial") << "https://covers.example/ps2/${serial}.jpg"
                            << "Game"
                            << ""
                            << "SLUS-20946"
                            << "https://covers.example/ps2/SLUS-20946.jpg";
    QTest::newRow("title with blanks and slash")
        << "http://h.example/t/${title}.png"
        << "Ratchet & Clank: Up/Down #2?"
        << ""
        << ""
        << "http://h.example/t/Ratchet%20%26%20Clank%3A%20Up%2FDown%20%232%3F.png";
    QTest::newRow("accents as UTF-8") << "http://h.example/${title}"
                                      << "Pokémon"
                                      << ""
                                      << ""
                                      << "http://h.example/Pok%C3%A9mon";
    QTest::newRow("file title, last dot, Windows path") << "http://h.example/f/${filetitle}.jpg?q=${title}"
                                                        << "G"
                                                        << "C:\\Games\\Okami v1.1.iso"
                                                        << ""
                                                        << "http://h.example/f/Okami%20v1.1.jpg?q=G";
    QTest::newRow("file title, Linux path") << "http://h.example/${filetitle}"
                                            << "G"
                                            << "/home/u/ps2/Shadow of the Colossus.chd"
                                            << ""
                                            << "http://h.example/Shadow%20of%20the%20Colossus";
}

void TestCoverDownload::templatesExpand() {
    QFETCH(QString, text);
    QFETCH(QString, title);
    QFETCH(QString, image);
    QFETCH(QString, serial);
    QFETCH(QString, expected);
    const CoverTemplate t(text);
    const QUrl url = t.expand({serial, title, CoverTemplate::fileTitle(image)});
    QCOMPARE(url.toString(QUrl::FullyEncoded), expected);
}

void TestCoverDownload::templatesRefused_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("reason");
    QTest::newRow("no placeholder") << "https://h.example/cover.jpg"
                                    << "holds none of";
    QTest::newRow("unknown placeholder") << "https://h.example/${Serial}.jpg"
                                         << "holds ${Serial}";
    QTest::newRow("ftp") << "ftp://h.example/${serial}.jpg"
                         << "not an http or https address";
    QTest::newRow("file") << "file:///covers/${title}.jpg"
                          << "not an http or https address";
    QTest::newRow("no scheme") << "h.example/${title}.jpg"
                               << "not an http or https address";
}

void TestCoverDownload::templatesRefused() {
    QFETCH(QString, text);
    QFETCH(QString, reason);
    try {
        CoverTemplate t(text);
        QFAIL("the template was taken");
    } catch (const KorvelloError& e) {
        QVERIFY2(e.text().contains(reason), qPrintable(e.text()));
        QVERIFY(e.text().contains(text));
    }
}

void TestCoverDownload::fetchesByTitleAndFileTitleInOrder() {
    TestFolder folder;
    m_server->serve("/t/Final%20Fantasy%20X.jpg", coverJpeg(1, {300, 400}));
    m_server->serve("/f/Beta%20Disc.png", coverPng(), "image/png");
    const QString base = m_server->base();
    CoverDownload::Options options;
    options.appFolder = folder.path();
    const Run run =
        download({base + "/t/${title}.jpg", "", base + "/f/${filetitle}.png"},
                 {{"Final Fantasy X", "/games/FFX.iso"}, {"Beta", "/games/Beta Disc.iso"}}, options);
    QCOMPARE(run.reports.size(), 2);
    for (const CoverDownload::Report& r : run.reports)
        QVERIFY2(r.status == Status::Downloaded, qPrintable(r.name + ": " + r.detail));
    QCOMPARE(run.thumbnails, 2);
    QCOMPARE(run.started.size(), 2);
    // The import's sizes: 300 x 400 gives a 450 x 600 poster and a 112 x 150 thumbnail.
    QCOMPARE(jpeg::decodeFile(posterOf(folder, "Final Fantasy X")).size(), QSize(450, 600));
    QCOMPARE(jpeg::decodeFile(thumbOf(folder, "Final Fantasy X")).size(), QSize(112, 150));
    QCOMPARE(jpeg::decodeFile(posterOf(folder, "Beta")).size(), QSize(420, 315));
    QCOMPARE(jpeg::decodeFile(thumbOf(folder, "Beta")).size(), QSize(100, 75));
    // The templates are tried in order: Beta's title address first, then its file title.
    QVERIFY(m_server->requested().contains("/t/Beta.jpg"));
    QVERIFY(!m_server->requested().contains("/f/FFX.png"));
    QVERIFY(QDir(folder.file("Images")).entryList({"*.tmp", ".*"}, QDir::Files | QDir::Hidden).isEmpty());
}

void TestCoverDownload::failuresLeaveCoversAlone_data() {
    QTest::addColumn<QByteArray>("setup"); // which server behaviour
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("reason");
    QTest::newRow("404") << QByteArray("404") << int(Status::NotFound) << "HTTP 404 Not Found";
    QTest::newRow("410") << QByteArray("410") << int(Status::NotFound) << "HTTP 410 Gone";
    QTest::newRow("500") << QByteArray("500") << int(Status::Failed) << "HTTP 500 Internal Server Error";
    QTest::newRow("redirect chain") << QByteArray("chain") << int(Status::Downloaded) << "/r/end.jpg";
    QTest::newRow("redirect loop") << QByteArray("loop") << int(Status::Failed) << "redirect loop back to";
    QTest::newRow("too many redirects")
        << QByteArray("long") << int(Status::Failed) << "more than 5 redirects";
    QTest::newRow("redirect to ftp") << QByteArray("ftp") << int(Status::Failed)
                                     << "not an http or https address";
    QTest::newRow("text page") << QByteArray("text") << int(Status::Failed) << "not a picture (text/html";
    QTest::newRow("announced too large")
        << QByteArray("big-header") << int(Status::Failed) << "more than the 0.1 MB a picture may have";
    QTest::newRow("too large while streaming")
        << QByteArray("big-stream") << int(Status::Failed) << "stopped after";
    QTest::newRow("400 MB announced")
        << QByteArray("huge") << int(Status::Failed)
        << "announces 400.0 MB, more than the 100.0 MB a picture may have"; // a quarter of the total
    QTest::newRow("body stops midway") << QByteArray("cut") << int(Status::Failed) << "";
    QTest::newRow("server stalls") << QByteArray("stall") << int(Status::Failed) << "no data for 0.4 s";
    QTest::newRow("server trickles") << QByteArray("trickle") << int(Status::Failed)
                                     << "not complete after 1.2 s";
    QTest::newRow("damaged picture") << QByteArray("damaged") << int(Status::Failed)
                                     << "Cannot decode the picture";
    QTest::newRow("no server") << QByteArray("refused") << int(Status::Failed) << "refused";
}

void TestCoverDownload::failuresLeaveCoversAlone() {
    QFETCH(QByteArray, setup);
    QFETCH(int, status);
    QFETCH(QString, reason);
    TestFolder folder;
    // The game has a cover already; "all" is chosen, so only a good picture may replace it.
    const QByteArray oldThumb = coverJpeg(9, {100, 150});
    const QByteArray oldPoster = coverJpeg(8, {420, 600});
    testsupport::writeAll(thumbOf(folder, "Game"), oldThumb);
    testsupport::writeAll(posterOf(folder, "Game"), oldPoster);

    CoverDownload::Options options;
    options.appFolder = folder.path();
    options.replaceExisting = true;
    options.stallMs = 400;
    options.totalMs = 1200;
    QString base = m_server->base();
    const QByteArray path = "/c/Game.jpg";
    HttpTestServer::Route route;
    if (setup == "404" || setup == "410" || setup == "500") {
        route.status = setup.toInt();
        route.contentType = "text/html";
        route.body = "<html>no</html>";
        m_server->setRoute(path, route);
    } else if (setup == "chain") {
        m_server->redirect(path, "/r/1", 301);
        m_server->redirect("/r/1", m_server->base().toLatin1() + "/r/2", 302);
        m_server->redirect("/r/2", "/r/end.jpg", 307);
        m_server->serve("/r/end.jpg", coverJpeg(5));
    } else if (setup == "loop") {
        m_server->redirect(path, "/r/a");
        m_server->redirect("/r/a", "/r/b");
        m_server->redirect("/r/b", "/r/a");
    } else if (setup == "long") {
        m_server->redirect(path, "/r/0");
        for (int i = 0; i < 8; ++i)
            m_server->redirect("/r/" + QByteArray::number(i), "/r/" + QByteArray::number(i + 1));
    } else if (setup == "ftp") {
        m_server->redirect(path, "ftp://127.0.0.1/Game.jpg");
    } else if (setup == "text") {
        m_server->serve(path, QByteArray(5000, 'x').prepend("<!DOCTYPE html><html>"),
                        "text/html; charset=utf-8");
    } else if (setup == "big-header" || setup == "big-stream") {
        options.maxBytes = 100'000;
        route.body = coverJpeg(6, {1500, 1500});
        route.body.append(QByteArray(100'001, '\0'));
        route.mode = setup == "big-header" ? Mode::Complete : Mode::NoLength;
        m_server->setRoute(path, route);
    } else if (setup == "huge") {
        route.mode = Mode::Fake400MB;
        m_server->setRoute(path, route);
    } else if (setup == "cut") {
        route.body = coverJpeg(7, {600, 800});
        route.mode = Mode::CutMidway;
        m_server->setRoute(path, route);
    } else if (setup == "stall") {
        route.mode = Mode::Stall;
        m_server->setRoute(path, route);
    } else if (setup == "trickle") {
        route.body = coverJpeg(7);
        route.mode = Mode::Trickle;
        m_server->trickleMs = 50;
        m_server->setRoute(path, route);
    } else if (setup == "damaged") {
        m_server->serve(path, damagedJpeg());
    } else if (setup == "refused") {
        HttpTestServer closed;
        QVERIFY(closed.listen());
        base = closed.base(); // the port is closed again when `closed` ends
    }
    const Run run = download({base + "/c/${title}.jpg"}, {{"Game", QString()}}, options);
    QCOMPARE(run.reports.size(), 1);
    const CoverDownload::Report& report = run.reports.first();
    QVERIFY2(report.detail.contains(reason), qPrintable(report.detail));
    QCOMPARE(int(report.status), status);
    if (report.status == Status::Downloaded) {
        QVERIFY(testsupport::readAll(thumbOf(folder, "Game")) != oldThumb);
        QCOMPARE(jpeg::decodeFile(posterOf(folder, "Game")).size(), QSize(450, 600));
    } else {
        QVERIFY(!report.detail.isEmpty());
        QCOMPARE(testsupport::readAll(thumbOf(folder, "Game")), oldThumb);
        QCOMPARE(testsupport::readAll(posterOf(folder, "Game")), oldPoster);
        QCOMPARE(run.thumbnails, 0);
    }
    // Nothing half-written is left beside the pictures.
    QCOMPARE(QDir(folder.file("Images")).entryList(QDir::Files | QDir::Hidden).size(), 4);
}

void TestCoverDownload::onlyGamesWithoutCoverUnlessAll() {
    TestFolder folder;
    const QByteArray old = coverJpeg(9, {100, 150});
    testsupport::writeAll(thumbOf(folder, "Has"), old);
    testsupport::writeAll(posterOf(folder, "Poster only"), old);
    const QList<CoverDownload::Game> games{
        {"Has", {}}, {"Poster only", {}}, {"None", {}}, {"unknown", {}}, {"a/b", {}}};
    auto names = [](const QList<CoverDownload::Game>& list) {
        QStringList n;
        for (const auto& g : list)
            n.append(g.name);
        return n;
    };
    // The fallback pictures' name and a name that cannot be a file name never get pictures.
    QCOMPARE(names(CoverDownload::gamesToFetch(games, folder.path(), false)), QStringList{"None"});
    QCOMPARE(names(CoverDownload::gamesToFetch(games, folder.path(), true)),
             (QStringList{"Has", "Poster only", "None"}));

    // Even when a game passed to start() has a cover (it got one meanwhile), it is kept.
    m_server->serve("/c/Has.jpg", coverJpeg(4));
    CoverDownload::Options options;
    options.appFolder = folder.path();
    const Run run = download({m_server->base() + "/c/${title}.jpg"}, {{"Has", {}}}, options);
    QCOMPARE(int(run.reports.value(0).status), int(Status::Failed));
    QVERIFY2(run.reports.value(0).detail.contains("got a cover meanwhile"),
             qPrintable(run.reports.value(0).detail));
    QCOMPARE(testsupport::readAll(thumbOf(folder, "Has")), old);
    QVERIFY(!QFileInfo::exists(posterOf(folder, "Has")));
}

void TestCoverDownload::noSerialIsAFailureLine() {
    TestFolder folder;
    m_server->serve("/t/Second.jpg", coverJpeg(4));
    CoverDownload::Options options;
    options.appFolder = folder.path();
    // No disc image: the serial template is passed over with its reason, the title one is tried.
    const Run run = download({m_server->base() + "/s/${serial}.jpg", m_server->base() + "/t/${title}.jpg"},
                             {{"First", {}}, {"Second", {}}}, options);
    QCOMPARE(run.reports.size(), 2);
    for (const CoverDownload::Report& r : run.reports) {
        if (r.name == "First") {
            QCOMPARE(int(r.status), int(Status::Failed));
            QVERIFY2(r.detail.contains("no serial for") && r.detail.contains("the game has no disc image") &&
                         r.detail.contains("/t/First.jpg: HTTP 404"),
                     qPrintable(r.detail));
            // Grouped with every other game without a serial; the reason stays the game's own.
            QVERIFY2(r.cause.startsWith("no serial for " + m_server->base() +
                                        "/s/${serial}.jpg (the disc was not identified); "),
                     qPrintable(r.cause));
            QCOMPARE(r.note, QStringLiteral("the game has no disc image"));
        } else {
            QCOMPARE(int(r.status), int(Status::Downloaded));
        }
    }
    for (const QByteArray& path : m_server->requested())
        QVERIFY2(!path.startsWith("/s/"), path.constData());
}

// A PlayStation 2 disc as xorriso makes it: SYSTEM.CNF names the boot file, whose name is the serial.
void TestCoverDownload::serialFromARealDiscImage() {
    const QString xorriso = QStandardPaths::findExecutable(QStringLiteral("xorriso"));
    if (xorriso.isEmpty())
        QSKIP("xorriso is not installed (scripts/install-deps.sh --test installs it)");
    TestFolder folder;
    QDir(folder.path()).mkpath("disc");
    testsupport::writeAll(folder.file("disc/SYSTEM.CNF"), "BOOT2 = cdrom0:\\SLUS_209.46;1\r\nVER = 1.00\r\n");
    testsupport::writeAll(folder.file("disc/SLUS_209.46"), QByteArray("\x7F"
                                                                      "ELF")
                                                               .append(QByteArray(8192, '\1')));
    const QString iso = folder.file("Okami (USA).iso");
    QProcess make;
    make.start(xorriso, {"-as", "mkisofs", "-quiet", "-V", "OKAMI", "-o", iso, folder.file("disc")});
    QVERIFY(make.waitForFinished(30000));
    QCOMPARE(make.exitCode(), 0);
    testsupport::writeAll(folder.file("notadisc.iso"), QByteArray(64 * 1024, '\0'));

    m_server->serve("/s/SLUS-20946.jpg", coverJpeg(4));
    m_server->serve("/f/notadisc.jpg", coverJpeg(5));
    CoverDownload::Options options;
    options.appFolder = folder.path();
    options.identifySerial = [](const QString& path) { return disc::identify(path).serial; };
    const Run run =
        download({m_server->base() + "/s/${serial}.jpg", m_server->base() + "/f/${filetitle}.jpg"},
                 {{"Okami", iso}, {"Other", folder.file("notadisc.iso")}}, options);
    QCOMPARE(run.reports.size(), 2);
    for (const CoverDownload::Report& r : run.reports) {
        // Both end with a cover; the one that is no disc says why its serial address was passed over.
        QVERIFY2(r.status == Status::Downloaded, qPrintable(r.name + ": " + r.detail));
        QVERIFY(QFileInfo::exists(thumbOf(folder, r.name)));
    }
    QVERIFY(m_server->requested().contains("/s/SLUS-20946.jpg"));
    QVERIFY(!m_server->requested().contains("/f/Okami%20%28USA%29.jpg"));
    QVERIFY(m_server->requested().contains("/f/notadisc.jpg"));
}

void TestCoverDownload::cancelEndsEveryGame() {
    TestFolder folder;
    HttpTestServer::Route stall;
    stall.mode = Mode::Stall;
    for (int i = 0; i < 10; ++i)
        m_server->setRoute("/c/G" + QByteArray::number(i) + ".jpg", stall);
    QList<CoverDownload::Game> games;
    for (int i = 0; i < 10; ++i)
        games.append({QStringLiteral("G%1").arg(i), {}});
    CoverDownload::Options options;
    options.appFolder = folder.path();
    options.parallel = 3;
    CoverDownload download({m_server->base() + "/c/${title}.jpg"}, options);
    QSignalSpy started(&download, &CoverDownload::gameStarted);
    QSignalSpy finished(&download, &CoverDownload::finished);
    download.start(games);
    QTRY_COMPARE(m_server->requestCount(), 3); // a few at a time, not all at once
    QCOMPARE(started.size(), 3);
    download.cancel();
    QVERIFY(finished.size() == 1 || finished.wait(5000));
    QCOMPARE(download.reports().size(), 10);
    for (const CoverDownload::Report& r : download.reports())
        QCOMPARE(int(r.status), int(Status::Cancelled));
    QVERIFY(!download.isRunning());
    QTest::qWait(100);
    QCOMPARE(m_server->requestCount(), 3);
    QCOMPARE(QDir(folder.file("Images")).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

void TestCoverDownload::endlessBodiesStopAtTheirShare_data() {
    QTest::addColumn<int>("games");
    QTest::addColumn<qint64>("maxBytes");
    QTest::addColumn<qint64>("maxTotalBytes");
    QTest::addColumn<QString>("limitText");
    QTest::newRow("one game, its own limit") << 1 << (qint64(1) << 20) << qint64(0) << "1.0 MB";
    // Four games at once share the total: a quarter each, below the picture limit.
    QTest::newRow("four games, a shared total") << 4 << qint64(0) << (qint64(4) << 20) << "1.0 MB";
}

// Servers that send bodies without a length and without an end. The window's
// thread is busy for a while during the transfers (as it is when it paints
// covers): what the program reads meanwhile must stay within each transfer's
// share, not grow with what the server can push.
void TestCoverDownload::endlessBodiesStopAtTheirShare() {
    QFETCH(int, games);
    QFETCH(qint64, maxBytes);
    QFETCH(qint64, maxTotalBytes);
    QFETCH(QString, limitText);
    TestFolder folder;
    QThread serverThread;
    auto* server = new HttpTestServer;
    HttpTestServer::Route route;
    route.body = coverJpeg(4);
    route.mode = Mode::Endless;
    QList<CoverDownload::Game> list;
    for (int i = 0; i < games; ++i) {
        const QString name = QStringLiteral("Game %1").arg(i);
        list.append({name, QString()});
        server->setRoute("/e/" + QUrl::toPercentEncoding(name) + ".jpg", route);
    }
    server->moveToThread(&serverThread);
    connect(&serverThread, &QThread::finished, server, &QObject::deleteLater);
    serverThread.start();
    bool listening = false;
    QMetaObject::invokeMethod(
        server, [&] { listening = server->listen(); }, Qt::BlockingQueuedConnection);
    QVERIFY(listening);

    CoverDownload::Options options;
    options.appFolder = folder.path() + "/";
    options.parallel = games;
    options.maxBytes = maxBytes;
    options.maxTotalBytes = maxTotalBytes;
    QTimer::singleShot(50, [] { QThread::msleep(400); });
    const Run run = download({server->base() + "/e/${title}.jpg"}, list, options);
    const qint64 sent = server->endlessBytesSent();
    serverThread.quit();
    serverThread.wait();

    QCOMPARE(run.reports.size(), games);
    for (const CoverDownload::Report& report : run.reports) {
        QCOMPARE(int(report.status), int(Status::Failed));
        QVERIFY2(report.detail.contains("stopped after " + limitText + ": more than the " + limitText +
                                        " a picture may have"),
                 qPrintable(report.detail));
    }
    // Beyond each share only what the system's socket buffers hold on the way.
    const qint64 allowed = games * ((qint64(1) << 20) + (qint64(16) << 20));
    QVERIFY2(sent <= allowed, qPrintable(QStringLiteral("the servers sent %1 MB").arg(sent >> 20)));
}

void TestCoverDownload::summaryCountsAndReasons() {
    const QList<CoverDownload::Report> reports{
        {"A", Status::Downloaded, "http://h/A.jpg", {}, {}},
        {"B",
         Status::NotFound,
         "http://h/B.jpg: HTTP 404 Not Found",
         "http://h/${title}.jpg: HTTP 404 Not Found",
         {}},
        {"C",
         Status::Failed,
         "http://h/C.jpg: not a picture (text/html)",
         "http://h/${title}.jpg: not a picture (text/html)",
         {}},
        {"D", Status::Failed, "no serial", "no serial", "the file does not exist"},
        {"E", Status::Cancelled, "", "", ""}};
    const QString text = CoverDownload::summary(reports, 2);
    QVERIFY2(
        text.startsWith("Covers downloaded: 1\nNot found: 1\nFailed: 2\nCancelled before their cover: 1\n"),
        qPrintable(text));
    QVERIFY(text.contains("\n1 game not found: http://h/${title}.jpg: HTTP 404 Not Found\n"));
    QVERIFY(text.contains("\n1 game failed: http://h/${title}.jpg: not a picture (text/html)\n"));
    QVERIFY2(text.contains("\n... and 1 more reasons\n"), qPrintable(text));
    const QString details = CoverDownload::summaryDetails(reports);
    for (const QString name : {"B\n", "C\n", "D: the file does not exist"})
        QVERIFY2(details.contains("\n    " + name), qPrintable(details));
    QVERIFY(!details.contains("    A") && !details.contains("    E"));
}

// Thirty games that failed the same way are one line, not thirty, and the
// details still name each of them under it.
void TestCoverDownload::summaryGroupsGamesByCause() {
    QString address;
    quint16 port = 0;
    {
        HttpTestServer closed; // its port is closed again at the end of the block
        QVERIFY(closed.listen());
        address = closed.base() + "/c/${title}.jpg";
        port = closed.port();
    }
    QList<CoverDownload::Game> games;
    for (int i = 0; i < 30; ++i)
        games.append({QStringLiteral("Game %1").arg(i, 2, 10, QLatin1Char('0')), QString()});
    TestFolder folder;
    CoverDownload::Options options;
    options.appFolder = folder.path() + "/";
    const Run run = download({address}, games, options);
    QCOMPARE(run.reports.size(), 30);
    const QString text = CoverDownload::summary(run.reports);
    const QString line = QStringLiteral("30 games failed: %1: the server 127.0.0.1:%2 refused the connection")
                             .arg(address)
                             .arg(port);
    QVERIFY2(text.contains("\n" + line + "\n"), qPrintable(text));
    QCOMPARE(text.count('\n'), 6); // three counts, a blank line, the cause, a blank line, the pointer
    const QString details = CoverDownload::summaryDetails(run.reports);
    QVERIFY2(details.startsWith(line + "\n"), qPrintable(details));
    for (const CoverDownload::Game& game : std::as_const(games))
        QVERIFY2(details.contains("\n    " + game.name), qPrintable(game.name));
}

QTEST_GUILESS_MAIN(TestCoverDownload)
#include "tst_coverdownload.moc"
