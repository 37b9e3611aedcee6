// The current builds' mapping: value conversions, renderers, settings folder and command line.
#include "core/korvelloerror.h"
#include "emulatorrun.h"
#include "emulatorsettings/currentconfigwriter.h"
#include "emulatorsettings/currentgeneration.h"
#include "emulatorsettings/currentmapping.h"
#include "ini/inivalues.h"
#include "launch/currentbuild.h"
#include "store/columntable.h"
#include "store/gameprofile.h"
#include "support/errortext.h"
#include "support/testfolder.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using Changes = QList<QPair<int, QString>>;

// The value written for section/key, or "<none>" when the key is not written.
QString written(const GameProfile& profile, const QString& section, const QString& key,
                CurrentGeneration generation = CurrentGeneration::Later17) {
    for (const IniAssignment& a : currentAssignments(profile, generation)) {
        if (a.section == section && a.key == key)
            return a.value;
    }
    return QStringLiteral("<none>");
}

// Sets an environment variable for one scope and puts the old value back.
class EnvGuard {
public:
    EnvGuard(const char* name, const QByteArray* value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)) {
        m_old = qgetenv(name);
        if (value)
            qputenv(name, *value);
        else
            qunsetenv(name);
    }
    ~EnvGuard() {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

} // namespace

class TestCurrentMapping : public QObject {
    Q_OBJECT
private slots:
    void tableRowsAreComplete();
    void values_data();
    void values();
    void mendedConversions_data();
    void mendedConversions();
    void generation_data();
    void generation();
    void badNumbersWriteNothing_data();
    void badNumbersWriteNothing();
    void floatForm_data();
    void floatForm();
    void gameSettingsName_data();
    void gameSettingsName();
    void settingsFolder_data();
    void settingsFolder();
    void detection_data();
    void detection();
    void folderMode_data();
    void folderMode();
};

void TestCurrentMapping::tableRowsAreComplete() {
    // A row left out of the initializer would stand as an empty key; no generation writes a key twice.
    for (const CurrentGeneration g :
         {CurrentGeneration::Early17, CurrentGeneration::Later17, CurrentGeneration::Current2}) {
        QSet<QString> seen;
        for (const CurrentKey& k : kCurrentKeys) {
            QVERIFY(k.section && k.key);
            QVERIFY(k.column > 0 && k.column < kColumnCount);
            QVERIFY(k.generations != 0 && (k.generations & ~kAllGenerations) == 0);
            if (!k.readBy(g))
                continue;
            const QString id = QString::fromLatin1(k.section) + u'/' + QString::fromLatin1(k.key);
            QVERIFY2(!seen.contains(id), qPrintable(id));
            seen.insert(id);
        }
    }
}

