// The whole-profile default, the six group defaults and the preset levels.
#include "editor/editorpage.h"
#include "editor/pathedit.h"
#include "editor/radiogroup.h"
#include "editor/spinedit.h"
#include "pagefixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QtTest>

namespace {

// The value a control holds, as text: a box's state (0, 1, 2), a list's or a
// radio group's position, a slider's position, a field's text.
QString valueOf(QWidget* w) {
    if (auto* box = qobject_cast<QCheckBox*>(w))
        return QString::number(box->checkState() == Qt::PartiallyChecked ? 2 : box->isChecked() ? 1 : 0);
    if (auto* list = qobject_cast<QComboBox*>(w))
        return QString::number(list->currentIndex());
    if (auto* group = qobject_cast<RadioGroup*>(w))
        return QString::number(group->itemIndex());
    if (auto* slider = qobject_cast<QSlider*>(w))
        return QString::number(slider->value());
    if (auto* field = qobject_cast<QLineEdit*>(w))
        return field->text();
    if (auto* path = qobject_cast<PathEdit*>(w))
        return path->text();
    if (auto* label = qobject_cast<QLabel*>(w))
        return label->text();
    return QStringLiteral("?");
}

// Every control of the page that holds a value, by name.
QMap<QString, QString> snapshot(EditorPage& page) {
    QMap<QString, QString> values;
    for (QWidget* w : page.findChildren<QWidget*>()) {
        const QString name = w->objectName();
        if (name.size() < 4 ||
            !(name.startsWith(QLatin1String("chk")) || name.startsWith(QLatin1String("cmb")) ||
              name.startsWith(QLatin1String("rgp")) || name.startsWith(QLatin1String("trk")) ||
              name.startsWith(QLatin1String("txt")) || name.startsWith(QLatin1String("lbl"))))
            continue;
        values.insert(name, valueOf(w));
    }
    return values;
}

// Sets every value control to something no default produces.
void scramble(EditorPage& page) {
    for (QCheckBox* box : page.findChildren<QCheckBox*>())
        box->setChecked(box != page.chkPreset);
    for (QComboBox* list : page.findChildren<QComboBox*>())
        list->setCurrentIndex(list->count() - 1);
    for (RadioGroup* group : page.findChildren<RadioGroup*>())
        group->setItemIndex(group->count() - 1 == 1 ? 0 : 2);
    for (QSlider* slider : page.findChildren<QSlider*>()) {
        if (slider != page.trkPreset)
            slider->setValue(slider->maximum());
    }
    for (QLineEdit* field : page.findChildren<QLineEdit*>()) {
        if (!field->objectName().isEmpty() && field->objectName() != QLatin1String("edit"))
            field->setText(QStringLiteral("x"));
    }
    page.txtISOPath->setText(QStringLiteral("/games/x.iso"));
    page.txtMCPath->setText(QStringLiteral("/x"));
}

QStringList changedNames(const QMap<QString, QString>& before, const QMap<QString, QString>& after) {
    QStringList names;
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        if (before.value(it.key()) != it.value())
            names.append(it.key());
    }
    names.sort();
    return names;
}

// The controls the preset locks through its box rule, step 5.
QList<QWidget*> lockedAlways(EditorPage& p) {
    return {p.rgpEECore,        p.rgpIOPCore,     p.rgpEERoundMode,    p.rgpEEClampingMode, p.rgpVU0Core,
            p.rgpVU1Core,       p.rgpVURoundMode, p.rgpVUClampingMode, p.btnEEDef,          p.btnVUDef,
            p.chkEnableEECache, p.chkVSync,       p.btnGSWDef,         p.txtBaseFramerate,  p.txtSlowMotion,
            p.txtTurbo,         p.rgpSkip,        p.txtDrawFrames,     p.txtSkipFrames,     p.chkDisableGS,
            p.chkMTGS,          p.btnGSDef,       p.chkManagedVsync};
}
QList<QWidget*> speedHackControls(EditorPage& p) {
    return {
        p.trkEECyclerate, p.trkVUCycleStealing, p.chkINTC,  p.chkWaitLoop, p.chkFastCDVD, p.chkMVUFlagHack,
        p.lblEECyclerate, p.lblVUCycleStealing, p.btnSHDef, p.chkMTVU};
}
QList<QWidget*> gameFixControls(EditorPage& p) {
    QList<QWidget*> controls{p.btnGFDef};
    for (QCheckBox* fix : p.gameFixes())
        controls.append(fix);
    return controls;
}

