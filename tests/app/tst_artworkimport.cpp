// Poster and thumbnail import through the editor page's two buttons.
#include "app/mainwindow.h"
#include "editor/editorpage.h"
#include "editor/spinedit.h"
#include "gamelist/gamelistmodel.h"
#include "gamelist/gamelistview.h"
#include "gamelist/imagelist.h"
#include "gamelist/jpeg.h"
#include "gamelist/jpegwriter.h"
#include "gamelist/posterview.h"
#include "support/dialogrecorder.h"
#include "support/testfolder.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

// A picture with some structure, written as the user's JPEG.
QString writePicture(const TestFolder& folder, QSize size,
                     const QString& name = QStringLiteral("chosen.jpg")) {
    QImage img(size, QImage::Format_RGB888);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            uchar* p = img.scanLine(y) + 3 * x;
            p[0] = uchar(x * 7);
            p[1] = uchar(y * 5);
            p[2] = uchar((x ^ y) * 3);
        }
    const QString path = folder.file(name);
    jpeg::writeFile(img, path);
    return path;
}

QImage entryImage(const GameListView* list, int row) {
    return list->model()->index(row, 0).data(GameListModel::ImageRole).value<QImage>();
}

struct Editor {
    explicit Editor(const TestFolder& folder, const QString& name = QStringLiteral("  Big Game  "))
        : w(folder.path()) {
        w.m_pages->setCurrentWidget(w.m_editorPage);
        w.m_editorPage->txtGameName->setText(name);
        w.m_editorPage->UpdatePosterButtons();
    }
    QString poster(const TestFolder& folder) const {
        return folder.file(QStringLiteral("Images/big_Big Game.jpg"));
    }
    QString thumb(const TestFolder& folder) const {
        return folder.file(QStringLiteral("Images/thumb_Big Game.jpg"));
    }
    MainWindow w;
};

} // namespace

class TestArtworkImport : public QObject {
    Q_OBJECT
private slots:
    void init() { testsupport::removeProgramSettings(); }

    void cancelledDialogDoesNothing_data() {
        QTest::addColumn<QString>("button");
        QTest::newRow("poster") << QStringLiteral("btnPoster");
        QTest::newRow("thumbnail") << QStringLiteral("btnThumb");
    }
    void cancelledDialogDoesNothing() {
        QFETCH(QString, button);
        DialogRecorder dialogs;
        TestFolder folder;
        Editor e(folder);
        const QStringList before = QDir(folder.file(QStringLiteral("Images"))).entryList(QDir::Files);
        e.w.m_editorPage->findChild<QPushButton*>(button)->click();
        QCOMPARE(dialogs.requests.size(), 1);
        QCOMPARE(dialogs.requests[0].kind, Dialogs::Kind::OpenFile);
        QCOMPARE(dialogs.requests[0].filter, QStringLiteral("*.jpg (*.jpg)"));
        QCOMPARE(QDir(folder.file(QStringLiteral("Images"))).entryList(QDir::Files), before);
    }

    // The poster fills the poster view at once; both files carry the trimmed name.
    void posterAndThumbnail() {
        DialogRecorder dialogs;
        TestFolder folder;
        Editor e(folder);
        e.w.m_editorPage->txtBlur->setText(QStringLiteral("1.5"));
        dialogs.pathAnswers.enqueue(writePicture(folder, QSize(300, 400)));
        QVERIFY(e.w.m_editorPage->btnPoster->isEnabled());
        e.w.m_editorPage->btnPoster->click();
        QVERIFY2(dialogs.messageTexts().isEmpty(), qPrintable(dialogs.messageTexts().join('\n')));
        const QImage poster = jpeg::decodeFile(e.poster(folder));
        QCOMPARE(poster.size(), QSize(450, 600));
        QCOMPARE(jpeg::decodeFile(e.thumb(folder)).size(), QSize(112, 150));
        PosterView expected;
        expected.resize(e.w.m_poster->size());
        expected.showPicture(poster);
        QCOMPARE(e.w.m_poster->shownPicture(), expected.shownPicture());
    }

    void thumbnailOnlyLeavesThePoster() {
        DialogRecorder dialogs;
        TestFolder folder;
        Editor e(folder);
        testsupport::writeAll(e.poster(folder), "the old poster");
        const QImage shownBefore = e.w.m_poster->shownPicture();
        dialogs.pathAnswers.enqueue(writePicture(folder, QSize(800, 600)));
        e.w.m_editorPage->btnThumb->click();
        QVERIFY(dialogs.messageTexts().isEmpty());
        QCOMPARE(testsupport::readAll(e.poster(folder)), QByteArray("the old poster"));
        QCOMPARE(jpeg::decodeFile(e.thumb(folder)).size(), QSize(100, 75));
        QCOMPARE(e.w.m_poster->shownPicture(), shownBefore);
    }

