// The editor's modes as the main window drives them: "New", "GameList" and the
// name field's hold on the artwork buttons.
#include "dialogrecorder.h"
#include "editorpage.h"
#include "gamelistview.h"
#include "pathedit.h"
#include "spinedit.h"
#include "testfolder.h"
#include "tfrmmain.h"

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

void showOn(TfrmMain& w, QWidget* page) {
    w.PageControl->setCurrentWidget(page);
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
}

} // namespace

void TestEditorModes::emptyListOpensEditorInNewMode() {
    DialogRecorder dialogs;
    TestFolder folder;
    TfrmMain w(folder.path());
    // No game yet: the list rebuild pressed "New" itself and there is no way back.
    QCOMPARE(w.PageControl->currentWidget(), w.pgNewGame);
    QVERIFY(w.pgNewGame->btnNewGame->isEnabled());
    QVERIFY(!w.pgNewGame->btnSave->isEnabled());
    QVERIFY(!w.pgNewGame->btnGameList->isEnabled());
    QCOMPARE(w.pgNewGame->cmbInterlacing->currentIndex(), 7);
    QCOMPARE(w.pgNewGame->chkFiltering->checkState(), Qt::PartiallyChecked);
    // The renderer list as discovery filled it, the first entry chosen by the default.
    QCOMPARE(w.pgNewGame->cmbRenderer->currentText(), QStringLiteral("Direct3D9 (Hardware)"));
    QVERIFY(!w.pgNewGame->txtSWThreads->isEnabled());
}

void TestEditorModes::newShowsDefaultsInNewMode() {
    DialogRecorder dialogs;
    TestFolder folder;
    TfrmMain w(folder.path());
    showOn(w, w.pgGameList);
    EditorPage* page = w.pgNewGame;
    page->txtGameName->setText(QStringLiteral("Old name"));
    page->txtISOPath->setText(QStringLiteral("/games/old.iso"));
    page->txtBlur->setText(QStringLiteral("2.5"));
    page->cmbInterlacing->setCurrentIndex(0);
    page->chkPatches->setChecked(false);

    QTest::mouseClick(w.btnAddGame, Qt::LeftButton);
    QCOMPARE(w.PageControl->currentWidget(), page);
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
    QCOMPARE(w.iniPath, folder.path() + QStringLiteral("inis"));
    QCOMPARE(page->txtMCPath->text(), folder.path() + QStringLiteral("memcards"));
    QVERIFY2(dialogs.messageTexts().isEmpty(), qPrintable(dialogs.messageTexts().join(u'|')));
}

void TestEditorModes::newLeavesEditMode() {
    DialogRecorder dialogs;
    TestFolder folder;
    TfrmMain w(folder.path());
    showOn(w, w.pgNewGame);
    // Edit mode, as Edit leaves it.
    w.pgNewGame->btnNewGame->setEnabled(false);
    w.pgNewGame->btnSave->setEnabled(true);
    w.pgNewGame->txtGameName->setText(QStringLiteral("Ico"));
    w.btnAddGameClick();
    QVERIFY(w.pgNewGame->btnNewGame->isEnabled());
    QVERIFY(!w.pgNewGame->btnSave->isEnabled());
    QVERIFY(w.pgNewGame->txtGameName->text().isEmpty());
}

void TestEditorModes::gameListButtonKeepsPageAndMode() {
    DialogRecorder dialogs;
    TestFolder folder;
    TfrmMain w(folder.path());
    showOn(w, w.pgNewGame);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    EditorPage* page = w.pgNewGame;
    page->btnGameList->setEnabled(true);
    page->btnNewGame->setEnabled(false);
    page->btnSave->setEnabled(true);
    page->txtGameName->setText(QStringLiteral("Ico"));
    page->chkMTGS->setChecked(true);
    QTest::mouseClick(page->btnGameList, Qt::LeftButton);
    QCOMPARE(w.PageControl->currentWidget(), w.pgGameList);
    QTRY_VERIFY(w.img2->hasFocus());
    // Nothing stored, nothing reset.
    QCOMPARE(page->txtGameName->text(), QStringLiteral("Ico"));
    QVERIFY(page->chkMTGS->isChecked());
    QVERIFY(!page->btnNewGame->isEnabled());
    QVERIFY(page->btnSave->isEnabled());
}

void TestEditorModes::nameKeyReleaseDrivesArtworkButtons() {
    DialogRecorder dialogs;
    TestFolder folder;
    TfrmMain w(folder.path());
    showOn(w, w.pgGameList);
    w.btnAddGameClick();
    EditorPage* page = w.pgNewGame;
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
