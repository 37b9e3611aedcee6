// Start's write into the files of the plug-in era's Linux builds (the 1.4 and
// 1.6 cores, the OpenGL-era GSdx, the Linux SPU2-X), checked with readers
// written from the emulator's source: what each reader takes for each value,
// and that every line Start does not own keeps its bytes.
#include "emulatorrun.h"
#include "emulatorsettings/configwriter.h"
#include "emulatorsettings/pluginerareader.h"
#include "linuxreaders.h"
#include "store/columntable.h"
#include "store/gameprofile.h"
#include "support/testfolder.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

using testsupport::readAll;
using testsupport::writeAll;

namespace {

// The three forms as the Linux builds write them: a flat GSdx.ini, spu2-x.ini,
// a PCSX2_vm.ini of the 1.6 family (EECycleSkip, a numeric VsyncEnable) or of
// the 1.4 family (VUCycleSteal, the vsync switch), all with LF line ends.
const QByteArray kGsdx = "AspectRatio = 1\n"
                         "Renderer = 12\n"
                         "extrathreads = 2\n"
                         "interlace = 7\n"
                         "osd_fontname = /usr/share/fonts/truetype/freefont/FreeSerif.ttf\n"
                         "resx = 1024\n"
                         "resy = 1024\n"
                         "upscale_multiplier = 1\n"
                         "vsync = 0\n";
const QByteArray kSound = "[MIXING]\nInterpolation=4\nDisable_Effects=0\nDealiasFilter=0\nFinalVolume=100\n"
                          "[OUTPUT]\nOutput_Module=SDLAudio\nLatency=300\nSynch_Mode=0\n"
                          "[DEBUG]\nDelayCycles=4\nGlobal_Enable=0\n[SDL]\nHostApi=pulseaudio\n";
QByteArray vmFile(bool core16) {
    return QByteArray("[EmuCore]\nEnablePatches=enabled\nEnableCheats=disabled\nHostFs=disabled\n"
                      "[EmuCore/Speedhacks]\nEECycleRate=0\n") +
           (core16 ? "EECycleSkip=0\n" : "VUCycleSteal=0\n") +
           "fastCDVD=disabled\nIntcStat=enabled\nWaitLoop=enabled\nvuFlagHack=enabled\nvuThread=disabled\n"
           "[EmuCore/GS]\nSynchronousMTGS=disabled\nVsyncQueueSize=2\nFrameLimitEnable=enabled\n" +
           (core16 ? "VsyncEnable=0\n" : "VsyncEnable=disabled\n") +
           "LimitScalar=1.00\nFramerateNTSC=59.94\n"
           "[EmuCore/CPU]\nFPU.Roundmode=3\nVU.Roundmode=3\n[EmuCore/CPU/Recompiler]\nEnableEE=enabled\n"
           "[EmuCore/Gamefixes]\nVuAddSubHack=disabled\nGIFFIFOHack=disabled\n";
}
QByteArray uiFile(bool core16) {
    return QByteArray("MainGuiPosition=0,0\nCurrentIso=/home/u/ps2/old.iso\nEnableSpeedHacks=enabled\n"
                      "EnableGameFixes=disabled\nEnablePresets=enabled\nPresetIndex=1\nAskOnBoot=enabled\n") +
           (core16 ? "CdvdSource=ISO\n" : "CdvdSource=Iso\n") +
           "[Folders]\nUseDefaultMemoryCards=enabled\nUseDefaultPluginsFolder=enabled\n"
           "MemoryCards=/home/u/.config/PCSX2/memcards\nPluginsFolder=/usr/lib32/pcsx2\n"
           "[Filenames]\nGS=/usr/lib32/pcsx2/libGSdx.so\nSPU2=/usr/lib32/pcsx2/libspu2x-2.0.0.so\n"
           "[GSWindow]\nCloseOnEsc=enabled\nWindowSize=1904,1024\nAspectRatio=Stretch\nZoom=100.00\n"
           "[Framerate]\nNominalScalar=1.00\nTurboScalar=2.00\n[ProgramLog]\nVisible=disabled\nAutoDock="
           "enabled\n"
           "[MemoryCards]\nSlot1_Enable=enabled\nSlot1_Filename=Mcd001.ps2\nSlot2_Filename=Mcd002.ps2\n";
}

const QString kPlugins = QStringLiteral("/usr/lib32/pcsx2");

struct Folder {
    QTemporaryDir dir;
    QString file(const QString& name) const { return dir.filePath(name); }
};

void writeForms(const Folder& f, bool core16) {
    writeAll(f.file(QStringLiteral("GSdx.ini")), kGsdx);
    writeAll(f.file(QStringLiteral("spu2-x.ini")), kSound);
    writeAll(f.file(QStringLiteral("PCSX2_vm.ini")), vmFile(core16));
    writeAll(f.file(QStringLiteral("PCSX2_ui.ini")), uiFile(core16));
}

GameProfile linuxProfile() {
    GameProfile p = emulatorrun::fixtureProfile();
    p.setValue(col::GSDXPluginFile, QStringLiteral("libGSdx.so"));
    p.setValue(col::PCSX2CurrentIso, QStringLiteral("/home/u/ps2/game.iso"));
    p.setValue(col::PCSX2MemoryCards, QStringLiteral("/home/u/cards"));
    return p;
}

// The keys Start may write into a file, in every spelling it uses.
QSet<QString> ownedKeys(IniFile file) {
    QSet<QString> keys;
    for (const IniKey& k : kIniKeys) {
        if (k.file != file)
            continue;
        keys.insert(QString::fromLatin1(k.key).toLower());
        if (k.linuxKey)
            keys.insert(QString::fromLatin1(k.linuxKey).toLower());
    }
    keys.insert(QStringLiteral("eecycleskip"));
    return keys;
}

// The file's lines, each with its own end, without those of the keys Start owns.
QList<QByteArray> otherLines(const QByteArray& bytes, const QSet<QString>& owned) {
    QList<QByteArray> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        end = end < 0 ? bytes.size() : end + 1;
        const QByteArray line = bytes.mid(start, end - start);
        start = end;
        const qsizetype eq = line.indexOf('=');
        if (eq >= 0 && owned.contains(QString::fromUtf8(line.left(eq)).trimmed().toLower()))
            continue;
        lines.append(line);
    }
    return lines;
}

