// The editor page as the main window shows it on an X server: all fourteen
// groups at once in the 1006 by 700 page at Arial 10 px, nothing clipped and
// nothing to scroll (the page scrolls only in a smaller window).
#include "app/mainwindow.h"
#include "editor/editorpage.h"
#include "pagefixture.h"
#include "support/dialogrecorder.h"
#include "support/testfolder.h"
#include "support/windowparts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QSlider>
#include <QTabWidget>
#include <QtTest>

class TestEditorLayout : public QObject {
    Q_OBJECT
private slots:
    void everyGroupVisibleAndNothingCramped_data();
    void everyGroupVisibleAndNothingCramped();
};

void TestEditorLayout::everyGroupVisibleAndNothingCramped_data() {
    QTest::addColumn<bool>("withDirect3D10");
    QTest::addColumn<bool>("presetOn");
    QTest::newRow("new mode") << true << false;
    QTest::newRow("short renderer list, preset on") << false << true;
}

void TestEditorLayout::everyGroupVisibleAndNothingCramped() {
    QFETCH(bool, withDirect3D10);
    QFETCH(bool, presetOn);
    DialogRecorder dialogs;
    TestFolder folder;
    MainWindow w(folder.path());
    EditorPage* page = parts(w).editorPage;
    page->cmbGSPlugin->addItem(QStringLiteral("GSdx 5334 (MSVC 16.00, SSE2) 0.1.16"));
    pagefixture::fillRenderers(*page, withDirect3D10);
    parts(w).commands->openNewProfile();
    page->chkPreset->setChecked(presetOn);
    page->trkPreset->setValue(presetOn ? 5 : 0);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(parts(w).pages->currentWidget(), page);
    QCOMPARE(page->font().family(), QStringLiteral("Arial"));
    QCOMPARE(page->font().pixelSize(), 10);

    const QRect area = page->rect();
    QVERIFY2(area.width() >= 1000 && area.height() >= 690,
             qPrintable(QStringLiteral("page %1x%2").arg(area.width()).arg(area.height())));
    // At the first window size the groups fit the page: nothing to scroll.
    QWidget* groupArea = page->groupArea();
    QVERIFY(area.contains(QRect(groupArea->mapTo(page, QPoint(0, 0)), groupArea->size())));
    int groups = 0;
    QList<QRect> placed;
    for (QGroupBox* group : groupArea->findChildren<QGroupBox*>(Qt::FindDirectChildrenOnly)) {
        ++groups;
        QVERIFY2(group->isVisible(), qPrintable(group->objectName()));
        QVERIFY2(area.contains(group->geometry()), qPrintable(group->objectName()));
        for (const QRect& other : placed)
            QVERIFY2(!other.intersects(group->geometry()), qPrintable(group->objectName() + " overlaps"));
        placed.append(group->geometry());
    }
    QCOMPARE(groups, 14);
    const QStringList cramped = pagefixture::crampedControls(page);
    QVERIFY2(cramped.isEmpty(), qPrintable(cramped.join(u'\n')));
    const QString shot = qEnvironmentVariable("KORVELLO_EDITOR_SHOT");
    if (!shot.isEmpty())
        w.grab().save(shot);
}

QTEST_MAIN(TestEditorLayout)
#include "tst_editorlayout.moc"
