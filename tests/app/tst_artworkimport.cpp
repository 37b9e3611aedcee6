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
#include "store/profilestore.h"
#include "support/dialogrecorder.h"
#include "support/profilefixture.h"
#include "support/testfolder.h"
#include "support/windowparts.h"

#include <QBuffer>
#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <sys/stat.h>

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
        parts(w).pages->setCurrentWidget(parts(w).editorPage);
        parts(w).editorPage->txtGameName->setText(name);
        parts(w).editorPage->UpdatePosterButtons();
    }
    QString poster(const TestFolder& folder) const {
        return folder.file(QStringLiteral("Images/big_Big Game.jpg"));
    }
    QString thumb(const TestFolder& folder) const {
        return folder.file(QStringLiteral("Images/thumb_Big Game.jpg"));
    }
    MainWindow w;
};

// Presses the button and waits until the import it started (if any) has ended
// and its result is applied; the import runs on a worker thread.
void importWith(Editor& e, QPushButton* button) {
    button->click();
    QTRY_VERIFY_WITH_TIMEOUT(!parts(e.w).commands->isImportingArtwork(), 30000);
}

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
        importWith(e, parts(e.w).editorPage->findChild<QPushButton*>(button));
        QCOMPARE(dialogs.requests.size(), 1);
        QCOMPARE(dialogs.requests[0].kind, Dialogs::Kind::OpenFile);
        QCOMPARE(dialogs.requests[0].filter,
                 QStringLiteral("Pictures (*.jpg *.jpeg *.png *.webp);;All files (*)"));
        QCOMPARE(QDir(folder.file(QStringLiteral("Images"))).entryList(QDir::Files), before);
    }

    // The poster fills the poster view at once; both files carry the trimmed name.
    void posterAndThumbnail() {
        DialogRecorder dialogs;
        TestFolder folder;
        Editor e(folder);
        parts(e.w).editorPage->txtBlur->setText(QStringLiteral("1.5"));
        dialogs.pathAnswers.enqueue(writePicture(folder, QSize(300, 400)));
        QVERIFY(parts(e.w).editorPage->btnPoster->isEnabled());
        importWith(e, parts(e.w).editorPage->btnPoster);
        QVERIFY2(dialogs.messageTexts().isEmpty(), qPrintable(dialogs.messageTexts().join('\n')));
        const QImage poster = jpeg::decodeFile(e.poster(folder));
        QCOMPARE(poster.size(), QSize(450, 600));
        QCOMPARE(jpeg::decodeFile(e.thumb(folder)).size(), QSize(112, 150));
        PosterView expected;
        expected.resize(parts(e.w).poster->size());
        expected.showPicture(poster);
        QCOMPARE(parts(e.w).poster->shownPicture(), expected.shownPicture());
    }

    void thumbnailOnlyLeavesThePoster() {
        DialogRecorder dialogs;
        TestFolder folder;
        Editor e(folder);
        testsupport::writeAll(e.poster(folder), "the old poster");
        const QImage shownBefore = parts(e.w).poster->shownPicture();
        dialogs.pathAnswers.enqueue(writePicture(folder, QSize(800, 600)));
        importWith(e, parts(e.w).editorPage->btnThumb);
        QVERIFY(dialogs.messageTexts().isEmpty());
        QCOMPARE(testsupport::readAll(e.poster(folder)), QByteArray("the old poster"));
        QCOMPARE(jpeg::decodeFile(e.thumb(folder)).size(), QSize(100, 75));
        QCOMPARE(parts(e.w).poster->shownPicture(), shownBefore);
    }

    void unreadablePictureWritesNothing_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QByteArray>("content"); // empty: no file
        QTest::addColumn<QString>("says");
        QTest::newRow("poster, not a picture")
            << QStringLiteral("btnPoster") << QByteArray("BM not a picture at all")
            << QStringLiteral("Cannot decode");
        QTest::newRow("poster, missing")
            << QStringLiteral("btnPoster") << QByteArray() << QStringLiteral("Cannot open");
        QTest::newRow("thumbnail, not a picture")
            << QStringLiteral("btnThumb") << QByteArray("BM not a picture at all")
            << QStringLiteral("Cannot decode");
        // A small JPEG whose frame header declares 30000 x 30000 pixels.
        QImage tiny(16, 16, QImage::Format_RGB888);
        tiny.fill(Qt::darkCyan);
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(tiny.save(&buffer, "JPG"));
        QByteArray huge = buffer.data();
        const qsizetype frame = huge.indexOf("\xFF\xC0");
        QVERIFY(frame > 0);
        huge.replace(frame + 5, 4, QByteArray("\x75\x30\x75\x30", 4));
        QTest::newRow("poster, declares 30000 x 30000")
            << QStringLiteral("btnPoster") << huge << QStringLiteral("30000 x 30000");
    }
    void unreadablePictureWritesNothing() {
        QFETCH(QString, button);
        QFETCH(QByteArray, content);
        QFETCH(QString, says);
        DialogRecorder dialogs;
        TestFolder folder;
        Editor e(folder);
        const QString chosen = folder.file(QStringLiteral("chosen.jpg"));
        if (!content.isEmpty())
            testsupport::writeAll(chosen, content);
        dialogs.pathAnswers.enqueue(chosen);
        importWith(e, parts(e.w).editorPage->findChild<QPushButton*>(button));
        QCOMPARE(dialogs.messageTexts().size(), 1);
        const QString text = dialogs.messageTexts()[0];
        QVERIFY2(text.contains(QDir::toNativeSeparators(chosen)) && text.contains(says), qPrintable(text));
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
        importWith(e, parts(e.w).editorPage->findChild<QPushButton*>(button));
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
        parts(e.w).editorPage->txtBlur->setText(QStringLiteral("1,5"));
        dialogs.pathAnswers.enqueue(writePicture(folder, QSize(500, 500)));
        importWith(e, parts(e.w).editorPage->btnPoster);
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
        importWith(e, parts(e.w).editorPage->btnPoster);
        importWith(e, parts(e.w).editorPage->btnPoster);
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
        parts(e.w).gameGrid->addEntry(QStringLiteral("Another"), grey);
        parts(e.w).gameGrid->addEntry(QStringLiteral("Big Game"), grey);
        if (selected)
            parts(e.w).gameGrid->selectRow(1);
        else
            parts(e.w).gameGrid->clearSelection();
        parts(e.w).editorPage->btnSave->setEnabled(editMode);
        const int imagesBefore = parts(e.w).gameGrid->imageCount();
        const QImage before = entryImage(parts(e.w).gameGrid, 1);
        const QImage other = entryImage(parts(e.w).gameGrid, 0);

        dialogs.pathAnswers.enqueue(writePicture(folder, QSize(800, 600)));
        importWith(e, parts(e.w).editorPage->btnThumb);
        QVERIFY(dialogs.messageTexts().isEmpty());
        if (replaced) {
            QCOMPARE(parts(e.w).gameGrid->imageCount(), imagesBefore + 1);
            QCOMPARE(entryImage(parts(e.w).gameGrid, 1),
                     ImageList::fitToCell(jpeg::decodeFile(e.thumb(folder))));
        } else {
            QCOMPARE(parts(e.w).gameGrid->imageCount(), imagesBefore);
            QCOMPARE(entryImage(parts(e.w).gameGrid, 1), before);
        }
        QCOMPARE(entryImage(parts(e.w).gameGrid, 0), other);
    }

    // A PNG cover with an upper-case name comes in through the same buttons.
    void pngCover() {
        DialogRecorder dialogs;
        TestFolder folder;
        Editor e(folder);
        QImage cover(300, 400, QImage::Format_ARGB32);
        cover.fill(qRgba(40, 90, 200, 255));
        const QString path = folder.file(QStringLiteral("COVER.PNG"));
        QVERIFY(cover.save(path, "PNG"));
        dialogs.pathAnswers.enqueue(path);
        importWith(e, parts(e.w).editorPage->btnPoster);
        QVERIFY2(dialogs.messageTexts().isEmpty(), qPrintable(dialogs.messageTexts().join('\n')));
        QCOMPARE(jpeg::decodeFile(e.poster(folder)).size(), QSize(450, 600));
        QCOMPARE(jpeg::decodeFile(e.thumb(folder)).size(), QSize(112, 150));
    }

    // While an import runs (here: its source is a pipe that the test fills
    // only later), the window goes on handling events, shows the busy cursor
    // after half a second, and neither button starts a second import; when it
    // ends, the cursor, the buttons and the result are back.
    void busyWhileImporting() {
        DialogRecorder dialogs;
        TestFolder folder;
        Editor e(folder);
        const QString pipe = folder.file(QStringLiteral("slow.jpg"));
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        dialogs.pathAnswers.enqueue(pipe);
        parts(e.w).editorPage->btnPoster->click();
        QVERIFY(parts(e.w).commands->isImportingArtwork());
        QVERIFY(!parts(e.w).editorPage->btnPoster->isEnabled());
        QVERIFY(!parts(e.w).editorPage->btnThumb->isEnabled());
        parts(e.w).commands->importArtwork(parts(e.w).editorPage->btnThumb); // as if pressed anyway
        QCOMPARE(dialogs.requests.size(), 1); // no second dialog, no second import

        QTRY_VERIFY_WITH_TIMEOUT(QGuiApplication::overrideCursor() != nullptr, 5000);
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::BusyCursor);
        QVERIFY(parts(e.w).commands->isImportingArtwork());

        QImage picture(800, 600, QImage::Format_RGB888);
        picture.fill(Qt::darkGreen);
        const QString source = folder.file(QStringLiteral("source.jpg"));
        jpeg::writeFile(picture, source);
        QFile writer(pipe);
        QVERIFY(writer.open(QIODevice::WriteOnly));
        writer.write(testsupport::readAll(source));
        writer.close();

        QTRY_VERIFY_WITH_TIMEOUT(!parts(e.w).commands->isImportingArtwork(), 30000);
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
        QVERIFY(parts(e.w).editorPage->btnPoster->isEnabled());
        QVERIFY(parts(e.w).editorPage->btnThumb->isEnabled());
        QVERIFY(dialogs.messageTexts().isEmpty());
        QCOMPARE(jpeg::decodeFile(e.poster(folder)).size(), QSize(420, 315));
        QCOMPARE(jpeg::decodeFile(e.thumb(folder)).size(), QSize(100, 75));
    }

    // Pictures are files named after the profile: an import under the name of
    // another profile is refused before the user picks a picture, so that
    // profile's poster and thumbnail stay as they are.
    void nameOfAnotherProfileIsRefused_data() {
        QTest::addColumn<bool>("editMode");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("refused");
        QTest::newRow("new mode, another's name") << false << "Other Game" << true;
        QTest::newRow("new mode, another's name in other case") << false << "  OTHER game " << true;
        QTest::newRow("new mode, a free name") << false << "Fresh Game" << false;
        QTest::newRow("edit mode, another's name") << true << "Other Game" << true;
        QTest::newRow("edit mode, own name") << true << "My Game" << false;
        QTest::newRow("edit mode, own name in other case") << true << "MY GAME" << false;
    }
    void nameOfAnotherProfileIsRefused() {
        QFETCH(bool, editMode);
        QFETCH(QString, typed);
        QFETCH(bool, refused);
        DialogRecorder dialogs;
        TestFolder folder;
        const QString otherPoster = folder.file(QStringLiteral("Images/big_Other Game.jpg"));
        const QString otherThumb = folder.file(QStringLiteral("Images/thumb_Other Game.jpg"));
        testsupport::writeAll(otherPoster, "poster of the other game");
        testsupport::writeAll(otherThumb, "thumbnail of the other game");
        {
            ProfileStore store;
            store.setDatabasePath(folder.file(QStringLiteral("db.mdb")));
            store.add(profilefixture::nonDefaultProfile(QStringLiteral("My Game")));
            store.add(profilefixture::nonDefaultProfile(QStringLiteral("Other Game")));
        }
        MainWindow w(folder.path());
        fillWindowLists(w);
        if (editMode) {
            parts(w).gameListPage->selectGame(0);
            QCOMPARE(parts(w).currentGame, QStringLiteral("My Game"));
            parts(w).commands->editSelectedGame();
        } else {
            parts(w).commands->openNewProfile();
        }
        parts(w).editorPage->txtGameName->setText(typed);
        parts(w).editorPage->UpdatePosterButtons();
        dialogs.clear();
        const QString picture = writePicture(folder, QSize(300, 400));
        for (QPushButton* button : {parts(w).editorPage->btnPoster, parts(w).editorPage->btnThumb}) {
            dialogs.pathAnswers.enqueue(picture);
            button->click();
            QTRY_VERIFY_WITH_TIMEOUT(!parts(w).commands->isImportingArtwork(), 30000);
        }
        QCOMPARE(testsupport::readAll(otherPoster), QByteArray("poster of the other game"));
        QCOMPARE(testsupport::readAll(otherThumb), QByteArray("thumbnail of the other game"));
        if (refused) {
            QCOMPARE(dialogs.messageTexts(), (QStringList{"Alredy exists", "Alredy exists"}));
            QCOMPARE(dialogs.requests.size(), 2); // no picture was asked for
        } else {
            QVERIFY2(dialogs.messageTexts().isEmpty(), qPrintable(dialogs.messageTexts().join(u'|')));
            const QString stored = typed.trimmed();
            QVERIFY(
                QFile::exists(folder.file(QStringLiteral("Images/big_") + stored + QStringLiteral(".jpg"))));
        }
    }
};

QTEST_MAIN(TestArtworkImport)
#include "tst_artworkimport.moc"
