// The editor page's graphics, profile, disc and emulator groups.
#include "editor/editorpage.h"
#include "editor/editorwidgets.h"
#include "editor/filteringcheckbox.h"
#include "editor/pathedit.h"
#include "editor/radiogroup.h"
#include "editor/spinedit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace editorwidgets;

namespace {

const QStringList kInterlacing = {QStringLiteral("None"),
                                  QStringLiteral("Weave tff (saw-tooth)"),
                                  QStringLiteral("Weave bff (saw-tooth)"),
                                  QStringLiteral("Bob tff (use blend if shaking)"),
                                  QStringLiteral("Bob bff (use blend if shaking)"),
                                  QStringLiteral("Blend tff (slight blur, 1/2 fps)"),
                                  QStringLiteral("Blend bff (slight blur, 1/2 fps)"),
                                  QStringLiteral("Auto")};
const QStringList kMSAA = {QStringLiteral("0x Z-32"), QStringLiteral("2x Z-24"), QStringLiteral("4x Z-24"),
                           QStringLiteral("8x Z-24")};
const QStringList kScaling = {QStringLiteral("Custom"),    QStringLiteral("2x Native"),
                              QStringLiteral("3x Native"), QStringLiteral("4x Native"),
                              QStringLiteral("5x Native"), QStringLiteral("6x Native")};
const QStringList kCDVDSource = {QStringLiteral("Iso"), QStringLiteral("Plugin"), QStringLiteral("NoDisc")};
const QStringList kSkip = {QStringLiteral("Disabled [default]"), QStringLiteral("Skip when on Turbo only"),
                           QStringLiteral("Constatnt skipping")};
const QStringList kAspectRatio = {QStringLiteral("Fit to Window/Screen"), QStringLiteral("Standard (4:3)"),
                                  QStringLiteral("Widescreen (16:9)")};
// The disc images the emulator opens (its own open dialog's filter, pcsx2-qt's
// MainWindow::OPEN_FILE_FILTER), offered first.
const QString kISOFilter =
    QStringLiteral("Disc images|*.iso;*.bin;*.cue;*.mdf;*.chd;*.cso;*.zso;*.gz|All files (*.*)|*.*");

constexpr int kNumberWidth = 46;

// Widgets side by side in one cell of a grid.
QHBoxLayout* row(std::initializer_list<QWidget*> widgets, bool stretch = false) {
    auto* line = new QHBoxLayout;
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(4);
    for (QWidget* w : widgets)
        line->addWidget(w);
    if (stretch)
        line->addStretch(1);
    return line;
}

} // namespace

