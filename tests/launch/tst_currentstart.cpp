// Start for the emulator's current builds, end to end: a settings folder in their
// form, the profile written into PCSX2.ini, the stand-in emulator started.
#include "emulatorrun.h"
#include "launch/currentbuild.h"
#include "launch/currentconfigwriter.h"
#include "store/columntable.h"
#include "store/gameprofile.h"
#include "support/errortext.h"
#include "support/testfolder.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QtTest>

using testsupport::readAll;
using testsupport::writeAll;

namespace {

// PCSX2.ini as the current builds leave it: " = " between key and value, LF line
// ends, comments, keys Korvello never writes, and every value that the profile
// below sets holding something else. [SPU2/Debug] and UserHacks_SkipDraw_End are
// missing, so that a new section and a new key are added too.
const QByteArray kFixture = "; PCSX2 settings, as left by the emulator\n"
                            "[UI]\n"
                            "SettingsVersion = 1\n"
                            "StartFullscreen = false\n"
                            "DoubleClickTogglesFullscreen = true\n"
                            "HideMouseCursor = false\n"
                            "\n"
                            "[Folders]\n"
                            "Bios = bios\n"
                            "MemoryCards = memcards\n"
                            "\n"
                            "[EmuCore]\n"
                            "EnablePatches = true\n"
                            "EnableCheats = false\n"
                            "EnableFastBoot = true\n"
                            "HostFs = false\n"
                            "BackupSavestate = true\n"
                            "\n"
                            "[EmuCore/Speedhacks]\n"
                            "EECycleRate = 0\n"
                            "EECycleSkip = 0\n"
                            "fastCDVD = false\n"
                            "IntcStat = true\n"
                            "WaitLoop = true\n"
                            "vuFlagHack = true\n"
                            "vuThread = false\n"
                            "vu1Instant = true\n"
                            "\n"
                            "[EmuCore/CPU]\n"
                            "FPU.Roundmode = 3\n"
                            "VU0.Roundmode = 3\n"
                            "VU1.Roundmode = 3\n"
                            "AffinityControlMode = 0\n"
                            "\n"
                            "[EmuCore/CPU/Recompiler]\n"
                            "EnableEE = false\n"
                            "EnableIOP = true\n"
                            "EnableEECache = false\n"
                            "EnableVU0 = false\n"
                            "EnableVU1 = true\n"
                            "EnableFastmem = true\n"
                            "vu0Overflow = true\n"
                            "vu0ExtraOverflow = false\n"
                            "vu0SignOverflow = false\n"
                            "vu1Overflow = true\n"
                            "vu1ExtraOverflow = false\n"
                            "vu1SignOverflow = false\n"
                            "fpuOverflow = true\n"
                            "fpuExtraOverflow = false\n"
                            "fpuFullMode = false\n"
                            "\n"
                            "[EmuCore/GS]\n"
                            "; the renderer: -1 lets the emulator choose\n"
                            "Renderer = -1\n"
                            "VsyncEnable = false\n"
                            "FramerateNTSC = 59.94\n"
                            "FrameratePAL = 50\n"
                            "AspectRatio = Auto 4:3/3:2\n"
                            "OsdShowFPS = true\n"
                            "paltex = false\n"
                            "UserHacks = false\n"
                            "UserHacks_WildHack = false\n"
                            "deinterlace_mode = 0\n"
                            "upscale_multiplier = 1\n"
                            "filter = 1\n"
                            "extrathreads = 2\n"
                            "UserHacks_SkipDraw_Start = 0\n"
                            "UserHacks_HalfPixelOffset = 2\n"
                            "FrameLimitEnable = true\n"
                            "\n"
                            "[SPU2/Output]\n"
                            "OutputModule = nullout\n"
                            "Latency = 100\n"
                            "SynchMode = 0\n"
                            "SpeakerConfiguration = 0\n"
                            "\n"
                            "[EmuCore/Gamefixes]\n"
                            "VuAddSubHack = false\n"
                            "FpuMulHack = false\n"
                            "XgKickHack = false\n"
                            "EETimingHack = true\n"
                            "SkipMPEGHack = false\n"
                            "OPHFlagHack = true\n"
                            "DMABusyHack = false\n"
                            "VIFFIFOHack = false\n"
                            "VIF1StallHack = false\n"
                            "GIFFIFOHack = true\n"
                            "\n"
                            "[Framerate]\n"
                            "NominalScalar = 1\n"
                            "TurboScalar = 2\n"
                            "SlomoScalar = 0.5\n"
                            "\n"
                            "[MemoryCards]\n"
                            "Slot1_Enable = true\n"
                            "Slot1_Filename = Mcd001.ps2\n"
                            "Slot2_Enable = true\n"
                            "Slot2_Filename = Mcd002.ps2\n"
                            "\n"
                            "[Pad1]\n"
                            "Type = DualShock2\n";

using Key = QPair<QString, QString>; // section, key

// Every key the profile below writes, with the value the emulator must read.
const QMap<Key, QString> kExpected = {
    {{"UI", "StartFullscreen"}, "true"},
    {{"UI", "DoubleClickTogglesFullscreen"}, "false"},
    {{"UI", "HideMouseCursor"}, "true"},
    {{"Folders", "MemoryCards"}, "/home/player/cards/shadow"},
    {{"EmuCore", "EnablePatches"}, "false"},
    {{"EmuCore", "EnableCheats"}, "true"},
    {{"EmuCore", "HostFs"}, "true"},
    {{"EmuCore", "BackupSavestate"}, "false"},
    {{"EmuCore/Speedhacks", "EECycleRate"}, "-3"},
    {{"EmuCore/Speedhacks", "EECycleSkip"}, "3"},
    {{"EmuCore/Speedhacks", "fastCDVD"}, "true"},
    {{"EmuCore/Speedhacks", "IntcStat"}, "false"},
    {{"EmuCore/Speedhacks", "WaitLoop"}, "false"},
    {{"EmuCore/Speedhacks", "vuFlagHack"}, "false"},
    {{"EmuCore/Speedhacks", "vuThread"}, "true"},
    {{"EmuCore/CPU", "FPU.Roundmode"}, "1"},
    {{"EmuCore/CPU", "VU0.Roundmode"}, "2"},
    {{"EmuCore/CPU", "VU1.Roundmode"}, "2"},
    {{"EmuCore/CPU/Recompiler", "EnableEE"}, "true"},
    {{"EmuCore/CPU/Recompiler", "EnableIOP"}, "false"},
    {{"EmuCore/CPU/Recompiler", "EnableEECache"}, "true"},
    {{"EmuCore/CPU/Recompiler", "EnableVU0"}, "true"},
    {{"EmuCore/CPU/Recompiler", "EnableVU1"}, "false"},
    {{"EmuCore/CPU/Recompiler", "vu0Overflow"}, "false"},
    {{"EmuCore/CPU/Recompiler", "vu0ExtraOverflow"}, "true"},
    {{"EmuCore/CPU/Recompiler", "vu0SignOverflow"}, "true"},
    {{"EmuCore/CPU/Recompiler", "vu1Overflow"}, "false"},
    {{"EmuCore/CPU/Recompiler", "vu1ExtraOverflow"}, "true"},
    {{"EmuCore/CPU/Recompiler", "vu1SignOverflow"}, "true"},
    {{"EmuCore/CPU/Recompiler", "fpuOverflow"}, "false"},
    {{"EmuCore/CPU/Recompiler", "fpuExtraOverflow"}, "true"},
    {{"EmuCore/CPU/Recompiler", "fpuFullMode"}, "true"},
    {{"EmuCore/GS", "Renderer"}, "14"},
    {{"EmuCore/GS", "VsyncEnable"}, "1"},
    {{"EmuCore/GS", "FramerateNTSC"}, "60"},
    {{"EmuCore/GS", "FrameratePAL"}, "49.5"},
    {{"EmuCore/GS", "AspectRatio"}, "16:9"},
    {{"EmuCore/GS", "paltex"}, "true"},
    {{"EmuCore/GS", "UserHacks"}, "true"},
    {{"EmuCore/GS", "UserHacks_WildHack"}, "true"},
    {{"EmuCore/GS", "deinterlace_mode"}, "5"},
    {{"EmuCore/GS", "upscale_multiplier"}, "3"},
    {{"EmuCore/GS", "filter"}, "2"},
    {{"EmuCore/GS", "extrathreads"}, "3"},
    {{"EmuCore/GS", "UserHacks_SkipDraw_Start"}, "1"},
    {{"EmuCore/GS", "UserHacks_SkipDraw_End"}, "2"},
    {{"EmuCore/GS", "UserHacks_HalfPixelOffset"}, "0"},
    {{"EmuCore/GS", "FrameLimitEnable"}, "false"},
    {{"SPU2/Output", "OutputModule"}, "cubeb"},
    {{"SPU2/Output", "Latency"}, "150"},
    {{"SPU2/Output", "SynchMode"}, "1"},
    {{"SPU2/Output", "SpeakerConfiguration"}, "2"},
    {{"SPU2/Debug", "Global_Enable"}, "true"},
    {{"EmuCore/Gamefixes", "VuAddSubHack"}, "true"},
    {{"EmuCore/Gamefixes", "FpuMulHack"}, "true"},
    {{"EmuCore/Gamefixes", "XgKickHack"}, "true"},
    {{"EmuCore/Gamefixes", "EETimingHack"}, "false"},
    {{"EmuCore/Gamefixes", "SkipMPEGHack"}, "true"},
    {{"EmuCore/Gamefixes", "OPHFlagHack"}, "false"},
    {{"EmuCore/Gamefixes", "DMABusyHack"}, "true"},
    {{"EmuCore/Gamefixes", "VIFFIFOHack"}, "true"},
    {{"EmuCore/Gamefixes", "VIF1StallHack"}, "true"},
    {{"Framerate", "NominalScalar"}, "1.25"},
    {{"Framerate", "TurboScalar"}, "2.5"},
    {{"Framerate", "SlomoScalar"}, "0.3"},
    {{"MemoryCards", "Slot1_Filename"}, "Shadow.ps2"},
    {{"MemoryCards", "Slot2_Filename"}, "Shadow2.ps2"},
};

struct Line {
    QByteArray raw; // with its line end
    QString section;
    QString key; // empty for headers, comments and blank lines
    QString value;
    bool header = false;
};

QList<Line> parse(const QByteArray& bytes) {
    QList<Line> lines;
    QString section;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        end = end < 0 ? bytes.size() : end + 1;
        Line line;
        line.raw = bytes.mid(start, end - start);
        const QString text = QString::fromUtf8(line.raw).trimmed();
        if (text.startsWith(u'[')) {
            section = text.mid(1, text.indexOf(u']') - 1);
            line.header = true;
        } else if (!text.startsWith(u';') && text.contains(u'=')) {
            line.key = text.left(text.indexOf(u'=')).trimmed();
            line.value = text.mid(text.indexOf(u'=') + 1).trimmed();
        }
        line.section = section;
        lines.append(line);
        start = end;
    }
    return lines;
}