void verifyOtherLinesKept(const Folder& f, const QMap<QString, QByteArray>& before) {
    const QMap<QString, IniFile> files = {{QStringLiteral("GSdx.ini"), IniFile::GSdx},
                                          {QStringLiteral("PCSX2_ui.ini"), IniFile::Ui},
                                          {QStringLiteral("PCSX2_vm.ini"), IniFile::Vm},
                                          {QStringLiteral("spu2-x.ini"), IniFile::Spu2}};
    for (auto it = files.begin(); it != files.end(); ++it) {
        const QByteArray after = readAll(f.file(it.key()));
        QVERIFY2(!after.contains('\r'), qPrintable(it.key() + QStringLiteral(" gained a CR")));
        QCOMPARE(otherLines(after, ownedKeys(it.value())),
                 otherLines(before.value(it.key()), ownedKeys(it.value())));
    }
}

QMap<QString, QByteArray> snapshot(const Folder& f) {
    QMap<QString, QByteArray> files;
    for (const QString& name : QDir(f.dir.path()).entryList(QDir::Files))
        files.insert(name, readAll(f.file(name)));
    return files;
}

// A copy of a real user's set, writable as the user's own files are.
bool copySet(const QString& set, const Folder& f) {
    for (const QString& name : QDir(set).entryList(QDir::Files)) {
        if (!QFile::copy(set + u'/' + name, f.file(name)))
            return false;
        QFile::setPermissions(f.file(name), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    return true;
}

std::optional<QString> readBack(const Folder& f, IniFile file, const QString& section, const QString& key) {
    switch (file) {
    case IniFile::GSdx: {
        const QMap<QByteArray, QByteArray> gsdx =
            linuxreaders::readGsdx(readAll(f.file(QStringLiteral("GSdx.ini"))));
        if (!gsdx.contains(key.toUtf8()))
            return std::nullopt;
        return QString::fromUtf8(gsdx.value(key.toUtf8()));
    }
    case IniFile::Ui: {
        const QByteArray ui = readAll(f.file(QStringLiteral("PCSX2_ui.ini")));
        if (!section.isEmpty())
            return linuxreaders::readWx(ui, section, key);
        // The top-level keys, before the first section.
        for (const QByteArray& line : ui.split('\n')) {
            if (line.startsWith('['))
                break;
            if (line.startsWith(key.toUtf8() + '='))
                return QString::fromUtf8(line.mid(key.size() + 1));
        }
        return std::nullopt;
    }
    case IniFile::Vm:
        return linuxreaders::readWx(readAll(f.file(QStringLiteral("PCSX2_vm.ini"))), section, key);
    case IniFile::Spu2:
        return linuxreaders::readWx(readAll(f.file(QStringLiteral("spu2-x.ini"))), section, key);
    }
    return std::nullopt;
}

} // namespace

class TestLinuxPlugins : public QObject {
    Q_OBJECT
private slots:
    void readsWhatTheProfileSays_data();
    void readsWhatTheProfileSays();
    void scaling_data();
    void scaling();
    void threadCount();
    void soundFileName_data();
    void soundFileName();
    void realUsersSets_data();
    void realUsersSets();
    void readBackOfBothForms_data();
    void readBackOfBothForms();
    void realUsersSetsReadBack_data();
    void realUsersSetsReadBack();
};

void TestLinuxPlugins::readsWhatTheProfileSays_data() {
    QTest::addColumn<bool>("core16");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("read"); // what the reader takes; "-": no such key

    const auto gsdx = int(IniFile::GSdx);
    const auto vm = int(IniFile::Vm);
    const auto ui = int(IniFile::Ui);
    const auto sound = int(IniFile::Spu2);
    // GSdxApp::Init lists off Windows OGL_HW 12, OGL_SW 13 and Null 11; the design's
    // renderers are written by kind, the user's "Renderer" spelling kept.
    const QList<std::pair<const char*, const char*>> renderers = {
        {"0", "12"}, {"3", "12"}, {"1", "13"},  {"4", "13"},  {"7", "13"},
        {"2", "11"}, {"5", "11"}, {"12", "12"}, {"13", "13"}, {"11", "11"}};
    for (const auto& [stored, read] : renderers)
        QTest::addRow("renderer %s", stored) << true << int(col::GSDXRenderer) << stored << gsdx << ""
                                             << "Renderer" << read;
    // The Linux SPU2-X knows nullout, portaudio and SDLAudio; a Windows module leaves the user's.
    const QList<std::pair<const char*, const char*>> modules = {
        {"nullout", "nullout"},  {"portaudio", "portaudio"}, {"SDLAudio", "SDLAudio"},
        {"xaudio2", "SDLAudio"}, {"dsound", "SDLAudio"},     {"waveout", "SDLAudio"}};
    for (bool core16 : {true, false}) {
        for (const auto& [stored, read] : modules)
            QTest::addRow("%s module %s", core16 ? "1.6" : "1.4", stored)
                << core16 << int(col::SPU2Output_Module) << stored << sound << "OUTPUT"
                << "Output_Module" << read;
    }
    // EE cycle rate: the design's underclocking 1 and 2 as the negative values of these cores.
    for (const auto& [core16, stored, read] :
         QList<std::tuple<bool, const char*, const char*>>{{true, "0", "0"},
                                                           {true, "1", "-1"},
                                                           {true, "2", "-3"},
                                                           {false, "0", "0"},
                                                           {false, "1", "-1"},
                                                           {false, "2", "-2"}})
        QTest::addRow("%s EE rate %s", core16 ? "1.6" : "1.4", stored)
            << core16 << int(col::PCSX2EECycleRate) << stored << vm << "EmuCore/Speedhacks"
            << "EECycleRate" << read;
    // VU cycle stealing: EECycleSkip in the 1.6 family, VUCycleSteal in 1.4's.
    for (const char* steal : {"0", "1", "2", "3"}) {
        QTest::addRow("1.6 VU stealing %s", steal)
            << true << int(col::PCSX2VUCycleSteal) << steal << vm << "EmuCore/Speedhacks"
            << "EECycleSkip" << steal;
        QTest::addRow("1.6 VU stealing %s, no old key", steal)
            << true << int(col::PCSX2VUCycleSteal) << steal << vm << "EmuCore/Speedhacks"
            << "VUCycleSteal"
            << "-";
        QTest::addRow("1.4 VU stealing %s", steal)
            << false << int(col::PCSX2VUCycleSteal) << steal << vm << "EmuCore/Speedhacks"
            << "VUCycleSteal" << steal;
    }
    // VsyncEnable: 1.6 reads a number, 1.4 the switch.
    QTest::newRow("1.6 vsync on") << true << int(col::PCSX2VsyncEnable) << "enabled" << vm << "EmuCore/GS"
                                  << "VsyncEnable"
                                  << "1";
    QTest::newRow("1.6 vsync off") << true << int(col::PCSX2VsyncEnable) << "disabled" << vm << "EmuCore/GS"
                                   << "VsyncEnable"
                                   << "0";
    QTest::newRow("1.4 vsync on") << false << int(col::PCSX2VsyncEnable) << "enabled" << vm << "EmuCore/GS"
                                  << "VsyncEnable"
                                  << "enabled";
    QTest::newRow("1.4 vsync off") << false << int(col::PCSX2VsyncEnable) << "disabled" << vm << "EmuCore/GS"
                                   << "VsyncEnable"
                                   << "disabled";
    // The disc source as each core's CDVD_SourceLabels spell it.
    QTest::newRow("1.6 disc source") << true << int(col::PCSX2CdvdSource) << "Iso" << ui << ""
                                     << "CdvdSource"
                                     << "ISO";
    QTest::newRow("1.4 disc source") << false << int(col::PCSX2CdvdSource) << "Iso" << ui << ""
                                     << "CdvdSource"
                                     << "Iso";
    // The plug-in as the emulator loads it: from its own plug-in folder.
    QTest::newRow("plug-in path") << true << int(col::GSDXPluginFile) << "libGSdx.so" << ui << "Filenames"
                                  << "GS" << kPlugins + QStringLiteral("/libGSdx.so");
    // Keys no Linux reader has stay out of the user's files.
    QTest::newRow("no MSAA") << true << int(col::GSDXUserHacks_MSAA) << "2" << gsdx << ""
                             << "UserHacks_MSAA"
                             << "-";
    QTest::newRow("no nativeres") << true << int(col::GSDXnativeres) << "1" << gsdx << ""
                                  << "nativeres"
                                  << "-";
    QTest::newRow("no Winamp DSP") << true << int(col::SPU2Enabled) << "TRUE" << sound << "DSP PLUGIN"
                                   << "Enabled"
                                   << "-";
    QTest::newRow("no managed vsync in 1.6")
        << true << int(col::PCSX2ManagedVsync) << "enabled" << vm << "EmuCore/GS"
        << "ManagedVsync"
        << "-";
}

void TestLinuxPlugins::readsWhatTheProfileSays() {
    QFETCH(bool, core16);
    QFETCH(int, column);
    QFETCH(QString, stored);
    QFETCH(int, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, read);
    Folder f;
    writeForms(f, core16);
    const QMap<QString, QByteArray> before = snapshot(f);
    GameProfile profile = linuxProfile();
    profile.setValue(column, stored);

    WriteEmulatorConfig(profile, f.dir.path(), QStringLiteral("/opt/korvello/"), kPlugins);

    const std::optional<QString> got = readBack(f, IniFile(file), section, key);
    QCOMPARE(got.value_or(QStringLiteral("-")), read);
    // 1.4's SPU2-X indexes its module table with what FindOutputModuleById finds: an
    // unknown word reads past its end.
    QVERIFY(QStringList({"nullout", "portaudio", "SDLAudio"})
                .contains(readBack(f, IniFile::Spu2, "OUTPUT", "Output_Module").value_or("?")));
    verifyOtherLinesKept(f, before);
    // No file of another name appears: the sound file is the one the Linux plug-in opens.
    QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files), QStringList(before.keys()));
}

