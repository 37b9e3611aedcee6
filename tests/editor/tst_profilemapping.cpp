// Moving a profile between the editor page and a row.
#include "core/korvelloerror.h"
#include "editor/editorpage.h"
#include "editor/pathedit.h"
#include "editor/profilemapping.h"
#include "editor/radiogroup.h"
#include "editor/spinedit.h"
#include "support/dialogrecorder.h"
#include "support/profilefixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QtTest>

using namespace profilemapping;

class TestProfileMapping : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void everyColumnLoadedOnce();
    void roundTrip();
    void addAndUpdateDiffer();
    void unknownFilesChooseFirstEntry();
    void filteringOutOfRangeKeepsState();
    void presetOnShowsLevelValues();
    void loadStopsAtBadColumn_data();
    void loadStopsAtBadColumn();
    void collectRefuses_data();
    void collectRefuses();

private:
    DialogRecorder* m_dialogs = nullptr;
    EditorPage* m_page = nullptr;
    QStringList m_pluginFiles;
};

void TestProfileMapping::init() {
    m_dialogs = new DialogRecorder;
    m_page = new EditorPage;
    m_pluginFiles.clear();
    profilefixture::fillLists(*m_page, m_pluginFiles);
    m_page->btnDefaultClick();
}

void TestProfileMapping::cleanup() {
    delete m_page;
    delete m_dialogs;
}

void TestProfileMapping::everyColumnLoadedOnce() {
    QList<int> order = loadOrder();
    QCOMPARE(order.size(), kColumnCount);
    std::sort(order.begin(), order.end());
    for (int i = 0; i < kColumnCount; ++i)
        QCOMPARE(order[i], i);
}

void TestProfileMapping::roundTrip() {
    const GameProfile row = profilefixture::nonDefaultProfile();
    load(*m_page, row, m_pluginFiles);
    const GameProfile added = collectForAdd(*m_page, m_pluginFiles);
    for (int i = 0; i < kColumnCount; ++i)
        QVERIFY2(added.value(i) == row.value(i),
                 qPrintable(QStringLiteral("%1: %2 != %3")
                                .arg(QLatin1String(kColumns[i].name), added.value(i), row.value(i))));
    GameProfile expectedUpdate = row;
    expectedUpdate.setValue(col::gamename, QString());
    QCOMPARE(collectForUpdate(*m_page, m_pluginFiles), expectedUpdate);
    // The hints of the two path fields show the loaded paths.
    QCOMPARE(m_page->txtISOPath->toolTip(), row.value(col::PCSX2CurrentIso));
    QCOMPARE(m_page->txtMCPath->toolTip(), row.value(col::PCSX2MemoryCards));
    // The stored level shows while the preset is off, the slider locked.
    QCOMPARE(m_page->lblPreset->text(), QStringLiteral("5 - Aggressive plus"));
    QVERIFY(!m_page->trkPreset->isEnabled());
}

void TestProfileMapping::addAndUpdateDiffer() {
    m_page->txtCustomWidth->setText(QStringLiteral(" 1280 "));
    m_page->txtCustomHeight->setText(QStringLiteral("720  "));
    m_page->txtSkipDraw->setText(QStringLiteral(" 2"));
    m_page->txtSizeW->setText(QStringLiteral(" 640"));
    m_page->txtSizeH->setText(QStringLiteral("480 "));
    m_page->txtMCPath->setText(QStringLiteral("  D:\\\\PS2\\\\cards  "));
    m_page->txtMC2->setText(QStringLiteral(" Slot2.ps2 "));
    const GameProfile added = collectForAdd(*m_page, m_pluginFiles);
    QCOMPARE(added.value(col::GSDXresx), QStringLiteral(" 1280 "));
    QCOMPARE(added.value(col::GSDXresy), QStringLiteral("720  "));
    QCOMPARE(added.value(col::GSDXUserHacks_SkipDraw), QStringLiteral(" 2"));
    QCOMPARE(added.value(col::PCSX2WindowSize), QStringLiteral(" 640,480 "));
    QCOMPARE(added.value(col::PCSX2MemoryCards), QStringLiteral("D:\\\\PS2\\\\cards"));
    QCOMPARE(added.value(col::PCSX2Slot2_Filename), QStringLiteral("Slot2.ps2"));
    const GameProfile updated = collectForUpdate(*m_page, m_pluginFiles);
    QCOMPARE(updated.value(col::GSDXresx), QStringLiteral("1280"));
    QCOMPARE(updated.value(col::GSDXresy), QStringLiteral("720"));
    QCOMPARE(updated.value(col::GSDXUserHacks_SkipDraw), QStringLiteral("2"));
    QCOMPARE(updated.value(col::PCSX2WindowSize), QStringLiteral("640,480"));
    QCOMPARE(updated.value(col::PCSX2MemoryCards), QStringLiteral("  D:\\PS2\\cards  "));
    // A profile added with blanks keeps them when loaded again.
    load(*m_page, added, m_pluginFiles);
    QCOMPARE(m_page->txtCustomWidth->text(), QStringLiteral(" 1280 "));
    QCOMPARE(m_page->txtSizeW->text(), QStringLiteral("640"));
    QCOMPARE(m_page->txtSizeH->text(), QStringLiteral("480 "));
}

