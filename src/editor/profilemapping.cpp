#include "editor/profilemapping.h"

#include "core/korvelloerror.h"
#include "core/numbertext.h"
#include "editor/editorpage.h"
#include "editor/editortables.h"
#include "editor/pathedit.h"
#include "editor/radiogroup.h"
#include "editor/spinedit.h"
#include "store/encodings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSlider>

#include <vector>

namespace profilemapping {
namespace {

// How a column's stored text relates to its control.
enum class Form {
    Text,          // copied both ways
    Trimmed,       // collected trimmed, loaded as stored
    TrimOnUpdate,  // collected as entered by add, trimmed by update (3, 4, 14)
    CheckED,       // "enabled" / "disabled"
    CheckTF,       // "TRUE" / "FALSE"
    CheckDigit,    // "1" / "0", read by integer conversion
    CheckInverted, // "enabled" when the box is NOT checked (frame limiter)
    Position,      // list, radio group or slider position as a decimal integer
    Renderer,      // renderer number of the chosen entry, -1 for none
    Scaling,       // list position + 1
    Filtering,     // 0 unchecked, 1 checked, 2 grayed
    AspectWord,    // "Stretch", "4:3", "16:9"
    ModuleWord,    // "nullout" ... "portaudio"
    SourceText,    // the chosen item's text
    WindowSize,    // width "," height, over two controls
    Scalar,        // percent in the editor, fraction in the row
    SkipFlags,     // two flags
    CoreFlag,      // one flag
    ClampFlags,    // three flags
    VuFlags,       // two flags
    ExeFile,       // chosen executable name, untrimmed
    PluginFile,    // the file behind the chosen plug-in
    Path,          // trimmed, loaded with the text as hint (ISO path)
    MemoryCards,   // add: trimmed; update: "\\" pairs made single; loaded with hint
};

using Rule = void (EditorPage::*)();

struct Binding {
    std::vector<int> columns;
    const char* control;
    Form form;
    Rule then = nullptr;          // the rule that loading runs right after setting the control
    const char* second = nullptr; // the height field of the window size
};

// In load order. Every column of the row appears exactly once.
const std::vector<Binding>& bindings() {
    static const std::vector<Binding> table = {
        {{col::gamename}, "txtGameName", Form::Text},
        {{col::GSDXRenderer}, "cmbRenderer", Form::Renderer, &EditorPage::cmbRendererChange},
        {{col::GSDXInterlace}, "cmbInterlacing", Form::Position},
        {{col::GSDXresx}, "txtCustomWidth", Form::TrimOnUpdate},
        {{col::GSDXresy}, "txtCustomHeight", Form::TrimOnUpdate},
        {{col::GSDXnativeres}, "chkNativeResolution", Form::CheckDigit, &EditorPage::chkNativeClick},
        {{col::GSDXupscale_multiplier}, "cmbScaling", Form::Scaling, &EditorPage::cmbScalingChange},
        {{col::GSDXUserHacks_MSAA}, "cmbMSAA", Form::Position},
        {{col::GSDXswthreads}, "txtSWThreads", Form::Trimmed},
        {{col::GSDXfilter}, "chkTextureFiltering", Form::Filtering},
        {{col::GSDXpaltex}, "chk8BitTextures", Form::CheckDigit},
        {{col::GSDXlogz}, "chkLogDepth", Form::CheckDigit},
        {{col::GSDXfba}, "chkAlphaCorrection", Form::CheckDigit},
        {{col::GSDXaa1}, "chkEdgeAntiAliasing", Form::CheckDigit},
        {{col::GSDXUserHacks_SkipDraw}, "txtSkipDraw", Form::TrimOnUpdate},
        {{col::GSDXUserHacks_AlphaHack}, "chkAlphaHack", Form::CheckDigit},
        {{col::GSDXUserHacks_HalfPixelOffset}, "chkHalfPixelOffset", Form::CheckDigit},
        {{col::GSDXUserHacks_SpriteHack}, "chkSprite", Form::CheckDigit},
        {{col::GSDXUserHacks_WildHack}, "chkWildArms", Form::CheckDigit},
        {{col::GSDXUserHacks}, "chkHWHacks", Form::CheckDigit},
        {{col::PCSX2AspectRatio}, "cmbAspectRatio", Form::AspectWord},
        {{col::PCSX2WindowSize}, "txtSizeW", Form::WindowSize, nullptr, "txtSizeH"},
        {{col::PCSX2DisableResizeBorders}, "chkResizeBorder", Form::CheckED},
        {{col::PCSX2AlwaysHideMouse}, "chkHideCursor", Form::CheckED},
        {{col::PCSX2CloseOnEsc}, "chkHideSuspend", Form::CheckED},
        {{col::PCSX2DefaultToFullscreen}, "chkFullScreen", Form::CheckED},
        {{col::PCSX2IsToggleFullscreenOnDoubleClick}, "chkDoubleClick", Form::CheckED},
        {{col::PCSX2Zoom}, "txtZoom", Form::Trimmed},
        {{col::PCSX2VuAddSubHack}, "chkGameFix1", Form::CheckED},
        {{col::PCSX2IPUWaitHack}, "chkGameFix2", Form::CheckED},
        {{col::PCSX2VuClipFlagHack}, "chkGameFix3", Form::CheckED},
        {{col::PCSX2FpuCompareHack}, "chkGameFix4", Form::CheckED},
        {{col::PCSX2FpuMulHack}, "chkGameFix5", Form::CheckED},
        {{col::PCSX2FpuNegDivHack}, "chkGameFix6", Form::CheckED},
        {{col::PCSX2XgKickHack}, "chkGameFix7", Form::CheckED},
        {{col::PCSX2EETimingHack}, "chkGameFix8", Form::CheckED},
        {{col::PCSX2SkipMPEGHack}, "chkGameFix9", Form::CheckED},
        {{col::PCSX2OPHFlagHack}, "chkGameFix10", Form::CheckED},
        {{col::PCSX2DMABusyHack}, "chkGameFix11", Form::CheckED},
        {{col::PCSX2VIFFIFOHack}, "chkGameFix12", Form::CheckED},
        {{col::PCSX2VIF1StallHack}, "chkGameFix13", Form::CheckED},
        {{col::PCSX2GIFReverseHack}, "chkGameFix14", Form::CheckED},
        {{col::PCSX2FrameLimitEnable}, "chkDisableFramelimiting", Form::CheckInverted},
        {{col::PCSX2DisableOutput}, "chkDisableGS", Form::CheckED},
        {{col::PCSX2SynchronousMTGS}, "chkMTGS", Form::CheckED},
        {{col::PCSX2VsyncEnable}, "chkVSync", Form::CheckED},
        {{col::PCSX2FramerateNTSC}, "txtNTSC", Form::Trimmed},
        {{col::PCSX2FrameratePAL}, "txtPAL", Form::Trimmed},
        {{col::PCSX2FramesToDraw}, "txtDrawFrames", Form::Trimmed},
        {{col::PCSX2FramesToSkip}, "txtSkipFrames", Form::Trimmed},
        {{col::PCSX2ManagedVsync}, "chkManagedVsync", Form::CheckED},
        {{col::PCSX2NominalScalar}, "txtBaseFramerate", Form::Scalar},
        {{col::PCSX2SlomoScalar}, "txtSlowMotion", Form::Scalar},
        {{col::PCSX2TurboScalar}, "txtTurbo", Form::Scalar},
        {{col::PCSX2SkipOnLimit, col::PCSX2SkipOnTurbo}, "rgpSkip", Form::SkipFlags},
        {{col::PCSX2EnableEE}, "rgpEECore", Form::CoreFlag},
        {{col::PCSX2EnableIOP}, "rgpIOPCore", Form::CoreFlag},
        {{col::PCSX2fpuOverflow, col::PCSX2fpuExtraOverflow, col::PCSX2fpuFullMode},
         "rgpEEClampingMode",
         Form::ClampFlags},
        {{col::PCSX2EnableVU0, col::PCSX2UseMicroVU0}, "rgpVU0Core", Form::VuFlags},
        {{col::PCSX2EnableVU1, col::PCSX2UseMicroVU1}, "rgpVU1Core", Form::VuFlags},
        {{col::PCSX2vuOverflow, col::PCSX2vuExtraOverflow, col::PCSX2vuSignOverflow},
         "rgpVUClampingMode",
         Form::ClampFlags},
        {{col::PCSX2EnableEECache}, "chkEnableEECache", Form::CheckED},
        {{col::PCSX2FPURoundmode}, "rgpEERoundMode", Form::Position},
        {{col::PCSX2VURoundmode}, "rgpVURoundMode", Form::Position},
        {{col::PCSX2EECycleRate}, "trkEECyclerate", Form::Position, &EditorPage::trkEECyclerateChange},
        {{col::PCSX2VUCycleSteal},
         "trkVUCycleStealing",
         Form::Position,
         &EditorPage::trkVUCycleStealingChange},
        {{col::PCSX2FastCDVD}, "chkFastCDVD", Form::CheckED},
        {{col::PCSX2IntcStat}, "chkINTC", Form::CheckED},
        {{col::PCSX2WaitLoop}, "chkWaitLoop", Form::CheckED},
        {{col::PCSX2vuFlagHack}, "chkMVUFlagHack", Form::CheckED},
        {{col::PCSX2vuThread}, "chkMTVU", Form::CheckED},
        {{col::PCSX2EnablePatches}, "chkPatches", Form::CheckED},
        {{col::PCSX2McdEnableEjection}, "chkMCAutoEject", Form::CheckED},
        {{col::PCSX2Visible}, "chkConsole", Form::CheckED},
        {{col::PCSX2EnableSpeedHacks}, "chkSpeedHacks", Form::CheckED, &EditorPage::chkSpeedHacksClick},
        {{col::PCSX2EnableGameFixes}, "chkGameFixes", Form::CheckED, &EditorPage::chkGameFixesClick},
        {{col::PCSX2CdvdSource}, "cmbCDVDSource", Form::SourceText},
        {{col::PCSX2CurrentIso}, "txtISOPath", Form::Path},
        {{col::PCSX2EnablePresets}, "chkPreset", Form::CheckED},
        {{col::PCSX2PresetIndex}, "trkPreset", Form::Position, &EditorPage::chkPresetClick},
        {{col::SPU2Interpolation}, "cmbSPU2Interpolation", Form::Position},
        {{col::SPU2Reverb_Boost}, "cmbSPU2Reverb", Form::Position},
        {{col::SPU2Disable_Effects}, "chkSPU2DisableEffects", Form::CheckTF},
        {{col::SPU2Synch_Mode}, "cmbSPU2Sync", Form::Position},
        {{col::SPU2XAudio2_SpeakerConfiguration}, "cmbSPU2AudioEpx", Form::Position},
        {{col::SPU2Latency}, "trkSPU2Latency", Form::Position},
        {{col::SPU2Output_Module}, "cmbSPU2Module", Form::ModuleWord},
        {{col::SPU2Global_Enable}, "chkSPU2Debug", Form::CheckTF},
        {{col::SPU2Enabled}, "chkSPU2UseDSP", Form::CheckTF},
        {{col::SPU2DealiasFilter}, "chkSPU2DeAlias", Form::CheckTF},
        {{col::PCSX2BackupSavestate}, "chkBackup", Form::CheckED},
        {{col::PCSX2ExeFile}, "cmbPCSX2ExeFile", Form::ExeFile},
        {{col::PCSX2CMDKeys}, "txtCMDKeys", Form::Trimmed},
        {{col::GSDXPluginFile}, "cmbGSPlugin", Form::PluginFile, &EditorPage::cmbGSPluginChange},
        {{col::PCSX2Slot1_Filename}, "txtMC1", Form::Trimmed},
        {{col::PCSX2Slot2_Filename}, "txtMC2", Form::Trimmed},
        {{col::PCSX2EnableCheats}, "chkEnableCheats", Form::CheckED},
        {{col::PCSX2HostFs}, "chkHostFs", Form::CheckED},
        {{col::PCSX2MemoryCards}, "txtMCPath", Form::MemoryCards},
    };
    return table;
}

template <typename T> T* control(const EditorPage& page, const char* name) {
    T* w = page.findChild<T*>(QLatin1String(name));
    if (!w)
        throw KorvelloError(QStringLiteral("The editor page has no control %1").arg(QLatin1String(name)));
    return w;
}

QString textOf(const EditorPage& page, const char* name) {
    QObject* o = control<QObject>(page, name);
    if (auto* e = qobject_cast<QLineEdit*>(o))
        return e->text();
    if (auto* s = qobject_cast<SpinEdit*>(o))
        return s->text();
    if (auto* p = qobject_cast<PathEdit*>(o))
        return p->text();
    throw KorvelloError(QStringLiteral("%1 holds no text").arg(QLatin1String(name)));
}

void setTextOf(EditorPage& page, const char* name, const QString& text) {
    QObject* o = control<QObject>(page, name);
    if (auto* e = qobject_cast<QLineEdit*>(o))
        e->setText(text);
    else if (auto* s = qobject_cast<SpinEdit*>(o))
        s->setText(text);
    else if (auto* p = qobject_cast<PathEdit*>(o)) {
        p->setText(text);
        p->setToolTip(p->text()); // the hint shows the path as the field now reads
    } else
        throw KorvelloError(QStringLiteral("%1 holds no text").arg(QLatin1String(name)));
}

int positionOf(const EditorPage& page, const char* name) {
    QObject* o = control<QObject>(page, name);
    if (auto* c = qobject_cast<QComboBox*>(o))
        return c->currentIndex();
    if (auto* r = qobject_cast<RadioGroup*>(o))
        return r->itemIndex();
    if (auto* s = qobject_cast<QSlider*>(o))
        return s->value();
    throw KorvelloError(QStringLiteral("%1 has no position").arg(QLatin1String(name)));
}

// Lists and radio groups select by position without running a rule; sliders
// clamp to their range and run their own rule when the position changes.
void setPositionOf(EditorPage& page, const char* name, int position) {
    QObject* o = control<QObject>(page, name);
    if (auto* c = qobject_cast<QComboBox*>(o))
        c->setCurrentIndex(position >= 0 && position < c->count() ? position : -1);
    else if (auto* r = qobject_cast<RadioGroup*>(o))
        r->setItemIndex(position);
    else if (auto* s = qobject_cast<QSlider*>(o))
        s->setValue(position);
    else
        throw KorvelloError(QStringLiteral("%1 has no position").arg(QLatin1String(name)));
}

bool checked(const EditorPage& page, const char* name) {
    return control<QCheckBox>(page, name)->isChecked();
}
void setChecked(EditorPage& page, const char* name, bool on) {
    control<QCheckBox>(page, name)->setChecked(on);
}

// The Linux sound module list: the stored word's entry. A word the Linux SPU2-X does
// not know (a Windows module) gets an entry of its own that says so, so that the
// profile keeps it and Start leaves the emulator's own module as it is.
void loadLinuxModule(QComboBox& list, const QString& word) {
    while (list.count() > int(std::size(editortables::kLinuxSoundModules)))
        list.removeItem(list.count() - 1);
    int index = list.findData(word);
    if (index < 0 && !word.isEmpty()) {
        list.addItem(QStringLiteral("%1 (not on Linux: the emulator keeps its own module)").arg(word), word);
        index = list.count() - 1;
    }
    list.setCurrentIndex(index);
}

QString wordAt(const QStringList& words, int position) {
    return position >= 0 && position < words.size() ? words[position] : QString();
}

enum class Purpose { Add, Update };

void collect(const EditorPage& page, const QStringList& pluginFiles, const Binding& b, Purpose purpose,
             GameProfile& row) {
    const int c = b.columns.front();
    auto set = [&](int column, const QString& value) { row.setValue(column, value); };
    switch (b.form) {
    case Form::Text:
        set(c, enc::trimmed(textOf(page, b.control))); // the name, add only
        break;
    case Form::Trimmed:
    case Form::Path:
        set(c, enc::trimmed(textOf(page, b.control)));
        break;
    case Form::TrimOnUpdate: {
        const QString text = textOf(page, b.control);
        set(c, purpose == Purpose::Update ? enc::trimmed(text) : text);
        break;
    }
    case Form::CheckED:
        set(c, enc::BoolToEnabledText(checked(page, b.control)));
        break;
    case Form::CheckTF:
        set(c, enc::BoolToText(checked(page, b.control)));
        break;
    case Form::CheckDigit:
        set(c, enc::BoolToDigit(checked(page, b.control)));
        break;
    case Form::CheckInverted:
        set(c, enc::BoolToEnabledText(!checked(page, b.control)));
        break;
    case Form::Position:
        set(c, QString::number(positionOf(page, b.control)));
        break;
    case Form::Renderer: {
        const auto* list = control<QComboBox>(page, b.control);
        set(c, QString::number(list->currentIndex() < 0 ? -1 : list->currentData().toInt()));
        break;
    }
    case Form::Scaling:
        set(c, QString::number(enc::upscaleFromScaling(positionOf(page, b.control))));
        break;
    case Form::Filtering: {
        const Qt::CheckState state = control<QCheckBox>(page, b.control)->checkState();
        set(c, QString::number(state == Qt::Unchecked ? 0 : state == Qt::Checked ? 1 : 2));
        break;
    }
    case Form::AspectWord:
        set(c, wordAt(enc::aspectRatioWords(), positionOf(page, b.control)));
        break;
    case Form::ModuleWord: {
        // The Linux list's entries carry their word; the design's list goes by position.
        const QVariant word = control<QComboBox>(page, b.control)->currentData();
        set(c,
            word.isValid() ? word.toString() : wordAt(enc::outputModuleWords(), positionOf(page, b.control)));
        break;
    }
    case Form::SourceText:
        set(c, control<QComboBox>(page, b.control)->currentText());
        break;
    case Form::WindowSize: {
        const QString joined = enc::joinWindowSize(textOf(page, b.control), textOf(page, b.second));
        set(c, purpose == Purpose::Update ? enc::trimmed(joined) : joined);
        break;
    }
    case Form::Scalar:
        set(c, enc::scalarFromPercentText(textOf(page, b.control)));
        break;
    case Form::SkipFlags: {
        const enc::SkipFlags f = enc::skipToFlags(positionOf(page, b.control));
        set(col::PCSX2SkipOnLimit, f.skipOnLimit);
        set(col::PCSX2SkipOnTurbo, f.skipOnTurbo);
        break;
    }
    case Form::CoreFlag:
        set(c, enc::coreToFlag(positionOf(page, b.control)));
        break;
    case Form::ClampFlags: {
        const enc::ClampFlags f = enc::clampToFlags(positionOf(page, b.control));
        const std::vector<int>& it = b.columns;
        set(it[0], f.first);
        set(it[1], f.second);
        set(it[2], f.third);
        break;
    }
    case Form::VuFlags: {
        const enc::VuFlags f = enc::vuToFlags(positionOf(page, b.control));
        set(b.columns[0], f.enable);
        set(b.columns[1], f.useMicro);
        break;
    }
    case Form::ExeFile: {
        // An entry that is not a file of the folder (the Flatpak build) is shown by a
        // name of its own and stored in the form its data holds.
        const auto* list = control<QComboBox>(page, b.control);
        const QString stored =
            list->currentIndex() >= 0 && list->currentText() == list->itemText(list->currentIndex())
                ? list->currentData().toString()
                : QString();
        set(c, stored.isEmpty() ? list->currentText() : stored);
        break;
    }
    case Form::PluginFile: {
        const int i = control<QComboBox>(page, b.control)->currentIndex();
        if (i < 0 || i >= pluginFiles.size())
            throw KorvelloError(QStringLiteral("No GSDX plugin is chosen"));
        set(c, pluginFiles[i]);
        break;
    }
    case Form::MemoryCards: {
        const QString text = textOf(page, b.control);
        set(c, purpose == Purpose::Update ? enc::singleBackslashes(text) : enc::trimmed(text));
        break;
    }
    }
}

GameProfile collectAll(const EditorPage& page, const QStringList& pluginFiles, Purpose purpose) {
    GameProfile row;
    for (const Binding& b : bindings()) {
        if (purpose == Purpose::Update && b.columns.front() == col::gamename)
            continue;
        collect(page, pluginFiles, b, purpose, row);
    }
    return row;
}

// Chooses the first item, then every item whose text equals the stored one, so
// the last equal item stays chosen and the first when none is equal.
void chooseMatching(QComboBox* list, const QStringList& texts, const QString& stored) {
    if (list->count() > 0)
        list->setCurrentIndex(0);
    for (int i = 0; i < texts.size() && i < list->count(); ++i)
        if (texts[i] == stored)
            list->setCurrentIndex(i);
}

void loadBinding(EditorPage& page, const GameProfile& row, const QStringList& pluginFiles, const Binding& b) {
    const int c = b.columns.front();
    const QString& v = row.value(c);
    switch (b.form) {
    case Form::Text:
    case Form::Trimmed:
    case Form::TrimOnUpdate:
    case Form::Path:
    case Form::MemoryCards:
        setTextOf(page, b.control, v);
        break;
    case Form::CheckED:
        setChecked(page, b.control, enc::IsEnabledText(v));
        break;
    case Form::CheckTF:
        setChecked(page, b.control, enc::IsTrueText(v));
        break;
    case Form::CheckDigit:
        setChecked(page, b.control, enc::IntToBool(numbertext::toInt(v)));
        break;
    case Form::CheckInverted:
        setChecked(page, b.control, !enc::IsEnabledText(v));
        break;
    case Form::Position:
        setPositionOf(page, b.control, numbertext::toInt(v));
        break;
    case Form::Renderer: {
        // The entry that carries the stored number, none when no listed entry has it.
        auto* list = control<QComboBox>(page, b.control);
        int index = list->findData(numbertext::toInt(v));
        // A design renderer is shown as the Linux GSdx's renderer of its kind, which Start writes.
        if (index < 0 && page.linuxPluginsMode()) {
            if (const std::optional<int> linux = editortables::linuxPluginRenderer(numbertext::toInt(v)))
                index = list->findData(*linux);
        }
        list->setCurrentIndex(index);
        break;
    }
    case Form::Scaling:
        setPositionOf(page, b.control, enc::scalingFromUpscale(numbertext::toInt(v)));
        break;
    case Form::Filtering: {
        const int state = numbertext::toInt(v);
        if (state >= 0 && state <= 2) // any other value leaves the box as it was
            control<QCheckBox>(page, b.control)
                ->setCheckState(state == 0   ? Qt::Unchecked
                                : state == 1 ? Qt::Checked
                                             : Qt::PartiallyChecked);
        break;
    }
    case Form::AspectWord:
        setPositionOf(page, b.control, enc::wordPosition(enc::aspectRatioWords(), v));
        break;
    case Form::ModuleWord:
        if (page.linuxPluginsMode())
            loadLinuxModule(*control<QComboBox>(page, b.control), v);
        else
            setPositionOf(page, b.control, enc::wordPosition(enc::outputModuleWords(), v));
        break;
    case Form::SourceText:
        setPositionOf(page, b.control, enc::wordPosition(enc::cdvdSourceWords(), v));
        break;
    case Form::WindowSize: {
        const enc::WindowSize size = enc::splitWindowSize(v);
        setTextOf(page, b.control, size.width);
        setTextOf(page, b.second, size.height);
        break;
    }
    case Form::Scalar:
        setTextOf(page, b.control, enc::percentTextFromScalar(v));
        break;
    case Form::SkipFlags:
        setPositionOf(page, b.control,
                      enc::skipFromFlags(row.value(col::PCSX2SkipOnLimit), row.value(col::PCSX2SkipOnTurbo)));
        break;
    case Form::CoreFlag:
        setPositionOf(page, b.control, enc::coreFromFlag(v));
        break;
    case Form::ClampFlags: {
        const std::vector<int>& it = b.columns;
        setPositionOf(page, b.control,
                      enc::clampFromFlags(row.value(it[0]), row.value(it[1]), row.value(it[2])));
        break;
    }
    case Form::VuFlags: {
        const std::vector<int>& it = b.columns;
        setPositionOf(page, b.control, enc::vuFromFlags(row.value(it[0]), row.value(it[1])));
        break;
    }
    case Form::ExeFile: {
        auto* list = control<QComboBox>(page, b.control);
        QStringList texts;
        for (int i = 0; i < list->count(); ++i) {
            const QString stored = list->itemData(i).toString();
            texts << (stored.isEmpty() ? list->itemText(i) : stored);
        }
        chooseMatching(list, texts, v);
        break;
    }
    case Form::PluginFile:
        chooseMatching(control<QComboBox>(page, b.control), pluginFiles, v);
        break;
    }
}

} // namespace

GameProfile collectForAdd(const EditorPage& page, const QStringList& pluginFiles) {
    return collectAll(page, pluginFiles, Purpose::Add);
}

GameProfile collectForUpdate(const EditorPage& page, const QStringList& pluginFiles) {
    return collectAll(page, pluginFiles, Purpose::Update);
}

void load(EditorPage& page, const GameProfile& row, const QStringList& pluginFiles) {
    for (const Binding& b : bindings()) {
        loadBinding(page, row, pluginFiles, b);
        if (b.then)
            (page.*b.then)();
    }
}

QList<int> loadOrder() {
    QList<int> order;
    for (const Binding& b : bindings())
        order.append(QList<int>(b.columns.begin(), b.columns.end()));
    return order;
}

} // namespace profilemapping