void TestLinuxPlugins::scaling_data() {
    QTest::addColumn<QString>("nativeres");
    QTest::addColumn<QString>("upscale"); // as the profile stores it: 1 custom, 2 to 6 multiples
    QTest::addColumn<QString>("multiplier");
    // GSRendererHW: upscale_multiplier 0 renders at resx x resy, 1 natively, n at n times.
    QTest::newRow("native") << "1"
                            << "1"
                            << "1";
    QTest::newRow("native wins over a multiple") << "1"
                                                 << "4"
                                                 << "1";
    QTest::newRow("custom") << "0"
                            << "1"
                            << "0";
    QTest::newRow("3x") << "0"
                        << "3"
                        << "3";
}

void TestLinuxPlugins::scaling() {
    QFETCH(QString, nativeres);
    QFETCH(QString, upscale);
    QFETCH(QString, multiplier);
    Folder f;
    writeForms(f, true);
    GameProfile profile = linuxProfile();
    profile.setValue(col::GSDXnativeres, nativeres);
    profile.setValue(col::GSDXupscale_multiplier, upscale);
    profile.setValue(col::GSDXresx, QStringLiteral("2048"));
    profile.setValue(col::GSDXresy, QStringLiteral("1536"));

    WriteEmulatorConfig(profile, f.dir.path(), QStringLiteral("/opt/korvello/"), kPlugins);

    const QMap<QByteArray, QByteArray> gsdx =
        linuxreaders::readGsdx(readAll(f.file(QStringLiteral("GSdx.ini"))));
    QCOMPARE(gsdx.value("upscale_multiplier"), multiplier.toUtf8());
    QCOMPARE(gsdx.value("resx"), QByteArray("2048"));
    QCOMPARE(gsdx.value("resy"), QByteArray("1536"));
    QVERIFY(!gsdx.contains("nativeres"));
}

