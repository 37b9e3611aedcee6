// The editor's modes as the main window drives them: "New", "GameList" and the
// name field's hold on the artwork buttons.
#include "app/mainwindow.h"
#include "editor/editorpage.h"
#include "editor/pathedit.h"
#include "editor/spinedit.h"
#include "gamelist/gamelistview.h"
#include "support/dialogrecorder.h"
#include "support/testfolder.h"
#include "support/windowparts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

class TestEditorModes : public QObject {
    Q_OBJECT
private slots:
    void init() { testsupport::removeProgramSettings(); }
    void emptyListOpensEditorInNewMode();
    void newShowsDefaultsInNewMode();
    void newLeavesEditMode();
    void gameListButtonKeepsPageAndMode();
    void nameKeyReleaseDrivesArtworkButtons();
};

namespace {

void showOn(MainWindow& w, QWidget* page) {
    parts(w).pages->setCurrentWidget(page);
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
}

} // namespace

void TestEditorModes::emptyListOpensEditorInNewMode() {
    DialogRecorder dialogs;
    TestFolder folder;
    MainWindow w(folder.path());
    // No game yet: the list rebuild pressed "New" itself and there is no way back.
    QCOMPARE(parts(w).pages->currentWidget(), parts(w).editorPage);
    QVERIFY(parts(w).editorPage->btnNewGame->isEnabled());
    QVERIFY(!parts(w).editorPage->btnSave->isEnabled());
    QVERIFY(!parts(w).editorPage->btnGameList->isEnabled());
    QCOMPARE(parts(w).editorPage->cmbInterlacing->currentIndex(), 7);
    QCOMPARE(parts(w).editorPage->chkTextureFiltering->checkState(), Qt::PartiallyChecked);
    // The renderer list as discovery filled it (an empty settings folder is the Linux
    // plug-ins'), the first entry chosen by the default.
    QCOMPARE(parts(w).editorPage->cmbRenderer->currentText(), QStringLiteral("OpenGL (Hardware)"));
    QVERIFY(!parts(w).editorPage->txtSWThreads->isEnabled());
}

void TestEditorModes::newShowsDefaultsInNewMode() {
    DialogRecorder dialogs;
    TestFolder folder;
    MainWindow w(folder.path());
    showOn(w, parts(w).gameListPage);
    EditorPage* page = parts(w).editorPage;
    page->txtGameName->setText(QStringLiteral("Old name"));
    page->txtISOPath->setText(QStringLiteral("/games/old.iso"));
    page->txtBlur->setText(QStringLiteral("2.5"));
    page->cmbInterlacing->setCurrentIndex(0);
    page->chkPatches->setChecked(false);

    QTest::mouseClick(parts(w).newGameButton, Qt::LeftButton);
    QCOMPARE(parts(w).pages->currentWidget(), page);
    QVERIFY(page->btnNewGame->isEnabled());
    QVERIFY(!page->btnSave->isEnabled());
    QVERIFY(page->txtGameName->text().isEmpty());
    QVERIFY(page->txtISOPath->text().isEmpty());
    QVERIFY(!page->btnPoster->isEnabled());
    QVERIFY(!page->btnThumb->isEnabled());
    // The whole-profile default is in place; the blur field is not part of it.
    QCOMPARE(page->cmbInterlacing->currentIndex(), 7);
    QVERIFY(page->chkPatches->isChecked());
    QCOMPARE(page->txtMC1->text(), QStringLiteral("Mcd001.ps2"));
    QCOMPARE(page->lblSPU2Latency->text(), QStringLiteral("Latency: 150 ms (avg)"));
    QCOMPARE(page->txtBlur->text(), QStringLiteral("2.5"));
    // With the emulator's settings in the program folder's inis, the cards lie beside it.
    QCOMPARE(parts(w).settingsFolder, folder.path() + QStringLiteral("inis"));
    QCOMPARE(page->txtMCPath->text(), folder.path() + QStringLiteral("memcards"));
    QVERIFY2(dialogs.messageTexts().isEmpty(), qPrintable(dialogs.messageTexts().join(u'|')));
}

void TestEditorModes::newLeavesEditMode() {
    DialogRecorder dialogs;
    TestFolder folder;
    MainWindow w(folder.path());
    showOn(w, parts(w).editorPage);
    // Edit mode, as Edit leaves it.
    parts(w).editorPage->btnNewGame->setEnabled(false);
    parts(w).editorPage->btnSave->setEnabled(true);
    parts(w).editorPage->txtGameName->setText(QStringLiteral("Ico"));
    parts(w).commands->openNewProfile();
    QVERIFY(parts(w).editorPage->btnNewGame->isEnabled());
    QVERIFY(!parts(w).editorPage->btnSave->isEnabled());
    QVERIFY(parts(w).editorPage->txtGameName->text().isEmpty());
}

void TestEditorModes::gameListButtonKeepsPageAndMode() {
    DialogRecorder dialogs;
    TestFolder folder;
    MainWindow w(folder.path());
    showOn(w, parts(w).editorPage);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    EditorPage* page = parts(w).editorPage;
    page->btnGameList->setEnabled(true);
    page->btnNewGame->setEnabled(false);
    page->btnSave->setEnabled(true);
    page->txtGameName->setText(QStringLiteral("Ico"));
    page->chkMTGS->setChecked(true);
    QTest::mouseClick(page->btnGameList, Qt::LeftButton);
    QCOMPARE(parts(w).pages->currentWidget(), parts(w).gameListPage);
    QTRY_VERIFY(parts(w).gameGrid->hasFocus());
    // Nothing stored, nothing reset.
    QCOMPARE(page->txtGameName->text(), QStringLiteral("Ico"));
    QVERIFY(page->chkMTGS->isChecked());
    QVERIFY(!page->btnNewGame->isEnabled());
    QVERIFY(page->btnSave->isEnabled());
}

void TestEditorModes::nameKeyReleaseDrivesArtworkButtons() {
    DialogRecorder dialogs;
    TestFolder folder;
    MainWindow w(folder.path());
    showOn(w, parts(w).gameListPage);
    parts(w).commands->openNewProfile();
    EditorPage* page = parts(w).editorPage;
    QLineEdit* name = page->txtGameName;
    name->setFocus();
    // Blanks only: both stay disabled.
    QTest::keyClicks(name, QStringLiteral("  "));
    QVERIFY(!page->btnPoster->isEnabled());
    QVERIFY(!page->btnThumb->isEnabled());
    // One visible character enables both on that key's release.
    QTest::keyPress(name, Qt::Key_I);
    QVERIFY(!page->btnPoster->isEnabled());
    QTest::keyRelease(name, Qt::Key_I);
    QVERIFY(page->btnPoster->isEnabled());
    QVERIFY(page->btnThumb->isEnabled());
    // Any key counts, also one that changes nothing.
    name->setText(QStringLiteral("\t \x01"));
    QVERIFY(page->btnPoster->isEnabled()); // no key release yet
    QTest::keyClick(name, Qt::Key_Shift);
    QVERIFY(!page->btnPoster->isEnabled());
    QVERIFY(!page->btnThumb->isEnabled());
    name->setText(QStringLiteral(" Ico "));
    QTest::keyClick(name, Qt::Key_End);
    QVERIFY(page->btnPoster->isEnabled());
}

QTEST_MAIN(TestEditorModes)
#include "tst_editormodes.moc"
