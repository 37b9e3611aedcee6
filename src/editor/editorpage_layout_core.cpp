// The editor page's emulation-core, sound, memory card and action groups, and
// the arrangement of all fourteen groups on the page.
#include "editor/editorpage.h"
#include "editor/editortables.h"
#include "editor/editorwidgets.h"
#include "editor/pathedit.h"
#include "editor/radiogroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QVBoxLayout>

using namespace editorwidgets;

namespace {

// Pixels a column of groups may give up before the page scrolls sideways.
constexpr int ColumnGive = 6;

const QStringList kInterpolation = {
    QStringLiteral("0 - Nearest (fastest/bad quality)"), QStringLiteral("1 - Linear (simple/okay sound)"),
    QStringLiteral("2 - Cubic (artificial highs)"), QStringLiteral("3 - Hermite (better highs)"),
    QStringLiteral("4 - Catmull-Rom (PS2-like/slow)")};
const QStringList kReverb = {
    QStringLiteral("1X - Normal Reverb Volume"), QStringLiteral("2X - Reverb Volume * 2"),
    QStringLiteral("4X - Reverb Volume * 4"), QStringLiteral("8X - Reverb Volume * 8")};
const QStringList kModule = {QStringLiteral("0 - No Sound (Emulate SPU2 only)"),
                             QStringLiteral("1 - XAudio 2 (Recommended)"),
                             QStringLiteral("2 - DircetSound (nice)"), QStringLiteral("3 - WaveOut (Laggy)"),
                             QStringLiteral("4 - Portaudio (crossplatform)")};
const QStringList kSync = {QStringLiteral("TimeStretch (Recommendetd)"),
                           QStringLiteral("Async Mix (Breaks some games!)"),
                           QStringLiteral("None (Audio can skip.)")};
const QStringList kAudioExpansion = {QStringLiteral("Stereo (none, default)"), QStringLiteral("Quadrafonic"),
                                     QStringLiteral("Surround 5.1"), QStringLiteral("Surround 7.1")};
const QStringList kCpuModes = {QStringLiteral("Interpreter"), QStringLiteral("Recompiler")};
const QStringList kVUModes = {QStringLiteral("Interpreter"), QStringLiteral("microVU Recompiler"),
                              QStringLiteral("superVU Recompiler [legacy]")};
const QStringList kRoundModes = {QStringLiteral("Nearest"), QStringLiteral("Negative"),
                                 QStringLiteral("Positive"), QStringLiteral("Chop / Zero")};
const QStringList kEEClamping = {QStringLiteral("None"), QStringLiteral("Normal"),
                                 QStringLiteral("Extra + Preserve Sign"), QStringLiteral("Full")};
const QStringList kVUClamping = {QStringLiteral("None"), QStringLiteral("Normal"), QStringLiteral("Extra"),
                                 QStringLiteral("Extra + Preserve Sign")};

// The fixes as the page shows them from top to bottom, with what stands at the
// right of each: nothing, another fix, the Enable box or the Default button.
constexpr int kEnableBox = -1;
constexpr int kDefaultButton = -2;
constexpr int kFixRows[][2] = {
    {1, 0}, {3, 0},   {4, 0},  {5, 0},           {6, 0}, {7, 0}, {2, 0}, {8, kDefaultButton},
    {9, 0}, {10, 13}, {11, 0}, {12, kEnableBox}, {14, 0}};

constexpr int kButtonWidth = 48;

} // namespace