QStringList wrongEnabled(const QList<QWidget*>& controls, bool wanted) {
    QStringList wrong;
    for (QWidget* c : controls) {
        if (c->isEnabled() != wanted)
            wrong.append(c->objectName());
    }
    return wrong;
}

#define VERIFY_ENABLED(controls, wanted)                                                                     \
    do {                                                                                                     \
        const QStringList wrong_ = wrongEnabled(controls, wanted);                                           \
        QVERIFY2(wrong_.isEmpty(),                                                                           \
                 qPrintable(QStringLiteral("should be %1: ").arg((wanted) ? "enabled" : "disabled") +        \
                            wrong_.join(u',')));                                                             \
    } while (false)

} // namespace

class TestEditorDefaults : public QObject {
    Q_OBJECT
private slots:
    void wholeProfileValues_data();
    void wholeProfileValues();
    void wholeProfileEnabledStates();
    void wholeProfileKeepsNameIsoBlurAndPluginRuleState();
    void wholeProfileWithEmptyLists();
    void memoryCardFolder_data();
    void memoryCardFolder();
    void groupDefaultsTouchOnlyTheirGroup_data();
    void groupDefaultsTouchOnlyTheirGroup();
    void speedHackDefaultRunsTheLabelRules();
    void presetLevels_data();
    void presetLevels();
    void presetMovesDown();
    void presetLocks();
    void presetKeepsMTVUAndFreesFramelimiting();
    void wholeProfileDefaultSwitchesPresetOff();
};