QGroupBox* EditorPage::buildGSDX() {
    grpGSDX = group(this, "grpGSDX", QStringLiteral("GSDX Plugin Settings"));
    QGridLayout* g = grid(grpGSDX);
    cmbGSPlugin = combo(grpGSDX, "cmbGSPlugin");
    cmbRenderer = combo(grpGSDX, "cmbRenderer");
    cmbInterlacing = combo(grpGSDX, "cmbInterlacing", kInterlacing);
    // Plug-in names come from the libraries and run long: the list takes the
    // whole row.
    auto* plugin = row({label(grpGSDX, QStringLiteral("Plugin:")), cmbGSPlugin});
    plugin->setStretch(1, 1);
    g->addLayout(plugin, 0, 0, 1, 2);
    g->addWidget(label(grpGSDX, QStringLiteral("Renderer:")), 1, 0);
    g->addWidget(cmbRenderer, 1, 1);
    g->addWidget(label(grpGSDX, QStringLiteral("Interlacing (F5):")), 2, 0);
    g->addWidget(cmbInterlacing, 2, 1);

    txtSWThreads = spin(grpGSDX, "txtSWThreads", QStringLiteral("1"));
    txtSWThreads->setFixedWidth(kNumberWidth);
    chkEdgeAntiAliasing = check(grpGSDX, "chkEdgeAntiAliasing", QStringLiteral("Edge anti-aliasing"));
    g->addWidget(label(grpGSDX, QStringLiteral("Rend. threads:")), 3, 0);
    g->addLayout(row({txtSWThreads, chkEdgeAntiAliasing}, true), 3, 1);

    chkHWHacks = check(grpGSDX, "chkHWHacks", QString());
    chkHWHacks->setToolTip(QStringLiteral("Enable HW Hacks"));
    lblSkipDraw = label(grpGSDX, QStringLiteral("SkipDraw:"), "lblSkipDraw");
    txtSkipDraw = spin(grpGSDX, "txtSkipDraw", QStringLiteral("0"));
    txtSkipDraw->setFixedWidth(kNumberWidth);
    lblMSAA = label(grpGSDX, QStringLiteral("MSAA:"), "lblMSAA");
    cmbMSAA = combo(grpGSDX, "cmbMSAA", kMSAA);
    cmbMSAA->setCurrentIndex(0);
    auto* hacks = row({chkHWHacks, lblSkipDraw});
    hacks->addStretch(1);
    g->addLayout(hacks, 4, 0);
    g->addLayout(row({txtSkipDraw, lblMSAA, cmbMSAA}), 4, 1);

    chkAlphaHack = check(grpGSDX, "chkAlphaHack", QStringLiteral("Alpha"));
    chkSprite = check(grpGSDX, "chkSprite", QStringLiteral("Sprite"));
    chkHalfPixelOffset = check(grpGSDX, "chkHalfPixelOffset", QStringLiteral("Half-pixel Offset"));
    chkWildArms = check(grpGSDX, "chkWildArms", QStringLiteral("WildArmsOffset"));
    auto* hackBoxes = new QGridLayout;
    hackBoxes->setContentsMargins(0, 0, 0, 0);
    hackBoxes->setSpacing(2);
    hackBoxes->addWidget(chkAlphaHack, 0, 0);
    hackBoxes->addWidget(chkSprite, 0, 1);
    hackBoxes->addWidget(chkHalfPixelOffset, 1, 0);
    hackBoxes->addWidget(chkWildArms, 1, 1);
    g->addLayout(hackBoxes, 5, 0, 1, 2);

    grpUpscaling = group(grpGSDX, "grpUpscaling", QStringLiteral("D3D Upscaling (can cause glitches)"));
    QGridLayout* d = grid(grpUpscaling);
    chkNativeResolution = check(grpUpscaling, "chkNativeResolution", QStringLiteral("Native"));
    setTag(chkNativeResolution, 1);
    cmbScaling = combo(grpUpscaling, "cmbScaling", kScaling);
    setTag(cmbScaling, 0);
    txtCustomWidth = spin(grpUpscaling, "txtCustomWidth", QStringLiteral("0"));
    txtCustomHeight = spin(grpUpscaling, "txtCustomHeight", QStringLiteral("0"));
    txtCustomWidth->setFixedWidth(kNumberWidth + 8);
    txtCustomHeight->setFixedWidth(kNumberWidth + 8);
    d->addWidget(label(grpUpscaling, QStringLiteral("Original PS2 resolution:")), 0, 0);
    d->addWidget(chkNativeResolution, 0, 1);
    d->addWidget(label(grpUpscaling, QStringLiteral("Or use Scaling:")), 1, 0);
    d->addWidget(cmbScaling, 1, 1);
    d->addWidget(label(grpUpscaling, QStringLiteral("Custom resolution:")), 2, 0);
    d->addLayout(row({txtCustomWidth, txtCustomHeight}, true), 2, 1);
    g->addWidget(grpUpscaling, 6, 0, 1, 2);

    grpHW = group(grpGSDX, "grpHW", QStringLiteral("Hardware"));
    QGridLayout* h = grid(grpHW);
    chkTextureFiltering =
        named(new FilteringCheckBox(QStringLiteral("Texture filtering"), grpHW), "chkTextureFiltering");
    setTag(chkTextureFiltering, 0);
    chk8BitTextures = check(grpHW, "chk8BitTextures", QStringLiteral("Allow 8-bit textures"));
    chkLogDepth = check(grpHW, "chkLogDepth", QStringLiteral("Logarithmic Z"));
    chkAlphaCorrection = check(grpHW, "chkAlphaCorrection", QStringLiteral("Alpha corrction (FBA)"));
    h->addWidget(chkTextureFiltering, 0, 0);
    h->addWidget(chk8BitTextures, 0, 1);
    h->addWidget(chkLogDepth, 1, 0);
    h->addWidget(chkAlphaCorrection, 1, 1);
    g->addWidget(grpHW, 7, 0, 1, 2);
    g->setColumnStretch(1, 1);
    return grpGSDX;
}