QGroupBox* EditorPage::buildGameFixes() {
    grpGameFixes = group(this, "grpGameFixes", QStringLiteral("Game Fixes"));
    QGridLayout* g = grid(grpGameFixes);
    g->setVerticalSpacing(0);
    static const char* const kCaptions[14] = {"VU Add Hack - fixes Tri-Ace games boot crash",
                                              "FFX video fix - Fixes bad graphics overlay.",
                                              "VU Clip Flag Hack - for Persona games",
                                              "FPU Compare Hack - for Digimon Rumble Are",
                                              "FPU Multiply Hack - for Tales of Destiny.",
                                              "FPU Negative Div Hack - for Gundam games.",
                                              "VU XGkick Hack - for Erementar Gerad.",
                                              "EE timing hack Multi purpose hack.",
                                              "Skip MPEG hack - Skips videos/FMVs",
                                              "OPH Flag hack",
                                              "Irnore DMAC writes when it is busy.",
                                              "Simulate VIF1 FIFO read ahead.",
                                              "Delay VIF1 Stalls",
                                              "Ignore Bus Detection on Path3 Transfer"};
    QCheckBox** fixes[14] = {&chkGameFix1,  &chkGameFix2,  &chkGameFix3,  &chkGameFix4, &chkGameFix5,
                             &chkGameFix6,  &chkGameFix7,  &chkGameFix8,  &chkGameFix9, &chkGameFix10,
                             &chkGameFix11, &chkGameFix12, &chkGameFix13, &chkGameFix14};
    for (int i = 0; i < 14; ++i) {
        const QByteArray name = "chkGameFix" + QByteArray::number(i + 1);
        *fixes[i] = check(grpGameFixes, name.constData(), QLatin1String(kCaptions[i]));
    }
    chkGameFixes = check(grpGameFixes, "chkGameFixes", QStringLiteral("Enable"));
    btnGFDef = button(grpGameFixes, "btnGFDef", QStringLiteral("Default"));
    btnGFDef->setFixedWidth(kButtonWidth);
    // Each row is its own line, so a short fix beside another does not widen
    // the long ones' column.
    int r = 0;
    QList<QWidget*> readingOrder; // Tab follows the lines, not the fixes' numbers
    for (const auto& [left, right] : kFixRows) {
        auto* line = new QHBoxLayout;
        line->setSpacing(4);
        line->addWidget(*fixes[left - 1]);
        readingOrder.append(*fixes[left - 1]);
        line->addStretch(1);
        QWidget* second = right > 0                 ? *fixes[right - 1]
                          : right == kEnableBox     ? static_cast<QWidget*>(chkGameFixes)
                          : right == kDefaultButton ? static_cast<QWidget*>(btnGFDef)
                                                    : nullptr;
        if (second) {
            line->addWidget(second);
            readingOrder.append(second);
        }
        if (right > 0 || right == kEnableBox)
            line->addSpacing(6);
        g->addLayout(line, r++, 0);
    }
    for (qsizetype i = 1; i < readingOrder.size(); ++i)
        setTabOrder(readingOrder.at(i - 1), readingOrder.at(i));
    return grpGameFixes;
}