void TestEditorDefaults::wholeProfileValues_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    const char* const rows[][2] = {{"cmbGSPlugin", "0"},
                                   {"cmbPCSX2ExeFile", "0"},
                                   {"cmbRenderer", "0"},
                                   {"cmbInterlacing", "7"},
                                   {"txtCustomWidth", "1024"},
                                   {"txtCustomHeight", "1024"},
                                   {"cmbScaling", "0"},
                                   {"txtSWThreads", "1"},
                                   {"chkLogDepth", "1"},
                                   {"chkAlphaCorrection", "1"},
                                   {"chkHWHacks", "0"},
                                   {"chkAlphaHack", "0"},
                                   {"chkSprite", "0"},
                                   {"chkWildArms", "0"},
                                   {"chkHalfPixelOffset", "0"},
                                   {"cmbMSAA", "0"},
                                   {"txtSkipDraw", "0"},
                                   {"chkNativeResolution", "0"},
                                   {"chkTextureFiltering", "2"},
                                   {"cmbAspectRatio", "1"},
                                   {"txtSizeW", "640"},
                                   {"txtSizeH", "480"},
                                   {"chkResizeBorder", "0"},
                                   {"chkHideCursor", "0"},
                                   {"chkHideSuspend", "1"},
                                   {"chkFullScreen", "0"},
                                   {"chkManagedVsync", "0"},
                                   {"chkVSync", "0"},
                                   {"chkMTVU", "0"},
                                   {"chkDoubleClick", "1"},
                                   {"txtZoom", "100.0"},
                                   {"chkGameFix1", "0"},
                                   {"chkGameFix7", "0"},
                                   {"chkGameFix14", "0"},
                                   {"chkGameFixes", "0"},
                                   {"chkDisableFramelimiting", "0"},
                                   {"txtBaseFramerate", "100"},
                                   {"txtSlowMotion", "50"},
                                   {"txtTurbo", "200"},
                                   {"txtNTSC", "59.94"},
                                   {"txtPAL", "50.0"},
                                   {"rgpSkip", "0"},
                                   {"txtDrawFrames", "2"},
                                   {"txtSkipFrames", "2"},
                                   {"chkDisableGS", "0"},
                                   {"chkMTGS", "0"},
                                   {"rgpEECore", "1"},
                                   {"rgpIOPCore", "1"},
                                   {"rgpEERoundMode", "3"},
                                   {"rgpEEClampingMode", "1"},
                                   {"chkEnableEECache", "0"},
                                   {"rgpVU0Core", "1"},
                                   {"rgpVU1Core", "1"},
                                   {"rgpVURoundMode", "3"},
                                   {"rgpVUClampingMode", "1"},
                                   {"cmbCDVDSource", "0"},
                                   {"txtCMDKeys", ""},
                                   {"trkEECyclerate", "0"},
                                   {"lblEECyclerate", "Default cyclerate."},
                                   {"trkVUCycleStealing", "0"},
                                   {"lblVUCycleStealing", "0 - Disables VU Cycle Stealing."},
                                   {"chkINTC", "0"},
                                   {"chkWaitLoop", "0"},
                                   {"chkFastCDVD", "0"},
                                   {"chkMVUFlagHack", "0"},
                                   {"chkSpeedHacks", "0"},
                                   {"chkBackup", "0"},
                                   {"chkPatches", "1"},
                                   {"chkConsole", "0"},
                                   {"chkEnableCheats", "0"},
                                   {"chkHostFs", "0"},
                                   {"cmbSPU2Interpolation", "4"},
                                   {"cmbSPU2Reverb", "0"},
                                   {"chkSPU2DisableEffects", "0"},
                                   {"cmbSPU2Sync", "0"},
                                   {"cmbSPU2AudioEpx", "0"},
                                   {"trkSPU2Latency", "150"},
                                   {"lblSPU2Latency", "Latency: 150 ms (avg)"},
                                   {"cmbSPU2Module", "1"},
                                   {"chkSPU2Debug", "0"},
                                   {"chkSPU2UseDSP", "0"},
                                   {"chkSPU2DeAlias", "0"},
                                   {"txtMCPath", "/opt/pcsx2/memcards"},
                                   {"txtMC1", "Mcd001.ps2"},
                                   {"txtMC2", "Mcd002.ps2"},
                                   {"chkMCAutoEject", "1"},
                                   {"trkPreset", "0"},
                                   {"lblPreset", "1 - Safest"},
                                   {"chkPreset", "0"}};
    for (const auto& row : rows)
        QTest::newRow(row[0]) << QString::fromLatin1(row[0]) << QString::fromLatin1(row[1]);
}

void TestEditorDefaults::wholeProfileValues() {
    QFETCH(QString, name);
    QFETCH(QString, value);
    EditorPage page;
    pagefixture::fillLists(page, true);
    page.m_settingsFolder = QStringLiteral("/opt/pcsx2/inis");
    scramble(page);
    page.trkPreset->setValue(4);
    page.btnDefaultClick();
    QWidget* control = page.findChild<QWidget*>(name);
    QVERIFY(control);
    QCOMPARE(valueOf(control), value);
}

