// The editor page's control kinds and its model: every control by name, kind,
// caption, entries, range and start state.
#include "editor/editorpage.h"
#include "editor/filteringcheckbox.h"
#include "editor/pathedit.h"
#include "editor/radiogroup.h"
#include "editor/spinedit.h"
#include "support/dialogrecorder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QToolButton>
#include <QtTest>

class TestEditorControls : public QObject {
    Q_OBJECT
private slots:
    void spinEditSteps_data();
    void spinEditSteps();
    void spinEditKeepsTextAndRefusesNonNumbers();
    void spinEditButtonsAndKeys();
    void radioGroupCanHoldNoChoice();
    void pathEditFilter_data();
    void pathEditFilter();
    void pathEditBrowse();
    void pathEditLengthLimit();
    void checkBoxes_data();
    void checkBoxes();
    void lists_data();
    void lists();
    void radioGroups_data();
    void radioGroups();
    void spinEdits_data();
    void spinEdits();
    void groupsAndOtherControls();
    void valueLabels();
};

void TestEditorControls::spinEditSteps_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("increment");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<bool>("bounded");
    QTest::addColumn<int>("steps");
    QTest::addColumn<QString>("expected");
    QTest::newRow("integer up") << "5" << 1.0 << 0 << false << 1 << "6";
    QTest::newRow("blank counts as 0") << "" << 1.0 << 0 << false << 1 << "1";
    QTest::newRow("blanks around the number") << "  7 " << 1.0 << 0 << false << -1 << "6";
    QTest::newRow("below zero, unbounded") << "0" << 1.0 << 0 << false << -2 << "-2";
    QTest::newRow("negative start") << "-5" << 1.0 << 0 << false << 1 << "-4";
    QTest::newRow("decimal step") << "0.0" << 0.1 << 1 << true << 1 << "0.1";
    QTest::newRow("three tenths, no drift") << "0.0" << 0.1 << 1 << true << 3 << "0.3";
    QTest::newRow("back to zero, no minus") << "0.3" << 0.1 << 1 << true << -3 << "0.0";
    QTest::newRow("clamped at the top") << "2.95" << 0.1 << 1 << true << 1 << "3.0";
    QTest::newRow("clamped at the bottom") << "0.0" << 0.1 << 1 << true << -1 << "0.0";
    QTest::newRow("typed above the range") << "7" << 0.1 << 1 << true << -1 << "3.0";
    QTest::newRow("rounded to the decimals") << "1.25" << 0.1 << 1 << true << 1 << "1.4";
    QTest::newRow("large number, no grouping") << "1023" << 1.0 << 0 << false << 1 << "1024";
}

void TestEditorControls::spinEditSteps() {
    QFETCH(QString, text);
    QFETCH(double, increment);
    QFETCH(int, decimals);
    QFETCH(bool, bounded);
    QFETCH(int, steps);
    QFETCH(QString, expected);
    // The program's decimal separator is "."; a user locale with "," changes nothing.
    QLocale::setDefault(QLocale(QLocale::German));
    SpinEdit field(text);
    field.setIncrement(increment);
    field.setDecimals(decimals);
    if (bounded)
        field.setRange(0.0, 3.0);
    field.stepBy(steps);
    QLocale::setDefault(QLocale::c());
    QCOMPARE(field.text(), expected);
}

void TestEditorControls::spinEditKeepsTextAndRefusesNonNumbers() {
    SpinEdit field;
    field.setText(QStringLiteral(" 12 "));
    QCOMPARE(field.text(), QStringLiteral(" 12 "));
    field.setText(QStringLiteral("abc"));
    field.stepUp();
    QCOMPARE(field.text(), QStringLiteral("abc"));

    // A typed number outside a given range is brought into it when editing ends;
    // an unbounded field keeps whatever was typed.
    SpinEdit bounded;
    bounded.setDecimals(1);
    bounded.setRange(0.0, 3.0);
    bounded.setText(QStringLiteral("-4"));
    emit bounded.editingFinished();
    QCOMPARE(bounded.text(), QStringLiteral("0.0"));
    SpinEdit free;
    free.setText(QStringLiteral("-4000"));
    emit free.editingFinished();
    QCOMPARE(free.text(), QStringLiteral("-4000"));
}