QGroupBox* EditorPage::buildSpeedHacks() {
    grpSpeedHacks = group(this, "grpSpeedHacks", QStringLiteral("Speed Hacks"));
    QGridLayout* g = grid(grpSpeedHacks);

    grpEECyclerate = group(grpSpeedHacks, "grpEECyclerate", QStringLiteral("EE Cyclerate"));
    QVBoxLayout* ee = new QVBoxLayout(grpEECyclerate);
    ee->setContentsMargins(3, 0, 3, 1);
    ee->setSpacing(0);
    trkEECyclerate = slider(grpEECyclerate, "trkEECyclerate", 2);
    lblEECyclerate = valueLabel(grpEECyclerate, "lblEECyclerate", QStringLiteral("lblEECyclerate"));
    ee->addWidget(trkEECyclerate);
    ee->addWidget(lblEECyclerate);

    grpVUCycleStealing = group(grpSpeedHacks, "grpVUCycleStealing", QStringLiteral("VU Cycle Staeling"));
    QVBoxLayout* vu = new QVBoxLayout(grpVUCycleStealing);
    vu->setContentsMargins(3, 0, 3, 1);
    vu->setSpacing(0);
    trkVUCycleStealing = slider(grpVUCycleStealing, "trkVUCycleStealing", 3);
    lblVUCycleStealing =
        valueLabel(grpVUCycleStealing, "lblVUCycleStealing", QStringLiteral("lblVUCycleStealing"));
    vu->addWidget(trkVUCycleStealing);
    vu->addWidget(lblVUCycleStealing);

    grpOtherHacks = group(grpSpeedHacks, "grpOtherHacks", QStringLiteral("Other Hacks"));
    QGridLayout* other = grid(grpOtherHacks);
    other->setVerticalSpacing(0);
    chkINTC = check(grpOtherHacks, "chkINTC", QStringLiteral("Enable INTC Spin Detect"));
    chkWaitLoop = check(grpOtherHacks, "chkWaitLoop", QStringLiteral("Enable Wait Loop Detect"));
    chkFastCDVD = check(grpOtherHacks, "chkFastCDVD", QStringLiteral("Enable fast CDVD"));
    other->addWidget(chkINTC, 0, 0);
    other->addWidget(chkWaitLoop, 1, 0);
    other->addWidget(chkFastCDVD, 2, 0);

    grpMicroVUHacks = group(grpSpeedHacks, "grpMicroVUHacks", QStringLiteral("microVU Hacks"));
    QGridLayout* micro = grid(grpMicroVUHacks);
    chkMVUFlagHack = check(grpMicroVUHacks, "chkMVUFlagHack", QStringLiteral("mVU Flag Hack"));
    chkMTVU = check(grpMicroVUHacks, "chkMTVU", QStringLiteral("MTVU (Multi-Threaded)"));
    micro->setVerticalSpacing(0);
    micro->addWidget(chkMVUFlagHack, 0, 0);
    micro->addWidget(chkMTVU, 1, 0);

    chkSpeedHacks = check(grpSpeedHacks, "chkSpeedHacks", QStringLiteral("Enable"));
    btnSHDef = button(grpSpeedHacks, "btnSHDef", QStringLiteral("Default"));
    btnSHDef->setFixedWidth(kButtonWidth);

    g->addWidget(grpEECyclerate, 0, 0);
    g->addWidget(grpVUCycleStealing, 0, 1);
    g->addWidget(grpOtherHacks, 1, 0, 1, 2);
    g->addWidget(grpMicroVUHacks, 2, 0, 1, 2);
    auto* actions = new QHBoxLayout;
    actions->setSpacing(4);
    actions->addWidget(chkSpeedHacks);
    actions->addStretch(1);
    actions->addWidget(btnSHDef);
    g->addLayout(actions, 3, 0, 1, 2);
    g->setColumnStretch(0, 1);
    g->setColumnStretch(1, 1);
    return grpSpeedHacks;
}

QGroupBox* EditorPage::buildSPU2() {
    grpSPU2 = group(this, "grpSPU2", QStringLiteral("SPU2-X"));
    QGridLayout* g = grid(grpSPU2);

    grpSPU2Mixing = group(grpSPU2, "grpSPU2Mixing", QStringLiteral("Mixing Settings"));
    QGridLayout* m = grid(grpSPU2Mixing);
    cmbSPU2Interpolation = combo(grpSPU2Mixing, "cmbSPU2Interpolation", kInterpolation);
    chkSPU2DisableEffects =
        check(grpSPU2Mixing, "chkSPU2DisableEffects", QStringLiteral("Disable Effects Processing"));
    chkSPU2DeAlias = check(grpSPU2Mixing, "chkSPU2DeAlias", QStringLiteral("Use the de-alias filter"));
    cmbSPU2Reverb = combo(grpSPU2Mixing, "cmbSPU2Reverb", kReverb);
    // Labels stand above the sound lists: their entries are long.
    m->addWidget(label(grpSPU2Mixing, QStringLiteral("Interpolation:")), 0, 0);
    m->addWidget(cmbSPU2Interpolation, 1, 0);
    m->addWidget(chkSPU2DisableEffects, 2, 0);
    m->addWidget(chkSPU2DeAlias, 3, 0);
    m->addWidget(label(grpSPU2Mixing, QStringLiteral("Reverb Boost Factor:")), 4, 0);
    m->addWidget(cmbSPU2Reverb, 5, 0);

    grpSPU2Output = group(grpSPU2, "grpSPU2Output", QStringLiteral("Output Settings"));
    QGridLayout* o = grid(grpSPU2Output);
    cmbSPU2Module = combo(grpSPU2Output, "cmbSPU2Module", kModule);
    lblSPU2Latency = valueLabel(grpSPU2Output, "lblSPU2Latency", editortables::latencyText(0));
    // One line of text is all the latency ever needs; the label keeps the
    // value labels' look without their second line.
    lblSPU2Latency->setFixedHeight(lblSPU2Latency->fontMetrics().lineSpacing() + 2);
    trkSPU2Latency = slider(grpSPU2Output, "trkSPU2Latency", 750);
    trkSPU2Latency->setPageStep(10);
    cmbSPU2Sync = combo(grpSPU2Output, "cmbSPU2Sync", kSync);
    cmbSPU2AudioEpx = combo(grpSPU2Output, "cmbSPU2AudioEpx", kAudioExpansion);
    chkSPU2UseDSP = check(grpSPU2Output, "chkSPU2UseDSP", QStringLiteral("Use a Winamp DSP plugin"));
    o->addWidget(label(grpSPU2Output, QStringLiteral("Module:")), 0, 0);
    o->addWidget(cmbSPU2Module, 1, 0);
    o->addWidget(lblSPU2Latency, 2, 0);
    o->addWidget(trkSPU2Latency, 3, 0);
    o->addWidget(label(grpSPU2Output, QStringLiteral("Synchronizing Mode:")), 4, 0);
    o->addWidget(cmbSPU2Sync, 5, 0);
    o->addWidget(label(grpSPU2Output, QStringLiteral("Audio Expansion Mode:")), 6, 0);
    o->addWidget(cmbSPU2AudioEpx, 7, 0);
    o->addWidget(chkSPU2UseDSP, 8, 0);

    chkSPU2Debug = check(grpSPU2, "chkSPU2Debug", QStringLiteral("Enable Debug Options"));
    g->addWidget(grpSPU2Mixing, 0, 0);
    g->addWidget(grpSPU2Output, 1, 0);
    g->addWidget(chkSPU2Debug, 2, 0);
    return grpSPU2;
}