void TestLinuxPlugins::threadCount() {
    // The thread count is "extrathreads" (so named since 2011); a "swthreads" line
    // of an older plug-in, which these plug-ins never read, keeps its bytes.
    Folder f;
    writeForms(f, true);
    QByteArray gsdx = kGsdx;
    gsdx.replace("extrathreads = 2\n", "swthreads = 1\n");
    writeAll(f.file(QStringLiteral("GSdx.ini")), gsdx);
    GameProfile profile = linuxProfile();
    profile.setValue(col::GSDXswthreads, QStringLiteral("5"));

    WriteEmulatorConfig(profile, f.dir.path(), QStringLiteral("/opt/korvello/"), kPlugins);

    const QByteArray written = readAll(f.file(QStringLiteral("GSdx.ini")));
    QCOMPARE(linuxreaders::readGsdx(written).value("extrathreads"), QByteArray("5"));
    QVERIFY(written.contains("\nswthreads = 1\n"));
}

void TestLinuxPlugins::soundFileName_data() {
    QTest::addColumn<QString>("present"); // the sound file before Start, "" for none
    QTest::addColumn<QString>("written");
    // The Linux SPU2-X's CfgHelpers open the settings folder's "spu2-x.ini".
    QTest::newRow("none: created as the Linux plug-in names it") << ""
                                                                 << "spu2-x.ini";
    QTest::newRow("found without letter case") << "SPU2-X.ini"
                                               << "SPU2-X.ini";
    QTest::newRow("the Linux name") << "spu2-x.ini"
                                    << "spu2-x.ini";
}