void TestEditorControls::spinEditButtonsAndKeys() {
    SpinEdit field(QStringLiteral("1"));
    field.resize(80, 20);
    field.show();
    QVERIFY(QTest::qWaitForWindowExposed(&field));
    QTest::mouseClick(field.upButton(), Qt::LeftButton);
    QCOMPARE(field.text(), QStringLiteral("2"));
    QTest::mouseClick(field.downButton(), Qt::LeftButton);
    QTest::mouseClick(field.downButton(), Qt::LeftButton);
    QCOMPARE(field.text(), QStringLiteral("0"));
    QTest::keyClick(&field, Qt::Key_Down);
    QCOMPARE(field.text(), QStringLiteral("-1"));
    QTest::keyClick(&field, Qt::Key_Up);
    QTest::keyClick(&field, Qt::Key_Up);
    QCOMPARE(field.text(), QStringLiteral("1"));
    // Typing edits the text freely, blanks included.
    field.clear();
    QTest::keyClicks(&field, QStringLiteral(" 4 "));
    QCOMPARE(field.text(), QStringLiteral(" 4 "));
}

void TestEditorControls::radioGroupCanHoldNoChoice() {
    RadioGroup group(QStringLiteral("Round Mode"),
                     {QStringLiteral("Nearest"), QStringLiteral("Negative"), QStringLiteral("Positive")});
    QCOMPARE(group.itemIndex(), -1);
    group.setItemIndex(2);
    QCOMPARE(group.itemIndex(), 2);
    group.setItemIndex(-1);
    QCOMPARE(group.itemIndex(), -1);
    for (int i = 0; i < group.count(); ++i)
        QVERIFY(!group.button(i)->isChecked());
    group.setItemIndex(1);
    group.setItemIndex(0);
    QCOMPARE(group.itemIndex(), 0);
    QVERIFY(!group.button(1)->isChecked());
    group.setItemIndex(9);
    QCOMPARE(group.itemIndex(), 2);

    // The user's pick: exclusive, and a click on the chosen one keeps it.
    group.show();
    QVERIFY(QTest::qWaitForWindowExposed(&group));
    QSignalSpy picked(&group, &RadioGroup::itemClicked);
    QTest::mouseClick(group.button(0), Qt::LeftButton);
    QCOMPARE(group.itemIndex(), 0);
    QTest::mouseClick(group.button(0), Qt::LeftButton);
    QCOMPARE(group.itemIndex(), 0);
    QCOMPARE(picked.count(), 2);
    QCOMPARE(picked.first().first().toInt(), 0);
}

void TestEditorControls::pathEditFilter_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("qt");
    QTest::newRow("disc image") << "All files (*.*)|*.*|ISO|*.iso"
                                << "All files (*);;ISO (*.iso)";
    QTest::newRow("several patterns") << "Pictures|*.jpg;*.jpeg"
                                      << "Pictures (*.jpg *.jpeg)";
    QTest::newRow("no filter") << ""
                               << "";
}

void TestEditorControls::pathEditFilter() {
    QFETCH(QString, filter);
    QFETCH(QString, qt);
    QCOMPARE(PathEdit::qtFilter(filter), qt);
}

