// The rules that enable and disable the editor's dependent controls, the
// filtering cycle, the value labels and the key help.
#include "editor/editorpage.h"
#include "editor/spinedit.h"
#include "pagefixture.h"
#include "support/dialogrecorder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QtTest>

namespace {

struct Enabled {
    bool s, d9, h;
};

// The controls the renderer rule governs, by switch.
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
QList<QWidget*> hackControls(EditorPage& p) {
    return {p.txtSkipDraw,        p.cmbMSAA,     p.chkAlphaHack, p.chkSprite,
            p.chkHalfPixelOffset, p.chkWildArms, p.lblMSAA,      p.lblSkipDraw};
}

QString enabledNames(const QList<QWidget*>& controls, bool wanted) {
    QStringList wrong;
    for (QWidget* c : controls) {
        if (c->isEnabled() != wanted)
            wrong.append(c->objectName());
    }
    return wrong.join(u',');
}

#define VERIFY_ENABLED(controls, wanted)                                                                     \
    QVERIFY2(enabledNames(controls, wanted).isEmpty(),                                                       \
             qPrintable(QStringLiteral("should be %1: ").arg((wanted) ? "enabled" : "disabled") +            \
                        enabledNames(controls, wanted)))

} // namespace

class TestEditorRules : public QObject {
    Q_OBJECT
private slots:
    void renderer_data();
    void renderer();
    void rendererWithoutEntryLeavesAllOn();
    void pluginRule_data();
    void pluginRule();
    void pluginRuleWithoutSelection();
    void nativeAndScalingOnHardware();
    void nativeAndScalingInactiveOnSoftwareAndNull_data();
    void nativeAndScalingInactiveOnSoftwareAndNull();
    void rendererChangeKeepsNativeExclusion();
    void hardwareHacks();
    void groupEnableBoxes();
    void filteringCycle();
    void filteringCycleFollowsStateSetElsewhere();
    void valueLabels();
    void latencyLabel_data();
    void latencyLabel();
    void keyHelp();
};

void TestEditorRules::renderer_data() {
    QTest::addColumn<bool>("withDirect3D10");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("s");
    QTest::addColumn<bool>("d9");
    QTest::addColumn<bool>("h");
    const struct {
        const char* entry;
        bool s, d9, h, needsD3D10;
    } rows[] = {{"Direct3D9 (Hardware)", false, true, true, false},
                {"Direct3D9 (Software)", true, false, false, false},
                {"Direct3D9 (Null)", false, false, false, false},
                {"Direct3D10/11 (Hardware)", false, false, true, true},
                {"Direct3D10/11 (Software)", true, false, false, true},
                {"Direct3D10/11 (Null)", false, false, false, true},
                {"SDL 1.3 (Software)", true, false, false, false}};
    for (bool full : {true, false}) {
        for (const auto& row : rows) {
            if (row.needsD3D10 && !full)
                continue;
            QTest::addRow("%s, %s", row.entry, full ? "full list" : "short list")
                << full << QString::fromLatin1(row.entry) << row.s << row.d9 << row.h;
        }
    }
}

void TestEditorRules::renderer() {
    QFETCH(bool, withDirect3D10);
    QFETCH(QString, entry);
    QFETCH(bool, s);
    QFETCH(bool, d9);
    QFETCH(bool, h);
    EditorPage page;
    pagefixture::fillLists(page, withDirect3D10);
    // Start from the opposite of what is expected, so every switch must move.
    for (QWidget* c : softwareControls(page))
        c->setEnabled(!s);
    for (QWidget* c : direct3D9Controls(page))
        c->setEnabled(!d9);
    for (QWidget* c : hardwareControls(page) + hackControls(page))
        c->setEnabled(!h);
    page.chkHWHacks->setChecked(true);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    const int index = page.cmbRenderer->findText(entry);
    QVERIFY(index >= 0);
    pagefixture::pick(page.cmbRenderer, index);
    QCOMPARE(page.cmbRenderer->currentIndex(), index);
    VERIFY_ENABLED(softwareControls(page), s);
    VERIFY_ENABLED(direct3D9Controls(page), d9);
    VERIFY_ENABLED(hardwareControls(page), h);
    // The hacks follow the box, which the renderer has just enabled or disabled.
    VERIFY_ENABLED(hackControls(page), h);
    QCOMPARE(EditorPage::Tag(page.chkNativeResolution), h ? 1 : 0);
    QCOMPARE(EditorPage::Tag(page.cmbScaling), h ? 1 : 0);
}

