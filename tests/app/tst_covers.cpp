// "Download covers..." on the game list page, driven through the real dialog
// against a real HTTP server on 127.0.0.1: the files written and left alone,
// the grid, the remembered addresses and the one summary at the end.
#include "app/coverdownloaddialog.h"
#include "app/mainwindow.h"
#include "gamelist/gamelistmodel.h"
#include "gamelist/gamelistview.h"
#include "gamelist/jpeg.h"
#include "gamelist/jpegwriter.h"
#include "store/columntable.h"
#include "store/profilestore.h"
#include "support/dialogrecorder.h"
#include "support/httptestserver.h"
#include "support/testfolder.h"
#include "support/windowparts.h"

#include <QBuffer>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QtTest>

namespace {

QImage pattern(QSize size, int seed) {
    QImage img(size, QImage::Format_RGB888);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            uchar* p = img.scanLine(y) + 3 * x;
            p[0] = uchar(x * 3 + seed);
            p[1] = uchar(y * 2 + seed * 5);
            p[2] = uchar(seed * 40);
        }
    return img;
}

QByteArray jpegBytes(QSize size, int seed) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    pattern(size, seed).save(&buffer, "JPG", 90);
    return bytes;
}

QByteArray pngBytes(QSize size, int seed) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    pattern(size, seed).save(&buffer, "PNG");
    return bytes;
}

// A program folder whose db.mdb holds the games, each with its disc image path.
struct Library {
    TestFolder folder;
    explicit Library(const QList<QPair<QString, QString>>& games) {
        ProfileStore store;
        store.setDatabasePath(folder.file(QStringLiteral("db.mdb")));
        store.listNames();
        for (const auto& [name, image] : games) {
            GameProfile p;
            p.setValue(col::gamename, name);
            p.setValue(col::PCSX2CurrentIso, image);
            store.add(p);
        }
    }
    QString thumb(const QString& game) const {
        return folder.file(QStringLiteral("Images/thumb_%1.jpg").arg(game));
    }
    QString poster(const QString& game) const {
        return folder.file(QStringLiteral("Images/big_%1.jpg").arg(game));
    }
};

QImage entryImage(const MainWindow& w, const QString& name) {
    const int row = parts(w).gameGrid->findCaption(name);
    return parts(w).gameGrid->model()->index(row, 0).data(GameListModel::ImageRole).value<QImage>();
}

CoverDownloadDialog* openDialog(MainWindow& w) {
    w.findChild<QPushButton*>(QStringLiteral("coversButton"))->click();
    auto* dialog = w.findChild<CoverDownloadDialog*>();
    return dialog && dialog->isVisible() ? dialog : nullptr;
}

// Types the addresses, picks the games and presses Start.
void start(CoverDownloadDialog* dialog, const QString& templates, bool all = false) {
    dialog->findChild<QPlainTextEdit*>(QStringLiteral("coverTemplates"))->setPlainText(templates);
    dialog->findChild<QRadioButton*>(all ? QStringLiteral("coversAll") : QStringLiteral("coversOnlyMissing"))
        ->setChecked(true);
    dialog->findChild<QPushButton*>(QStringLiteral("coversStart"))->click();
}

} // namespace

class TestCovers : public QObject {
    Q_OBJECT
private slots:
    void init() { testsupport::removeProgramSettings(); }
    void downloadsMissingCoversAndSummarizes();
    void allReplacesOnlyWithACompletePicture();
    void cancelEndsWithASummary();
    void badAddressIsRefusedBeforeAnyTransfer();
};