// A folder of the current builds in portable mode: the stand-in emulator with
// portable.ini beside it, inis/PCSX2.ini, and a per-game file in gamesettings.
struct CurrentFolder {
    TestFolder folder{false};
    QString exeName = emulatorrun::uniqueName(QStringLiteral("current"));
    QString exePath;
    QString inis;
    QString gameSettings;
    GameProfile profile = emulatorrun::fixtureProfile();

    CurrentFolder() {
        exePath = emulatorrun::install(folder.path(), exeName);
        writeAll(folder.file(QStringLiteral("portable.ini")), "");
        inis = currentbuild::settingsFolder(folder.path());
        writeAll(inis + QStringLiteral("/PCSX2.ini"), kFixture);
        QDir(folder.path()).mkpath(QStringLiteral("gamesettings"));
        gameSettings = folder.file(QStringLiteral("gamesettings/SLUS-21234_4F32A1C3.ini"));
        writeAll(gameSettings, "[EmuCore/GS]\nRenderer = 13\n");
        profile.setValue(col::PCSX2ExeFile, exeName);
        profile.setValue(col::GSDXRenderer, QStringLiteral("14"));
        profile.setValue(col::PCSX2FrameratePAL, QStringLiteral("49.5"));
        profile.setValue(col::PCSX2MemoryCards, QStringLiteral("/home/player/cards/shadow"));
        profile.setValue(col::PCSX2Slot2_Filename, QStringLiteral("Shadow2.ps2"));
        profile.setValue(col::PCSX2CurrentIso, QStringLiteral("/games/-Shadow of the Test.iso"));
        profile.setValue(col::PCSX2CMDKeys, QStringLiteral("-fullscreen -batch"));
    }
};

} // namespace