void TestEditorRules::rendererWithoutEntryLeavesAllOn() {
    for (bool full : {true, false}) {
        EditorPage page;
        pagefixture::fillLists(page, full);
        for (QWidget* c : softwareControls(page) + direct3D9Controls(page) + hardwareControls(page))
            c->setEnabled(false);
        QCOMPARE(page.cmbRenderer->currentIndex(), -1);
        page.cmbRendererChange();
        VERIFY_ENABLED(softwareControls(page) + direct3D9Controls(page) + hardwareControls(page), true);
        QCOMPARE(EditorPage::Tag(page.chkNativeResolution), 1);
    }
    // An empty list counts as no entry selected.
    EditorPage empty;
    empty.txtSWThreads->setEnabled(false);
    empty.cmbRendererChange();
    QVERIFY(empty.txtSWThreads->isEnabled());
}

void TestEditorRules::pluginRule_data() {
    QTest::addColumn<QString>("plugin");
    QTest::addColumn<bool>("found");
    QTest::newRow("GSdx with a space") << "GSdx 1.0 SSE2" << true;
    QTest::newRow("upper case") << "GSDX 0.1.16 (MSVC 15.00, SSE41)" << true;
    QTest::newRow("inside the name") << "MyGSdx Build" << true;
    QTest::newRow("followed by another character") << "GSdx-SSE2" << false;
    QTest::newRow("at the end") << "Plugin GSdx" << false;
    QTest::newRow("another plug-in") << "GSnull Driver" << false;
}

void TestEditorRules::pluginRule() {
    QFETCH(QString, plugin);
    QFETCH(bool, found);
    EditorPage page;
    pagefixture::fillRenderers(page, true);
    page.cmbGSPlugin->addItem(QStringLiteral("placeholder"));
    page.cmbGSPlugin->addItem(plugin);
    page.cmbRenderer->setCurrentIndex(1); // "Direct3D9 (Software)"
    page.chkHWHacks->setChecked(true);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    pagefixture::pick(page.cmbGSPlugin, 1);

    const QList<QWidget*> offWhenMissing{page.cmbRenderer,
                                         page.cmbInterlacing,
                                         page.txtCustomWidth,
                                         page.txtCustomHeight,
                                         page.cmbScaling,
                                         page.chkNativeResolution,
                                         page.cmbMSAA,
                                         page.txtSWThreads,
                                         page.txtSkipDraw,
                                         page.chkTextureFiltering,
                                         page.chk8BitTextures,
                                         page.chkEdgeAntiAliasing,
                                         page.chkAlphaHack,
                                         page.chkLogDepth,
                                         page.chkAlphaCorrection,
                                         page.chkHalfPixelOffset};
    if (!found) {
        VERIFY_ENABLED(offWhenMissing, false);
        // Left as they were by this branch.
        VERIFY_ENABLED((QList<QWidget*>{page.chkHWHacks, page.chkSprite, page.chkWildArms, page.lblMSAA,
                                        page.lblSkipDraw}),
                       true);
        return;
    }
    // Found: the renderer rule decides, here for the software renderer.
    VERIFY_ENABLED((QList<QWidget*>{page.cmbRenderer, page.cmbInterlacing}), true);
    VERIFY_ENABLED(softwareControls(page), true);
    VERIFY_ENABLED(hardwareControls(page) + direct3D9Controls(page) + hackControls(page), false);
}

void TestEditorRules::pluginRuleWithoutSelection() {
    EditorPage page;
    pagefixture::fillLists(page, true);
    QCOMPARE(page.cmbGSPlugin->currentIndex(), -1);
    page.cmbGSPluginChange();
    QVERIFY(!page.cmbRenderer->isEnabled());
    QVERIFY(!page.cmbInterlacing->isEnabled());
    QVERIFY(!page.txtSWThreads->isEnabled());
    // Selecting by program runs no rule; a user's pick of a GSdx plug-in does.
    page.cmbGSPlugin->setCurrentIndex(0);
    QVERIFY(!page.cmbRenderer->isEnabled());
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    pagefixture::pick(page.cmbGSPlugin, 0);
    QVERIFY(page.cmbRenderer->isEnabled());
    QVERIFY(page.cmbInterlacing->isEnabled());
}