void TestCovers::downloadsMissingCoversAndSummarizes() {
    DialogRecorder dialogs;
    HttpTestServer server;
    QVERIFY(server.listen());
    Library lib({{"Alpha", "/iso/Alpha.iso"},
                 {"Beta Game", "/home/me/ps2/Beta Disc (USA).iso"},
                 {"Gamma", "/iso/Gamma.iso"},
                 {"Delta", "/iso/Delta.iso"},
                 {"Has Cover", "/iso/Has Cover.iso"}});
    const QByteArray oldThumb = jpegBytes({100, 150}, 9);
    testsupport::writeAll(lib.thumb("Has Cover"), oldThumb);
    server.serve("/t/Alpha.jpg", jpegBytes({300, 400}, 1));
    server.serve("/f/Beta%20Disc%20%28USA%29.png", pngBytes({800, 600}, 2), "image/png");
    server.serve("/t/Delta.jpg", "<html><body>Cover coming soon</body></html>", "text/html");
    server.serve("/t/Has%20Cover.jpg", jpegBytes({300, 400}, 3));

    MainWindow w(lib.folder.path());
    const QImage unknownCell = entryImage(w, "Alpha");
    QSignalSpy finished(w.gameListPage(), &GameListPage::coverDownloadFinished);
    CoverDownloadDialog* dialog = openDialog(w);
    QVERIFY(dialog);
    QCOMPARE(server.requestCount(), 0); // nothing is fetched until Start
    const QString templates = server.base() + "/t/${title}.jpg\n" + server.base() + "/f/${filetitle}.png";
    start(dialog, templates);
    QVERIFY(dialog->isShowingProgress());
    QVERIFY(finished.wait(20000));

    QCOMPARE(dialogs.messageTexts().size(), 1);
    const QString summary = dialogs.messageTexts().first();
    QVERIFY2(summary.startsWith("Covers downloaded: 2\nNot found: 1\nFailed: 1\n"), qPrintable(summary));
    // One line per cause, naming the templates; the details name the games.
    const QString notFound = "1 game not found: " + server.base() + "/t/${title}.jpg: HTTP 404 Not Found; " +
                             server.base() + "/f/${filetitle}.png: HTTP 404 Not Found";
    const QString failed = "1 game failed: " + server.base() +
                           "/t/${title}.jpg: not a picture (text/html); " + server.base() +
                           "/f/${filetitle}.png: HTTP 404 Not Found";
    QVERIFY2(summary.contains("\n" + notFound + "\n"), qPrintable(summary));
    QVERIFY2(summary.contains("\n" + failed + "\n"), qPrintable(summary));
    const QString details = dialogs.requests.first().details;
    QVERIFY2(details.contains(notFound + "\n    Gamma"), qPrintable(details));
    QVERIFY2(details.contains(failed + "\n    Delta"), qPrintable(details));
    QCOMPARE(dialogs.requests.first().title, QStringLiteral("Download covers"));

    QCOMPARE(jpeg::decodeFile(lib.poster("Alpha")).size(), QSize(450, 600));
    QCOMPARE(jpeg::decodeFile(lib.thumb("Alpha")).size(), QSize(112, 150));
    QCOMPARE(jpeg::decodeFile(lib.poster("Beta Game")).size(), QSize(420, 315));
    QCOMPARE(jpeg::decodeFile(lib.thumb("Beta Game")).size(), QSize(100, 75));
    for (const QString none : {"Gamma", "Delta"}) {
        QVERIFY(!QFileInfo::exists(lib.thumb(none)));
        QVERIFY(!QFileInfo::exists(lib.poster(none)));
    }
    // The game with a cover is not even asked for.
    QCOMPARE(testsupport::readAll(lib.thumb("Has Cover")), oldThumb);
    QVERIFY(!QFileInfo::exists(lib.poster("Has Cover")));
    QVERIFY(!server.requested().contains("/t/Has%20Cover.jpg"));
    // The grid shows the new covers without a rebuild.
    QVERIFY(entryImage(w, "Alpha") != unknownCell);
    QVERIFY(entryImage(w, "Beta Game") != unknownCell);
    QCOMPARE(entryImage(w, "Gamma"), unknownCell);

    // The addresses are remembered for the next time.
    QVERIFY(!dialog->isVisible() || !w.findChild<CoverDownloadDialog*>()->isVisible());
    QTRY_VERIFY(w.findChild<CoverDownloadDialog*>() == nullptr);
    CoverDownloadDialog* again = openDialog(w);
    QVERIFY(again);
    QCOMPARE(again->templates(), templates.split('\n'));
    QVERIFY(!again->replaceExisting()); // the safe choice every time
}

