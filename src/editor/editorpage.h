#pragma once

#include <QString>
#include <QWidget>
#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class PathEdit;
class RadioGroup;
class SpinEdit;

// The editor page, pgNewGame: every setting of one game profile as a control,
// in fourteen groups, with the rules that keep the controls consistent, the
// whole-profile and group defaults and the preset levels. Controls and
// operations carry the names the rest of the program (and the profile
// mapping) knows them by; each control's object name is its member name.
//
// Change notifications: a check box runs its rule on every state change, also
// one made by the program; a slider clamps, then runs its rule when its
// position changes; a drop-down list runs its rule only when the user picks an
// entry, so code that selects an entry runs the rule itself where needed.
//
// The code is spread over editorpage.cpp (construction and wiring),
// editorpage_layout*.cpp (the groups), editorpage_rules.cpp (dependent controls
// and value labels), editorpage_defaults.cpp and editorpage_presets.cpp.
class QScrollArea;

class EditorPage : public QWidget {
    Q_OBJECT
public:
    explicit EditorPage(QWidget* parent = nullptr);

    // The emulator settings folder; MainWindow sets it once it has worked out the
    // emulator's folders. The memory card default is derived from it.
    QString m_settingsFolder;

    // The emulator's current builds (no plug-ins): the plug-in list holds one
    // disabled entry, "built in", whose file name is empty; the plug-in rule
    // treats the graphics settings as offered, and the renderer rule goes by
    // the kind of the current builds' renderer. Set once, before the lists are
    // used; off is the plug-in era's page, unchanged.
    void setCurrentBuildsMode(bool on);
    bool currentBuildsMode() const { return m_currentBuilds; }

    // The plug-in era's Linux plug-ins: the sound module list is the Linux
    // SPU2-X's (each entry carries its Output_Module word), the renderer rule goes
    // by the kind of the Linux GSdx's renderer numbers, and the controls that no
    // Linux plug-in or core reads are disabled with a tool tip saying so, their
    // values kept with the profile. Set once, before the lists are used.
    void setLinuxPluginsMode(bool on);
    bool linuxPluginsMode() const { return m_linuxPlugins; }
    // The controls that nothing reads on Linux.
    QList<QWidget*> controlsUnreadOnLinux() const;

    // The integer mark of chkNativeResolution, cmbScaling and chkTextureFiltering ("Tag"), kept
    // as the widget's dynamic property "Tag".
    static int Tag(const QObject* control);
    static void setTag(QObject* control, int value);

    // The memory card folder of a settings folder: every path component "inis"
    // becomes "memcards", with "/" or "\" as separator; letter case counts.
    static QString memoryCardFolder(const QString& settingsFolder);

    // ---- Group "GSDX Plugin Settings" ----
    QGroupBox* grpGSDX = nullptr;
    QComboBox* cmbGSPlugin = nullptr;
    QComboBox* cmbRenderer = nullptr;
    QComboBox* cmbInterlacing = nullptr;
    SpinEdit* txtSWThreads = nullptr;
    QCheckBox* chkEdgeAntiAliasing = nullptr;
    QCheckBox* chkHWHacks = nullptr;
    QLabel* lblSkipDraw = nullptr;
    SpinEdit* txtSkipDraw = nullptr;
    QCheckBox* chkAlphaHack = nullptr;
    QCheckBox* chkSprite = nullptr;
    QCheckBox* chkHalfPixelOffset = nullptr;
    QCheckBox* chkWildArms = nullptr;
    QLabel* lblMSAA = nullptr;
    QComboBox* cmbMSAA = nullptr;
    QGroupBox* grpUpscaling = nullptr;
    QCheckBox* chkNativeResolution = nullptr;
    QComboBox* cmbScaling = nullptr;
    SpinEdit* txtCustomWidth = nullptr;
    SpinEdit* txtCustomHeight = nullptr;
    QGroupBox* grpHW = nullptr;
    QCheckBox* chkTextureFiltering = nullptr; // three states
    QCheckBox* chk8BitTextures = nullptr;
    QCheckBox* chkLogDepth = nullptr;
    QCheckBox* chkAlphaCorrection = nullptr;

    // ---- Group "Profile" ----
    QGroupBox* grpProfile = nullptr;
    QLineEdit* txtGameName = nullptr;
    SpinEdit* txtBlur = nullptr;
    QPushButton* btnThumb = nullptr;
    QPushButton* btnPoster = nullptr;

    // ---- Group "CDVD" ----
    QGroupBox* grpCDVD = nullptr;
    PathEdit* txtISOPath = nullptr;
    QComboBox* cmbCDVDSource = nullptr;