QGroupBox* EditorPage::buildEEIOP() {
    grpEEIOP = group(this, "grpEEIOP", QStringLiteral("EE/IOP"));
    QGridLayout* g = grid(grpEEIOP);
    rgpEECore = named(new RadioGroup(QStringLiteral("EmotionEngine"), kCpuModes, grpEEIOP), "rgpEECore");
    rgpIOPCore = named(new RadioGroup(QStringLiteral("IOP"), kCpuModes, grpEEIOP), "rgpIOPCore");
    grpEEFPU = group(grpEEIOP, "grpEEFPU", QStringLiteral("EE/FPU Advanced Recompiler Options"));
    QGridLayout* f = grid(grpEEFPU);
    rgpEERoundMode =
        named(new RadioGroup(QStringLiteral("Round Mode"), kRoundModes, grpEEFPU), "rgpEERoundMode");
    rgpEEClampingMode =
        named(new RadioGroup(QStringLiteral("Clamping Mode"), kEEClamping, grpEEFPU), "rgpEEClampingMode");
    // Made after the recompiler options, which stand above it: Tab follows
    // the order of creation.
    chkEnableEECache = check(grpEEIOP, "chkEnableEECache", QStringLiteral("Enable EE Cache"));
    f->addWidget(rgpEERoundMode, 0, 0);
    f->addWidget(rgpEEClampingMode, 0, 1);
    btnEEDef = button(grpEEIOP, "btnEEDef", QStringLiteral("Default"));
    btnEEDef->setFixedWidth(kButtonWidth);
    g->addWidget(rgpEECore, 0, 0);
    g->addWidget(rgpIOPCore, 0, 1);
    g->addWidget(grpEEFPU, 1, 0, 1, 2);
    g->addWidget(chkEnableEECache, 2, 0);
    g->addWidget(btnEEDef, 2, 1, Qt::AlignRight);
    return grpEEIOP;
}