void TestEditorControls::pathEditBrowse() {
    DialogRecorder dialogs;
    EditorPage page;
    QCOMPARE(
        page.txtISOPath->filter(),
        QStringLiteral("Disc images|*.iso;*.bin;*.cue;*.mdf;*.chd;*.cso;*.zso;*.gz|All files (*.*)|*.*"));
    QCOMPARE(page.txtISOPath->mode(), PathEdit::Mode::File);
    QCOMPARE(page.txtMCPath->mode(), PathEdit::Mode::Folder);

    dialogs.pathAnswers.enqueue(QStringLiteral("/games/ico.iso"));
    QTest::mouseClick(page.txtISOPath->browseButton(), Qt::LeftButton);
    QCOMPARE(page.txtISOPath->text(), QStringLiteral("/games/ico.iso"));
    QCOMPARE(dialogs.requests.size(), 1);
    QCOMPARE(dialogs.requests.at(0).kind, Dialogs::Kind::OpenFile);
    QCOMPARE(dialogs.requests.at(0).filter,
             QStringLiteral("Disc images (*.iso *.bin *.cue *.mdf *.chd *.cso *.zso *.gz);;All files (*)"));

    // Cancelled: the field keeps its path.
    QTest::mouseClick(page.txtISOPath->browseButton(), Qt::LeftButton);
    QCOMPARE(page.txtISOPath->text(), QStringLiteral("/games/ico.iso"));

    dialogs.clear();
    dialogs.pathAnswers.enqueue(QStringLiteral("/home/me/cards"));
    QTest::mouseClick(page.txtMCPath->browseButton(), Qt::LeftButton);
    QCOMPARE(page.txtMCPath->text(), QStringLiteral("/home/me/cards"));
    QCOMPARE(dialogs.requests.at(0).kind, Dialogs::Kind::ChooseFolder);
    // Empty start folder: the chooser starts at the desktop.
    QCOMPARE(dialogs.requests.at(0).text, QString());

    // A path longer than the field holds is refused with an error, nothing lost.
    dialogs.clear();
    dialogs.pathAnswers.enqueue(QStringLiteral("/") + QString(300, u'x'));
    QTest::mouseClick(page.txtMCPath->browseButton(), Qt::LeftButton);
    QCOMPARE(page.txtMCPath->text(), QStringLiteral("/home/me/cards"));
    QCOMPARE(dialogs.requests.size(), 2);
    QCOMPARE(dialogs.requests.at(1).icon, QMessageBox::Critical);
    QVERIFY2(dialogs.requests.at(1).text.contains(QStringLiteral("longer than 255")),
             qPrintable(dialogs.requests.at(1).text));
}

void TestEditorControls::pathEditLengthLimit() {
    PathEdit field(PathEdit::Mode::File);
    field.show();
    QVERIFY(QTest::qWaitForWindowExposed(&field));
    const QString full(255, u'a');
    field.setText(full);
    QTest::keyClicks(field.lineEdit(), QStringLiteral("b"));
    QCOMPARE(field.text(), full);
    // A longer stored path is kept whole and may be shortened, not lengthened.
    const QString stored(300, u'c');
    field.setText(stored);
    QCOMPARE(field.text(), stored);
    field.lineEdit()->setFocus();
    field.lineEdit()->end(false);
    QTest::keyClick(field.lineEdit(), Qt::Key_Backspace);
    QCOMPARE(field.text().size(), 299);
    QTest::keyClicks(field.lineEdit(), QStringLiteral("dd"));
    QCOMPARE(field.text().size(), 299);
    // The hint is the widget's tool tip.
    field.setToolTip(QStringLiteral("/games/a.iso"));
    QCOMPARE(field.toolTip(), QStringLiteral("/games/a.iso"));
}