    void unreadablePictureWritesNothing_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("exists");
        QTest::newRow("poster, not a JPEG") << QStringLiteral("btnPoster") << true;
        QTest::newRow("poster, missing") << QStringLiteral("btnPoster") << false;
        QTest::newRow("thumbnail, not a JPEG") << QStringLiteral("btnThumb") << true;
    }
    void unreadablePictureWritesNothing() {
        QFETCH(QString, button);
        QFETCH(bool, exists);
        DialogRecorder dialogs;
        TestFolder folder;
        Editor e(folder);
        const QString chosen = folder.file(QStringLiteral("chosen.jpg"));
        if (exists)
            testsupport::writeAll(chosen, "BM not a jpeg at all");
        dialogs.pathAnswers.enqueue(chosen);
        e.w.m_editorPage->findChild<QPushButton*>(button)->click();
        QCOMPARE(dialogs.messageTexts().size(), 1);
        QVERIFY2(dialogs.messageTexts()[0].contains(QDir::toNativeSeparators(chosen)),
                 qPrintable(dialogs.messageTexts()[0]));
        QVERIFY(!QFile::exists(e.poster(folder)));
        QVERIFY(!QFile::exists(e.thumb(folder)));
    }

    // Without Images the first file to be made fails: the poster, or for
    // "Thumbnail only" the thumbnail.
    void missingImagesFolder_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("failing");
        QTest::newRow("poster") << QStringLiteral("btnPoster") << QStringLiteral("big_Big Game.jpg");
        QTest::newRow("thumbnail") << QStringLiteral("btnThumb") << QStringLiteral("thumb_Big Game.jpg");
    }
    void missingImagesFolder() {
        QFETCH(QString, button);
        QFETCH(QString, failing);
        DialogRecorder dialogs;
        TestFolder folder(false);
        Editor e(folder);
        dialogs.pathAnswers.enqueue(writePicture(folder, QSize(300, 400)));
        dialogs.clear();
        e.w.m_editorPage->findChild<QPushButton*>(button)->click();
        QCOMPARE(dialogs.messageTexts().size(), 1);
        const QString text = dialogs.messageTexts()[0];
        QVERIFY2(text.startsWith(QStringLiteral("Cannot create file")) && text.contains(failing),
                 qPrintable(text));
        QVERIFY(!QDir(folder.file(QStringLiteral("Images"))).exists());
    }

    // The radius is read after the poster is written: the poster stays, no thumbnail.
    void badBlurText() {
        DialogRecorder dialogs;
        TestFolder folder;
        Editor e(folder);
        e.w.m_editorPage->txtBlur->setText(QStringLiteral("1,5"));
        dialogs.pathAnswers.enqueue(writePicture(folder, QSize(500, 500)));
        e.w.m_editorPage->btnPoster->click();
        QCOMPARE(dialogs.messageTexts().size(), 1);
        QCOMPARE(jpeg::decodeFile(e.poster(folder)).size(), QSize(420, 420));
        QVERIFY(!QFile::exists(e.thumb(folder)));
    }

    // A second import replaces both files without asking.
    void secondImportReplaces() {
        DialogRecorder dialogs;
        TestFolder folder;
        Editor e(folder);
        dialogs.pathAnswers.enqueue(writePicture(folder, QSize(300, 400), QStringLiteral("first.jpg")));
        dialogs.pathAnswers.enqueue(writePicture(folder, QSize(800, 600), QStringLiteral("second.jpg")));
        e.w.m_editorPage->btnPoster->click();
        e.w.m_editorPage->btnPoster->click();
        QVERIFY(dialogs.messageTexts().isEmpty());
        QCOMPARE(jpeg::decodeFile(e.poster(folder)).size(), QSize(420, 315));
        QCOMPARE(jpeg::decodeFile(e.thumb(folder)).size(), QSize(100, 75));
    }

    // In edit mode the selected entry shows the new thumbnail at once; in new
    // mode the list is left alone until the game is added.
    void selectedEntryInEditMode_data() {
        QTest::addColumn<bool>("editMode");
        QTest::addColumn<bool>("selected");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("edit mode, selected") << true << true << true;
        QTest::newRow("edit mode, nothing selected") << true << false << false;
        QTest::newRow("new mode") << false << true << false;
    }
    void selectedEntryInEditMode() {
        QFETCH(bool, editMode);
        QFETCH(bool, selected);
        QFETCH(bool, replaced);
        DialogRecorder dialogs;
        TestFolder folder;
        Editor e(folder);
        QImage grey(100, 150, QImage::Format_RGB888);
        grey.fill(Qt::gray);
        e.w.m_gameGrid->addEntry(QStringLiteral("Another"), grey);
        e.w.m_gameGrid->addEntry(QStringLiteral("Big Game"), grey);
        if (selected)
            e.w.m_gameGrid->selectRow(1);
        else
            e.w.m_gameGrid->clearSelection();
        e.w.m_editorPage->btnSave->setEnabled(editMode);
        const int imagesBefore = e.w.m_gameGrid->imageCount();
        const QImage before = entryImage(e.w.m_gameGrid, 1);
        const QImage other = entryImage(e.w.m_gameGrid, 0);

        dialogs.pathAnswers.enqueue(writePicture(folder, QSize(800, 600)));
        e.w.m_editorPage->btnThumb->click();
        QVERIFY(dialogs.messageTexts().isEmpty());
        if (replaced) {
            QCOMPARE(e.w.m_gameGrid->imageCount(), imagesBefore + 1);
            QCOMPARE(entryImage(e.w.m_gameGrid, 1), ImageList::fitToCell(jpeg::decodeFile(e.thumb(folder))));
        } else {
            QCOMPARE(e.w.m_gameGrid->imageCount(), imagesBefore);
            QCOMPARE(entryImage(e.w.m_gameGrid, 1), before);
        }
        QCOMPARE(entryImage(e.w.m_gameGrid, 0), other);
    }
};

QTEST_MAIN(TestArtworkImport)
#include "tst_artworkimport.moc"