void TestCovers::allReplacesOnlyWithACompletePicture() {
    DialogRecorder dialogs;
    HttpTestServer server;
    QVERIFY(server.listen());
    Library lib({{"Good", "/iso/Good.iso"}, {"Cut", "/iso/Cut.iso"}, {"Missing", "/iso/Missing.iso"}});
    const QByteArray oldGood = jpegBytes({100, 150}, 7);
    const QByteArray oldCut = jpegBytes({100, 150}, 8);
    testsupport::writeAll(lib.thumb("Good"), oldGood);
    testsupport::writeAll(lib.thumb("Cut"), oldCut);
    testsupport::writeAll(lib.poster("Cut"), oldCut);
    server.serve("/c/Good.jpg", jpegBytes({400, 300}, 4));
    HttpTestServer::Route cut;
    cut.body = jpegBytes({600, 800}, 5);
    cut.mode = HttpTestServer::Mode::CutMidway;
    server.setRoute("/c/Cut.jpg", cut);

    MainWindow w(lib.folder.path());
    QSignalSpy finished(w.gameListPage(), &GameListPage::coverDownloadFinished);
    CoverDownloadDialog* dialog = openDialog(w);
    QVERIFY(dialog);
    start(dialog, server.base() + "/c/${title}.jpg", true);
    QVERIFY(finished.wait(20000));
    const QString summary = dialogs.messageTexts().value(0);
    QVERIFY2(summary.startsWith("Covers downloaded: 1\nNot found: 1\nFailed: 1\n"), qPrintable(summary));
    QVERIFY2(summary.contains("\n1 game failed: " + server.base() + "/c/${title}.jpg: "),
             qPrintable(summary));
    QVERIFY2(dialogs.requests.first().details.contains("\n    Cut"),
             qPrintable(dialogs.requests.first().details));
    QVERIFY(testsupport::readAll(lib.thumb("Good")) != oldGood);
    QCOMPARE(jpeg::decodeFile(lib.thumb("Good")).size(), QSize(100, 75));
    QCOMPARE(testsupport::readAll(lib.thumb("Cut")), oldCut);
    QCOMPARE(testsupport::readAll(lib.poster("Cut")), oldCut);
    QCOMPARE(QDir(lib.folder.file("Images")).entryList(QDir::Files | QDir::Hidden).size(), 2 + 4);
}

void TestCovers::cancelEndsWithASummary() {
    DialogRecorder dialogs;
    HttpTestServer server;
    QVERIFY(server.listen());
    Library lib({{"One", ""}, {"Two", ""}, {"Three", ""}, {"Four", ""}, {"Five", ""}, {"Six", ""}});
    HttpTestServer::Route stall;
    stall.mode = HttpTestServer::Mode::Stall;
    for (const char* name : {"One", "Two", "Three", "Four", "Five", "Six"})
        server.setRoute(QByteArray("/c/") + name + ".jpg", stall);
    MainWindow w(lib.folder.path());
    QSignalSpy finished(w.gameListPage(), &GameListPage::coverDownloadFinished);
    CoverDownloadDialog* dialog = openDialog(w);
    QVERIFY(dialog);
    start(dialog, server.base() + "/c/${title}.jpg");
    QTRY_COMPARE(server.requestCount(), 4);
    auto* count = dialog->findChild<QLabel*>(QStringLiteral("coversCount"));
    auto* current = dialog->findChild<QLabel*>(QStringLiteral("coversCurrent"));
    QCOMPARE(count->text(), QStringLiteral("0 of 6 games done"));
    QVERIFY2(current->text().startsWith("Fetching: "), qPrintable(current->text()));
    // The window is not blocked: it still paints and handles events.
    QVERIFY(parts(w).gameListPage->isDownloadingCovers());
    dialog->findChild<QPushButton*>(QStringLiteral("coversCancel"))->click();
    QVERIFY(finished.size() == 1 || finished.wait(5000));
    QVERIFY2(dialogs.messageTexts().value(0).startsWith(
                 "Covers downloaded: 0\nNot found: 0\nFailed: 0\nCancelled before their cover: 6"),
             qPrintable(dialogs.messageTexts().value(0)));
    QVERIFY(!parts(w).gameListPage->isDownloadingCovers());
    QCOMPARE(QDir(lib.folder.file("Images")).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

void TestCovers::badAddressIsRefusedBeforeAnyTransfer() {
    DialogRecorder dialogs;
    HttpTestServer server;
    QVERIFY(server.listen());
    Library lib(QList<QPair<QString, QString>>{{"One", ""}});
    MainWindow w(lib.folder.path());
    CoverDownloadDialog* dialog = openDialog(w);
    QVERIFY(dialog);
    start(dialog, server.base() + "/c/${title}.jpg\nftp://127.0.0.1/${serial}.jpg");
    QCOMPARE(dialogs.messageTexts().size(), 1);
    QVERIFY2(
        dialogs.messageTexts().first().contains("\"ftp://127.0.0.1/${serial}.jpg\" is not an http or https"),
        qPrintable(dialogs.messageTexts().first()));
    QVERIFY(!dialog->isShowingProgress());
    QVERIFY(dialog->isVisible());
    QVERIFY(!parts(w).gameListPage->isDownloadingCovers());
    QTest::qWait(50);
    QCOMPARE(server.requestCount(), 0);
}

QTEST_MAIN(TestCovers)
#include "tst_covers.moc"