void TestLinuxPlugins::soundFileName() {
    QFETCH(QString, present);
    QFETCH(QString, written);
    Folder f;
    writeForms(f, true);
    QFile::remove(f.file(QStringLiteral("spu2-x.ini")));
    if (!present.isEmpty())
        writeAll(f.file(present), kSound);

    WriteEmulatorConfig(linuxProfile(), f.dir.path(), QStringLiteral("/opt/korvello/"), kPlugins);

    const QStringList sound = QDir(f.dir.path()).entryList({QStringLiteral("spu2-x.ini")}, QDir::Files);
    QCOMPARE(sound, QStringList{written});
    QVERIFY(linuxreaders::readWx(readAll(f.file(written)), "MIXING", "Interpolation").has_value());
}

void TestLinuxPlugins::realUsersSets_data() {
    QTest::addColumn<QString>("set");
    const QString sets = QStringLiteral(KORVELLO_SOURCE_DIR "/../shared/testdata/linux-sets/");
    if (!QFileInfo(sets).isDir())
        return;
    for (const QString& user : QDir(sets).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        QTest::newRow(qPrintable(user)) << sets + user;
}

void TestLinuxPlugins::realUsersSets() {
    if (!QFileInfo(QStringLiteral(KORVELLO_SOURCE_DIR "/../shared/testdata/linux-sets")).isDir())
        QSKIP("The real users' sets (../shared/testdata/linux-sets) are not here");
    QFETCH(QString, set);
    Folder f;
    QVERIFY(copySet(set, f));
    const QMap<QString, QByteArray> before = snapshot(f);
    const QString module =
        linuxreaders::readWx(before.value(QStringLiteral("spu2-x.ini")), "OUTPUT", "Output_Module")
            .value_or("");
    GameProfile profile = linuxProfile();
    profile.setValue(col::GSDXRenderer, QStringLiteral("3"));
    profile.setValue(col::SPU2Output_Module, QStringLiteral("xaudio2"));
    profile.setValue(col::PCSX2EECycleRate, QStringLiteral("1"));
    profile.setValue(col::PCSX2VUCycleSteal, QStringLiteral("2"));
    profile.setValue(col::PCSX2VsyncEnable, QStringLiteral("enabled"));

    WriteEmulatorConfig(profile, f.dir.path(), QStringLiteral("/opt/korvello/"), kPlugins);

    // All three are 1.6-family sets of the Linux plug-ins.
    QCOMPARE(readBack(f, IniFile::GSdx, {}, "Renderer"), QStringLiteral("12"));
    QCOMPARE(readBack(f, IniFile::Spu2, "OUTPUT", "Output_Module"), module);
    QCOMPARE(readBack(f, IniFile::Vm, "EmuCore/Speedhacks", "EECycleRate"), QStringLiteral("-1"));
    QCOMPARE(readBack(f, IniFile::Vm, "EmuCore/Speedhacks", "EECycleSkip"), QStringLiteral("2"));
    QCOMPARE(readBack(f, IniFile::Vm, "EmuCore/GS", "VsyncEnable"), QStringLiteral("1"));
    QCOMPARE(readBack(f, IniFile::Ui, "Filenames", "GS"), kPlugins + QStringLiteral("/libGSdx.so"));
    verifyOtherLinesKept(f, before);
    QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files), QStringList(before.keys()));
}