void TestEditorControls::checkBoxes_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    const char* const rows[][2] = {
        {"chkEdgeAntiAliasing", "Edge anti-aliasing"},
        {"chkHWHacks", ""},
        {"chkAlphaHack", "Alpha"},
        {"chkSprite", "Sprite"},
        {"chkHalfPixelOffset", "Half-pixel Offset"},
        {"chkWildArms", "WildArmsOffset"},
        {"chkNativeResolution", "Native"},
        {"chkTextureFiltering", "Texture filtering"},
        {"chk8BitTextures", "Allow 8-bit textures"},
        {"chkLogDepth", "Logarithmic Z"},
        {"chkAlphaCorrection", "Alpha corrction (FBA)"},
        {"chkDisableFramelimiting", "Disable Framelimiting"},
        {"chkMTGS", "USE Synchronized MTGS"},
        {"chkDisableGS", "Disable all GS output"},
        {"chkResizeBorder", "Disable window resize border"},
        {"chkHideCursor", "Always hide mouse cursor"},
        {"chkHideSuspend", "Hide window when paused"},
        {"chkFullScreen", "Default to fullscreen mode on open"},
        {"chkDoubleClick", "Double-click Toggles Full-Screen mode"},
        {"chkVSync", "Wait for vsync on refresh"},
        {"chkManagedVsync", "Dynamically toggle Vsync"},
        {"chkGameFix1", "VU Add Hack - fixes Tri-Ace games boot crash"},
        {"chkGameFix2", "FFX video fix - Fixes bad graphics overlay."},
        {"chkGameFix3", "VU Clip Flag Hack - for Persona games"},
        {"chkGameFix4", "FPU Compare Hack - for Digimon Rumble Are"},
        {"chkGameFix5", "FPU Multiply Hack - for Tales of Destiny."},
        {"chkGameFix6", "FPU Negative Div Hack - for Gundam games."},
        {"chkGameFix7", "VU XGkick Hack - for Erementar Gerad."},
        {"chkGameFix8", "EE timing hack Multi purpose hack."},
        {"chkGameFix9", "Skip MPEG hack - Skips videos/FMVs"},
        {"chkGameFix10", "OPH Flag hack"},
        {"chkGameFix11", "Irnore DMAC writes when it is busy."},
        {"chkGameFix12", "Simulate VIF1 FIFO read ahead."},
        {"chkGameFix13", "Delay VIF1 Stalls"},
        {"chkGameFix14", "Ignore Bus Detection on Path3 Transfer"},
        {"chkGameFixes", "Enable"},
        {"chkINTC", "Enable INTC Spin Detect"},
        {"chkWaitLoop", "Enable Wait Loop Detect"},
        {"chkFastCDVD", "Enable fast CDVD"},
        {"chkMVUFlagHack", "mVU Flag Hack"},
        {"chkMTVU", "MTVU (Multi-Threaded)"},
        {"chkSpeedHacks", "Enable"},
        {"chkSPU2DisableEffects", "Disable Effects Processing"},
        {"chkSPU2DeAlias", "Use the de-alias filter"},
        {"chkSPU2UseDSP", "Use a Winamp DSP plugin"},
        {"chkSPU2Debug", "Enable Debug Options"},
        {"chkEnableEECache", "Enable EE Cache"},
        {"chkMCAutoEject", "Auto-eject memory cards when loading savestates"},
        {"chkConsole", "Show Console"},
        {"chkBackup", "Backup bef. save"},
        {"chkPatches", "Auto GameFixes"},
        {"chkEnableCheats", "Enable Cheats"},
        {"chkHostFs", "Enable Host FS"},
        {"chkPreset", "Preset"},
    };
    for (const auto& row : rows)
        QTest::newRow(row[0]) << QString::fromLatin1(row[0]) << QString::fromLatin1(row[1]);
}

void TestEditorControls::checkBoxes() {
    QFETCH(QString, name);
    QFETCH(QString, caption);
    EditorPage page;
    auto* box = page.findChild<QCheckBox*>(name);
    QVERIFY(box);
    QCOMPARE(box->text(), caption);
    QCOMPARE(box->checkState(), Qt::Unchecked);
    QCOMPARE(box->isTristate(), name == QLatin1String("chkTextureFiltering"));
    QCOMPARE(page.findChildren<QCheckBox*>().size(), 54);
}

