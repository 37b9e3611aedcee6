// The preset levels: while "Preset" is checked, the level on the slider sets
// the GS, EE/IOP, VUs, Speed Hacks and Game Fixes groups and the vsync box, and
// the controls it sets are locked so that only the slider changes them.
#include "editor/editorpage.h"

#include "editor/editortables.h"
#include "editor/radiogroup.h"
#include "editor/spinedit.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

void EditorPage::trkPresetChange() {
    const int position = trkPreset->value();
    lblPreset->setText(editortables::textAt(editortables::kPresetLevels, position));
    if (!chkPreset->isChecked())
        return;
    // Each level builds on the one below it, from the five groups' defaults, so
    // no value of a higher level outlives a move down.
    btnGSDefClick();
    btnEEDefClick();
    btnVUDefClick();
    btnSHDefClick();
    btnGFDefClick();
    chkVSync->setChecked(false);
    if (position >= 1) {
        for (QCheckBox* box : {chkSpeedHacks, chkINTC, chkWaitLoop, chkMVUFlagHack})
            box->setChecked(true);
    }
    if (position >= 2)
        trkEECyclerate->setValue(1);
    if (position >= 3) {
        trkVUCycleStealing->setValue(1);
        rgpVUClampingMode->setItemIndex(0); // "None"
    }
    if (position >= 4)
        trkEECyclerate->setValue(2);
    if (position == 5)
        trkVUCycleStealing->setValue(2);
}

void EditorPage::chkPresetClick() {
    const bool unlocked = !chkPreset->isChecked();
    trkPreset->setEnabled(!unlocked);
    if (!unlocked)
        trkPresetChange();

    chkSpeedHacks->setEnabled(unlocked);
    if (chkSpeedHacks->isChecked()) {
        for (QWidget* control : std::initializer_list<QWidget*>{
                 trkEECyclerate, trkVUCycleStealing, chkINTC, chkWaitLoop, chkFastCDVD, chkMVUFlagHack,
                 lblEECyclerate, lblVUCycleStealing, btnSHDef, chkMTVU})
            control->setEnabled(unlocked);
    } else {
        chkSpeedHacksClick();
    }

    chkGameFixes->setEnabled(unlocked);
    if (chkGameFixes->isChecked()) {
        for (QCheckBox* fix : gameFixes())
            fix->setEnabled(unlocked);
        btnGFDef->setEnabled(unlocked);
    } else {
        chkGameFixesClick();
    }

    // chkDisableFramelimiting stays free: the next application of a level
    // unchecks it again.
    for (QWidget* control : std::initializer_list<QWidget*>{
             rgpEECore,        rgpIOPCore,     rgpEERoundMode,    rgpEEClampingMode, rgpVU0Core,
             rgpVU1Core,       rgpVURoundMode, rgpVUClampingMode, btnEEDef,          btnVUDef,
             chkEnableEECache, chkVSync,       btnGSWDef,         txtBaseFramerate,  txtSlowMotion,
             txtTurbo,         rgpSkip,        txtDrawFrames,     txtSkipFrames,     chkDisableGS,
             chkMTGS,          btnGSDef,       chkManagedVsync})
        control->setEnabled(unlocked);
    keepUnreadOnLinuxDisabled();
}