QGroupBox* EditorPage::buildProfile() {
    grpProfile = group(this, "grpProfile", QStringLiteral("Profile"));
    QGridLayout* g = grid(grpProfile);
    txtGameName = edit(grpProfile, "txtGameName");
    txtBlur = spin(grpProfile, "txtBlur", QString(), 0.1, 1);
    txtBlur->setRange(0.0, 3.0);
    txtBlur->setFixedWidth(kNumberWidth);
    btnThumb = button(grpProfile, "btnThumb", QStringLiteral("Thumbnail only"));
    btnPoster = button(grpProfile, "btnPoster", QStringLiteral("Poster and Thumbnail"));
    g->addWidget(label(grpProfile, QStringLiteral("Name:")), 0, 0);
    g->addWidget(txtGameName, 0, 1, 1, 2);
    g->addWidget(label(grpProfile, QStringLiteral("Thumbnail Blur:")), 1, 0);
    g->addWidget(txtBlur, 1, 1);
    g->addLayout(row({btnThumb, btnPoster}), 2, 0, 1, 3);
    g->setColumnStretch(2, 1);
    return grpProfile;
}

QGroupBox* EditorPage::buildCDVD() {
    grpCDVD = group(this, "grpCDVD", QStringLiteral("CDVD"));
    QGridLayout* g = grid(grpCDVD);
    txtISOPath = named(new PathEdit(PathEdit::Mode::File, grpCDVD), "txtISOPath");
    txtISOPath->setFilter(kISOFilter);
    txtISOPath->setFixedHeight(20);
    cmbCDVDSource = combo(grpCDVD, "cmbCDVDSource", kCDVDSource);
    g->addWidget(label(grpCDVD, QStringLiteral("ISO Path:")), 0, 0);
    g->addWidget(txtISOPath, 0, 1);
    g->addWidget(label(grpCDVD, QStringLiteral("Source:")), 1, 0);
    g->addLayout(row({cmbCDVDSource}, true), 1, 1);
    cmbCDVDSource->setFixedWidth(90);
    g->setColumnStretch(1, 1);
    return grpCDVD;
}

QGroupBox* EditorPage::buildAdvanced() {
    grpAdvanced = group(this, "grpAdvanced", QStringLiteral("Advanced options"));
    QGridLayout* g = grid(grpAdvanced);
    cmbPCSX2ExeFile = combo(grpAdvanced, "cmbPCSX2ExeFile");
    txtCMDKeys = edit(grpAdvanced, "txtCMDKeys");
    btnKeyHelp = button(grpAdvanced, "btnKeyHelp", QStringLiteral("Help"));
    btnKeyHelp->setFixedWidth(44);
    g->addWidget(label(grpAdvanced, QStringLiteral("PCSX2 .exe file:")), 0, 0);
    g->addWidget(cmbPCSX2ExeFile, 0, 1, 1, 2);
    g->addWidget(label(grpAdvanced, QStringLiteral("Keys:")), 1, 0);
    g->addWidget(txtCMDKeys, 1, 1);
    g->addWidget(btnKeyHelp, 1, 2);
    g->setColumnStretch(1, 1);
    return grpAdvanced;
}