void TestEditorControls::lists_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<int>("start");
    QTest::newRow("cmbGSPlugin") << "cmbGSPlugin" << QStringList() << -1;
    QTest::newRow("cmbRenderer") << "cmbRenderer" << QStringList() << -1;
    QTest::newRow("cmbPCSX2ExeFile") << "cmbPCSX2ExeFile" << QStringList() << -1;
    QTest::newRow("cmbASkins") << "cmbASkins" << QStringList() << -1;
    QTest::newRow("cmbInterlacing") << "cmbInterlacing"
                                    << QStringList{"None",
                                                   "Weave tff (saw-tooth)",
                                                   "Weave bff (saw-tooth)",
                                                   "Bob tff (use blend if shaking)",
                                                   "Bob bff (use blend if shaking)",
                                                   "Blend tff (slight blur, 1/2 fps)",
                                                   "Blend bff (slight blur, 1/2 fps)",
                                                   "Auto"}
                                    << -1;
    QTest::newRow("cmbMSAA") << "cmbMSAA" << QStringList{"0x Z-32", "2x Z-24", "4x Z-24", "8x Z-24"} << 0;
    QTest::newRow("cmbScaling") << "cmbScaling" << QStringList{"Custom",    "2x Native", "3x Native",
                                                               "4x Native", "5x Native", "6x Native"}
                                << -1;
    QTest::newRow("cmbCDVDSource") << "cmbCDVDSource" << QStringList{"Iso", "Plugin", "NoDisc"} << -1;
    QTest::newRow("cmbAspectRatio") << "cmbAspectRatio"
                                    << QStringList{"Fit to Window/Screen", "Standard (4:3)",
                                                   "Widescreen (16:9)"}
                                    << -1;
    QTest::newRow("cmbSPU2Interpolation")
        << "cmbSPU2Interpolation"
        << QStringList{"0 - Nearest (fastest/bad quality)", "1 - Linear (simple/okay sound)",
                       "2 - Cubic (artificial highs)", "3 - Hermite (better highs)",
                       "4 - Catmull-Rom (PS2-like/slow)"}
        << -1;
    QTest::newRow("cmbSPU2Reverb") << "cmbSPU2Reverb"
                                   << QStringList{"1X - Normal Reverb Volume", "2X - Reverb Volume * 2",
                                                  "4X - Reverb Volume * 4", "8X - Reverb Volume * 8"}
                                   << -1;
    QTest::newRow("cmbSPU2Module") << "cmbSPU2Module"
                                   << QStringList{"0 - No Sound (Emulate SPU2 only)",
                                                  "1 - XAudio 2 (Recommended)", "2 - DircetSound (nice)",
                                                  "3 - WaveOut (Laggy)", "4 - Portaudio (crossplatform)"}
                                   << -1;
    QTest::newRow("cmbSPU2Sync") << "cmbSPU2Sync"
                                 << QStringList{"TimeStretch (Recommendetd)",
                                                "Async Mix (Breaks some games!)", "None (Audio can skip.)"}
                                 << -1;
    QTest::newRow("cmbSPU2AudioEpx") << "cmbSPU2AudioEpx"
                                     << QStringList{"Stereo (none, default)", "Quadrafonic", "Surround 5.1",
                                                    "Surround 7.1"}
                                     << -1;
}

void TestEditorControls::lists() {
    QFETCH(QString, name);
    QFETCH(QStringList, entries);
    QFETCH(int, start);
    EditorPage page;
    auto* list = page.findChild<QComboBox*>(name);
    QVERIFY(list);
    QVERIFY(!list->isEditable());
    QStringList shown;
    for (int i = 0; i < list->count(); ++i)
        shown.append(list->itemText(i));
    QCOMPARE(shown, entries);
    QCOMPARE(list->currentIndex(), start);
    QCOMPARE(page.findChildren<QComboBox*>().size(), 14);
}

void TestEditorControls::radioGroups_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("entries");
    const QStringList cpu{"Interpreter", "Recompiler"};
    const QStringList vu{"Interpreter", "microVU Recompiler", "superVU Recompiler [legacy]"};
    const QStringList round{"Nearest", "Negative", "Positive", "Chop / Zero"};
    QTest::newRow("rgpSkip") << "rgpSkip"
                             << ""
                             << QStringList{"Disabled [default]", "Skip when on Turbo only",
                                            "Constatnt skipping"};
    QTest::newRow("rgpEECore") << "rgpEECore"
                               << "EmotionEngine" << cpu;
    QTest::newRow("rgpIOPCore") << "rgpIOPCore"
                                << "IOP" << cpu;
    QTest::newRow("rgpEERoundMode") << "rgpEERoundMode"
                                    << "Round Mode" << round;
    QTest::newRow("rgpEEClampingMode")
        << "rgpEEClampingMode"
        << "Clamping Mode" << QStringList{"None", "Normal", "Extra + Preserve Sign", "Full"};
    QTest::newRow("rgpVU0Core") << "rgpVU0Core"
                                << "VU0" << vu;
    QTest::newRow("rgpVU1Core") << "rgpVU1Core"
                                << "VU1" << vu;
    QTest::newRow("rgpVURoundMode") << "rgpVURoundMode"
                                    << "Round Mode" << round;
    QTest::newRow("rgpVUClampingMode")
        << "rgpVUClampingMode"
        << "Clamping Mode" << QStringList{"None", "Normal", "Extra", "Extra + Preserve Sign"};
}

