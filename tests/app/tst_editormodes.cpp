// The editor's modes as the main window drives them: "New", "GameList" and the
// name field's hold on the artwork buttons.
#include "app/mainwindow.h"
#include "editor/editorpage.h"
#include "editor/pathedit.h"
#include "editor/spinedit.h"
#include "gamelist/gamelistview.h"
#include "support/dialogrecorder.h"
#include "support/testfolder.h"

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
    w.m_pages->setCurrentWidget(page);
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
    QCOMPARE(w.m_pages->currentWidget(), w.m_editorPage);
    QVERIFY(w.m_editorPage->btnNewGame->isEnabled());
    QVERIFY(!w.m_editorPage->btnSave->isEnabled());
    QVERIFY(!w.m_editorPage->btnGameList->isEnabled());
    QCOMPARE(w.m_editorPage->cmbInterlacing->currentIndex(), 7);
    QCOMPARE(w.m_editorPage->chkTextureFiltering->checkState(), Qt::PartiallyChecked);
    // The renderer list as discovery filled it (an empty settings folder is the Linux
    // plug-ins'), the first entry chosen by the default.
    QCOMPARE(w.m_editorPage->cmbRenderer->currentText(), QStringLiteral("OpenGL (Hardware)"));
    QVERIFY(!w.m_editorPage->txtSWThreads->isEnabled());
}

void TestEditorModes::newShowsDefaultsInNewMode() {
    DialogRecorder dialogs;
    TestFolder folder;
    MainWindow w(folder.path());
    showOn(w, w.m_gameListPage);
    EditorPage* page = w.m_editorPage;
    page->txtGameName->setText(QStringLiteral("Old name"));
    page->txtISOPath->setText(QStringLiteral("/games/old.iso"));
    page->txtBlur->setText(QStringLiteral("2.5"));
    page->cmbInterlacing->setCurrentIndex(0);
    page->chkPatches->setChecked(false);

    QTest::mouseClick(w.m_newGameButton, Qt::LeftButton);
    QCOMPARE(w.m_pages->currentWidget(), page);
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
    QCOMPARE(w.m_settingsFolder, folder.path() + QStringLiteral("inis"));
    QCOMPARE(page->txtMCPath->text(), folder.path() + QStringLiteral("memcards"));
    QVERIFY2(dialogs.messageTexts().isEmpty(), qPrintable(dialogs.messageTexts().join(u'|')));
}

void TestEditorModes::newLeavesEditMode() {
    DialogRecorder dialogs;
    TestFolder folder;
    MainWindow w(folder.path());
    showOn(w, w.m_editorPage);
    // Edit mode, as Edit leaves it.
    w.m_editorPage->btnNewGame->setEnabled(false);
    w.m_editorPage->btnSave->setEnabled(true);
    w.m_editorPage->txtGameName->setText(QStringLiteral("Ico"));
    w.openNewProfile();
    QVERIFY(w.m_editorPage->btnNewGame->isEnabled());
    QVERIFY(!w.m_editorPage->btnSave->isEnabled());
    QVERIFY(w.m_editorPage->txtGameName->text().isEmpty());
}

void TestEditorModes::gameListButtonKeepsPageAndMode() {
    DialogRecorder dialogs;
    TestFolder folder;
    MainWindow w(folder.path());
    showOn(w, w.m_editorPage);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    EditorPage* page = w.m_editorPage;
    page->btnGameList->setEnabled(true);
    page->btnNewGame->setEnabled(false);
    page->btnSave->setEnabled(true);
    page->txtGameName->setText(QStringLiteral("Ico"));
    page->chkMTGS->setChecked(true);
    QTest::mouseClick(page->btnGameList, Qt::LeftButton);
    QCOMPARE(w.m_pages->currentWidget(), w.m_gameListPage);
    QTRY_VERIFY(w.m_gameGrid->hasFocus());
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
    showOn(w, w.m_gameListPage);
    w.openNewProfile();
    EditorPage* page = w.m_editorPage;
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
