// The game list page of the main window: rebuild, selection, poster, caption.
#include "app/mainwindow.h"
#include "core/korvelloerror.h"
#include "editor/editorpage.h"
#include "gamelist/gamelistmodel.h"
#include "gamelist/gamelistview.h"
#include "gamelist/imagelist.h"
#include "gamelist/jpeg.h"
#include "gamelist/jpegwriter.h"
#include "gamelist/posterview.h"
#include "gamelist/thumbnailloader.h"
#include "store/profilestore.h"
#include "support/dialogrecorder.h"
#include "support/testfolder.h"
#include "support/windowparts.h"

#include <QFile>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

namespace {

QImage filled(QSize size, QColor colour) {
    QImage image(size, QImage::Format_RGB888);
    image.fill(colour);
    return image;
}

bool near(QColor a, QColor b) {
    return qAbs(a.red() - b.red()) <= 6 && qAbs(a.green() - b.green()) <= 6 && qAbs(a.blue() - b.blue()) <= 6;
}

// A program folder whose db.mdb holds the named games, added in the given order.
struct GameFolder {
    TestFolder folder;

    explicit GameFolder(const QStringList& games) {
        ProfileStore store;
        store.setDatabasePath(folder.file(QStringLiteral("db.mdb")));
        store.listNames(); // creates the file even when no game is added
        for (const QString& name : games) {
            GameProfile p;
            p.setValue(col::gamename, name);
            p.setValue(col::PCSX2CurrentIso, QStringLiteral("/iso/") + name);
            store.add(p);
        }
    }
    QString image(const QString& file) const { return folder.file(QStringLiteral("Images/") + file); }
    void thumb(const QString& game, QColor colour, QSize size = QSize(100, 150)) const {
        jpeg::writeFile(filled(size, colour), image(QStringLiteral("thumb_%1.jpg").arg(game)));
    }
    void poster(const QString& game, QColor colour) const {
        jpeg::writeFile(filled(QSize(420, 600), colour), image(QStringLiteral("big_%1.jpg").arg(game)));
    }
};

QStringList captions(const MainWindow& w) {
    QStringList list;
    for (int row = 0; row < parts(w).gameGrid->count(); ++row)
        list.append(parts(w).gameGrid->caption(row));
    return list;
}

QList<QPushButton*> fiveButtons(const MainWindow& w) {
    return {parts(w).startButton, parts(w).deleteButton, parts(w).editorPage->btnSave, parts(w).editButton,
            parts(w).editorPage->btnGameList};
}

} // namespace

class TestGameList : public QObject {
    Q_OBJECT
private slots:
    void init() { testsupport::removeProgramSettings(); }
    void startUpListsSortedAndSelectsFirst();
    void selectingShowsPosterOrFallback();
    void thumbnailOfAnotherSizeFillsItsCell();
    void missingFallbackShowsEmptyCells();
    void damagedThumbnailAmongManyIsReportedOnce();
    void badPosterIsReportedAfterCaption();
    void manyRebuildsKeepOneImagePerGame();
    void decodedThumbnailsGiveWayToTheCache();
    void clickOnEmptySpaceKeepsSelection();
    void emptyDatabaseOpensNewAndDisablesButtons();
    void foreignDatabaseIsReportedAndUnchanged_data();
    void foreignDatabaseIsReportedAndUnchanged();
};