void TestEditorRules::nativeAndScalingOnHardware() {
    EditorPage page;
    pagefixture::fillLists(page, true);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    pagefixture::pick(page.cmbRenderer, 0);
    const QList<QWidget*> resolution{page.txtCustomWidth, page.txtCustomHeight};

    // Checking "Native" disables the custom resolution and the scaling list.
    QTest::mouseClick(page.chkNativeResolution, Qt::LeftButton);
    QVERIFY(page.chkNativeResolution->isChecked());
    VERIFY_ENABLED(resolution + QList<QWidget*>{page.cmbScaling}, false);
    QTest::mouseClick(page.chkNativeResolution, Qt::LeftButton);
    VERIFY_ENABLED(resolution + QList<QWidget*>{page.cmbScaling}, true);

    // "2x Native" or above disables "Native" and the custom resolution.
    pagefixture::pick(page.cmbScaling, 2);
    QVERIFY(!page.chkNativeResolution->isEnabled());
    VERIFY_ENABLED(resolution, false);
    QVERIFY(page.cmbScaling->isEnabled());
    // "Custom" again enables both.
    pagefixture::pick(page.cmbScaling, 0);
    QVERIFY(page.chkNativeResolution->isEnabled());
    VERIFY_ENABLED(resolution, true);

    // With "Native" checked, "Custom" leaves the custom resolution disabled.
    page.chkNativeResolution->setChecked(true); // by program: the rule runs all the same
    VERIFY_ENABLED(resolution + QList<QWidget*>{page.cmbScaling}, false);
    page.cmbScaling->setCurrentIndex(0);
    page.cmbScalingChange();
    QVERIFY(page.chkNativeResolution->isEnabled());
    VERIFY_ENABLED(resolution, false);
}

void TestEditorRules::nativeAndScalingInactiveOnSoftwareAndNull_data() {
    QTest::addColumn<int>("number");
    QTest::newRow("software") << 1;
    QTest::newRow("null") << 2;
    QTest::newRow("Direct3D10/11 null") << 5;
    QTest::newRow("SDL") << 7;
}

void TestEditorRules::nativeAndScalingInactiveOnSoftwareAndNull() {
    QFETCH(int, number);
    EditorPage page;
    pagefixture::fillLists(page, true);
    page.cmbRenderer->setCurrentIndex(page.cmbRenderer->findData(number));
    page.cmbRendererChange();
    QCOMPARE(EditorPage::Tag(page.chkNativeResolution), 0);
    QCOMPARE(EditorPage::Tag(page.cmbScaling), 0);
    const QList<QWidget*> upscaling{page.txtCustomWidth, page.txtCustomHeight, page.cmbScaling,
                                    page.chkNativeResolution};
    VERIFY_ENABLED(upscaling, false);
    // Loading "Native" or a scaling entry changes nothing on these renderers.
    page.chkNativeResolution->setChecked(true);
    page.chkNativeClick();
    page.cmbScaling->setCurrentIndex(3);
    page.cmbScalingChange();
    VERIFY_ENABLED(upscaling, false);
    page.chkNativeResolution->setChecked(false);
    page.cmbScaling->setCurrentIndex(0);
    page.cmbScalingChange();
    VERIFY_ENABLED(upscaling, false);
}

void TestEditorRules::rendererChangeKeepsNativeExclusion() {
    // Back on a hardware renderer with "Native" checked and a multiple chosen,
    // the rule re-applies both exclusions.
    EditorPage page;
    pagefixture::fillLists(page, true);
    page.cmbRenderer->setCurrentIndex(1);
    page.cmbRendererChange();
    page.chkNativeResolution->setChecked(true);
    page.cmbScaling->setCurrentIndex(2);
    page.cmbRenderer->setCurrentIndex(3); // Direct3D10/11 (Hardware)
    page.cmbRendererChange();
    QVERIFY(!page.cmbScaling->isEnabled());
    QVERIFY(!page.txtCustomWidth->isEnabled());
    QVERIFY(!page.chkNativeResolution->isEnabled());
}

void TestEditorRules::hardwareHacks() {
    EditorPage page;
    pagefixture::fillLists(page, true);
    page.cmbRenderer->setCurrentIndex(0);
    page.cmbRendererChange();
    VERIFY_ENABLED(hackControls(page), false);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QTest::mouseClick(page.chkHWHacks, Qt::LeftButton);
    VERIFY_ENABLED(hackControls(page), true);
    // A renderer without the hardware switch disables the hacks with the box.
    page.cmbRenderer->setCurrentIndex(2);
    page.cmbRendererChange();
    QVERIFY(page.chkHWHacks->isChecked());
    QVERIFY(!page.chkHWHacks->isEnabled());
    VERIFY_ENABLED(hackControls(page), false);
    page.cmbRenderer->setCurrentIndex(0);
    page.cmbRendererChange();
    VERIFY_ENABLED(hackControls(page), true);
    page.chkHWHacks->setChecked(false);
    VERIFY_ENABLED(hackControls(page), false);
}

