// The whole-profile default and the six group defaults. Each puts fixed values
// into the page's controls in a fixed order. Setting a check box or a slider
// runs its rule when the value changes; selecting a list entry runs none, so
// where a rule must follow a selection the default runs it itself.
#include "editor/editorpage.h"

#include "editor/pathedit.h"
#include "editor/radiogroup.h"
#include "editor/spinedit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSlider>
#include <initializer_list>

namespace {

// Check boxes set one after another, in the order given.
void setChecked(std::initializer_list<QCheckBox*> boxes, bool checked) {
    for (QCheckBox* box : boxes)
        box->setChecked(checked);
}

// Position 0 of a list, or nothing when the list is empty.
void selectFirst(QComboBox* list) {
    list->setCurrentIndex(list->count() > 0 ? 0 : -1);
}

} // namespace

void EditorPage::btnGSDefClick() {
    chkDisableFramelimiting->setChecked(false);
    txtBaseFramerate->setText(QStringLiteral("100"));
    txtSlowMotion->setText(QStringLiteral("50"));
    txtTurbo->setText(QStringLiteral("200"));
    txtNTSC->setText(QStringLiteral("59.94"));
    txtNTSC->setEnabled(false);
    txtPAL->setText(QStringLiteral("50.0"));
    txtPAL->setEnabled(false);
    rgpSkip->setItemIndex(0); // "Disabled [default]"
    txtDrawFrames->setText(QStringLiteral("2"));
    txtSkipFrames->setText(QStringLiteral("2"));
    chkDisableGS->setChecked(false);
    chkMTGS->setChecked(false);
}

void EditorPage::btnGSWDefClick() {
    cmbAspectRatio->setCurrentIndex(1); // "Standard (4:3)"
    txtSizeW->setText(QStringLiteral("640"));
    txtSizeH->setText(QStringLiteral("480"));
    chkResizeBorder->setChecked(false);
    chkHideCursor->setChecked(false);
    chkHideSuspend->setChecked(true);
    chkFullScreen->setChecked(false);
    chkManagedVsync->setChecked(false);
    chkVSync->setChecked(false);
    // Shown among the speed hacks, yet cleared here and not by their default.
    chkMTVU->setChecked(false);
    chkDoubleClick->setChecked(true);
    txtZoom->setText(QStringLiteral("100.0"));
}

void EditorPage::btnGFDefClick() {
    for (QCheckBox* fix : gameFixes())
        fix->setChecked(false);
    chkGameFixes->setChecked(false);
    chkGameFixesClick();
}

void EditorPage::btnEEDefClick() {
    rgpEECore->setItemIndex(1);         // "Recompiler"
    rgpIOPCore->setItemIndex(1);        // "Recompiler"
    rgpEERoundMode->setItemIndex(3);    // "Chop / Zero"
    rgpEEClampingMode->setItemIndex(1); // "Normal"
    chkEnableEECache->setChecked(false);
}

void EditorPage::btnVUDefClick() {
    rgpVU0Core->setItemIndex(1);        // "microVU Recompiler"
    rgpVU1Core->setItemIndex(1);        // "microVU Recompiler"
    rgpVURoundMode->setItemIndex(3);    // "Chop / Zero"
    rgpVUClampingMode->setItemIndex(1); // "Normal"
}

void EditorPage::btnSHDefClick() {
    // The label rules run even when a slider already stood at 0, so the
    // labels always show the texts for position 0 afterwards.
    trkEECyclerate->setValue(0);
    trkEECyclerateChange();
    trkVUCycleStealing->setValue(0);
    trkVUCycleStealingChange();
    setChecked({chkINTC, chkWaitLoop, chkFastCDVD, chkMVUFlagHack}, false);
    chkSpeedHacks->setChecked(false);
    chkSpeedHacksClick();
}

// The steps are numbered in the order they run. The order matters: the rules
// that a step runs read the values the steps before it set.
void EditorPage::btnDefaultClick() {
    selectFirst(cmbGSPlugin);     // 1 (the plug-in rule does not run)
    selectFirst(cmbPCSX2ExeFile); // 2
    selectFirst(cmbRenderer);     // 3 "Direct3D9 (Hardware)", renderer 0
    cmbRendererChange();
    cmbInterlacing->setCurrentIndex(7);              // 4 "Auto"
    txtCustomWidth->setText(QStringLiteral("1024")); // 5
    txtCustomHeight->setText(QStringLiteral("1024"));
    cmbScaling->setCurrentIndex(0); // 6 "Custom"
    cmbScalingChange();
    txtSWThreads->setText(QStringLiteral("1"));                                    // 7
    setChecked({chkLogDepth, chkAlphaCorrection}, true);                           // 8
    chkHWHacks->setChecked(false);                                                 // 9
    setChecked({chkAlphaHack, chkSprite, chkWildArms, chkHalfPixelOffset}, false); // 10
    cmbMSAA->setCurrentIndex(0);                                                   // 11 "0x Z-32"
    txtSkipDraw->setText(QStringLiteral("0"));                                     // 12
    chkNativeResolution->setChecked(false);                                        // 13
    chkNativeClick();
    chkTextureFiltering->setCheckState(Qt::PartiallyChecked);         // 14
    btnGSWDefClick();                                                 // 15
    btnGFDefClick();                                                  // 16
    btnGSDefClick();                                                  // 17
    btnEEDefClick();                                                  // 18
    btnVUDefClick();                                                  // 19
    cmbCDVDSource->setCurrentIndex(0);                                // 20 "Iso"
    txtCMDKeys->clear();                                              // 21
    btnSHDefClick();                                                  // 22
    chkBackup->setChecked(false);                                     // 23
    chkPatches->setChecked(true);                                     // 24
    setChecked({chkConsole, chkEnableCheats, chkHostFs}, false);      // 25
    cmbSPU2Interpolation->setCurrentIndex(4);                         // 26 "4 - Catmull-Rom (PS2-like/slow)"
    cmbSPU2Reverb->setCurrentIndex(0);                                // 27 "1X - Normal Reverb Volume"
    chkSPU2DisableEffects->setChecked(false);                         // 28
    cmbSPU2Sync->setCurrentIndex(0);                                  // 29 "TimeStretch (Recommendetd)"
    cmbSPU2AudioEpx->setCurrentIndex(0);                              // 30 "Stereo (none, default)"
    trkSPU2Latency->setValue(150);                                    // 31 (its label rule follows a change)
    cmbSPU2Module->setCurrentIndex(1);                                // 32 "1 - XAudio 2 (Recommended)";
                                                                      // on Linux PortAudio, SPU2-X's default
    setChecked({chkSPU2Debug, chkSPU2UseDSP, chkSPU2DeAlias}, false); // 33
    txtMCPath->setText(memoryCardFolder(m_settingsFolder));           // 34
    txtMC1->setText(QStringLiteral("Mcd001.ps2"));                    // 35
    txtMC2->setText(QStringLiteral("Mcd002.ps2"));                    // 36
    chkMCAutoEject->setChecked(true);                                 // 37
    trkPreset->setValue(0);                                           // 38 (the level rule follows a change)
    chkPreset->setChecked(false);                                     // 39
    chkPresetClick();
}