void TestEditorControls::radioGroups() {
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QStringList, entries);
    EditorPage page;
    auto* group = page.findChild<RadioGroup*>(name);
    QVERIFY(group);
    QCOMPARE(group->title(), caption);
    QCOMPARE(group->items(), entries);
    QCOMPARE(group->itemIndex(), -1);
}

void TestEditorControls::spinEdits_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("increment");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<bool>("bounded");
    const char* const whole[][2] = {
        {"txtSWThreads", "1"},    {"txtSkipDraw", "0"},      {"txtCustomWidth", "0"},
        {"txtCustomHeight", "0"}, {"txtBaseFramerate", "0"}, {"txtSlowMotion", "0"},
        {"txtTurbo", "0"},        {"txtDrawFrames", "0"},    {"txtSkipFrames", "0"}};
    for (const auto& row : whole)
        QTest::newRow(row[0]) << QString::fromLatin1(row[0]) << QString::fromLatin1(row[1]) << 1.0 << 0
                              << false;
    // The blur field's "0.0" comes from start-up, not from the page.
    QTest::newRow("txtBlur") << "txtBlur"
                             << "" << 0.1 << 1 << true;
}

void TestEditorControls::spinEdits() {
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(double, increment);
    QFETCH(int, decimals);
    QFETCH(bool, bounded);
    EditorPage page;
    auto* field = page.findChild<SpinEdit*>(name);
    QVERIFY(field);
    QCOMPARE(field->text(), text);
    QCOMPARE(field->increment(), increment);
    QCOMPARE(field->decimals(), decimals);
    QCOMPARE(field->isBounded(), bounded);
    if (bounded) {
        QCOMPARE(field->minimum(), 0.0);
        QCOMPARE(field->maximum(), 3.0);
    }
    QVERIFY(field->isEnabled());
}