void TestGameList::startUpListsSortedAndSelectsFirst() {
    DialogRecorder dialogs;
    GameFolder g({QStringLiteral("zeta"), QStringLiteral("Tom's Game"), QStringLiteral("alpha"),
                  QStringLiteral("Beta")});
    g.thumb(QStringLiteral("Beta"), Qt::red);
    g.thumb(QStringLiteral("Tom's Game"), Qt::blue);
    g.poster(QStringLiteral("alpha"), Qt::green);
    MainWindow w(g.folder.path());
    QCOMPARE(captions(w), (QStringList{QStringLiteral("alpha"), QStringLiteral("Beta"),
                                       QStringLiteral("Tom's Game"), QStringLiteral("zeta")}));
    QCOMPARE(parts(w).gameGrid->imageCount(), 4);
    QCOMPARE(parts(w).gameGrid->selectedRow(), -1); // the rebuild leaves nothing selected
    QVERIFY(parts(w).currentGame.isEmpty());
    QCOMPARE(parts(w).gameGrid->cellSize().width(), 109);

    const QImage unknown = jpeg::decodeFile(g.image(QStringLiteral("thumb_unknown.jpg")));
    QCOMPARE(parts(w).gameGrid->imageList().at(0), unknown);
    QVERIFY(near(parts(w).gameGrid->imageList().at(1).pixelColor(50, 75), Qt::red));
    QVERIFY(near(parts(w).gameGrid->imageList().at(2).pixelColor(50, 75), Qt::blue));
    QCOMPARE(parts(w).gameGrid->imageList().at(3), unknown);
    for (QPushButton* b : fiveButtons(w))
        QVERIFY2(b->isEnabled(), qPrintable(b->objectName()));

    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(parts(w).gameGrid->selectedRow(), 0);
    QCOMPARE(parts(w).gameGrid->focusedRow(), 0);
    QCOMPARE(parts(w).currentGame, QStringLiteral("alpha"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Korvello (Tessaly) alpha"));
    QCOMPARE(parts(w).poster->shownPicture().size(), QSize(429, 636));
    QVERIFY(near(parts(w).poster->shownPicture().pixelColor(214, 318), Qt::green));
    QCOMPARE(dialogs.messageTexts(), QStringList());
}

void TestGameList::selectingShowsPosterOrFallback() {
    DialogRecorder dialogs;
    GameFolder g({QStringLiteral("Ico"), QStringLiteral("Rez")});
    g.poster(QStringLiteral("Ico"), Qt::green);
    MainWindow w(g.folder.path());
    // The poster takes its size from the page's layout, which places it when the window is shown.
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    parts(w).gameListPage->selectGame(1);
    QCOMPARE(parts(w).currentGame, QStringLiteral("Rez"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Korvello (Tessaly) Rez"));
    const QImage unknown = jpeg::decodeFile(g.image(QStringLiteral("big_unknown.jpg")));
    QCOMPARE(parts(w).poster->shownPicture().pixelColor(0, 0), unknown.pixelColor(0, 0));
    QCOMPARE(parts(w).poster->shownPicture().pixelColor(428, 635), unknown.pixelColor(419, 599));

    parts(w).gameListPage->selectGame(0);
    QCOMPARE(parts(w).currentGame, QStringLiteral("Ico"));
    QVERIFY(near(parts(w).poster->shownPicture().pixelColor(10, 10), Qt::green));

    // Positions outside the list, and a change that leaves nothing selected, change nothing.
    parts(w).gameListPage->selectGame(2);
    parts(w).gameListPage->selectGame(-1);
    parts(w).gameGrid->clearSelection();
    QCOMPARE(parts(w).currentGame, QStringLiteral("Ico"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Korvello (Tessaly) Ico"));
    QVERIFY(near(parts(w).poster->shownPicture().pixelColor(10, 10), Qt::green));
    QCOMPARE(dialogs.messageTexts(), QStringList());
}

void TestGameList::thumbnailOfAnotherSizeFillsItsCell() {
    DialogRecorder dialogs;
    GameFolder g({QStringLiteral("Wide")});
    g.thumb(QStringLiteral("Wide"), Qt::red, QSize(100, 75));
    MainWindow w(g.folder.path());
    const QImage shown = parts(w).gameGrid->imageList().at(0);
    QCOMPARE(shown.size(), QSize(ImageList::kWidth, ImageList::kHeight));
    QVERIFY(near(shown.pixelColor(50, 75), Qt::red));
    QCOMPARE(shown.pixelColor(50, 5).alpha(), 0);
}

void TestGameList::missingFallbackShowsEmptyCells() {
    DialogRecorder dialogs;
    GameFolder g({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    g.thumb(QStringLiteral("a"), Qt::red);
    g.thumb(QStringLiteral("c"), Qt::blue);
    QVERIFY(QFile::remove(g.image(QStringLiteral("thumb_unknown.jpg"))));
    MainWindow w(g.folder.path());
    // Every game is listed; the one without a picture gets an empty cell.
    QCOMPARE(captions(w), (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    QCOMPARE(parts(w).gameGrid->imageList().at(1), ImageList::fitToCell(QImage()));
    QVERIFY(near(parts(w).gameGrid->imageList().at(2).pixelColor(50, 75), Qt::blue));
    QCOMPARE(dialogs.messageTexts().size(), 1);
    QVERIFY2(dialogs.messageTexts().first().startsWith(QStringLiteral("Cannot open the picture")) &&
                 dialogs.messageTexts().first().contains(QStringLiteral("thumb_unknown.jpg")),
             qPrintable(dialogs.messageTexts().first()));
    QCOMPARE(dialogs.requests.first().title, QStringLiteral("Korvello (Tessaly)"));
    for (QPushButton* b : fiveButtons(w))
        QVERIFY2(b->isEnabled(), qPrintable(b->objectName()));

    // With the fallback back in place the next rebuild shows it, without a report.
    QVERIFY(QFile::copy(QStringLiteral(KORVELLO_SOURCE_DIR "/Images/thumb_unknown.jpg"),
                        g.image(QStringLiteral("thumb_unknown.jpg"))));
    parts(w).gameListPage->loadGameList();
    QCOMPARE(parts(w).gameGrid->imageList().at(1),
             ImageList::fitToCell(jpeg::decodeFile(g.image(QStringLiteral("thumb_unknown.jpg")))));
    QCOMPARE(dialogs.messageTexts().size(), 1);
}

void TestGameList::damagedThumbnailAmongManyIsReportedOnce() {
    // One damaged thumbnail among 50 games: once it hid every game after it.
    DialogRecorder dialogs;
    QStringList names;
    for (int i = 0; i < 50; ++i)
        names.append(QStringLiteral("Game %1").arg(i, 2, 10, QLatin1Char('0')));
    GameFolder g(names);
    for (int i = 0; i < 50; ++i)
        g.thumb(names[i], QColor::fromHsv(i * 7, 200, 200));
    const QString damaged = g.image(QStringLiteral("thumb_Game 08.jpg"));
    const QByteArray good = testsupport::readAll(damaged);
    testsupport::writeAll(damaged, good.left(good.size() / 2));
    QString decodeError;
    try {
        jpeg::decodeFile(damaged);
    } catch (const KorvelloError& e) {
        decodeError = e.text();
    }
    QVERIFY(!decodeError.isEmpty());

    MainWindow w(g.folder.path());
    w.show();
    QCOMPARE(captions(w), names);
    QCOMPARE(dialogs.messageTexts(), QStringList{reportText(decodeError)});
    const QImage fallback =
        ImageList::fitToCell(jpeg::decodeFile(g.image(QStringLiteral("thumb_unknown.jpg"))));
    for (int i = 0; i < 50; ++i)
        QVERIFY(i == 8 ? parts(w).gameGrid->imageList().at(i) == fallback
                       : near(parts(w).gameGrid->imageList().at(i).pixelColor(50, 75),
                              QColor::fromHsv(i * 7, 200, 200)));
    QCOMPARE(parts(w).currentGame, names.first()); // start-up went on to the end
    for (QPushButton* b : fiveButtons(w))
        QVERIFY2(b->isEnabled(), qPrintable(b->objectName()));

    // Every rebuild that still finds it reports it once more; repaired, it is shown.
    parts(w).gameListPage->loadGameList();
    QCOMPARE(dialogs.messageTexts().size(), 2);
    QCOMPARE(parts(w).gameGrid->count(), 50);
    testsupport::writeAll(damaged, good);
    parts(w).gameListPage->loadGameList();
    QCOMPARE(dialogs.messageTexts().size(), 2);
    QVERIFY(near(parts(w).gameGrid->imageList().at(8).pixelColor(50, 75), QColor::fromHsv(8 * 7, 200, 200)));
}

void TestGameList::badPosterIsReportedAfterCaption() {
    DialogRecorder dialogs;
    GameFolder g({QStringLiteral("Ico"), QStringLiteral("Rez")});
    g.poster(QStringLiteral("Ico"), Qt::green);
    testsupport::writeAll(g.image(QStringLiteral("big_Rez.jpg")), "<html>not a jpeg</html>");
    MainWindow w(g.folder.path());
    parts(w).gameListPage->selectGame(0);
    parts(w).gameListPage->selectGame(1);
    QCOMPARE(parts(w).currentGame, QStringLiteral("Rez"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Korvello (Tessaly) Rez"));
    QCOMPARE(dialogs.messageTexts().size(), 1);
    QVERIFY2(dialogs.messageTexts().first().contains(QStringLiteral("big_Rez.jpg")),
             qPrintable(dialogs.messageTexts().first()));
    QVERIFY(near(parts(w).poster->shownPicture().pixelColor(10, 10), Qt::green)); // the last poster stays

    // A missing poster fallback is reported the same way.
    QVERIFY(QFile::remove(g.image(QStringLiteral("big_unknown.jpg"))));
    QVERIFY(QFile::remove(g.image(QStringLiteral("big_Rez.jpg"))));
    parts(w).gameListPage->selectGame(0);
    parts(w).gameListPage->selectGame(1);
    QCOMPARE(dialogs.messageTexts().size(), 2);
    QVERIFY(dialogs.messageTexts().last().contains(QStringLiteral("big_unknown.jpg")));
}

void TestGameList::manyRebuildsKeepOneImagePerGame() {
    DialogRecorder dialogs;
    GameFolder g({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    g.thumb(QStringLiteral("b"), Qt::red);
    MainWindow w(g.folder.path());
    parts(w).gameListPage->selectGame(1);
    parts(w).gameGrid->setEntryImage(1, filled(QSize(100, 150), Qt::yellow));
    QCOMPARE(parts(w).gameGrid->imageCount(), 4);
    for (int i = 0; i < 25; ++i) {
        parts(w).gameListPage->loadGameList();
        QCOMPARE(parts(w).gameGrid->count(), 3);
        QCOMPARE(parts(w).gameGrid->imageCount(), 3);
    }
    QCOMPARE(parts(w).gameGrid->imageList().bytes(), 3 * qint64(100 * 150 * 3));
    QCOMPARE(parts(w).gameGrid->selectedRow(), -1);
    QCOMPARE(parts(w).currentGame, QStringLiteral("b")); // until another entry is selected
}

// A first rebuild shows the cells it decoded; once its cache write has ended,
// the grid shows the same pixels from the mapped cache file, and the decoded
// ones' memory is given back.
void TestGameList::decodedThumbnailsGiveWayToTheCache() {
    DialogRecorder dialogs;
    GameFolder g({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    g.thumb(QStringLiteral("a"), Qt::red);
    g.thumb(QStringLiteral("c"), Qt::blue);
    MainWindow w(g.folder.path());
    auto cell = [&](int row) {
        return parts(w).gameGrid->model()->index(row, 0).data(GameListModel::ImageRole).value<QImage>();
    };
    QList<QImage> shown;
    for (int row = 0; row < 3; ++row)
        shown.append(cell(row).copy());
    auto allFromCache = [&] {
        for (int row = 0; row < 3; ++row)
            if (!parts(w).thumbnails->cache().holds(cell(row)))
                return false;
        return true;
    };
    QTRY_VERIFY_WITH_TIMEOUT(allFromCache(), 5000);
    for (int row = 0; row < 3; ++row)
        QCOMPARE(cell(row), shown.at(row));
    QCOMPARE(parts(w).gameGrid->count(), 3);
    QVERIFY2(dialogs.messageTexts().isEmpty(), qPrintable(dialogs.messageTexts().join(u'|')));
}

void TestGameList::clickOnEmptySpaceKeepsSelection() {
    DialogRecorder dialogs;
    GameFolder g({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    MainWindow w(g.folder.path());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QWidget* viewport = parts(w).gameGrid->viewport();
    const QRect second = parts(w).gameGrid->visualRect(parts(w).gameGrid->model()->index(1, 0));
    QTest::mouseClick(viewport, Qt::LeftButton, {}, second.center());
    QCOMPARE(parts(w).gameGrid->selectedRow(), 1);
    QCOMPARE(parts(w).currentGame, QStringLiteral("b"));

    // Below the only row of entries.
    const QPoint empty(viewport->width() / 2, viewport->height() - 20);
    QVERIFY(!parts(w).gameGrid->indexAt(empty).isValid());
    QTest::mouseClick(viewport, Qt::LeftButton, {}, empty);
    QCOMPARE(parts(w).gameGrid->selectedRow(), 1);
    QCOMPARE(parts(w).currentGame, QStringLiteral("b"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Korvello (Tessaly) b"));
    QCOMPARE(dialogs.messageTexts(), QStringList());
}

void TestGameList::emptyDatabaseOpensNewAndDisablesButtons() {
    DialogRecorder dialogs;
    TestFolder folder; // no db.mdb: start-up creates it
    MainWindow w(folder.path());
    QVERIFY(QFile::exists(folder.file(QStringLiteral("db.mdb"))));
    QCOMPARE(parts(w).gameGrid->count(), 0);
    QCOMPARE(parts(w).pages->currentWidget(), static_cast<QWidget*>(parts(w).editorPage));
    for (QPushButton* b : fiveButtons(w))
        QVERIFY2(!b->isEnabled(), qPrintable(b->objectName()));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(parts(w).currentGame.isEmpty());
    QCOMPARE(w.windowTitle(), QStringLiteral("Korvello (Tessaly)"));

    // Once a game is there, the rebuild enables them again.
    GameProfile p;
    p.setValue(col::gamename, QStringLiteral("Ico"));
    parts(w).store->add(p);
    parts(w).gameListPage->loadGameList();
    for (QPushButton* b : fiveButtons(w))
        QVERIFY2(b->isEnabled(), qPrintable(b->objectName()));
    QCOMPARE(dialogs.messageTexts(), QStringList());
}

void TestGameList::foreignDatabaseIsReportedAndUnchanged_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("report");
    QByteArray jet("\x00\x01\x00\x00Standard Jet DB\x00", 20);
    jet.append(QByteArray(2048, '\x5a'));
    QTest::newRow("Jet file") << jet << "file is not a database.";
}

void TestGameList::foreignDatabaseIsReportedAndUnchanged() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, report);
    DialogRecorder dialogs;
    TestFolder folder;
    const QString path = folder.file(QStringLiteral("db.mdb"));
    testsupport::writeAll(path, bytes);
    {
        MainWindow w(folder.path());
        QCOMPARE(dialogs.messageTexts(), QStringList{report});
        QCOMPARE(parts(w).gameGrid->count(), 0);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(parts(w).currentGame.isEmpty());
        QVERIFY_THROWS_EXCEPTION(KorvelloError, parts(w).gameListPage->loadGameList());
        QCOMPARE(parts(w).gameGrid->count(), 0);
    }
    QCOMPARE(testsupport::readAll(path), bytes);
}

QTEST_MAIN(TestGameList)
#include "tst_gamelist.moc"
