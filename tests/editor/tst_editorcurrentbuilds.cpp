// The editor page for the emulator's current builds: the built-in graphics
// entry and the renderer rule by renderer kind.
#include "editor/editorpage.h"
#include "editor/editortables.h"
#include "editor/spinedit.h"
#include "pagefixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QtTest>

namespace {

using editortables::RendererKind;

QList<QWidget*> softwareControls(EditorPage& p) {
    return {p.txtSWThreads, p.chkEdgeAntiAliasing};
}
QList<QWidget*> direct3D9Controls(EditorPage& p) {
    return {p.chkLogDepth, p.chkAlphaCorrection};
}
QList<QWidget*> hardwareControls(EditorPage& p) {
    return {p.txtCustomWidth,      p.txtCustomHeight, p.cmbScaling,         p.chkHWHacks,
            p.chkTextureFiltering, p.chk8BitTextures, p.chkNativeResolution};
}

QString wrongNames(const QList<QWidget*>& controls, bool wanted) {
    QStringList wrong;
    for (QWidget* c : controls) {
        if (c->isEnabled() != wanted)
            wrong.append(c->objectName());
    }
    return wrong.join(u',');
}

// The page as discovery fills it for the current builds.
void fillCurrent(EditorPage& page) {
    page.setCurrentBuildsMode(true);
    page.cmbRenderer->clear();
    for (const editortables::CurrentRendererRow& r : editortables::kCurrentRenderers)
        page.cmbRenderer->addItem(QString::fromLatin1(r.text), r.number);
    page.cmbRenderer->setCurrentIndex(-1);
}

} // namespace

class TestEditorCurrentBuilds : public QObject {
    Q_OBJECT
private slots:
    void pluginListIsBuiltIn();
    void pluginRuleOffersTheGraphicsSettings();
    void rendererByKind_data();
    void rendererByKind();
    void kinds_data();
    void kinds();
    void pluginEraPageUnchanged();
};

void TestEditorCurrentBuilds::pluginListIsBuiltIn() {
    EditorPage page;
    fillCurrent(page);
    QVERIFY(page.currentBuildsMode());
    QCOMPARE(page.cmbGSPlugin->count(), 1);
    QCOMPARE(page.cmbGSPlugin->currentText(), QStringLiteral("built in"));
    QVERIFY(!page.cmbGSPlugin->isEnabled());
}

void TestEditorCurrentBuilds::pluginRuleOffersTheGraphicsSettings() {
    // "built in" is no GSdx name, yet the graphics settings stay offered.
    EditorPage page;
    fillCurrent(page);
    page.cmbRenderer->setEnabled(false);
    page.cmbInterlacing->setEnabled(false);
    page.cmbRenderer->setCurrentIndex(page.cmbRenderer->findData(14));
    page.cmbGSPluginChange();
    QVERIFY(page.cmbRenderer->isEnabled());
    QVERIFY(page.cmbInterlacing->isEnabled());
    QCOMPARE(wrongNames(hardwareControls(page), true), QString());
}

void TestEditorCurrentBuilds::rendererByKind_data() {
    QTest::addColumn<int>("number");
    QTest::addColumn<bool>("s");
    QTest::addColumn<bool>("h");
    QTest::newRow("Automatic") << -1 << false << true;
    QTest::newRow("OpenGL") << 12 << false << true;
    QTest::newRow("Vulkan") << 14 << false << true;
    QTest::newRow("Software") << 13 << true << false;
    QTest::newRow("Null") << 11 << false << false;
}

void TestEditorCurrentBuilds::rendererByKind() {
    QFETCH(int, number);
    QFETCH(bool, s);
    QFETCH(bool, h);
    EditorPage page;
    fillCurrent(page);
    for (QWidget* c : softwareControls(page))
        c->setEnabled(!s);
    for (QWidget* c : hardwareControls(page) + direct3D9Controls(page))
        c->setEnabled(!h);
    page.chkHWHacks->setChecked(true);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    const int index = page.cmbRenderer->findData(number);
    QVERIFY(index >= 0);
    pagefixture::pick(page.cmbRenderer, index);
    QCOMPARE(wrongNames(softwareControls(page), s), QString());
    QCOMPARE(wrongNames(hardwareControls(page), h), QString());
    // The Direct3D9-only controls have no equivalent in the current builds.
    QCOMPARE(wrongNames(direct3D9Controls(page), false), QString());
    QCOMPARE(page.txtSkipDraw->isEnabled(), h);
    QCOMPARE(EditorPage::Tag(page.chkNativeResolution), h ? 1 : 0);
}

void TestEditorCurrentBuilds::kinds_data() {
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("kind");
    QTest::newRow("automatic") << -1 << int(RendererKind::Hardware);
    QTest::newRow("OpenGL") << 12 << int(RendererKind::Hardware);
    QTest::newRow("Vulkan") << 14 << int(RendererKind::Hardware);
    QTest::newRow("software") << 13 << int(RendererKind::Software);
    QTest::newRow("null") << 11 << int(RendererKind::Null);
    QTest::newRow("another build's Direct3D 11") << 3 << int(RendererKind::Hardware);
}

void TestEditorCurrentBuilds::kinds() {
    QFETCH(int, number);
    QFETCH(int, kind);
    QCOMPARE(int(editortables::currentRendererKind(number)), kind);
}

void TestEditorCurrentBuilds::pluginEraPageUnchanged() {
    // Without the mode the plug-in rule still asks for a GSdx plug-in.
    EditorPage page;
    pagefixture::fillLists(page, true);
    QVERIFY(!page.currentBuildsMode());
    page.cmbGSPlugin->setCurrentIndex(1); // "GSnull Driver"
    page.cmbGSPluginChange();
    QVERIFY(!page.cmbRenderer->isEnabled());
    QVERIFY(page.cmbGSPlugin->isEnabled());
}

QTEST_MAIN(TestEditorCurrentBuilds)
#include "tst_editorcurrentbuilds.moc"