void TestCurrentMapping::values_data() {
    QTest::addColumn<Changes>("changes");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    const QString gs = QStringLiteral("EmuCore/GS");
    // Renderer numbers of each kind (automatic, OpenGL, Vulkan, software, null), written as stored.
    for (int number : {-1, 12, 14, 13, 11})
        QTest::addRow("renderer %d", number) << Changes{{col::GSDXRenderer, QString::number(number)}} << gs
                                             << "Renderer" << QString::number(number);
    // A plug-in era profile keeps its renderer's kind: hardware, software, null.
    const QList<QPair<int, int>> oldRenderers = {{0, -1}, {1, 13}, {2, 11}, {3, -1},
                                                 {4, 13}, {5, 11}, {7, 13}};
    for (const auto& [old, current] : oldRenderers)
        QTest::addRow("plug-in era renderer %d", old) << Changes{{col::GSDXRenderer, QString::number(old)}}
                                                      << gs << "Renderer" << QString::number(current);
    // Deinterlacing: None is Off (1), the six modes move up by one, Auto is Automatic (0).
    const QList<QPair<int, int>> interlace = {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}, {6, 7}, {7, 0}};
    for (const auto& [position, mode] : interlace)
        QTest::addRow("interlace %d", position) << Changes{{col::GSDXInterlace, QString::number(position)}}
                                                << gs << "deinterlace_mode" << QString::number(mode);
    // Scaling: native wins; 2x..6x as floats; a custom resolution has no equivalent.
    QTest::newRow("native") << Changes{{col::GSDXnativeres, "1"}, {col::GSDXupscale_multiplier, "4"}} << gs
                            << "upscale_multiplier"
                            << "1";
    for (int m = 2; m <= 6; ++m)
        QTest::addRow("scaling %dx", m) << Changes{{col::GSDXupscale_multiplier, QString::number(m)}} << gs
                                        << "upscale_multiplier" << QString::number(m);
    QTest::newRow("custom resolution")
        << Changes{{col::GSDXupscale_multiplier, "1"}} << gs << "upscale_multiplier"
        << "<none>";
    for (int f = 0; f <= 2; ++f)
        QTest::addRow("filter %d", f)
            << Changes{{col::GSDXfilter, QString::number(f)}} << gs << "filter" << QString::number(f);
    QTest::newRow("skip draw start") << Changes{{col::GSDXUserHacks_SkipDraw, "5"}} << gs
                                     << "UserHacks_SkipDraw_Start"
                                     << "1";
    QTest::newRow("skip draw end") << Changes{{col::GSDXUserHacks_SkipDraw, "5"}} << gs
                                   << "UserHacks_SkipDraw_End"
                                   << "5";
    QTest::newRow("skip draw without hacks")
        << Changes{{col::GSDXUserHacks_SkipDraw, "5"}, {col::GSDXUserHacks, "0"}} << gs
        << "UserHacks_SkipDraw_End"
        << "0";
    QTest::newRow("skip draw empty") << Changes{{col::GSDXUserHacks_SkipDraw, ""}} << gs
                                     << "UserHacks_SkipDraw_Start"
                                     << "0";
    QTest::newRow("half pixel on") << Changes{{col::GSDXUserHacks_HalfPixelOffset, "1"}} << gs
                                   << "UserHacks_HalfPixelOffset"
                                   << "1";
    for (const char* word : {"Stretch", "4:3", "16:9", "Auto 4:3/3:2"})
        QTest::addRow("aspect %s", word)
            << Changes{{col::PCSX2AspectRatio, word}} << gs << "AspectRatio" << word;
    QTest::newRow("aspect unknown") << Changes{{col::PCSX2AspectRatio, "21:9"}} << gs << "AspectRatio"
                                    << "<none>";
    // Booleans from each stored form.
    QTest::newRow("ED on") << Changes{{col::PCSX2EnableCheats, "enabled"}} << "EmuCore"
                           << "EnableCheats"
                           << "true";
    QTest::newRow("ED off") << Changes{{col::PCSX2EnableCheats, "disabled"}} << "EmuCore"
                            << "EnableCheats"
                            << "false";
    QTest::newRow("01 on") << Changes{{col::GSDXpaltex, "1"}} << gs << "paltex"
                           << "true";
    QTest::newRow("01 off") << Changes{{col::GSDXpaltex, "0"}} << gs << "paltex"
                            << "false";
    QTest::newRow("TF on") << Changes{{col::SPU2Global_Enable, "TRUE"}} << "SPU2/Debug"
                           << "Global_Enable"
                           << "true";
    QTest::newRow("TF lower case is off") << Changes{{col::SPU2Global_Enable, "true"}} << "SPU2/Debug"
                                          << "Global_Enable"
                                          << "false";
    // Read from PCSX2.ini only: the command line carries it (startArguments).
    QTest::newRow("start fullscreen") << Changes{{col::PCSX2DefaultToFullscreen, "enabled"}} << "UI"
                                      << "StartFullscreen"
                                      << "<none>";
    // Read through the layered settings: the game's own file counts.
    QTest::newRow("hide mouse") << Changes{{col::PCSX2AlwaysHideMouse, "enabled"}} << "UI"
                                << "HideMouseCursor"
                                << "true";
    QTest::newRow("double click off")
        << Changes{{col::PCSX2IsToggleFullscreenOnDoubleClick, "disabled"}} << "UI"
        << "DoubleClickTogglesFullscreen"
        << "false";
    QTest::newRow("vsync as a digit") << Changes{{col::PCSX2VsyncEnable, "enabled"}} << gs << "VsyncEnable"
                                      << "1";
    // The global switches turn their group off.
    QTest::newRow("game fix on") << Changes{{col::PCSX2XgKickHack, "enabled"}} << "EmuCore/Gamefixes"
                                 << "XgKickHack"
                                 << "true";
    QTest::newRow("game fixes off") << Changes{{col::PCSX2XgKickHack, "enabled"},
                                               {col::PCSX2EnableGameFixes, "disabled"}}
                                    << "EmuCore/Gamefixes"
                                    << "XgKickHack"
                                    << "false";
    QTest::newRow("speed hacks off: cycle rate")
        << Changes{{col::PCSX2EECycleRate, "2"}, {col::PCSX2EnableSpeedHacks, "disabled"}}
        << "EmuCore/Speedhacks"
        << "EECycleRate"
        << "0";
    QTest::newRow("cycle stealing") << Changes{{col::PCSX2VUCycleSteal, "3"}} << "EmuCore/Speedhacks"
                                    << "EECycleSkip"
                                    << "3";
    // One VU setting for both units.
    QTest::newRow("VU1 clamping") << Changes{{col::PCSX2vuSignOverflow, "enabled"}}
                                  << "EmuCore/CPU/Recompiler"
                                  << "vu1SignOverflow"
                                  << "true";
    QTest::newRow("VU0 round mode") << Changes{{col::PCSX2VURoundmode, "3"}} << "EmuCore/CPU"
                                    << "VU0.Roundmode"
                                    << "3";
    QTest::newRow("VU1 round mode") << Changes{{col::PCSX2VURoundmode, "3"}} << "EmuCore/CPU"
                                    << "VU1.Roundmode"
                                    << "3";
    // Floats in the emulator's form, whatever the user typed.
    QTest::newRow("scalar whole") << Changes{{col::PCSX2NominalScalar, "1"}} << "Framerate"
                                  << "NominalScalar"
                                  << "1";
    QTest::newRow("scalar fraction") << Changes{{col::PCSX2SlomoScalar, "0.5"}} << "Framerate"
                                     << "SlomoScalar"
                                     << "0.5";
    QTest::newRow("framerate typed") << Changes{{col::PCSX2FramerateNTSC, " 59.940 "}} << gs
                                     << "FramerateNTSC"
                                     << "59.94";
    QTest::newRow("framerate whole") << Changes{{col::PCSX2FrameratePAL, "50.0"}} << gs << "FrameratePAL"
                                     << "50";
    // Sound.
    QTest::newRow("no sound") << Changes{{col::SPU2Output_Module, "nullout"}} << "SPU2/Output"
                              << "OutputModule"
                              << "nullout";
    for (const char* module : {"xaudio2", "dsound", "waveout", "portaudio"})
        QTest::addRow("module %s", module) << Changes{{col::SPU2Output_Module, module}} << "SPU2/Output"
                                           << "OutputModule"
                                           << "cubeb";
    for (int s = 0; s <= 2; ++s)
        QTest::addRow("sync %d", s) << Changes{{col::SPU2Synch_Mode, QString::number(s)}} << "SPU2/Output"
                                    << "SynchMode" << QString::number(s);
    for (int e = 0; e <= 3; ++e)
        QTest::addRow("expansion %d", e)
            << Changes{{col::SPU2XAudio2_SpeakerConfiguration, QString::number(e)}} << "SPU2/Output"
            << "SpeakerConfiguration" << QString::number(e);
    // The folder is the user's (read from PCSX2.ini only); slot names as stored.
    QTest::newRow("memory card folder") << Changes{{col::PCSX2MemoryCards, "/home/me/cards"}} << "Folders"
                                        << "MemoryCards"
                                        << "<none>";
    QTest::newRow("slot name") << Changes{{col::PCSX2Slot2_Filename, "Two.ps2"}} << "MemoryCards"
                               << "Slot2_Filename"
                               << "Two.ps2";
    // Values without an equivalent are not written.
    QTest::newRow("no MSAA") << Changes{} << gs << "UserHacks_MSAA"
                             << "<none>";
    QTest::newRow("no plug-in") << Changes{} << "Filenames"
                                << "GS"
                                << "<none>";
}