void TestEditorControls::groupsAndOtherControls() {
    EditorPage page;
    QCOMPARE(page.objectName(), QStringLiteral("editorPage"));
    const QStringList topGroups{"grpGSDX",     "grpProfile",   "grpCDVD",       "grpAdvanced", "grpGS",
                                "grpGSWindow", "grpGameFixes", "grpSpeedHacks", "grpSPU2",     "grpEEIOP",
                                "grpVUs",      "grpMC",        "grpOther",      "grpAction"};
    const QStringList topCaptions{"GSDX Plugin Settings",
                                  "Profile",
                                  "CDVD",
                                  "Advanced options",
                                  "GS",
                                  "GS Window",
                                  "Game Fixes",
                                  "Speed Hacks",
                                  "SPU2-X",
                                  "EE/IOP",
                                  "VUs",
                                  "Memory Cards",
                                  "Other",
                                  "Action"};
    for (int i = 0; i < topGroups.size(); ++i) {
        auto* group = page.findChild<QGroupBox*>(topGroups.at(i));
        QVERIFY2(group, qPrintable(topGroups.at(i)));
        QCOMPARE(group->title(), topCaptions.at(i));
        QCOMPARE(group->parentWidget(), page.groupArea()); // the page's scrolled area
    }
    const std::pair<const char*, const char*> inner[] = {
        {"grpUpscaling", "D3D Upscaling (can cause glitches)"},
        {"grpHW", "Hardware"},
        {"grpFramelimiter", "Framelimiter"},
        {"grpSkipping", "Frame Skipping"},
        {"grpEECyclerate", "EE Cyclerate"},
        {"grpVUCycleStealing", "VU Cycle Staeling"},
        {"grpOtherHacks", "Other Hacks"},
        {"grpMicroVUHacks", "microVU Hacks"},
        {"grpSPU2Mixing", "Mixing Settings"},
        {"grpSPU2Output", "Output Settings"},
        {"grpEEFPU", "EE/FPU Advanced Recompiler Options"},
        {"grpVU0VU1", "VU0 / VU1 Advanced Recompiler Options"}};
    for (const auto& [name, caption] : inner) {
        auto* group = page.findChild<QGroupBox*>(QLatin1String(name));
        QVERIFY2(group, name);
        QCOMPARE(group->title(), QLatin1String(caption));
    }
    QCOMPARE(page.rgpSkip->parentWidget(), page.grpSkipping);
    QCOMPARE(page.chkMTVU->parentWidget(), page.grpMicroVUHacks);
    QCOMPARE(page.btnVUDef->parentWidget(), page.grpVU0VU1);

    const std::pair<const char*, const char*> buttons[] = {
        {"btnThumb", "Thumbnail only"}, {"btnPoster", "Poster and Thumbnail"},
        {"btnKeyHelp", "Help"},         {"btnGSDef", "Default"},
        {"btnGSWDef", "Default"},       {"btnGFDef", "Default"},
        {"btnSHDef", "Default"},        {"btnEEDef", "Default"},
        {"btnVUDef", "Default"},        {"btnDefault", "Default"},
        {"btnNewGame", "Add Game"},     {"btnSave", "Save"},
        {"btnGameList", "GameList"}};
    for (const auto& [name, caption] : buttons) {
        auto* b = page.findChild<QPushButton*>(QLatin1String(name));
        QVERIFY2(b, name);
        QCOMPARE(b->text(), QLatin1String(caption));
        QVERIFY(b->isEnabled());
    }

    const std::pair<const char*, int> sliders[] = {
        {"trkEECyclerate", 2}, {"trkVUCycleStealing", 3}, {"trkSPU2Latency", 750}, {"trkPreset", 5}};
    for (const auto& [name, maximum] : sliders) {
        auto* s = page.findChild<QSlider*>(QLatin1String(name));
        QVERIFY2(s, name);
        QCOMPARE(s->minimum(), 0);
        QCOMPARE(s->maximum(), maximum);
        QCOMPARE(s->value(), 0);
        QCOMPARE(s->singleStep(), 1);
        s->setValue(maximum + 10); // the program's position is clamped
        QCOMPARE(s->value(), maximum);
    }

    for (const char* name : {"txtGameName", "txtCMDKeys", "txtNTSC", "txtPAL", "txtSizeW", "txtSizeH",
                             "txtZoom", "txtMC1", "txtMC2"}) {
        auto* field = page.findChild<QLineEdit*>(QLatin1String(name));
        QVERIFY2(field, name);
        QVERIFY(field->text().isEmpty());
    }
    QVERIFY(!page.txtNTSC->isEnabled());
    QVERIFY(!page.txtPAL->isEnabled());
    QVERIFY(page.txtISOPath->text().isEmpty());
    QVERIFY(page.txtMCPath->text().isEmpty());
    QCOMPARE(page.chkHWHacks->toolTip(), QStringLiteral("Enable HW Hacks"));
    QCOMPARE(page.lblSkipDraw->text(), QStringLiteral("SkipDraw:"));
    QCOMPARE(page.lblMSAA->text(), QStringLiteral("MSAA:"));
    QCOMPARE(page.findChild<QLabel*>(QStringLiteral("lblSkipDraw")), page.lblSkipDraw);

    QCOMPARE(EditorPage::Tag(page.chkNativeResolution), 1);
    QCOMPARE(EditorPage::Tag(page.cmbScaling), 0);
    QCOMPARE(EditorPage::Tag(page.chkTextureFiltering), 0);
    QVERIFY(qobject_cast<FilteringCheckBox*>(page.chkTextureFiltering));
}

void TestEditorControls::valueLabels() {
    EditorPage page;
    const std::pair<QLabel*, const char*> labels[] = {{page.lblEECyclerate, "lblEECyclerate"},
                                                      {page.lblVUCycleStealing, "lblVUCycleStealing"},
                                                      {page.lblSPU2Latency, "Latency: 0 ms (avg)"},
                                                      {page.lblPreset, "1 - Safest"}};
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    for (const auto& [label, text] : labels) {
        QCOMPARE(label->text(), QLatin1String(text));
        QVERIFY(label->alignment() & Qt::AlignHCenter);
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::red));
    }
    // Room for two lines where a rule's text may need them.
    for (QLabel* label : {page.lblEECyclerate, page.lblVUCycleStealing}) {
        QVERIFY(label->wordWrap());
        QVERIFY(label->height() >= 2 * label->fontMetrics().lineSpacing());
    }
}

QTEST_MAIN(TestEditorControls)
#include "tst_editorcontrols.moc"