void TestEditorDefaults::wholeProfileEnabledStates() {
    EditorPage page;
    pagefixture::fillLists(page, true);
    // Start from the opposite: everything that the default should enable is off.
    for (QWidget* w : page.findChildren<QWidget*>())
        w->setEnabled(false);
    page.setEnabled(true);
    for (QWidget* w : page.findChildren<QWidget*>()) {
        if (!w->objectName().startsWith(QLatin1String("grp")) &&
            w->objectName() != QLatin1String("cmbRenderer") &&
            w->objectName() != QLatin1String("cmbInterlacing"))
            continue;
        w->setEnabled(true);
    }
    // The scroll area the groups stand in, with its viewport, is no control.
    for (QWidget* w = page.groupArea(); w && w != &page; w = w->parentWidget())
        w->setEnabled(true);
    page.chkHWHacks->setChecked(true);
    page.chkGameFixes->setChecked(true);
    page.chkSpeedHacks->setChecked(true);
    page.btnDefaultClick();

    VERIFY_ENABLED((QList<QWidget*>{page.chkNativeResolution, page.cmbScaling, page.txtCustomWidth,
                                    page.txtCustomHeight, page.chkHWHacks, page.chkTextureFiltering,
                                    page.chk8BitTextures, page.chkLogDepth, page.chkAlphaCorrection}),
                   true);
    VERIFY_ENABLED((QList<QWidget*>{page.txtSWThreads, page.chkEdgeAntiAliasing}), false);
    VERIFY_ENABLED(
        (QList<QWidget*>{page.txtSkipDraw, page.cmbMSAA, page.chkAlphaHack, page.chkSprite,
                         page.chkHalfPixelOffset, page.chkWildArms, page.lblMSAA, page.lblSkipDraw}),
        false);
    VERIFY_ENABLED(gameFixControls(page), false);
    VERIFY_ENABLED(speedHackControls(page), false);
    QVERIFY(!page.trkPreset->isEnabled());
    VERIFY_ENABLED((lockedAlways(page) + QList<QWidget*>{page.chkSpeedHacks, page.chkGameFixes}), true);
    VERIFY_ENABLED((QList<QWidget*>{page.txtNTSC, page.txtPAL}), false);
}

void TestEditorDefaults::wholeProfileKeepsNameIsoBlurAndPluginRuleState() {
    EditorPage page;
    pagefixture::fillLists(page, true);
    page.txtGameName->setText(QStringLiteral("Ico"));
    page.txtISOPath->setText(QStringLiteral("/games/ico.iso"));
    page.txtBlur->setText(QStringLiteral("1.5"));
    page.cmbGSPlugin->setCurrentIndex(1); // not a GSdx plug-in
    page.cmbGSPluginChange();
    QVERIFY(!page.cmbRenderer->isEnabled());
    page.btnDefaultClick();
    QCOMPARE(page.txtGameName->text(), QStringLiteral("Ico"));
    QCOMPARE(page.txtISOPath->text(), QStringLiteral("/games/ico.iso"));
    QCOMPARE(page.txtBlur->text(), QStringLiteral("1.5"));
    // The first plug-in is selected, but its rule does not run.
    QCOMPARE(page.cmbGSPlugin->currentIndex(), 0);
    QVERIFY(!page.cmbRenderer->isEnabled());
    QVERIFY(!page.cmbInterlacing->isEnabled());
}

void TestEditorDefaults::wholeProfileWithEmptyLists() {
    EditorPage page;
    page.m_settingsFolder = QStringLiteral("/opt/pcsx2/settings");
    page.btnDefaultClick();
    QCOMPARE(page.cmbGSPlugin->currentIndex(), -1);
    QCOMPARE(page.cmbPCSX2ExeFile->currentIndex(), -1);
    QCOMPARE(page.cmbRenderer->currentIndex(), -1);
    // No renderer: everything the renderer governs is on.
    QVERIFY(page.txtSWThreads->isEnabled());
    QVERIFY(page.chkEdgeAntiAliasing->isEnabled());
    QCOMPARE(page.txtMCPath->text(), QStringLiteral("/opt/pcsx2/settings"));
}

void TestEditorDefaults::memoryCardFolder_data() {
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QString>("cards");
    QTest::newRow("program folder") << "/opt/pcsx2/inis"
                                    << "/opt/pcsx2/memcards";
    QTest::newRow("backslashes") << "C:\\PCSX2\\inis"
                                 << "C:\\PCSX2\\memcards";
    QTest::newRow("trailing separator") << "/opt/pcsx2/inis/"
                                        << "/opt/pcsx2/memcards/";
    QTest::newRow("every occurrence") << "/a/inis/b/inis"
                                      << "/a/memcards/b/memcards";
    QTest::newRow("only whole folder names") << "/home/u/inistall/inis"
                                             << "/home/u/inistall/memcards";
    QTest::newRow("letter case counts") << "/opt/pcsx2/INIS"
                                        << "/opt/pcsx2/INIS";
    QTest::newRow("no inis") << "/home/u/.config/PCSX2"
                             << "/home/u/.config/PCSX2";
    QTest::newRow("empty") << ""
                           << "";
}

