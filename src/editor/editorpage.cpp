// Construction of the editor page, the wiring of its change notifications, the
// Tag marks and the name field's rule for the artwork buttons.
#include "editor/editorpage.h"

#include "store/encodings.h"

#include "editor/filteringcheckbox.h"
#include "editor/pathedit.h"
#include "editor/radiogroup.h"
#include "editor/spinedit.h"
#include "ui/errorreport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QVariant>

namespace {
const char* const kTagProperty = "Tag";
}

EditorPage::EditorPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("editorPage"));
    layOutGroups();
    connectRules();
}

int EditorPage::Tag(const QObject* control) {
    return control->property(kTagProperty).toInt();
}

void EditorPage::setTag(QObject* control, int value) {
    control->setProperty(kTagProperty, value);
}

QString EditorPage::memoryCardFolder(const QString& settingsFolder) {
    // Only a whole folder name "inis" is replaced: "/inistall/inis" must not
    // become "/memcardstall/memcards".
    static const QRegularExpression inis(QStringLiteral("([/\\\\])inis(?=[/\\\\]|$)"));
    QString folder = settingsFolder;
    folder.replace(inis, QStringLiteral("\\1memcards"));
    return folder;
}

std::array<QCheckBox*, 14> EditorPage::gameFixes() const {
    return {chkGameFix1, chkGameFix2, chkGameFix3,  chkGameFix4,  chkGameFix5,  chkGameFix6,  chkGameFix7,
            chkGameFix8, chkGameFix9, chkGameFix10, chkGameFix11, chkGameFix12, chkGameFix13, chkGameFix14};
}

template <typename F> void EditorPage::guarded(F&& f) {
    ErrorReport::guard(this, std::forward<F>(f));
}

void EditorPage::connectRules() {
    auto onPick = [this](QComboBox* list, void (EditorPage::*rule)()) {
        // activated: the user's pick only, never a selection made by the program.
        connect(list, &QComboBox::activated, this,
                [this, rule] { guarded([this, rule] { (this->*rule)(); }); });
    };
    onPick(cmbGSPlugin, &EditorPage::cmbGSPluginChange);
    onPick(cmbRenderer, &EditorPage::cmbRendererChange);
    onPick(cmbScaling, &EditorPage::cmbScalingChange);

    auto onState = [this](QCheckBox* box, void (EditorPage::*rule)()) {
        // Every state change, the program's included; none when the state stays.
        connect(box, &QCheckBox::stateChanged, this,
                [this, rule] { guarded([this, rule] { (this->*rule)(); }); });
    };
    onState(chkNativeResolution, &EditorPage::chkNativeClick);
    onState(chkHWHacks, &EditorPage::chkHWHacksClick);
    onState(chkGameFixes, &EditorPage::chkGameFixesClick);
    onState(chkSpeedHacks, &EditorPage::chkSpeedHacksClick);
    onState(chkPreset, &EditorPage::chkPresetClick);

    auto onPosition = [this](QSlider* slider, void (EditorPage::*rule)()) {
        // setValue clamps to the range and signals only a changed position.
        connect(slider, &QSlider::valueChanged, this,
                [this, rule] { guarded([this, rule] { (this->*rule)(); }); });
    };
    onPosition(trkEECyclerate, &EditorPage::trkEECyclerateChange);
    onPosition(trkVUCycleStealing, &EditorPage::trkVUCycleStealingChange);
    onPosition(trkSPU2Latency, &EditorPage::trkSPU2LatencyChange);
    onPosition(trkPreset, &EditorPage::trkPresetChange);

    auto onPress = [this](QPushButton* button, void (EditorPage::*operation)()) {
        connect(button, &QPushButton::clicked, this,
                [this, operation] { guarded([this, operation] { (this->*operation)(); }); });
    };
    onPress(btnKeyHelp, &EditorPage::btnKeyHelpClick);
    onPress(btnDefault, &EditorPage::btnDefaultClick);
    onPress(btnGSDef, &EditorPage::btnGSDefClick);
    onPress(btnGSWDef, &EditorPage::btnGSWDefClick);
    onPress(btnGFDef, &EditorPage::btnGFDefClick);
    onPress(btnEEDef, &EditorPage::btnEEDefClick);
    onPress(btnVUDef, &EditorPage::btnVUDefClick);
    onPress(btnSHDef, &EditorPage::btnSHDefClick);

    auto* filtering = static_cast<FilteringCheckBox*>(chkTextureFiltering);
    connect(filtering, &FilteringCheckBox::mouseReleased, this,
            [this] { guarded([this] { chkFilteringMouseUp(); }); });
    // The cycle continues from the state shown, whoever set it (the default,
    // a loaded profile, the keyboard): the step after "checked" is "unchecked",
    // after "unchecked" "grayed", after "grayed" "checked".
    connect(filtering, &QCheckBox::stateChanged, this, [this](int state) {
        setTag(chkTextureFiltering, state == Qt::Checked ? 1 : state == Qt::Unchecked ? 2 : 0);
    });

    txtGameName->installEventFilter(this);
}

bool EditorPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtGameName && event->type() == QEvent::KeyRelease)
        guarded([this] { txtGameNameKeyUp(); });
    if (watched == m_scroll && (event->type() == QEvent::Resize || event->type() == QEvent::Show ||
                                event->type() == QEvent::StyleChange))
        fitScrollBars();
    return QWidget::eventFilter(watched, event);
}

void EditorPage::fitScrollBars() {
    // Qt's own choice can keep both bars, with nothing to scroll, after the area was
    // small once (a page laid out before it is first shown, a skin that changes the bars'
    // width): each bar takes the room the other would need. The choice is made here from
    // the area's whole size instead, a bar only where the groups do not fit.
    const QSize room = m_scroll->size();
    const QSize need = m_groups->minimumSizeHint();
    const int barWidth = m_scroll->verticalScrollBar()->sizeHint().width();
    const int barHeight = m_scroll->horizontalScrollBar()->sizeHint().height();
    bool sideways = need.width() > room.width();
    const bool upDown = need.height() > room.height() - (sideways ? barHeight : 0);
    sideways = sideways || (upDown && need.width() > room.width() - barWidth);
    m_scroll->setHorizontalScrollBarPolicy(sideways ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    m_scroll->setVerticalScrollBarPolicy(upDown ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

void EditorPage::txtGameNameKeyUp() {
    UpdatePosterButtons();
}

void EditorPage::UpdatePosterButtons() {
    // The picture files are named after the profile, so the artwork buttons
    // need a name: leading and trailing blanks and control characters do not count.
    btnPoster->setEnabled(!enc::trimmed(txtGameName->text()).isEmpty());
    btnThumb->setEnabled(btnPoster->isEnabled());
}