void TestCurrentMapping::values() {
    QFETCH(Changes, changes);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    GameProfile profile = emulatorrun::fixtureProfile();
    for (const auto& [column, value] : changes)
        profile.setValue(column, value);
    QCOMPARE(written(profile, section, key), expected);
}

void TestCurrentMapping::mendedConversions_data() {
    QTest::addColumn<int>("generation");
    QTest::addColumn<Changes>("changes");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    const int early = int(CurrentGeneration::Early17);
    const int later = int(CurrentGeneration::Later17);
    const int v2 = int(CurrentGeneration::Current2);
    const QString hacks = QStringLiteral("EmuCore/Speedhacks");
    const QString gs = QStringLiteral("EmuCore/GS");
    const QString out = QStringLiteral("SPU2/Output");
    // EE cyclerate by the cycle scalars, the same in every generation: 0/1/2 -> 0/-1/-2.
    for (const int g : {early, later, v2}) {
        const QList<QPair<int, int>> rates = {{0, 0}, {1, -1}, {2, -2}};
        for (const auto& [position, rate] : rates)
            QTest::addRow("gen %d cycle rate %d", g, position)
                << g << Changes{{col::PCSX2EECycleRate, QString::number(position)}} << hacks << "EECycleRate"
                << QString::number(rate);
        // MTVU is off with the speed hacks.
        QTest::addRow("gen %d vuThread, hacks off", g)
            << g << Changes{{col::PCSX2vuThread, "enabled"}, {col::PCSX2EnableSpeedHacks, "disabled"}}
            << hacks << "vuThread"
            << "false";
        QTest::addRow("gen %d vuThread, hacks on", g)
            << g << Changes{{col::PCSX2vuThread, "enabled"}} << hacks << "vuThread"
            << "true";
        // An empty thread box and the memory card folder are left to the emulator and the user.
        QTest::addRow("gen %d empty threads", g)
            << g << Changes{{col::GSDXswthreads, " "}} << gs << "extrathreads"
            << "<none>";
        QTest::addRow("gen %d threads", g) << g << Changes{{col::GSDXswthreads, "4"}} << gs << "extrathreads"
                                           << "4";
        QTest::addRow("gen %d empty card folder", g) << g << Changes{{col::PCSX2MemoryCards, ""}} << "Folders"
                                                     << "MemoryCards"
                                                     << "<none>";
    }
    // 2.x sound: the keys it reads, with its own words.
    QTest::newRow("2.x no sound") << v2 << Changes{{col::SPU2Output_Module, "nullout"}} << out << "Backend"
                                  << "Null";
    QTest::newRow("2.x sound") << v2 << Changes{{col::SPU2Output_Module, "dsound"}} << out << "Backend"
                               << "Cubeb";
    const QStringList syncs = {"TimeStretch", "Disabled", "Disabled"};
    for (int m = 0; m < 3; ++m)
        QTest::addRow("2.x sync %d", m)
            << v2 << Changes{{col::SPU2Synch_Mode, QString::number(m)}} << out << "SyncMode" << syncs[m];
    const QStringList expansions = {"Disabled", "Quadraphonic", "Surround51", "Surround71"};
    for (int e = 0; e < 4; ++e)
        QTest::addRow("2.x expansion %d", e)
            << v2 << Changes{{col::SPU2XAudio2_SpeakerConfiguration, QString::number(e)}} << out
            << "ExpansionMode" << expansions[e];
    QTest::newRow("2.x buffer") << v2 << Changes{{col::SPU2Latency, "150"}} << out << "BufferMS"
                                << "150";
    for (const char* old : {"OutputModule", "Latency", "SynchMode", "SpeakerConfiguration"})
        QTest::addRow("2.x has no %s", old) << v2 << Changes{} << out << old << "<none>";
    QTest::newRow("1.7 has no Backend") << later << Changes{} << out << "Backend"
                                        << "<none>";
    // Unlimited frame rate.
    QTest::newRow("2.x unlimited") << v2 << Changes{{col::PCSX2FrameLimitEnable, "disabled"}} << "Framerate"
                                   << "NominalScalar"
                                   << "0";
    QTest::newRow("2.x limited") << v2 << Changes{{col::PCSX2FrameLimitEnable, "enabled"}} << "Framerate"
                                 << "NominalScalar"
                                 << "1.25";
    QTest::newRow("2.x has no FrameLimitEnable") << v2 << Changes{} << gs << "FrameLimitEnable"
                                                 << "<none>";
    QTest::newRow("1.7 unlimited") << later << Changes{{col::PCSX2FrameLimitEnable, "disabled"}} << gs
                                   << "FrameLimitEnable"
                                   << "false";
    QTest::newRow("1.7 scalar kept") << later << Changes{{col::PCSX2FrameLimitEnable, "disabled"}}
                                     << "Framerate"
                                     << "NominalScalar"
                                     << "1.25";
    QTest::newRow("2.x vsync") << v2 << Changes{{col::PCSX2VsyncEnable, "enabled"}} << gs << "VsyncEnable"
                               << "true";
    // Early 1.7 names.
    const QList<QPair<int, int>> interlace = {{0, 0}, {3, 3}, {7, 7}};
    for (const auto& [position, mode] : interlace)
        QTest::addRow("early interlace %d", position)
            << early << Changes{{col::GSDXInterlace, QString::number(position)}} << gs << "deinterlace"
            << QString::number(mode);
    QTest::newRow("early no deinterlace_mode") << early << Changes{} << gs << "deinterlace_mode"
                                               << "<none>";
    QTest::newRow("early VU round") << early << Changes{{col::PCSX2VURoundmode, "2"}} << "EmuCore/CPU"
                                    << "VU.Roundmode"
                                    << "2";
    QTest::newRow("early no VU0 round") << early << Changes{} << "EmuCore/CPU"
                                        << "VU0.Roundmode"
                                        << "<none>";
    QTest::newRow("early vuOverflow")
        << early << Changes{{col::PCSX2vuOverflow, "disabled"}} << "EmuCore/CPU/Recompiler"
        << "vuOverflow"
        << "false";
    QTest::newRow("early vuSignOverflow")
        << early << Changes{{col::PCSX2vuSignOverflow, "enabled"}} << "EmuCore/CPU/Recompiler"
        << "vuSignOverflow"
        << "true";
    QTest::newRow("early no vu1Overflow") << early << Changes{} << "EmuCore/CPU/Recompiler"
                                          << "vu1Overflow"
                                          << "<none>";
    QTest::newRow("2.x no vuOverflow") << v2 << Changes{} << "EmuCore/CPU/Recompiler"
                                       << "vuOverflow"
                                       << "<none>";
    // The 1.7 builds' FpuNegDivHack and McdEnableEjection; 2.x reads neither.
    for (const int g : {early, later}) {
        QTest::addRow("gen %d FpuNegDivHack", g)
            << g << Changes{{col::PCSX2FpuNegDivHack, "enabled"}} << "EmuCore/Gamefixes"
            << "FpuNegDivHack"
            << "true";
        QTest::addRow("gen %d FpuNegDivHack, fixes off", g)
            << g << Changes{{col::PCSX2FpuNegDivHack, "enabled"}, {col::PCSX2EnableGameFixes, "disabled"}}
            << "EmuCore/Gamefixes"
            << "FpuNegDivHack"
            << "false";
        QTest::addRow("gen %d McdEnableEjection", g)
            << g << Changes{{col::PCSX2McdEnableEjection, "enabled"}} << "EmuCore"
            << "McdEnableEjection"
            << "true";
    }
    QTest::newRow("2.x no FpuNegDivHack")
        << v2 << Changes{{col::PCSX2FpuNegDivHack, "enabled"}} << "EmuCore/Gamefixes"
        << "FpuNegDivHack"
        << "<none>";
    QTest::newRow("2.x no McdEnableEjection")
        << v2 << Changes{{col::PCSX2McdEnableEjection, "enabled"}} << "EmuCore"
        << "McdEnableEjection"
        << "<none>";
}