void TestEditorDefaults::memoryCardFolder() {
    QFETCH(QString, settings);
    QFETCH(QString, cards);
    QCOMPARE(EditorPage::memoryCardFolder(settings), cards);
}

void TestEditorDefaults::groupDefaultsTouchOnlyTheirGroup_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("changed");
    QTest::newRow("GS") << "btnGSDef"
                        << QStringList{"chkDisableFramelimiting", "chkDisableGS",  "chkMTGS", "rgpSkip",
                                       "txtBaseFramerate",        "txtDrawFrames", "txtNTSC", "txtPAL",
                                       "txtSkipFrames",           "txtSlowMotion", "txtTurbo"};
    QTest::newRow("GS Window") << "btnGSWDef" << QStringList{"chkFullScreen",   "chkHideCursor",   "chkMTVU",
                                                             "chkManagedVsync", "chkResizeBorder", "chkVSync",
                                                             "cmbAspectRatio",  "txtSizeH",        "txtSizeW",
                                                             "txtZoom"};
    QTest::newRow("Game Fixes") << "btnGFDef"
                                << QStringList{"chkGameFix1",  "chkGameFix10", "chkGameFix11", "chkGameFix12",
                                               "chkGameFix13", "chkGameFix14", "chkGameFix2",  "chkGameFix3",
                                               "chkGameFix4",  "chkGameFix5",  "chkGameFix6",  "chkGameFix7",
                                               "chkGameFix8",  "chkGameFix9",  "chkGameFixes"};
    QTest::newRow("EE/IOP") << "btnEEDef"
                            << QStringList{"chkEnableEECache", "rgpEEClampingMode", "rgpEECore",
                                           "rgpEERoundMode", "rgpIOPCore"};
    QTest::newRow("VUs") << "btnVUDef"
                         << QStringList{"rgpVU0Core", "rgpVU1Core", "rgpVUClampingMode", "rgpVURoundMode"};
    QTest::newRow("Speed Hacks") << "btnSHDef"
                                 << QStringList{"chkFastCDVD",        "chkINTC",        "chkMVUFlagHack",
                                                "chkSpeedHacks",      "chkWaitLoop",    "lblEECyclerate",
                                                "lblVUCycleStealing", "trkEECyclerate", "trkVUCycleStealing"};
}

void TestEditorDefaults::groupDefaultsTouchOnlyTheirGroup() {
    QFETCH(QString, button);
    QFETCH(QStringList, changed);
    EditorPage page;
    pagefixture::fillLists(page, true);
    scramble(page);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    auto* pressed = page.findChild<QPushButton*>(button);
    QVERIFY(pressed && pressed->isEnabled());
    const QMap<QString, QString> before = snapshot(page);
    QTest::mouseClick(pressed, Qt::LeftButton);
    QCOMPARE(changedNames(before, snapshot(page)), changed);
    // In the two groups with an "Enable" box the box ends unchecked and the
    // group, its own Default included, is disabled.
    if (button == QLatin1String("btnGFDef"))
        VERIFY_ENABLED(gameFixControls(page), false);
    if (button == QLatin1String("btnSHDef"))
        VERIFY_ENABLED(speedHackControls(page), false);
    QVERIFY(!page.txtNTSC->isEnabled());
}

void TestEditorDefaults::speedHackDefaultRunsTheLabelRules() {
    EditorPage page;
    QCOMPARE(page.trkEECyclerate->value(), 0);
    QCOMPARE(page.lblEECyclerate->text(), QStringLiteral("lblEECyclerate"));
    page.btnSHDefClick();
    QCOMPARE(page.lblEECyclerate->text(), QStringLiteral("Default cyclerate."));
    QCOMPARE(page.lblVUCycleStealing->text(), QStringLiteral("0 - Disables VU Cycle Stealing."));
}