    // ---- Group "Advanced options" ----
    QGroupBox* grpAdvanced = nullptr;
    QComboBox* cmbPCSX2ExeFile = nullptr;
    QLineEdit* txtCMDKeys = nullptr;
    QPushButton* btnKeyHelp = nullptr;

    // ---- Group "GS" ----
    QGroupBox* grpGS = nullptr;
    QGroupBox* grpFramelimiter = nullptr;
    QCheckBox* chkDisableFramelimiting = nullptr;
    SpinEdit* txtBaseFramerate = nullptr;
    SpinEdit* txtSlowMotion = nullptr;
    SpinEdit* txtTurbo = nullptr;
    QLineEdit* txtNTSC = nullptr;
    QLineEdit* txtPAL = nullptr;
    QGroupBox* grpSkipping = nullptr;
    RadioGroup* rgpSkip = nullptr;
    SpinEdit* txtDrawFrames = nullptr;
    SpinEdit* txtSkipFrames = nullptr;
    QCheckBox* chkMTGS = nullptr;
    QCheckBox* chkDisableGS = nullptr;
    QPushButton* btnGSDef = nullptr;

    // ---- Group "GS Window" ----
    QGroupBox* grpGSWindow = nullptr;
    QComboBox* cmbAspectRatio = nullptr;
    QLineEdit* txtSizeW = nullptr;
    QLineEdit* txtSizeH = nullptr;
    QLineEdit* txtZoom = nullptr;
    QCheckBox* chkResizeBorder = nullptr;
    QCheckBox* chkHideCursor = nullptr;
    QCheckBox* chkHideSuspend = nullptr;
    QCheckBox* chkFullScreen = nullptr;
    QCheckBox* chkDoubleClick = nullptr;
    QCheckBox* chkVSync = nullptr;
    QCheckBox* chkManagedVsync = nullptr;
    QPushButton* btnGSWDef = nullptr;

    // ---- Group "Game Fixes" ----
    QGroupBox* grpGameFixes = nullptr;
    QCheckBox* chkGameFix1 = nullptr;
    QCheckBox* chkGameFix2 = nullptr;
    QCheckBox* chkGameFix3 = nullptr;
    QCheckBox* chkGameFix4 = nullptr;
    QCheckBox* chkGameFix5 = nullptr;
    QCheckBox* chkGameFix6 = nullptr;
    QCheckBox* chkGameFix7 = nullptr;
    QCheckBox* chkGameFix8 = nullptr;
    QCheckBox* chkGameFix9 = nullptr;
    QCheckBox* chkGameFix10 = nullptr;
    QCheckBox* chkGameFix11 = nullptr;
    QCheckBox* chkGameFix12 = nullptr;
    QCheckBox* chkGameFix13 = nullptr;
    QCheckBox* chkGameFix14 = nullptr;
    QCheckBox* chkGameFixes = nullptr;
    QPushButton* btnGFDef = nullptr;
    // chkGameFix1 to chkGameFix14 in number order.
    std::array<QCheckBox*, 14> gameFixes() const;

    // ---- Group "Speed Hacks" ----
    QGroupBox* grpSpeedHacks = nullptr;
    QGroupBox* grpEECyclerate = nullptr;
    QSlider* trkEECyclerate = nullptr;
    QLabel* lblEECyclerate = nullptr;
    QGroupBox* grpVUCycleStealing = nullptr;
    QSlider* trkVUCycleStealing = nullptr;
    QLabel* lblVUCycleStealing = nullptr;
    QGroupBox* grpOtherHacks = nullptr;
    QCheckBox* chkINTC = nullptr;
    QCheckBox* chkWaitLoop = nullptr;
    QCheckBox* chkFastCDVD = nullptr;
    QGroupBox* grpMicroVUHacks = nullptr;
    QCheckBox* chkMVUFlagHack = nullptr;
    QCheckBox* chkMTVU = nullptr;
    QCheckBox* chkSpeedHacks = nullptr;
    QPushButton* btnSHDef = nullptr;

    // ---- Group "SPU2-X" ----
    QGroupBox* grpSPU2 = nullptr;
    QGroupBox* grpSPU2Mixing = nullptr;
    QComboBox* cmbSPU2Interpolation = nullptr;
    QCheckBox* chkSPU2DisableEffects = nullptr;
    QCheckBox* chkSPU2DeAlias = nullptr;
    QComboBox* cmbSPU2Reverb = nullptr;
    QGroupBox* grpSPU2Output = nullptr;
    QComboBox* cmbSPU2Module = nullptr;
    QLabel* lblSPU2Latency = nullptr;
    QSlider* trkSPU2Latency = nullptr;
    QComboBox* cmbSPU2Sync = nullptr;
    QComboBox* cmbSPU2AudioEpx = nullptr;
    QCheckBox* chkSPU2UseDSP = nullptr;
    QCheckBox* chkSPU2Debug = nullptr;