class TestCurrentStart : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(QFile::exists(QStringLiteral(KORVELLO_TEST_EMULATOR))); }
    void startWritesAndStarts();
    void startWithoutDisc();
    void failedWriteStartsNothing();
};

void TestCurrentStart::startWritesAndStarts() {
    emulatorrun::Reaper reaper;
    CurrentFolder f;
    QCOMPARE(f.inis, QDir::cleanPath(f.folder.file(QStringLiteral("inis"))));
    QVERIFY(currentbuild::isCurrentSettingsFolder(f.inis));
    const QByteArray gameSettingsBefore = readAll(f.gameSettings);
    const qint64 running = emulatorrun::startDirectly(f.exePath);
    QVERIFY(running > 0);
    reaper.add(running);
    QFile::remove(f.exePath + QStringLiteral(".record"));

    QCOMPARE(currentbuild::startGame(f.profile, f.inis, f.folder.path(), true), f.exeName);

    // The stand-in emulator: the keys, then "--" and the image; the program folder as working folder.
    const std::optional<emulatorrun::Record> record = emulatorrun::waitForRecord(f.exePath);
    QVERIFY(record);
    reaper.add(record->pid);
    QCOMPARE(record->arguments,
             (QStringList{"-fullscreen", "-batch", "--", "/games/-Shadow of the Test.iso"}));
    QCOMPARE(record->workingFolder + u'/', f.folder.path());
    QVERIFY(emulatorrun::waitForEnd(running));

    // Each mapped key once, in its section, with the profile's value, which differs from the fixture's.
    const QList<Line> before = parse(kFixture);
    const QList<Line> after = parse(readAll(f.inis + QStringLiteral("/PCSX2.ini")));
    QMap<Key, QString> found;
    for (const Line& line : after) {
        if (line.key.isEmpty() || !kExpected.contains({line.section, line.key}))
            continue;
        QVERIFY2(!found.contains({line.section, line.key}), qPrintable(line.key));
        found.insert({line.section, line.key}, line.value);
    }
    QCOMPARE(found, kExpected);
    for (const Line& line : before) {
        if (kExpected.contains({line.section, line.key}))
            QVERIFY2(line.value != kExpected.value({line.section, line.key}), qPrintable(line.key));
    }
    QCOMPARE(currentAssignments(f.profile).size(), kExpected.size());

    // Every other line keeps its bytes and its place; the one new section is [SPU2/Debug].
    const auto untouched = [](const QList<Line>& lines, bool dropNewHeaders) {
        QList<QByteArray> raw;
        for (const Line& line : lines) {
            if (kExpected.contains({line.section, line.key}) && !line.key.isEmpty())
                continue;
            if (dropNewHeaders && line.header && line.section == u"SPU2/Debug")
                continue;
            raw.append(line.raw);
        }
        return raw;
    };
    QCOMPARE(untouched(after, true), untouched(before, false));
    QVERIFY(readAll(f.inis + QStringLiteral("/PCSX2.ini")).contains("\nOsdShowFPS = true\n"));

    // The game's own override file and the folder's other files are left alone.
    QCOMPARE(readAll(f.gameSettings), gameSettingsBefore);
    QCOMPARE(QDir(f.inis).entryList(QDir::Files), QStringList{"PCSX2.ini"});
}