void TestCurrentMapping::mendedConversions() {
    QFETCH(int, generation);
    QFETCH(Changes, changes);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    GameProfile profile = emulatorrun::fixtureProfile();
    for (const auto& [column, value] : changes)
        profile.setValue(column, value);
    QCOMPARE(written(profile, section, key, CurrentGeneration(generation)), expected);
}

void TestCurrentMapping::generation_data() {
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<int>("generation");
    QTest::newRow("early") << QByteArray("[EmuCore/GS]\ndeinterlace = 7\n[EmuCore/CPU]\nVU.Roundmode = 3\n")
                           << int(CurrentGeneration::Early17);
    QTest::newRow("later")
        << QByteArray("[EmuCore/GS]\ndeinterlace_mode = 0\nFrameLimitEnable = true\n[SPU2/Output]\n"
                      "OutputModule = cubeb\n")
        << int(CurrentGeneration::Later17);
    QTest::newRow("2.x") << QByteArray("[EmuCore/GS]\ndeinterlace_mode = 0\n[SPU2/Output]\nBackend = Cubeb\n")
                         << int(CurrentGeneration::Current2);
    QTest::newRow("names in another case")
        << QByteArray("[spu2/output]\nbackend = Cubeb\n") << int(CurrentGeneration::Current2);
    QTest::newRow("empty file: the newest") << QByteArray() << int(CurrentGeneration::Current2);
}