void TestEditorDefaults::presetLevels_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("label");
    QTest::addColumn<bool>("hacks"); // chkSpeedHacks, chkINTC, chkWaitLoop, chkMVUFlagHack
    QTest::addColumn<int>("ee");
    QTest::addColumn<int>("vu");
    QTest::addColumn<int>("clamping");
    QTest::newRow("1 - Safest") << 0 << "1 - Safest" << false << 0 << 0 << 1;
    QTest::newRow("2 - Safe (faster)") << 1 << "2 - Safe (faster)" << true << 0 << 0 << 1;
    QTest::newRow("3 - Balanced") << 2 << "3 - Balanced" << true << 1 << 0 << 1;
    QTest::newRow("4 - Aggressive") << 3 << "4 - Aggressive" << true << 1 << 1 << 0;
    QTest::newRow("5 - Aggressive plus") << 4 << "5 - Aggressive plus" << true << 2 << 1 << 0;
    QTest::newRow("6 - Mostly Harmful") << 5 << "6 - Mostly Harmful" << true << 2 << 2 << 0;
}

void TestEditorDefaults::presetLevels() {
    QFETCH(int, position);
    QFETCH(QString, label);
    QFETCH(bool, hacks);
    QFETCH(int, ee);
    QFETCH(int, vu);
    QFETCH(int, clamping);
    EditorPage page;
    pagefixture::fillLists(page, true);
    page.btnDefaultClick();
    scramble(page);
    const QMap<QString, QString> before = snapshot(page);

    // Off, the level only names itself.
    page.trkPreset->setValue(position);
    QCOMPARE(page.lblPreset->text(), label);
    QCOMPARE(page.chkINTC->isChecked(), true);

    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QTest::mouseClick(page.chkPreset, Qt::LeftButton);
    QVERIFY(page.chkPreset->isChecked());
    QCOMPARE(page.lblPreset->text(), label);
    for (QCheckBox* box : {page.chkSpeedHacks, page.chkINTC, page.chkWaitLoop, page.chkMVUFlagHack})
        QCOMPARE(box->isChecked(), hacks);
    QCOMPARE(page.trkEECyclerate->value(), ee);
    QCOMPARE(page.trkVUCycleStealing->value(), vu);
    QCOMPARE(page.rgpVUClampingMode->itemIndex(), clamping);
    QVERIFY(!page.chkVSync->isChecked());
    // The rest of the five groups takes the group defaults at every level.
    QVERIFY(!page.chkFastCDVD->isChecked());
    QCOMPARE(page.txtBaseFramerate->text(), QStringLiteral("100"));
    QCOMPARE(page.rgpEECore->itemIndex(), 1);
    QCOMPARE(page.rgpVURoundMode->itemIndex(), 3);
    QVERIFY(!page.chkGameFix5->isChecked());
    QVERIFY(!page.chkGameFixes->isChecked());
    // No level touches the rest of the page.
    const QMap<QString, QString> after = snapshot(page);
    for (const char* untouched : {"chkMTVU", "chkHideCursor", "chkManagedVsync", "cmbSPU2Module", "txtMC1",
                                  "chkHWHacks", "trkSPU2Latency", "chkPatches"})
        QCOMPARE(after.value(QLatin1String(untouched)), before.value(QLatin1String(untouched)));
}

void TestEditorDefaults::presetMovesDown() {
    EditorPage page;
    page.btnDefaultClick();
    page.chkPreset->setChecked(true);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    page.trkPreset->setValue(5);
    QCOMPARE(page.trkEECyclerate->value(), 2);
    QCOMPARE(page.trkVUCycleStealing->value(), 2);
    QCOMPARE(page.rgpVUClampingMode->itemIndex(), 0);
    // The user moves the slider down to level 2 with the keyboard.
    page.trkPreset->setFocus();
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(page.trkPreset, Qt::Key_Left);
    QCOMPARE(page.trkPreset->value(), 1);
    QCOMPARE(page.lblPreset->text(), QStringLiteral("2 - Safe (faster)"));
    QCOMPARE(page.trkEECyclerate->value(), 0);
    QCOMPARE(page.trkVUCycleStealing->value(), 0);
    QCOMPARE(page.rgpVUClampingMode->itemIndex(), 1);
    QCOMPARE(page.lblEECyclerate->text(), QStringLiteral("Default cyclerate."));
    QCOMPARE(page.lblVUCycleStealing->text(), QStringLiteral("0 - Disables VU Cycle Stealing."));
    QVERIFY(page.chkSpeedHacks->isChecked());
}