QGroupBox* EditorPage::buildGS() {
    grpGS = group(this, "grpGS", QStringLiteral("GS"));
    QGridLayout* g = grid(grpGS);

    grpFramelimiter = group(grpGS, "grpFramelimiter", QStringLiteral("Framelimiter"));
    QGridLayout* f = grid(grpFramelimiter);
    chkDisableFramelimiting =
        check(grpFramelimiter, "chkDisableFramelimiting", QStringLiteral("Disable Framelimiting"));
    txtBaseFramerate = spin(grpFramelimiter, "txtBaseFramerate", QStringLiteral("0"));
    txtSlowMotion = spin(grpFramelimiter, "txtSlowMotion", QStringLiteral("0"));
    txtTurbo = spin(grpFramelimiter, "txtTurbo", QStringLiteral("0"));
    txtNTSC = edit(grpFramelimiter, "txtNTSC");
    txtPAL = edit(grpFramelimiter, "txtPAL");
    // Never enabled: they show what the defaults or the loaded profile hold.
    txtNTSC->setEnabled(false);
    txtPAL->setEnabled(false);
    f->addWidget(chkDisableFramelimiting, 0, 0, 1, 2);
    const std::pair<const char*, QWidget*> fields[] = {{"Base Framerate Ajust:", txtBaseFramerate},
                                                       {"Slow Motion Adjust:", txtSlowMotion},
                                                       {"Turbo Adjust:", txtTurbo},
                                                       {"NTSC Framerate:", txtNTSC},
                                                       {"PAL Framerate:", txtPAL}};
    int r = 1;
    for (const auto& [caption, field] : fields) {
        field->setFixedWidth(kNumberWidth + 8);
        f->addWidget(label(grpFramelimiter, QLatin1String(caption)), r, 0);
        f->addWidget(field, r++, 1);
    }
    f->setColumnStretch(0, 1);
    g->addWidget(grpFramelimiter, 0, 0, 1, 2);

    grpSkipping = group(grpGS, "grpSkipping", QStringLiteral("Frame Skipping"));
    QGridLayout* s = grid(grpSkipping);
    rgpSkip = named(new RadioGroup(QString(), kSkip, grpSkipping), "rgpSkip");
    rgpSkip->setFlat(true);
    txtDrawFrames = spin(grpSkipping, "txtDrawFrames", QStringLiteral("0"));
    txtSkipFrames = spin(grpSkipping, "txtSkipFrames", QStringLiteral("0"));
    txtDrawFrames->setFixedWidth(kNumberWidth);
    txtSkipFrames->setFixedWidth(kNumberWidth);
    s->addWidget(rgpSkip, 0, 0, 1, 2);
    s->addWidget(label(grpSkipping, QStringLiteral("Frames to Draw")), 1, 0);
    s->addWidget(txtDrawFrames, 1, 1);
    s->addWidget(label(grpSkipping, QStringLiteral("Frames to Skip")), 2, 0);
    s->addWidget(txtSkipFrames, 2, 1);
    s->setColumnStretch(0, 1);
    g->addWidget(grpSkipping, 1, 0, 1, 2);

    chkMTGS = check(grpGS, "chkMTGS", QStringLiteral("USE Synchronized MTGS"));
    chkDisableGS = check(grpGS, "chkDisableGS", QStringLiteral("Disable all GS output"));
    btnGSDef = button(grpGS, "btnGSDef", QStringLiteral("Default"));
    btnGSDef->setFixedWidth(48);
    g->addWidget(chkMTGS, 2, 0);
    g->addWidget(chkDisableGS, 3, 0);
    g->addWidget(btnGSDef, 2, 1, 2, 1, Qt::AlignRight | Qt::AlignVCenter);
    return grpGS;
}

QGroupBox* EditorPage::buildGSWindow() {
    grpGSWindow = group(this, "grpGSWindow", QStringLiteral("GS Window"));
    QGridLayout* g = grid(grpGSWindow);
    cmbAspectRatio = combo(grpGSWindow, "cmbAspectRatio", kAspectRatio);
    txtSizeW = edit(grpGSWindow, "txtSizeW");
    txtSizeH = edit(grpGSWindow, "txtSizeH");
    txtZoom = edit(grpGSWindow, "txtZoom");
    for (QLineEdit* e : {txtSizeW, txtSizeH, txtZoom})
        e->setFixedWidth(kNumberWidth);
    // One line per field: the long size caption must not push the list aside.
    g->addLayout(row({label(grpGSWindow, QStringLiteral("Aspect Ratio:")), cmbAspectRatio}, true), 0, 0, 1,
                 3);
    g->addLayout(row({label(grpGSWindow, QStringLiteral("Custom Window Size:")), txtSizeW, txtSizeH}, true),
                 1, 0, 1, 3);
    g->addLayout(row({label(grpGSWindow, QStringLiteral("Zoom:")), txtZoom}, true), 2, 0, 1, 3);

    chkResizeBorder = check(grpGSWindow, "chkResizeBorder", QStringLiteral("Disable window resize border"));
    chkHideCursor = check(grpGSWindow, "chkHideCursor", QStringLiteral("Always hide mouse cursor"));
    chkHideSuspend = check(grpGSWindow, "chkHideSuspend", QStringLiteral("Hide window when paused"));
    chkFullScreen = check(grpGSWindow, "chkFullScreen", QStringLiteral("Default to fullscreen mode on open"));
    chkDoubleClick =
        check(grpGSWindow, "chkDoubleClick", QStringLiteral("Double-click Toggles Full-Screen mode"));
    chkVSync = check(grpGSWindow, "chkVSync", QStringLiteral("Wait for vsync on refresh"));
    chkManagedVsync = check(grpGSWindow, "chkManagedVsync", QStringLiteral("Dynamically toggle Vsync"));
    int r = 3;
    for (QCheckBox* box :
         {chkResizeBorder, chkHideCursor, chkHideSuspend, chkFullScreen, chkDoubleClick, chkVSync})
        g->addWidget(box, r++, 0, 1, 3);
    btnGSWDef = button(grpGSWindow, "btnGSWDef", QStringLiteral("Default"));
    btnGSWDef->setFixedWidth(48);
    g->addLayout(row({chkManagedVsync}, true), r, 0, 1, 3);
    g->addWidget(btnGSWDef, r, 2, Qt::AlignRight);
    return grpGSWindow;
}