void TestEditorRules::groupEnableBoxes() {
    EditorPage page;
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QList<QWidget*> fixes{page.btnGFDef};
    for (QCheckBox* fix : page.gameFixes())
        fixes.append(fix);
    const QList<QWidget*> hacks{page.trkEECyclerate, page.trkVUCycleStealing, page.chkINTC,
                                page.chkWaitLoop,    page.chkFastCDVD,        page.chkMVUFlagHack,
                                page.lblEECyclerate, page.lblVUCycleStealing, page.btnSHDef,
                                page.chkMTVU};
    page.chkGameFixes->setChecked(true);
    page.chkGameFixes->setChecked(false);
    VERIFY_ENABLED(fixes, false);
    QTest::mouseClick(page.chkGameFixes, Qt::LeftButton);
    VERIFY_ENABLED(fixes, true);
    page.chkSpeedHacks->setChecked(true);
    QTest::mouseClick(page.chkSpeedHacks, Qt::LeftButton);
    VERIFY_ENABLED(hacks, false);
    QTest::mouseClick(page.chkSpeedHacks, Qt::LeftButton);
    VERIFY_ENABLED(hacks, true);

    // While the preset is on, the boxes change no enabled state in their group.
    page.chkPreset->blockSignals(true);
    page.chkPreset->setChecked(true);
    page.chkPreset->blockSignals(false);
    page.chkSpeedHacks->setChecked(false);
    page.chkGameFixes->setChecked(false);
    VERIFY_ENABLED(hacks, true);
    VERIFY_ENABLED(fixes, true);
}

void TestEditorRules::filteringCycle() {
    EditorPage page;
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QCheckBox* box = page.chkTextureFiltering;
    QCOMPARE(box->checkState(), Qt::Unchecked);
    QCOMPARE(EditorPage::Tag(box), 0);
    // Any mouse button, the box's own toggling replaced by the cycle.
    const struct {
        Qt::MouseButton button;
        Qt::CheckState state;
        int tag;
    } steps[] = {{Qt::LeftButton, Qt::Checked, 1},
                 {Qt::RightButton, Qt::Unchecked, 2},
                 {Qt::MiddleButton, Qt::PartiallyChecked, 0},
                 {Qt::LeftButton, Qt::Checked, 1},
                 {Qt::LeftButton, Qt::Unchecked, 2},
                 {Qt::LeftButton, Qt::PartiallyChecked, 0}};
    for (const auto& step : steps) {
        QTest::mouseClick(box, step.button);
        QCOMPARE(box->checkState(), step.state);
        QCOMPARE(EditorPage::Tag(box), step.tag);
    }
    // A release outside the box is no click on it.
    QTest::mousePress(box, Qt::LeftButton);
    QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(box->width() + 20, 2));
    QCOMPARE(box->checkState(), Qt::PartiallyChecked);
    // A mark the cycle does not know leaves the box alone.
    EditorPage::setTag(box, 7);
    QTest::mouseClick(box, Qt::LeftButton);
    QCOMPARE(box->checkState(), Qt::PartiallyChecked);
    QCOMPARE(EditorPage::Tag(box), 7);
    // A disabled box gets no clicks.
    EditorPage::setTag(box, 0);
    box->setEnabled(false);
    QTest::mouseClick(box, Qt::LeftButton);
    QCOMPARE(box->checkState(), Qt::PartiallyChecked);
}

void TestEditorRules::filteringCycleFollowsStateSetElsewhere() {
    // After a default or a load set the state, the next click continues the
    // cycle from the state shown.
    EditorPage page;
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    page.chkTextureFiltering->setCheckState(Qt::Checked);
    QTest::mouseClick(page.chkTextureFiltering, Qt::LeftButton);
    QCOMPARE(page.chkTextureFiltering->checkState(), Qt::Unchecked);
    page.chkTextureFiltering->setCheckState(Qt::PartiallyChecked);
    QTest::mouseClick(page.chkTextureFiltering, Qt::LeftButton);
    QCOMPARE(page.chkTextureFiltering->checkState(), Qt::Checked);
}