void TestEditorDefaults::presetLocks() {
    EditorPage page;
    pagefixture::fillLists(page, true);
    page.btnDefaultClick();
    page.chkGameFixes->setChecked(true);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QVERIFY(!page.trkPreset->isEnabled());
    page.trkPreset->setValue(2);

    QTest::mouseClick(page.chkPreset, Qt::LeftButton);
    QVERIFY(page.trkPreset->isEnabled());
    VERIFY_ENABLED(lockedAlways(page), false);
    VERIFY_ENABLED((QList<QWidget*>{page.chkSpeedHacks, page.chkGameFixes}), false);
    // Speed hacks are on at level 3: their controls are locked by the box rule.
    QVERIFY(page.chkSpeedHacks->isChecked());
    VERIFY_ENABLED(speedHackControls(page), false);
    // Never locked: the rest of GS Window, graphics, sound, cards, the Action buttons.
    VERIFY_ENABLED(
        (QList<QWidget*>{page.chkDisableFramelimiting, page.cmbAspectRatio, page.chkFullScreen,
                         page.chkHideSuspend, page.cmbSPU2Module, page.trkSPU2Latency, page.txtMCPath,
                         page.btnDefault, page.btnNewGame, page.cmbInterlacing, page.txtGameName}),
        true);

    QTest::mouseClick(page.chkPreset, Qt::LeftButton);
    QVERIFY(!page.chkPreset->isChecked());
    QVERIFY(!page.trkPreset->isEnabled());
    VERIFY_ENABLED(lockedAlways(page), true);
    VERIFY_ENABLED((QList<QWidget*>{page.chkSpeedHacks, page.chkGameFixes}), true);
    VERIFY_ENABLED(speedHackControls(page), true);
    // Switching off keeps the level's values.
    QCOMPARE(page.trkEECyclerate->value(), 1);
    QVERIFY(page.chkINTC->isChecked());
    // The level unchecked the game fixes; with the preset off their rule disables them.
    QVERIFY(!page.chkGameFixes->isChecked());
    VERIFY_ENABLED(gameFixControls(page), false);
}

void TestEditorDefaults::presetKeepsMTVUAndFreesFramelimiting() {
    EditorPage page;
    page.btnDefaultClick();
    page.chkSpeedHacks->setChecked(true);
    page.chkMTVU->setChecked(true);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    page.trkPreset->setValue(3);
    QTest::mouseClick(page.chkPreset, Qt::LeftButton);
    QVERIFY(page.chkMTVU->isChecked());
    QVERIFY(!page.chkMTVU->isEnabled());

    // The frame limiter box stays free, and the next level applied unchecks it.
    QVERIFY(page.chkDisableFramelimiting->isEnabled());
    QTest::mouseClick(page.chkDisableFramelimiting, Qt::LeftButton);
    QVERIFY(page.chkDisableFramelimiting->isChecked());
    page.trkPreset->setValue(4);
    QVERIFY(!page.chkDisableFramelimiting->isChecked());
    QVERIFY(page.chkMTVU->isChecked());
}

void TestEditorDefaults::wholeProfileDefaultSwitchesPresetOff() {
    EditorPage page;
    page.btnDefaultClick();
    page.chkPreset->setChecked(true);
    page.trkPreset->setValue(5);
    QVERIFY(!page.rgpEECore->isEnabled());
    page.btnDefaultClick();
    QVERIFY(!page.chkPreset->isChecked());
    QCOMPARE(page.trkPreset->value(), 0);
    QCOMPARE(page.lblPreset->text(), QStringLiteral("1 - Safest"));
    QVERIFY(!page.trkPreset->isEnabled());
    VERIFY_ENABLED(lockedAlways(page), true);
    QCOMPARE(page.trkEECyclerate->value(), 0);
}

QTEST_MAIN(TestEditorDefaults)
#include "tst_editordefaults.moc"
