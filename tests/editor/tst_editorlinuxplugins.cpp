// The editor page for the plug-in era's Linux plug-ins: their renderer and
// sound module lists, and the controls nothing reads on Linux.
#include "editor/editorpage.h"
#include "editor/editortables.h"
#include "editor/profilemapping.h"
#include "pagefixture.h"
#include "store/columntable.h"
#include "store/gameprofile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QtTest>

namespace {

// The page as the window fills it for the Linux plug-ins.
void fillLinux(EditorPage& page) {
    pagefixture::fillLists(page, false);
    page.setLinuxPluginsMode(true);
    page.cmbRenderer->clear();
    for (const editortables::CurrentRendererRow& r : editortables::kLinuxPluginRenderers)
        page.cmbRenderer->addItem(QString::fromLatin1(r.text), r.number);
}

QString enabledNames(const QList<QWidget*>& controls) {
    QStringList enabled;
    for (QWidget* c : controls) {
        if (c->isEnabled())
            enabled.append(c->objectName());
    }
    return enabled.join(u',');
}

} // namespace

class TestEditorLinuxPlugins : public QObject {
    Q_OBJECT
private slots:
    void unreadControlsStayDisabled();
    void storedValuesSurvive_data();
    void storedValuesSurvive();
};

void TestEditorLinuxPlugins::unreadControlsStayDisabled() {
    EditorPage page;
    fillLinux(page);
    page.show();
    const QList<QWidget*> unread = page.controlsUnreadOnLinux();
    QCOMPARE(unread.size(), 10);
    for (QWidget* c : unread)
        QVERIFY2(c->toolTip().contains(QLatin1String("Linux")), qPrintable(c->objectName()));
    // Every rule that enables controls leaves them off: renderers of each kind, the
    // hardware hacks, the plug-in pick, the defaults and the preset switch.
    for (int i = 0; i < page.cmbRenderer->count(); ++i) {
        page.cmbRenderer->setCurrentIndex(i);
        page.cmbRendererChange();
        page.chkHWHacks->setChecked(true);
        page.chkHWHacksClick();
        QCOMPARE(enabledNames(unread), QString());
    }
    page.cmbGSPlugin->setCurrentIndex(0);
    page.cmbGSPluginChange();
    page.btnDefaultClick();
    page.chkPreset->setChecked(true);
    page.chkPreset->setChecked(false);
    QCOMPARE(enabledNames(unread), QString());
    // The controls that the Linux builds read stay live.
    QVERIFY(page.cmbSPU2Module->isEnabled());
    QVERIFY(page.chkVSync->isEnabled());
}

void TestEditorLinuxPlugins::storedValuesSurvive_data() {
    QTest::addColumn<QString>("renderer");
    QTest::addColumn<QString>("shownRenderer");
    QTest::addColumn<QString>("module");
    QTest::addColumn<QString>("shownModule");
    QTest::addColumn<QString>("savedRenderer");
    QTest::newRow("Linux values") << "13"
                                  << "OpenGL (Software)"
                                  << "SDLAudio"
                                  << "2 - SDL Audio (recommended for PulseAudio)"
                                  << "13";
    // A design renderer shows (and is saved) as the Linux renderer of its kind; a
    // Windows module is kept, shown as what it is.
    QTest::newRow("Windows values") << "3"
                                    << "OpenGL (Hardware)"
                                    << "xaudio2"
                                    << "xaudio2 (not on Linux: the emulator keeps its own module)"
                                    << "12";
    QTest::newRow("null renderer, no sound") << "5"
                                             << "None (Core Benchmark)"
                                             << "nullout"
                                             << "0 - No Sound (emulate SPU2 only)"
                                             << "11";
}

void TestEditorLinuxPlugins::storedValuesSurvive() {
    QFETCH(QString, renderer);
    QFETCH(QString, shownRenderer);
    QFETCH(QString, module);
    QFETCH(QString, shownModule);
    QFETCH(QString, savedRenderer);
    EditorPage page;
    fillLinux(page);
    const QStringList files{QStringLiteral("gsdx-a.so"), QStringLiteral("gsdx-b.so")};
    page.btnDefaultClick();
    GameProfile stored = profilemapping::collectForAdd(page, files);
    stored.setValue(col::GSDXRenderer, renderer);
    stored.setValue(col::SPU2Output_Module, module);
    stored.setValue(col::GSDXUserHacks_MSAA, QStringLiteral("2"));
    stored.setValue(col::SPU2Reverb_Boost, QStringLiteral("3"));

    profilemapping::load(page, stored, files);

    QCOMPARE(page.cmbRenderer->currentText(), shownRenderer);
    QCOMPARE(page.cmbSPU2Module->currentText(), shownModule);
    const GameProfile saved = profilemapping::collectForUpdate(page, files);
    QCOMPARE(saved.value(col::GSDXRenderer), savedRenderer);
    QCOMPARE(saved.value(col::SPU2Output_Module), module);
    // Disabled, yet their values stay with the profile.
    QCOMPARE(saved.value(col::GSDXUserHacks_MSAA), QStringLiteral("2"));
    QCOMPARE(saved.value(col::SPU2Reverb_Boost), QStringLiteral("3"));
}

QTEST_MAIN(TestEditorLinuxPlugins)
#include "tst_editorlinuxplugins.moc"