QGroupBox* EditorPage::buildVUs() {
    grpVUs = group(this, "grpVUs", QStringLiteral("VUs"));
    QGridLayout* g = grid(grpVUs);
    rgpVU0Core = named(new RadioGroup(QStringLiteral("VU0"), kVUModes, grpVUs), "rgpVU0Core");
    rgpVU1Core = named(new RadioGroup(QStringLiteral("VU1"), kVUModes, grpVUs), "rgpVU1Core");
    grpVU0VU1 = group(grpVUs, "grpVU0VU1", QStringLiteral("VU0 / VU1 Advanced Recompiler Options"));
    QGridLayout* a = grid(grpVU0VU1);
    rgpVURoundMode =
        named(new RadioGroup(QStringLiteral("Round Mode"), kRoundModes, grpVU0VU1), "rgpVURoundMode");
    rgpVUClampingMode =
        named(new RadioGroup(QStringLiteral("Clamping Mode"), kVUClamping, grpVU0VU1), "rgpVUClampingMode");
    btnVUDef = button(grpVU0VU1, "btnVUDef", QStringLiteral("Default"));
    btnVUDef->setFixedWidth(kButtonWidth);
    a->addWidget(rgpVURoundMode, 0, 0);
    a->addWidget(rgpVUClampingMode, 0, 1);
    a->addWidget(btnVUDef, 1, 1, Qt::AlignRight);
    // "superVU Recompiler [legacy]" is too wide for the two to stand side by side.
    g->addWidget(rgpVU0Core, 0, 0);
    g->addWidget(rgpVU1Core, 1, 0);
    g->addWidget(grpVU0VU1, 2, 0);
    return grpVUs;
}

QGroupBox* EditorPage::buildMC() {
    grpMC = group(this, "grpMC", QStringLiteral("Memory Cards"));
    QGridLayout* g = grid(grpMC);
    txtMCPath = named(new PathEdit(PathEdit::Mode::Folder, grpMC), "txtMCPath");
    txtMCPath->setFixedHeight(20);
    txtMC1 = edit(grpMC, "txtMC1");
    txtMC2 = edit(grpMC, "txtMC2");
    chkMCAutoEject =
        check(grpMC, "chkMCAutoEject", QStringLiteral("Auto-eject memory cards when loading savestates"));
    g->addWidget(label(grpMC, QStringLiteral("MCs Path:")), 0, 0);
    g->addWidget(txtMCPath, 0, 1);
    g->addWidget(label(grpMC, QStringLiteral("MC1 filename:")), 1, 0);
    g->addWidget(txtMC1, 1, 1);
    g->addWidget(label(grpMC, QStringLiteral("MC2 filename:")), 2, 0);
    g->addWidget(txtMC2, 2, 1);
    g->addWidget(chkMCAutoEject, 3, 0, 1, 2);
    g->setColumnStretch(1, 1);
    return grpMC;
}

QGroupBox* EditorPage::buildOther() {
    grpOther = group(this, "grpOther", QStringLiteral("Other"));
    QGridLayout* g = grid(grpOther);
    g->setVerticalSpacing(0);
    chkConsole = check(grpOther, "chkConsole", QStringLiteral("Show Console"));
    chkBackup = check(grpOther, "chkBackup", QStringLiteral("Backup bef. save"));
    chkPatches = check(grpOther, "chkPatches", QStringLiteral("Auto GameFixes"));
    chkEnableCheats = check(grpOther, "chkEnableCheats", QStringLiteral("Enable Cheats"));
    chkHostFs = check(grpOther, "chkHostFs", QStringLiteral("Enable Host FS"));
    int i = 0;
    for (QCheckBox* box : {chkConsole, chkBackup, chkPatches, chkEnableCheats, chkHostFs}) {
        g->addWidget(box, i / 2, i % 2);
        ++i;
    }
    return grpOther;
}