void TestLinuxPlugins::readBackOfBothForms_data() {
    QTest::addColumn<bool>("core16");
    QTest::newRow("1.4") << false;
    QTest::newRow("1.6") << true;
}

// A profile read from the user's files is what the emulator uses today: a Start
// with it changes no byte of any of them, translated values included.
void TestLinuxPlugins::readBackOfBothForms() {
    QFETCH(bool, core16);
    Folder f;
    writeForms(f, core16);
    // Values the builds spell otherwise than the profile stores them.
    QByteArray gsdx = kGsdx;
    gsdx.replace("upscale_multiplier = 1", "upscale_multiplier = 0"); // custom: resx x resy
    writeAll(f.file(QStringLiteral("GSdx.ini")), gsdx);
    QByteArray vm = vmFile(core16);
    vm.replace("EECycleRate=0", core16 ? "EECycleRate=-3" : "EECycleRate=-1");
    if (core16)
        vm.replace("VsyncEnable=0", "VsyncEnable=2"); // adaptive: the design has no such entry
    writeAll(f.file(QStringLiteral("PCSX2_vm.ini")), vm);
    const QMap<QString, QByteArray> before = snapshot(f);

    GameProfile profile = linuxProfile();
    profile.setValue(col::PCSX2CurrentIso, QStringLiteral("/home/u/ps2/old.iso"));
    const QStringList unheld = pluginera::readProfile(profile, f.dir.path());
    QCOMPARE(unheld, QStringList());
    QCOMPARE(profile.value(col::GSDXRenderer), QStringLiteral("12"));
    QCOMPARE(profile.value(col::GSDXnativeres), QStringLiteral("0"));
    QCOMPARE(profile.value(col::GSDXupscale_multiplier), QStringLiteral("1")); // custom, as stored
    QCOMPARE(profile.value(col::GSDXswthreads), QStringLiteral("2"));
    QCOMPARE(profile.value(col::PCSX2EECycleRate), core16 ? QStringLiteral("2") : QStringLiteral("1"));
    QCOMPARE(profile.value(col::PCSX2VsyncEnable), core16 ? QStringLiteral("2") : QStringLiteral("disabled"));
    QCOMPARE(profile.value(col::PCSX2CdvdSource), QStringLiteral("Iso"));
    QCOMPARE(profile.value(col::SPU2Output_Module), QStringLiteral("SDLAudio"));
    QCOMPARE(profile.value(col::SPU2Disable_Effects), QStringLiteral("FALSE"));
    QCOMPARE(profile.value(col::PCSX2AspectRatio), QStringLiteral("Stretch"));
    QCOMPARE(profile.value(col::PCSX2MemoryCards), QString()); // the default folder is in use

    WriteEmulatorConfig(profile, f.dir.path(), QStringLiteral("/opt/korvello/"), kPlugins);
    const QMap<QString, QByteArray> after = snapshot(f);
    QCOMPARE(after.keys(), before.keys());
    for (const QString& name : before.keys())
        QVERIFY2(after.value(name) == before.value(name),
                 qPrintable(name + QStringLiteral(":\n") + QString::fromUtf8(after.value(name))));
}