void TestCurrentMapping::generation() {
    QFETCH(QByteArray, settings);
    QFETCH(int, generation);
    QCOMPARE(int(generationOf(IniValues::fromBytes(settings))), generation);
}

void TestCurrentMapping::badNumbersWriteNothing_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("message");
    QTest::newRow("framerate") << int(col::PCSX2FramerateNTSC) << "fast"
                               << "\"fast\" is not a valid floating point value for PCSX2FramerateNTSC";
    QTest::newRow("renderer") << int(col::GSDXRenderer) << "x"
                              << "\"x\" is not a valid integer value for GSDXRenderer";
    QTest::newRow("latency") << int(col::SPU2Latency) << ""
                             << "\"\" is not a valid integer value for SPU2Latency";
}

void TestCurrentMapping::badNumbersWriteNothing() {
    QFETCH(int, column);
    QFETCH(QString, value);
    QFETCH(QString, message);
    GameProfile profile = emulatorrun::fixtureProfile();
    profile.setValue(column, value);
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("gamesettings/SLUS-20946_1A2B3C4D.ini"));
    const QByteArray before = "[EmuCore/GS]\r\nRenderer=12\r\n";
    QVERIFY(QDir().mkpath(folder.filePath(QStringLiteral("gamesettings"))));
    testsupport::writeAll(file, before);
    QCOMPARE(errorOf([&] { writeCurrentGameSettings(profile, file, CurrentGeneration::Current2); }), message);
    QCOMPARE(testsupport::readAll(file), before);
}