QGroupBox* EditorPage::buildAction() {
    grpAction = group(this, "grpAction", QStringLiteral("Action"));
    QGridLayout* g = grid(grpAction);
    chkPreset = check(grpAction, "chkPreset", QStringLiteral("Preset"));
    trkPreset = slider(grpAction, "trkPreset", 5);
    trkPreset->setTickPosition(QSlider::TicksBelow);
    trkPreset->setTickInterval(1);
    trkPreset->setFixedHeight(22);
    lblPreset = valueLabel(grpAction, "lblPreset", editortables::textAt(editortables::kPresetLevels, 0));
    // The level names are short: one line is all they need.
    lblPreset->setFixedHeight(lblPreset->fontMetrics().lineSpacing() + 2);
    btnDefault = button(grpAction, "btnDefault", QStringLiteral("Default"));
    btnNewGame = button(grpAction, "btnNewGame", QStringLiteral("Add Game"));
    btnSave = button(grpAction, "btnSave", QStringLiteral("Save"));
    btnGameList = button(grpAction, "btnGameList", QStringLiteral("GameList"));
    btnAddFolder = button(grpAction, "btnAddFolder", QStringLiteral("Add folder..."));
    cmbASkins = combo(grpAction, "cmbASkins");
    g->addWidget(chkPreset, 0, 0);
    g->addWidget(trkPreset, 0, 1, 1, 3);
    g->addWidget(lblPreset, 1, 0, 1, 4);
    g->addWidget(btnDefault, 2, 0, 1, 2);
    g->addWidget(btnNewGame, 2, 2, 1, 2);
    g->addWidget(btnSave, 3, 0, 1, 2);
    g->addWidget(btnGameList, 3, 2, 1, 2);
    g->addWidget(btnAddFolder, 4, 0, 1, 4);
    g->addWidget(label(grpAction, QStringLiteral("Skin:")), 5, 0);
    g->addWidget(cmbASkins, 5, 1, 1, 3);
    for (int c = 0; c < 4; ++c)
        g->setColumnStretch(c, 1);
    return grpAction;
}

void EditorPage::layOutGroups() {
    // Four columns of fixed widths (pixels at the 10 px font), filled from the
    // top; every group is visible at once on the 1006 by 700 page. A smaller
    // window (a small screen, a large scale) scrolls the groups instead of
    // cutting them.
    m_groups = new QWidget;
    m_groups->setObjectName(QStringLiteral("editorGroups"));
    auto* scroll = new QScrollArea(this);
    m_scroll = scroll;
    scroll->installEventFilter(this);
    scroll->setObjectName(QStringLiteral("editorScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setFocusPolicy(Qt::NoFocus); // Tab goes to the controls; the area follows the focus
    // The skin's window colour shows through, as on the page without scrolling.
    scroll->viewport()->setAutoFillBackground(false);
    auto* whole = new QVBoxLayout(this);
    whole->setContentsMargins(0, 0, 0, 0);
    whole->addWidget(scroll);
    auto* columns = new QHBoxLayout(m_groups);
    columns->setContentsMargins(3, 2, 3, 2);
    columns->setSpacing(3);
    auto column = [columns](int width, std::initializer_list<QGroupBox*> groups) {
        auto* stack = new QVBoxLayout;
        stack->setSpacing(3);
        for (QGroupBox* box : groups) {
            // The page's width where the window gives it, a few pixels less where it does
            // not: at a fractional scale the window manager rounds the window a pixel
            // narrower than the page, and a scroll bar for one pixel would hide the last
            // column's edge under another scroll bar.
            box->setMinimumWidth(width - ColumnGive);
            box->setMaximumWidth(width);
            box->setSizePolicy(QSizePolicy::Expanding, box->sizePolicy().verticalPolicy());
            stack->addWidget(box);
        }
        // The last group reaches down to the page's foot, its controls at its
        // top, so the four columns end on one line.
        QGroupBox* last = *(groups.end() - 1);
        stack->setStretchFactor(last, 1);
        if (auto* grid = qobject_cast<QGridLayout*>(last->layout()))
            grid->setRowStretch(grid->rowCount(), 1);
        columns->addLayout(stack, 1);
    };
    column(261, {buildGSDX(), buildProfile(), buildCDVD(), buildAdvanced(), buildMC(), buildOther()});
    column(222, {buildGS(), buildGSWindow(), buildAction()});
    column(254, {buildGameFixes(), buildSpeedHacks(), buildEEIOP()});
    column(254, {buildSPU2(), buildVUs()});
    // Room past the four columns' widths goes here, not into the columns.
    columns->addStretch(0);
    scroll->setWidget(m_groups);
    // After setWidget, which turns the filling on: filled, the groups' widget covered the
    // skin's window colour with the default grey behind every group.
    m_groups->setAutoFillBackground(false);
}