void TestLinuxPlugins::realUsersSetsReadBack_data() {
    realUsersSets_data();
}

// Each real user's set, read back and written by a Start: every file keeps its
// bytes, but for the one line that points the emulator at the game's disc.
void TestLinuxPlugins::realUsersSetsReadBack() {
    if (!QFileInfo(QStringLiteral(KORVELLO_SOURCE_DIR "/../shared/testdata/linux-sets")).isDir())
        QSKIP("The real users' sets (../shared/testdata/linux-sets) are not here");
    QFETCH(QString, set);
    Folder f;
    QVERIFY(copySet(set, f));
    const QMap<QString, QByteArray> before = snapshot(f);
    const QString gs = linuxreaders::readWx(before.value(QStringLiteral("PCSX2_ui.ini")), "Filenames", "GS")
                           .value_or(QString());
    GameProfile profile = linuxProfile();
    const QStringList unheld = pluginera::readProfile(profile, f.dir.path());
    qInfo("values the profile cannot hold: %s", qPrintable(unheld.join(QStringLiteral(", "))));
    profile.setValue(col::PCSX2CurrentIso, QStringLiteral("/home/u/ps2/Game (USA).iso"));

    WriteEmulatorConfig(profile, f.dir.path(), QStringLiteral("/opt/korvello/"), QFileInfo(gs).path());
    const QMap<QString, QByteArray> after = snapshot(f);
    QCOMPARE(after.keys(), before.keys());
    for (const QString& name : before.keys()) {
        QList<QByteArray> was = before.value(name).split('\n');
        QList<QByteArray> now = after.value(name).split('\n');
        if (name == QLatin1String("PCSX2_ui.ini")) {
            for (QList<QByteArray>* lines : {&was, &now})
                for (QByteArray& line : *lines)
                    if (line.startsWith("CurrentIso="))
                        line = "CurrentIso=<the game's disc>";
        }
        QStringList added;
        for (const QByteArray& line : std::as_const(now))
            if (!was.contains(line))
                added << QString::fromUtf8(line);
        QVERIFY2(now.size() == was.size(), qPrintable(name + QStringLiteral(" gained or lost lines; new: ") +
                                                      added.join(QStringLiteral(" | "))));
        for (qsizetype i = 0; i < was.size(); ++i)
            QVERIFY2(now[i] == was[i],
                     qPrintable(QStringLiteral("%1 line %2: \"%3\" became \"%4\"")
                                    .arg(name)
                                    .arg(i + 1)
                                    .arg(QString::fromUtf8(was[i]), QString::fromUtf8(now[i]))));
    }
}

QTEST_GUILESS_MAIN(TestLinuxPlugins)
#include "tst_linuxplugins.moc"
