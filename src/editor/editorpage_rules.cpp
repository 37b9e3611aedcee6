// The rules that enable and disable dependent controls, the filtering cycle,
// the value labels and the key help. None of them changes a setting's value,
// except the filtering cycle, whose whole purpose is the box's state.
#include "editor/editorpage.h"

#include "core/appinfo.h"
#include "editor/editortables.h"
#include "editor/keyhelp.h"
#include "editor/spinedit.h"
#include "ui/dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <initializer_list>

namespace {

void enable(std::initializer_list<QWidget*> controls, bool on) {
    for (QWidget* control : controls)
        control->setEnabled(on);
}

} // namespace

void EditorPage::setCurrentBuildsMode(bool on) {
    m_currentBuilds = on;
    if (!on)
        return;
    cmbGSPlugin->clear();
    cmbGSPlugin->addItem(QStringLiteral("built in"));
    cmbGSPlugin->setCurrentIndex(0);
    cmbGSPlugin->setEnabled(false);
}

void EditorPage::cmbGSPluginChange() {
    if (m_currentBuilds) {
        // The graphics settings are built into the emulator.
        enable({cmbRenderer, cmbInterlacing}, true);
        cmbRendererChange();
        chkNativeClick();
        cmbScalingChange();
        return;
    }
    // Only GSdx plug-ins offer the graphics settings; the name test is "gsdx"
    // followed by a space, in any letter case of A to Z.
    const QString shown = cmbGSPlugin->currentIndex() < 0 ? QString() : cmbGSPlugin->currentText();
    QString lower = shown;
    for (QChar& c : lower) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    }
    if (lower.contains(QLatin1String("gsdx "))) {
        enable({cmbRenderer, cmbInterlacing}, true);
        cmbRendererChange();
        chkNativeClick();
        cmbScalingChange();
        return;
    }
    // chkHWHacks, chkSprite, chkWildArms and the two hack labels stay as they are.
    enable({cmbRenderer, cmbInterlacing, txtCustomWidth, txtCustomHeight, cmbScaling, chkNativeResolution,
            cmbMSAA, txtSWThreads, txtSkipDraw, chkTextureFiltering, chk8BitTextures, chkEdgeAntiAliasing,
            chkAlphaHack, chkLogDepth, chkAlphaCorrection, chkHalfPixelOffset},
           false);
}

void EditorPage::cmbRendererChange() {
    std::optional<int> number;
    if (cmbRenderer->currentIndex() >= 0) {
        const QVariant data = cmbRenderer->currentData(Qt::UserRole);
        if (data.isValid()) {
            number = data.toInt();
        } else {
            // An entry listed without its number is known by its text.
            for (const editortables::RendererRow& row : editortables::kRenderers) {
                if (cmbRenderer->currentText() == QLatin1String(row.text))
                    number = row.number;
            }
        }
    }
    const editortables::RendererSwitches on =
        m_currentBuilds && number ? editortables::kindSwitches(editortables::currentRendererKind(*number))
                                  : editortables::rendererSwitches(number);

    enable({txtCustomWidth, txtCustomHeight, cmbScaling, chkHWHacks}, on.h);
    chkHWHacksClick();
    txtSWThreads->setEnabled(on.s);
    enable({chkTextureFiltering, chk8BitTextures}, on.h);
    chkEdgeAntiAliasing->setEnabled(on.s);
    enable({chkLogDepth, chkAlphaCorrection}, on.d9);
    chkNativeResolution->setEnabled(on.h);
    // The marks say whether the upscaling controls are live.
    setTag(chkNativeResolution, on.h ? 1 : 0);
    if (chkNativeResolution->isChecked())
        chkNativeClick();
    setTag(cmbScaling, on.h ? 1 : 0);
    if (cmbScaling->currentIndex() > 0)
        cmbScalingChange();
}

void EditorPage::chkNativeClick() {
    if (Tag(chkNativeResolution) != 1)
        return;
    // The native resolution excludes both a custom resolution and a scaling factor.
    enable({txtCustomWidth, txtCustomHeight, cmbScaling}, !chkNativeResolution->isChecked());
}

void EditorPage::cmbScalingChange() {
    if (Tag(cmbScaling) != 1)
        return;
    const bool multiple = cmbScaling->currentIndex() >= 1;
    chkNativeResolution->setEnabled(!multiple);
    if (chkNativeResolution->isChecked())
        return;
    enable({txtCustomWidth, txtCustomHeight}, !multiple);
}

void EditorPage::chkHWHacksClick() {
    // The box's own enabled flag, as the renderer rule set it, whatever its
    // parents' state.
    const bool active = chkHWHacks->isChecked() && !chkHWHacks->testAttribute(Qt::WA_Disabled);
    enable({txtSkipDraw, cmbMSAA, chkAlphaHack, chkSprite, chkHalfPixelOffset, chkWildArms, lblMSAA,
            lblSkipDraw},
           active);
}

void EditorPage::chkGameFixesClick() {
    if (chkPreset->isChecked())
        return; // the preset governs the group
    const bool on = chkGameFixes->isChecked();
    for (QCheckBox* fix : gameFixes())
        fix->setEnabled(on);
    btnGFDef->setEnabled(on);
}

void EditorPage::chkSpeedHacksClick() {
    if (chkPreset->isChecked())
        return; // the preset governs the group
    enable({trkEECyclerate, trkVUCycleStealing, chkINTC, chkWaitLoop, chkFastCDVD, chkMVUFlagHack,
            lblEECyclerate, lblVUCycleStealing, btnSHDef, chkMTVU},
           chkSpeedHacks->isChecked());
}

void EditorPage::chkFilteringMouseUp() {
    // The box meets its states in the order checked, unchecked, grayed.
    switch (Tag(chkTextureFiltering)) {
    case 0:
        chkTextureFiltering->setCheckState(Qt::Checked);
        setTag(chkTextureFiltering, 1);
        break;
    case 1:
        chkTextureFiltering->setCheckState(Qt::Unchecked);
        setTag(chkTextureFiltering, 2);
        break;
    case 2:
        chkTextureFiltering->setCheckState(Qt::PartiallyChecked);
        setTag(chkTextureFiltering, 0);
        break;
    default:
        break;
    }
}

void EditorPage::trkEECyclerateChange() {
    lblEECyclerate->setText(editortables::textAt(editortables::kEECyclerateTexts, trkEECyclerate->value()));
}

void EditorPage::trkVUCycleStealingChange() {
    lblVUCycleStealing->setText(
        editortables::textAt(editortables::kVUCycleStealingTexts, trkVUCycleStealing->value()));
}

void EditorPage::trkSPU2LatencyChange() {
    lblSPU2Latency->setText(editortables::latencyText(trkSPU2Latency->value()));
}

void EditorPage::btnKeyHelpClick() {
    Dialogs::message(window(), appinfo::kTitle, m_currentBuilds ? keyhelp::currentText() : keyhelp::text(),
                     QMessageBox::NoIcon, QMessageBox::Ok);
}