    // ---- Group "EE/IOP" ----
    QGroupBox* grpEEIOP = nullptr;
    RadioGroup* rgpEECore = nullptr;
    RadioGroup* rgpIOPCore = nullptr;
    QCheckBox* chkEnableEECache = nullptr;
    QGroupBox* grpEEFPU = nullptr;
    RadioGroup* rgpEERoundMode = nullptr;
    RadioGroup* rgpEEClampingMode = nullptr;
    QPushButton* btnEEDef = nullptr;

    // ---- Group "VUs" ----
    QGroupBox* grpVUs = nullptr;
    RadioGroup* rgpVU0Core = nullptr;
    RadioGroup* rgpVU1Core = nullptr;
    QGroupBox* grpVU0VU1 = nullptr;
    RadioGroup* rgpVURoundMode = nullptr;
    RadioGroup* rgpVUClampingMode = nullptr;
    QPushButton* btnVUDef = nullptr;

    // ---- Group "Memory Cards" ----
    QGroupBox* grpMC = nullptr;
    PathEdit* txtMCPath = nullptr;
    QLineEdit* txtMC1 = nullptr;
    QLineEdit* txtMC2 = nullptr;
    QCheckBox* chkMCAutoEject = nullptr;

    // ---- Group "Other" ----
    QGroupBox* grpOther = nullptr;
    QCheckBox* chkConsole = nullptr;
    QCheckBox* chkBackup = nullptr;
    QCheckBox* chkPatches = nullptr;
    QCheckBox* chkEnableCheats = nullptr;
    QCheckBox* chkHostFs = nullptr;

    // ---- Group "Action" ----
    QGroupBox* grpAction = nullptr;
    QCheckBox* chkPreset = nullptr;
    QSlider* trkPreset = nullptr;
    QLabel* lblPreset = nullptr;
    QPushButton* btnDefault = nullptr;
    QPushButton* btnNewGame = nullptr;
    QPushButton* btnAddFolder = nullptr; // adds the games of a folder of disc images (new mode)
    QPushButton* btnSave = nullptr;
    QPushButton* btnGameList = nullptr;
    QComboBox* cmbASkins = nullptr;

    // ---- Rules: dependent controls and value labels (editorpage_rules.cpp) ----
    void cmbGSPluginChange();
    void cmbRendererChange();
    void chkNativeClick();
    void cmbScalingChange();
    void chkHWHacksClick();
    void chkGameFixesClick();
    void chkSpeedHacksClick();
    void chkFilteringMouseUp();
    void trkEECyclerateChange();
    void trkVUCycleStealingChange();
    void trkSPU2LatencyChange();
    void btnKeyHelpClick();

    // ---- Defaults (editorpage_defaults.cpp) ----
    void btnDefaultClick();
    void btnGSDefClick();
    void btnGSWDefClick();
    void btnGFDefClick();
    void btnEEDefClick();
    void btnVUDefClick();
    void btnSHDefClick();

    // ---- Presets (editorpage_presets.cpp) ----
    void trkPresetChange();
    void chkPresetClick();

    // ---- Name field and artwork buttons (editorpage.cpp) ----
    void UpdatePosterButtons();
    void txtGameNameKeyUp();

    // The widget that holds the fourteen groups; the page scrolls it when it is
    // larger than the page.
    QWidget* groupArea() const { return m_groups; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // editorpage_layout.cpp and editorpage_layout2.cpp: one builder per group.
    QGroupBox* buildGSDX();
    QGroupBox* buildProfile();
    QGroupBox* buildCDVD();
    QGroupBox* buildAdvanced();
    QGroupBox* buildGS();
    QGroupBox* buildGSWindow();
    QGroupBox* buildGameFixes();
    QGroupBox* buildSpeedHacks();
    QGroupBox* buildSPU2();
    QGroupBox* buildEEIOP();
    QGroupBox* buildVUs();
    QGroupBox* buildMC();
    QGroupBox* buildOther();
    QGroupBox* buildAction();
    void layOutGroups();
    // The fourteen groups' own widget, inside the page's scroll area.
    QWidget* m_groups = nullptr;
    QScrollArea* m_scroll = nullptr;
    // Shows a scroll bar exactly where the groups do not fit the area.
    void fitScrollBars();
    void connectRules();
    bool m_currentBuilds = false;
    bool m_linuxPlugins = false;
    // Keeps the controls that nothing reads on Linux disabled after a rule ran.
    void keepUnreadOnLinuxDisabled();
    // Runs a rule for a Qt signal under the error report.
    template <typename F> void guarded(F&& f);
};