void TestCurrentStart::startWithoutDisc() {
    emulatorrun::Reaper reaper;
    CurrentFolder f;
    currentbuild::startGame(f.profile, f.inis, f.folder.path(), false);
    const std::optional<emulatorrun::Record> record = emulatorrun::waitForRecord(f.exePath);
    QVERIFY(record);
    reaper.add(record->pid);
    QCOMPARE(record->arguments, (QStringList{"-fullscreen", "-batch"}));
}

void TestCurrentStart::failedWriteStartsNothing() {
    emulatorrun::Reaper reaper;
    CurrentFolder f;
    const QString ini = f.inis + QStringLiteral("/PCSX2.ini");
    QFile::setPermissions(ini, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    const qint64 running = emulatorrun::startDirectly(f.exePath);
    QVERIFY(running > 0);
    reaper.add(running);
    QFile::remove(f.exePath + QStringLiteral(".record"));

    QCOMPARE(errorOf([&] { currentbuild::startGame(f.profile, f.inis, f.folder.path(), true); }),
             QStringLiteral("Unable to write to ") + ini);
    QTest::qWait(300);
    QVERIFY(emulatorrun::isAlive(running));
    QVERIFY(!QFile::exists(f.exePath + QStringLiteral(".record")));
    QCOMPARE(readAll(ini), kFixture);
}

QTEST_GUILESS_MAIN(TestCurrentStart)
#include "tst_currentstart.moc"