void TestCurrentMapping::floatForm_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole") << 2.0 << "2";
    QTest::newRow("half") << 0.5 << "0.5";
    QTest::newRow("ntsc") << 59.94 << "59.94";
    QTest::newRow("small") << 0.05 << "0.05";
    QTest::newRow("hundred") << 100.0 << "100";
    QTest::newRow("one and a quarter") << 1.25 << "1.25";
}

void TestCurrentMapping::floatForm() {
    QFETCH(double, value);
    QFETCH(QString, text);
    // Whatever the user's regional settings, the emulator reads "." only.
    const QLocale old;
    QLocale::setDefault(QLocale(QLocale::German));
    QCOMPARE(emulatorFloatText(value), text);
    QLocale::setDefault(old);
}

void TestCurrentMapping::gameSettingsName_data() {
    QTest::addColumn<QString>("serial");
    QTest::addColumn<int>("generation");
    QTest::addColumn<QString>("name");
    QTest::newRow("2.x") << "SLUS-20946" << int(CurrentGeneration::Current2) << "SLUS-20946_0A07A505.ini";
    QTest::newRow("later 1.7") << "SLUS-20946" << int(CurrentGeneration::Later17)
                               << "SLUS-20946_0A07A505.ini";
    QTest::newRow("early 1.7: CRC alone")
        << "SLUS-20946" << int(CurrentGeneration::Early17) << "0A07A505.ini";
    QTest::newRow("no serial") << "" << int(CurrentGeneration::Current2) << "0A07A505.ini";
    // Path::SanitizeFileName off Windows: "/" and "*" become "_", everything else stays.
    QTest::newRow("slash and asterisk")
        << "SL/US*1" << int(CurrentGeneration::Current2) << "SL_US_1_0A07A505.ini";
    QTest::newRow("colon and question mark stay")
        << "SLUS:2?" << int(CurrentGeneration::Current2) << "SLUS:2?_0A07A505.ini";
    // A serial from a crafted image or cache never leaves the gamesettings folder.
    QTest::newRow("climbing out") << "../../../home/x" << int(CurrentGeneration::Current2)
                                  << ".._.._.._home_x_0A07A505.ini";
    QTest::newRow("dot dot") << ".." << int(CurrentGeneration::Current2) << ".._0A07A505.ini";
}