void TestProfileMapping::unknownFilesChooseFirstEntry() {
    GameProfile row = profilefixture::nonDefaultProfile();
    row.setValue(col::GSDXPluginFile, QStringLiteral("gsdx-removed.so"));
    row.setValue(col::PCSX2ExeFile, QStringLiteral("gone.exe"));
    // Leave the renderer list alone: the plug-in rule runs for the first plug-in,
    // whose name holds "GSdx ", so the renderer list ends enabled.
    m_page->cmbRenderer->setEnabled(false);
    load(*m_page, row, m_pluginFiles);
    QCOMPARE(m_page->cmbGSPlugin->currentIndex(), 0);
    QCOMPARE(m_page->cmbPCSX2ExeFile->currentIndex(), 0);
    QVERIFY(m_page->cmbRenderer->isEnabled());
    const GameProfile collected = collectForAdd(*m_page, m_pluginFiles);
    QCOMPARE(collected.value(col::GSDXPluginFile), QStringLiteral("libgsdx-a.so"));
    QCOMPARE(collected.value(col::PCSX2ExeFile), QStringLiteral("pcsx2.exe"));
}

void TestProfileMapping::filteringOutOfRangeKeepsState() {
    m_page->chkTextureFiltering->setCheckState(Qt::Checked);
    GameProfile row = profilefixture::nonDefaultProfile();
    row.setValue(col::GSDXfilter, QStringLiteral("5"));
    load(*m_page, row, m_pluginFiles);
    QCOMPARE(m_page->chkTextureFiltering->checkState(), Qt::Checked);
}

void TestProfileMapping::presetOnShowsLevelValues() {
    GameProfile row = profilefixture::nonDefaultProfile();
    row.setValue(col::PCSX2EnablePresets, QStringLiteral("enabled"));
    row.setValue(col::PCSX2PresetIndex, QStringLiteral("3"));
    load(*m_page, row, m_pluginFiles);
    // Level 4 replaces the stored speed hack and VU values and locks them.
    QCOMPARE(m_page->trkEECyclerate->value(), 1);
    QCOMPARE(m_page->trkVUCycleStealing->value(), 1);
    QCOMPARE(m_page->rgpVUClampingMode->itemIndex(), 0);
    QVERIFY(!m_page->chkVSync->isChecked());
    QVERIFY(!m_page->rgpEECore->isEnabled());
    const GameProfile collected = collectForAdd(*m_page, m_pluginFiles);
    QCOMPARE(collected.value(col::PCSX2EECycleRate), QStringLiteral("1"));
    QCOMPARE(collected.value(col::PCSX2PresetIndex), QStringLiteral("3"));
}

void TestProfileMapping::loadStopsAtBadColumn_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("stored");
    QTest::newRow("renderer not a number") << int(col::GSDXRenderer) << "D3D";
    QTest::newRow("native 01 column") << int(col::GSDXnativeres) << "yes";
    QTest::newRow("latency empty") << int(col::SPU2Latency) << "";
    QTest::newRow("window size one part") << int(col::PCSX2WindowSize) << "640";
    QTest::newRow("scalar not a number") << int(col::PCSX2NominalScalar) << "fast";
}

void TestProfileMapping::loadStopsAtBadColumn() {
    QFETCH(int, column);
    QFETCH(QString, stored);
    GameProfile row = profilefixture::nonDefaultProfile(QStringLiteral("Broken"));
    row.setValue(column, stored);
    m_page->txtGameName->setText(QStringLiteral("before"));
    m_page->txtMC1->setText(QStringLiteral("before.ps2"));
    QVERIFY_THROWS_EXCEPTION(KorvelloError, load(*m_page, row, m_pluginFiles));
    // Controls set before the bad column keep their new values; later ones are untouched.
    QCOMPARE(m_page->txtGameName->text(), QStringLiteral("Broken"));
    QCOMPARE(m_page->txtMC1->text(), QStringLiteral("before.ps2"));
}

void TestProfileMapping::collectRefuses_data() {
    QTest::addColumn<QString>("what");
    QTest::newRow("scalar") << "scalar";
    QTest::newRow("no plug-in") << "plugin";
}

void TestProfileMapping::collectRefuses() {
    QFETCH(QString, what);
    if (what == QLatin1String("scalar"))
        m_page->txtTurbo->setText(QStringLiteral("2x"));
    else
        m_page->cmbGSPlugin->setCurrentIndex(-1);
    QVERIFY_THROWS_EXCEPTION(KorvelloError, collectForAdd(*m_page, m_pluginFiles));
    QVERIFY_THROWS_EXCEPTION(KorvelloError, collectForUpdate(*m_page, m_pluginFiles));
}

QTEST_MAIN(TestProfileMapping)
#include "tst_profilemapping.moc"