void TestEditorRules::valueLabels() {
    EditorPage page;
    const QStringList ee{"Default cyclerate.", "Reduces the EE's cyclerate by about 33%.",
                         "Reduces the EE's cyclerate by about 50%."};
    const QStringList vu{"0 - Disables VU Cycle Stealing.", "1 - Mild VU Cycle Stealing.",
                         "2 - Moderate VU Cycle Stealing.", "3 - Maximum VU Cycle Stealing."};
    for (int p : {1, 2, 0}) {
        page.trkEECyclerate->setValue(p);
        QCOMPARE(page.lblEECyclerate->text(), ee.at(p));
    }
    for (int p : {3, 1, 2, 0}) {
        page.trkVUCycleStealing->setValue(p);
        QCOMPARE(page.lblVUCycleStealing->text(), vu.at(p));
    }
    // The user's move through the keyboard runs the same rule.
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    page.trkEECyclerate->setFocus();
    QTest::keyClick(page.trkEECyclerate, Qt::Key_Right);
    QCOMPARE(page.lblEECyclerate->text(), ee.at(1));
}

void TestEditorRules::latencyLabel_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("text");
    QTest::newRow("150") << 150 << "Latency: 150 ms (avg)";
    QTest::newRow("maximum") << 750 << "Latency: 750 ms (avg)";
    QTest::newRow("5, no leading zeros") << 5 << "Latency: 5 ms (avg)";
    QTest::newRow("clamped") << 2000 << "Latency: 750 ms (avg)";
    QTest::newRow("back to 0") << 0 << "Latency: 0 ms (avg)";
}

void TestEditorRules::latencyLabel() {
    QFETCH(int, position);
    QFETCH(QString, text);
    EditorPage page;
    QCOMPARE(page.lblSPU2Latency->text(), QStringLiteral("Latency: 0 ms (avg)"));
    page.trkSPU2Latency->setValue(position == 0 ? 300 : 0);
    page.trkSPU2Latency->setValue(position);
    QCOMPARE(page.lblSPU2Latency->text(), text);
}

void TestEditorRules::keyHelp() {
    DialogRecorder dialogs;
    EditorPage page;
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QTest::mouseClick(page.btnKeyHelp, Qt::LeftButton);
    QCOMPARE(dialogs.requests.size(), 1);
    const Dialogs::Request& box = dialogs.requests.first();
    QCOMPARE(box.kind, Dialogs::Kind::Message);
    QCOMPARE(box.title, QStringLiteral("Korvello (Tessaly)"));
    QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    const QString expected =
        QStringLiteral("-h, --help       \tdisplays this list of command line options\r\n"
                       "--console        \tforces the program log/console to be visible\r\n"
                       "--fullscreen     \tuse fullscreen GS mode\r\n"
                       "--windowed       \tuse windowed GS mode\r\n"
                       "--nogui          \tdisables display of the gui while running games\r\n"
                       "--elf=<str>      \texecutes an ELF image\r\n"
                       "--nodisc         \tboots an empty dvd tray; use to enter the PS2 system menu\r\n"
                       "--usecd          \tboots from the CDVD plugin (overrides IsoFile parameter)\r\n"
                       "--nohacks        \tdisables all speedhacks\r\n"
                       "--gamefixes=<str>\tuse the specified comma or pipe-delimited list of gamefixes.\r\n"
                       "                VuAddSub,VuClipFlag,FpuCompare,FpuMul,FpuNeg\r\n"
                       "                ,EETiming,SkipMpeg,OPHFlag,DMABusy\r\n"
                       "--fullboot       \tdisables fast booting\r\n"
                       "--cfgpath=<str>  \tchanges the configuration file path\r\n"
                       "--cfg=<str>      \tspecifies the PCSX2 configuration file to use\r\n"
                       "--forcewiz       \tforces PCSX2 to start the First-time Wizard\r\n"
                       "--portable       \tenables portable mode operation (requires admin/root access)\r\n"
                       "--gs=<str>       \tspecify the file to use as the GS plugin\r\n"
                       "--pad=<str>      \tspecify the file to use as the PAD plugin\r\n"
                       "--spu2=<str>     \tspecify the file to use as the SPU2 plugin\r\n"
                       "--cdvd=<str>     \tspecify the file to use as the CDVD plugin\r\n"
                       "--usb=<str>      \tspecify the file to use as the USB plugin\r\n"
                       "--fw=<str>       \tspecify the file to use as the FW plugin\r\n"
                       "--dev9=<str>     \tspecify the file to use as the DEV9 plugin");
    QCOMPARE(box.text, expected);
    QCOMPARE(box.text.count(QStringLiteral("\r\n")), 23);
}

QTEST_MAIN(TestEditorRules)
#include "tst_editorrules.moc"