void TestCurrentMapping::gameSettingsName() {
    QFETCH(QString, serial);
    QFETCH(int, generation);
    QFETCH(QString, name);
    QCOMPARE(currentbuild::gameSettingsPath(QStringLiteral("/data/PCSX2"), serial, 0x0A07A505u,
                                            CurrentGeneration(generation)),
             QStringLiteral("/data/PCSX2/gamesettings/") + name);
}

void TestCurrentMapping::settingsFolder_data() {
    QTest::addColumn<QString>("marker");   // file beside the executable, or empty
    QTest::addColumn<QString>("xdg");      // "<none>" unsets it
    QTest::addColumn<QString>("home");     // "<none>" unsets it
    QTest::addColumn<QString>("expected"); // "<program>" stands for the program folder
    QTest::newRow("portable.ini") << "portable.ini"
                                  << "/cfg"
                                  << "/home/me"
                                  << "<program>/inis";
    QTest::newRow("portable.txt") << "portable.txt"
                                  << "/cfg"
                                  << "/home/me"
                                  << "<program>/inis";
    QTest::newRow("XDG") << ""
                         << "/cfg"
                         << "/home/me"
                         << "/cfg/PCSX2/inis";
    QTest::newRow("relative XDG is ignored") << ""
                                             << "cfg"
                                             << "/home/me"
                                             << "/home/me/.config/PCSX2/inis";
    QTest::newRow("no XDG") << ""
                            << "<none>"
                            << "/home/me"
                            << "/home/me/.config/PCSX2/inis";
    QTest::newRow("no home") << ""
                             << "<none>"
                             << "<none>"
                             << "<program>/inis";
}

void TestCurrentMapping::settingsFolder() {
    QFETCH(QString, marker);
    QFETCH(QString, xdg);
    QFETCH(QString, home);
    QFETCH(QString, expected);
    TestFolder program(false);
    if (!marker.isEmpty())
        testsupport::writeAll(program.file(marker), "");
    const QByteArray xdgBytes = xdg.toUtf8();
    const QByteArray homeBytes = home.toUtf8();
    const EnvGuard xdgGuard("XDG_CONFIG_HOME", xdg == u"<none>" ? nullptr : &xdgBytes);
    const EnvGuard homeGuard("HOME", home == u"<none>" ? nullptr : &homeBytes);
    expected.replace(QStringLiteral("<program>"), QDir::cleanPath(program.path()));
    QCOMPARE(currentbuild::settingsFolder(program.path()), expected);
}

void TestCurrentMapping::detection_data() {
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<bool>("current");
    QTest::newRow("current builds") << QStringList{"PCSX2.ini"} << true;
    QTest::newRow("name in another case") << QStringList{"pcsx2.ini"} << true;
    QTest::newRow("plug-in era") << QStringList{"PCSX2_ui.ini", "PCSX2_vm.ini", "GSdx.ini"} << false;
    QTest::newRow("both: the plug-in era stays") << QStringList{"PCSX2.ini", "PCSX2_vm.ini"} << false;
    QTest::newRow("empty folder") << QStringList{} << false;
}

void TestCurrentMapping::detection() {
    QFETCH(QStringList, files);
    QFETCH(bool, current);
    QTemporaryDir inis;
    for (const QString& name : files)
        testsupport::writeAll(inis.filePath(name), "[EmuCore]\r\n");
    QCOMPARE(currentbuild::isCurrentSettingsFolder(inis.path()), current);
}

void TestCurrentMapping::folderMode_data() {
    QTest::addColumn<QStringList>("inisFiles");   // in the plug-in era's folder, appFolder + "inis"
    QTest::addColumn<QStringList>("configFiles"); // in $XDG_CONFIG_HOME/PCSX2/inis
    QTest::addColumn<QStringList>("executables");
    QTest::addColumn<bool>("current");
    QTest::addColumn<QString>("folder"); // "inis" or "config"
    QTest::newRow("plug-in era files") << QStringList{"PCSX2_ui.ini", "PCSX2_vm.ini"}
                                       << QStringList{"PCSX2.ini"} << QStringList{} << false << "inis";
    QTest::newRow("ui file alone keeps the plug-in era")
        << QStringList{"pcsx2_ui.ini"} << QStringList{"PCSX2.ini"} << QStringList{} << false << "inis";
    QTest::newRow("current file in the emulator's folder")
        << QStringList{"PCSX2.ini"} << QStringList{} << QStringList{} << true << "inis";
    QTest::newRow("current builds' own folder")
        << QStringList{} << QStringList{"PCSX2.ini"} << QStringList{} << true << "config";
    QTest::newRow("nothing anywhere") << QStringList{} << QStringList{} << QStringList{} << false << "inis";
    QTest::newRow("own folder of the plug-in era")
        << QStringList{} << QStringList{"PCSX2.ini", "PCSX2_vm.ini"} << QStringList{} << false << "inis";
    QTest::newRow("current builds' executable")
        << QStringList{} << QStringList{} << QStringList{"pcsx2-qt"} << true << "config";
    QTest::newRow("executable in another case")
        << QStringList{} << QStringList{} << QStringList{"PCSX2-Qt-v2.2.0.bin"} << true << "config";
    // The executable decides before any file: an old build's leftovers beside PCSX2.ini change nothing.
    QTest::newRow("the executable beats plug-in era files")
        << QStringList{"PCSX2_vm.ini", "PCSX2_ui.ini", "PCSX2.ini"} << QStringList{}
        << QStringList{"pcsx2-qt"} << true << "config";
    QTest::newRow("the Qt builds' AppImage")
        << QStringList{"PCSX2_vm.ini"} << QStringList{}
        << QStringList{"pcsx2-v2.2.0-linux-appimage-x64-Qt.AppImage"} << true << "config";
    QTest::newRow("a plug-in era AppImage") << QStringList{"PCSX2_vm.ini"} << QStringList{}
                                            << QStringList{"PCSX2-v1.6.0-x86_64.AppImage"} << false << "inis";
    QTest::newRow("other executables")
        << QStringList{} << QStringList{} << QStringList{"pcsx2-r5875.exe", "pcsx2"} << false << "inis";
}

void TestCurrentMapping::folderMode() {
    QFETCH(QStringList, inisFiles);
    QFETCH(QStringList, configFiles);
    QFETCH(QStringList, executables);
    QFETCH(bool, current);
    QFETCH(QString, folder);
    TestFolder program(false);
    QTemporaryDir config;
    const QByteArray xdg = config.path().toUtf8();
    const EnvGuard guard("XDG_CONFIG_HOME", &xdg);
    const QString inis = program.file(QStringLiteral("inis"));
    const QString own = config.path() + QStringLiteral("/PCSX2/inis");
    QDir().mkpath(own);
    for (const QString& name : inisFiles)
        testsupport::writeAll(inis + u'/' + name, "[EmuCore]\r\n");
    for (const QString& name : configFiles)
        testsupport::writeAll(own + u'/' + name, "[EmuCore]\r\n");
    const currentbuild::Detection d = currentbuild::detect(program.path(), inis, executables);
    QCOMPARE(d.current, current);
    QCOMPARE(d.settingsFolder, folder == u"inis" ? inis : own);
}

QTEST_GUILESS_MAIN(TestCurrentMapping)
#include "tst_currentmapping.moc"
