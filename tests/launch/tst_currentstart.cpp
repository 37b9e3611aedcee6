// Start for the emulator's current builds, end to end: a data folder in their
// form, a disc image made with xorriso, the profile written into that game's
// settings file, PCSX2.ini left byte for byte, the stand-in emulator started.
#include "discfixture.h"
#include "emulatorrun.h"
#include "emulatorsettings/currentconfigwriter.h"
#include "emulatorsettings/currentprofilereader.h"
#include "emulatorsettings/settingsrestore.h"
#include "ini/inivalues.h"
#include "launch/currentbuild.h"
#include "launch/gamestarter.h"
#include "store/columntable.h"
#include "store/gameprofile.h"
#include "store/profilestore.h"
#include "support/errortext.h"
#include "support/testfolder.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QtTest>

using testsupport::readAll;

namespace {

// Writes a file, making its folder first.
void writeAll(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    testsupport::writeAll(path, bytes);
}

// PCSX2.ini of a later 1.7 build as it leaves it: " = " between key and value,
// LF line ends, comments, keys Korvello never writes, and every value that the
// profile below sets holding something else. Start must leave it byte for byte.
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

// Every key the profile below writes into the game's file for a later 1.7 build, with the value
// the emulator must read.
const QMap<Key, QString> kExpected = {
    {{"UI", "HideMouseCursor"}, "true"},
    {{"UI", "DoubleClickTogglesFullscreen"}, "false"},
    {{"EmuCore", "EnablePatches"}, "false"},
    {{"EmuCore", "EnableCheats"}, "true"},
    {{"EmuCore", "HostFs"}, "true"},
    {{"EmuCore", "BackupSavestate"}, "false"},
    {{"EmuCore", "McdEnableEjection"}, "false"},
    {{"EmuCore/Speedhacks", "EECycleRate"}, "-2"},
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
    {{"EmuCore/Gamefixes", "FpuNegDivHack"}, "false"},
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

// The game's own file as the user left it: keys Korvello does not own, a comment, a key of the
// profile with another value, and one holding the profile's value in the emulator's long float form.
const QByteArray kOwnGameSettings = "[EmuCore/GS]\n"
                                    "Renderer = 13\n"
                                    "OsdShowFPS = true\n"
                                    "FrameratePAL = 49.500000\n"
                                    "\n"
                                    "; my pad for this game\n"
                                    "[Pad1]\n"
                                    "Type = DualShock2\n";

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

// A data folder of the current builds in portable mode: the stand-in emulator with portable.ini
// beside it, inis/PCSX2.ini, and a disc image (whose name starts with a dash) made with xorriso.
struct CurrentFolder {
    TestFolder folder{false};
    QString exeName = emulatorrun::uniqueName(QStringLiteral("current"));
    QString exePath;
    QString inis;
    discfixture::Disc disc;
    GameProfile profile = emulatorrun::fixtureProfile();

    explicit CurrentFolder(const QByteArray& settings = kFixture) {
        exePath = emulatorrun::install(folder.path(), exeName);
        writeAll(folder.file(QStringLiteral("portable.ini")), "");
        inis = currentbuild::settingsFolder(folder.path());
        writeAll(settingsFile(), settings);
        disc = discfixture::makeIso(folder.path(), QStringLiteral("-Shadow of the Test.iso"));
        profile.setValue(col::PCSX2ExeFile, exeName);
        profile.setValue(col::GSDXRenderer, QStringLiteral("14"));
        profile.setValue(col::PCSX2FrameratePAL, QStringLiteral("49.5"));
        profile.setValue(col::PCSX2MemoryCards, QStringLiteral("/home/player/cards/shadow"));
        profile.setValue(col::PCSX2Slot2_Filename, QStringLiteral("Shadow2.ps2"));
        profile.setValue(col::PCSX2CurrentIso, disc.path);
        profile.setValue(col::PCSX2CMDKeys, QStringLiteral("--nogui -batch"));
    }
    QString settingsFile() const { return inis + QStringLiteral("/PCSX2.ini"); }
    QString gameFile(const QString& name) const {
        return folder.file(QStringLiteral("gamesettings/") + name);
    }
    QString gameFile() const {
        return gameFile(disc.serial + u'_' +
                        QStringLiteral("%1").arg(disc.crc, 8, 16, QLatin1Char('0')).toUpper() +
                        QStringLiteral(".ini"));
    }
};

// Starts and returns what the stand-in emulator recorded (its arguments).
std::optional<emulatorrun::Record> startAndRecord(CurrentFolder& f, emulatorrun::Reaper& reaper,
                                                  QStringList* notices = nullptr) {
    currentbuild::startGame(f.profile, f.inis, f.folder.path(), true, nullptr, notices);
    std::optional<emulatorrun::Record> record = emulatorrun::waitForRecord(f.exePath);
    if (record)
        reaper.add(record->pid);
    return record;
}

QStringList texts(const QList<IniAssignment>& assignments) {
    QStringList out;
    for (const IniAssignment& a : assignments)
        out << a.section + u'|' + a.key + u'=' + a.value;
    return out;
}

QString sharedTestData(const QString& relative) {
    return QStringLiteral(KORVELLO_SOURCE_DIR "/../shared/testdata/current-sets/") + relative;
}

} // namespace

class TestCurrentStart : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(QFile::exists(QStringLiteral(KORVELLO_TEST_EMULATOR)));
        if (discfixture::xorriso().isEmpty())
            QSKIP("xorriso is not installed (scripts/install-deps.sh --test installs it)");
    }
    void startWritesTheGameSettings();
    void generations_data();
    void generations();
    void unidentifiedDiscStartsWithNotice_data();
    void unidentifiedDiscStartsWithNotice();
    void perGameSwitchOff();
    void refusedKeyStartsNothing();
    void failedWriteStartsNothing();
    void realFilesReadBack_data();
    void realFilesReadBack();
    void relativeImageIsTakenFromTheEmulatorsFolder();
    void restorePutsTheGameFilesBack();
    void editsInTheEmulatorAreTakenIn();
};

// The user tunes the game in the emulator's own properties between two Starts: the
// next Start takes the changes into the profile (stored in db.mdb, said in one line)
// before it writes, so the file keeps them; a Start without edits changes nothing.
void TestCurrentStart::editsInTheEmulatorAreTakenIn() {
    emulatorrun::Reaper reaper;
    CurrentFolder f;
    QVERIFY(!f.disc.path.isEmpty());
    const QString name = QStringLiteral("Shadow of the Test");
    f.profile.setValue(col::gamename, name);
    ProfileStore store;
    store.setDatabasePath(f.folder.file(QStringLiteral("db.mdb")));
    store.add(f.profile);
    GameStarter starter(store, {f.folder.path(), f.inis, true, QString()}, QStringLiteral("korvello"));
    auto start = [&] {
        QFile::remove(f.exePath + QStringLiteral(".record"));
        const GameStarter::Started started = starter.start(name, true);
        const std::optional<emulatorrun::Record> record = emulatorrun::waitForRecord(f.exePath);
        if (record)
            reaper.add(record->pid);
        return started.notices;
    };
    QCOMPARE(start(), QStringList());
    const QByteArray first = readAll(f.gameFile());
    QVERIFY(first.contains("EnableCheats=true\r\n") && first.contains("HideMouseCursor=true\r\n"));

    // Nothing changed in between: the second Start leaves the file as it was.
    QCOMPARE(start(), QStringList());
    QCOMPARE(readAll(f.gameFile()), first);

    // As the emulator saves a game's properties: cheats off, the mouse setting back to the global one
    // (its key removed), and a setting of its own that Korvello does not write.
    QByteArray edited = first;
    edited.replace("EnableCheats=true\r\n", "EnableCheats = false\r\n");
    edited.replace("HideMouseCursor=true\r\n", "");
    edited.append("\r\n[EmuCore/GS]\r\nOsdShowFPS = true\r\n");
    writeAll(f.gameFile(), edited);

    const QStringList notices = start();
    QCOMPARE(notices.size(), 1);
    QVERIFY2(notices.first().startsWith(
                 QStringLiteral("Took over what you changed for this game in the emulator: ")) &&
                 notices.first().contains(QStringLiteral("EnableCheats")) &&
                 notices.first().contains(QStringLiteral("HideMouseCursor")) &&
                 !notices.first().contains(QStringLiteral("OsdShowFPS")),
             qPrintable(notices.first()));
    const std::optional<GameProfile> stored = store.load(name);
    QVERIFY(stored);
    QCOMPARE(stored->value(col::PCSX2EnableCheats), QStringLiteral("disabled"));
    // PCSX2.ini says false for the mouse.
    QCOMPARE(stored->value(col::PCSX2AlwaysHideMouse), QStringLiteral("disabled"));
    // Every other setting is the profile's as before.
    QCOMPARE(stored->value(col::PCSX2FrameratePAL), f.profile.value(col::PCSX2FrameratePAL));
    const QByteArray after = readAll(f.gameFile());
    QVERIFY2(after.contains("EnableCheats = false\r\n") && after.contains("OsdShowFPS = true\r\n"),
             after.constData());
    QVERIFY2(!after.contains("EnableCheats=true"), after.constData());

    // And the next Start has nothing to take over.
    QCOMPARE(start(), QStringList());
    QCOMPARE(readAll(f.gameFile()), after);
}

// The profile may name its image relative to the emulator's folder, where the emulator opens it;
// the test itself runs elsewhere.
void TestCurrentStart::relativeImageIsTakenFromTheEmulatorsFolder() {
    emulatorrun::Reaper reaper;
    CurrentFolder f;
    QVERIFY(!f.disc.path.isEmpty());
    f.profile.setValue(col::PCSX2CurrentIso, QFileInfo(f.disc.path).fileName());
    QVERIFY(QDir::currentPath() != QDir(f.folder.path()).absolutePath());
    QStringList notices;
    QVERIFY(startAndRecord(f, reaper, &notices));
    QVERIFY2(notices.isEmpty(), qPrintable(notices.join(u'|')));
    QVERIFY(QFile::exists(f.gameFile()));
}

void TestCurrentStart::startWritesTheGameSettings() {
    emulatorrun::Reaper reaper;
    CurrentFolder f;
    QVERIFY(!f.disc.path.isEmpty());
    writeAll(f.gameFile(), kOwnGameSettings);
    const qint64 running = emulatorrun::startDirectly(f.exePath);
    QVERIFY(running > 0);
    reaper.add(running);
    QFile::remove(f.exePath + QStringLiteral(".record"));

    QStringList notices;
    QCOMPARE(currentbuild::startGame(f.profile, f.inis, f.folder.path(), true, nullptr, &notices), f.exeName);
    // The user's own file for the game is kept whole before it is first written, and that is said.
    const QString backup =
        f.folder.file(QStringLiteral("gamesettings/Korvello backup/")) + QFileInfo(f.gameFile()).fileName();
    QCOMPARE(notices.size(), 1);
    QVERIFY2(notices.first().contains(QStringLiteral("Korvello backup")), qPrintable(notices.first()));
    QCOMPARE(readAll(backup), kOwnGameSettings);

    // Start-fullscreen, the old "--nogui" as the current "-nogui", then "--" and the image.
    const std::optional<emulatorrun::Record> record = emulatorrun::waitForRecord(f.exePath);
    QVERIFY(record);
    reaper.add(record->pid);
    QCOMPARE(record->arguments, (QStringList{"-fullscreen", "-nogui", "-batch", "--", f.disc.path}));
    QCOMPARE(record->workingFolder + u'/', f.folder.path());
    QVERIFY(emulatorrun::waitForEnd(running));

    // The user's global settings are left byte for byte; the inis folder holds nothing new.
    QCOMPARE(readAll(f.settingsFile()), kFixture);
    QCOMPARE(QDir(f.inis).entryList(QDir::Files), QStringList{"PCSX2.ini"});

    // Each mapped key once, in its section, with the generation's spelling and value form.
    const QByteArray written = readAll(f.gameFile());
    const QList<Line> after = parse(written);
    QMap<Key, QString> found;
    for (const Line& line : after) {
        if (line.key.isEmpty() || !kExpected.contains({line.section, line.key}))
            continue;
        QVERIFY2(!found.contains({line.section, line.key}), qPrintable(line.key));
        found.insert({line.section, line.key},
                     line.value == u"49.500000" ? QStringLiteral("49.5") : line.value);
    }
    QCOMPARE(found, kExpected);
    QCOMPARE(currentAssignments(f.profile, CurrentGeneration::Later17).size(), kExpected.size());
    for (const char* absent : {"StartFullscreen", "MemoryCards=", "MemoryCards ="})
        QVERIFY2(!written.contains(absent), absent);

    // The user's own lines keep their bytes and their order; the same value stays as the user wrote it.
    QList<QByteArray> kept;
    for (const Line& line : after) {
        if (!line.key.isEmpty() && kExpected.contains({line.section, line.key}) &&
            line.key != u"FrameratePAL")
            continue;
        if (line.header && !kOwnGameSettings.contains(line.raw))
            continue;
        if (line.raw.trimmed().isEmpty() && line.section != u"EmuCore/GS")
            continue;
        kept.append(line.raw);
    }
    QCOMPARE(kept, (QList<QByteArray>{"[EmuCore/GS]\n", "OsdShowFPS = true\n", "FrameratePAL = 49.500000\n",
                                      "\n", "; my pad for this game\n", "[Pad1]\n", "Type = DualShock2\n"}));
    QVERIFY(written.contains("Renderer=14"));
    QCOMPARE(QDir(f.folder.file(QStringLiteral("gamesettings"))).entryList(QDir::Files),
             QStringList{QFileInfo(f.gameFile()).fileName()});

    // A second Start keeps nothing again: the backup stays the user's file.
    notices.clear();
    QFile::remove(f.exePath + QStringLiteral(".record"));
    QVERIFY(startAndRecord(f, reaper, &notices));
    QVERIFY2(notices.isEmpty(), qPrintable(notices.join(u'|')));
    QCOMPARE(readAll(backup), kOwnGameSettings);
}

// Korvello's per-game files go back to what the user had: the user's file byte for
// byte, a file Korvello created removed, and a restore with nothing to do says so.
void TestCurrentStart::restorePutsTheGameFilesBack() {
    emulatorrun::Reaper reaper;
    CurrentFolder f;
    QVERIFY(!f.disc.path.isEmpty());
    const QStringList folders = currentbuild::gameSettingsFolders(f.inis, true);
    QVERIFY(folders.contains(QDir::cleanPath(f.folder.file(QStringLiteral("gamesettings")))));
    QCOMPARE(
        restoreEmulatorSettings(f.inis, folders),
        QStringLiteral("There is nothing to put back: Korvello has not changed the emulator's settings."));

    // One game the user had tuned in the emulator (CRLF and all), one the user never opened there.
    const QByteArray own = "[EmuCore]\r\nEnableCheats = true\r\n\r\n[EmuCore/GS]\r\nOsdShowFPS = true\r\n";
    writeAll(f.gameFile(), own);
    QVERIFY(startAndRecord(f, reaper));
    QVERIFY(readAll(f.gameFile()) != own);
    const discfixture::Disc second =
        discfixture::makeIso(f.folder.path(), QStringLiteral("Second.iso"), QStringLiteral("SLES_123.45"));
    QVERIFY(!second.path.isEmpty());
    f.profile.setValue(col::PCSX2CurrentIso, second.path);
    QFile::remove(f.exePath + QStringLiteral(".record"));
    QVERIFY(startAndRecord(f, reaper));
    const QString created = f.gameFile(
        second.serial + u'_' + QStringLiteral("%1").arg(second.crc, 8, 16, QLatin1Char('0')).toUpper() +
        QStringLiteral(".ini"));
    QVERIFY(QFile::exists(created));

    const QString done = restoreEmulatorSettings(f.inis, folders);
    QVERIFY2(done.startsWith(QStringLiteral("Put back 1 game settings file")) &&
                 done.contains(QStringLiteral("removed 1")),
             qPrintable(done));
    QCOMPARE(readAll(f.gameFile()), own);
    QVERIFY(!QFile::exists(created));
    QCOMPARE(readAll(f.settingsFile()), kFixture);
}

void TestCurrentStart::generations_data() {
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<bool>("crcName"); // the file is named by the CRC alone
    QTest::addColumn<bool>("fullscreen");
    QTest::addColumn<QStringList>("lines");   // "section|key=value" in the file
    QTest::addColumn<QStringList>("missing"); // keys the generation does not read
    QTest::newRow("early 1.7") << QByteArray("[UI]\nSettingsVersion = 1\n[EmuCore/GS]\ndeinterlace = 7\n"
                                             "[EmuCore/CPU]\nVU.Roundmode = 3\n")
                               << true << true
                               << QStringList{"EmuCore/GS|deinterlace=4", "EmuCore/CPU|VU.Roundmode=2",
                                              "EmuCore/CPU/Recompiler|vuSignOverflow=true",
                                              "EmuCore/Speedhacks|EECycleRate=-2",
                                              "SPU2/Output|OutputModule=cubeb"}
                               << QStringList{"deinterlace_mode", "VU0.Roundmode", "vu0Overflow", "Backend"};
    QTest::newRow("later 1.7") << QByteArray("[UI]\nSettingsVersion = 1\n[EmuCore/GS]\ndeinterlace_mode = 0\n"
                                             "FrameLimitEnable = true\n[SPU2/Output]\nOutputModule = cubeb\n")
                               << false << false
                               << QStringList{"EmuCore/GS|deinterlace_mode=5", "EmuCore/CPU|VU1.Roundmode=2",
                                              "EmuCore/GS|FrameLimitEnable=false", "EmuCore/GS|VsyncEnable=1",
                                              "EmuCore/Gamefixes|FpuNegDivHack=false"}
                               << QStringList{"deinterlace=", "VU.Roundmode", "Backend", "SyncMode"};
    QTest::newRow("2.x") << QByteArray("[UI]\nSettingsVersion = 1\n[SPU2/Output]\nBackend = Cubeb\n"
                                       "SyncMode = TimeStretch\n")
                         << false << true
                         << QStringList{"SPU2/Output|Backend=Cubeb", "SPU2/Output|SyncMode=Disabled",
                                        "SPU2/Output|BufferMS=150",  "SPU2/Output|ExpansionMode=Surround51",
                                        "Framerate|NominalScalar=0", "EmuCore/GS|VsyncEnable=true"}
                         << QStringList{"OutputModule", "SynchMode", "FrameLimitEnable", "FpuNegDivHack",
                                        "McdEnableEjection"};
}

void TestCurrentStart::generations() {
    QFETCH(QByteArray, settings);
    QFETCH(bool, crcName);
    QFETCH(bool, fullscreen);
    QFETCH(QStringList, lines);
    QFETCH(QStringList, missing);
    emulatorrun::Reaper reaper;
    CurrentFolder f(settings);
    QVERIFY(!f.disc.path.isEmpty());
    f.profile.setValue(col::PCSX2DefaultToFullscreen,
                       fullscreen ? QStringLiteral("enabled") : QStringLiteral("disabled"));
    const std::optional<emulatorrun::Record> record = startAndRecord(f, reaper);
    QVERIFY(record);
    QCOMPARE(record->arguments.first(),
             fullscreen ? QStringLiteral("-fullscreen") : QStringLiteral("-nofullscreen"));
    QCOMPARE(readAll(f.settingsFile()), settings);
    const QString crc = QStringLiteral("%1").arg(f.disc.crc, 8, 16, QLatin1Char('0')).toUpper();
    const QString file =
        f.gameFile(crcName ? crc + QStringLiteral(".ini") : QFileInfo(f.gameFile()).fileName());
    QVERIFY2(QFile::exists(file), qPrintable(file));
    const IniValues values = IniValues::fromFile(file);
    for (const QString& line : lines) {
        const QString section = line.section(u'|', 0, 0);
        const QString key = line.section(u'|', 1).section(u'=', 0, 0);
        QCOMPARE(values.value(section, key).value_or(QStringLiteral("<none>")), line.section(u'=', 1));
    }
    const QByteArray bytes = readAll(file);
    for (const QString& key : missing)
        QVERIFY2(!bytes.contains(key.toLatin1()), qPrintable(key));
}

void TestCurrentStart::unidentifiedDiscStartsWithNotice_data() {
    QTest::addColumn<QByteArray>("image"); // the disc image's bytes; empty: no image named at all
    QTest::newRow("not a disc") << QByteArray(70000, 'x');
    QTest::newRow("no image named") << QByteArray();
}

void TestCurrentStart::unidentifiedDiscStartsWithNotice() {
    QFETCH(QByteArray, image);
    emulatorrun::Reaper reaper;
    CurrentFolder f;
    const QString path = f.folder.file(QStringLiteral("broken.iso"));
    if (!image.isEmpty())
        writeAll(path, image);
    f.profile.setValue(col::PCSX2CurrentIso, image.isEmpty() ? QString() : path);
    QStringList notices;
    currentbuild::startGame(f.profile, f.inis, f.folder.path(), false, nullptr, &notices);
    const std::optional<emulatorrun::Record> record = emulatorrun::waitForRecord(f.exePath);
    QVERIFY(record);
    reaper.add(record->pid);
    QCOMPARE(notices.size(), 1);
    QVERIFY2(notices.first().startsWith(QStringLiteral("This game's settings were not applied: ")),
             qPrintable(notices.first()));
    QVERIFY(!notices.first().contains(u'\n'));
    QVERIFY(!QFileInfo::exists(f.folder.file(QStringLiteral("gamesettings"))));
    QCOMPARE(readAll(f.settingsFile()), kFixture);
}

void TestCurrentStart::perGameSwitchOff() {
    // The 1.7 builds skip every game's file while "Enable Per-Game Settings" is off: Start says so.
    emulatorrun::Reaper reaper;
    QByteArray settings = kFixture;
    settings.replace("EnableFastBoot = true\n", "EnableFastBoot = true\nEnablePerGameSettings = false\n");
    CurrentFolder f(settings);
    QStringList notices;
    QVERIFY(startAndRecord(f, reaper, &notices));
    QCOMPARE(notices.size(), 1);
    QVERIFY2(notices.first().contains(QStringLiteral("\"Enable Per-Game Settings\" is off")),
             qPrintable(notices.first()));
    QVERIFY(QFile::exists(f.gameFile()));
    QCOMPARE(readAll(f.settingsFile()), settings);
}

void TestCurrentStart::refusedKeyStartsNothing() {
    emulatorrun::Reaper reaper;
    CurrentFolder f;
    f.profile.setValue(col::PCSX2CMDKeys, QStringLiteral("--nogui --usecd"));
    const QString message =
        errorOf([&] { currentbuild::startGame(f.profile, f.inis, f.folder.path(), true); });
    QVERIFY2(message.contains(QStringLiteral("\"--usecd\"")), qPrintable(message));
    QTest::qWait(300);
    QVERIFY(!QFile::exists(f.exePath + QStringLiteral(".record")));
    QVERIFY(!QFileInfo::exists(f.folder.file(QStringLiteral("gamesettings"))));
}

void TestCurrentStart::failedWriteStartsNothing() {
    emulatorrun::Reaper reaper;
    CurrentFolder f;
    writeAll(f.gameFile(), kOwnGameSettings);
    QFile::setPermissions(f.gameFile(),
                          QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    const qint64 running = emulatorrun::startDirectly(f.exePath);
    QVERIFY(running > 0);
    reaper.add(running);
    QFile::remove(f.exePath + QStringLiteral(".record"));

    QCOMPARE(errorOf([&] { currentbuild::startGame(f.profile, f.inis, f.folder.path(), true); }),
             QStringLiteral("Unable to write to ") + f.gameFile());
    QTest::qWait(300);
    QVERIFY(emulatorrun::isAlive(running));
    QVERIFY(!QFile::exists(f.exePath + QStringLiteral(".record")));
    QCOMPARE(readAll(f.gameFile()), kOwnGameSettings);
}

void TestCurrentStart::realFilesReadBack_data() {
    QTest::addColumn<QString>("user");
    QTest::addColumn<int>("generation");
    QTest::addColumn<QString>("gameFile");
    QTest::newRow("andrew-johnst") << "andrew-johnst" << int(CurrentGeneration::Early17) << QString();
    QTest::newRow("loqusion") << "loqusion" << int(CurrentGeneration::Later17) << QString();
    QTest::newRow("lostquasar") << "lostquasar" << int(CurrentGeneration::Current2) << QString();
    QTest::newRow("subhamc88") << "subhamc88" << int(CurrentGeneration::Current2) << QString();
    QTest::newRow("subhamc88 game file")
        << "subhamc88" << int(CurrentGeneration::Current2) << "gamesettings/SLUS-20018_A07A5057.ini";
}

void TestCurrentStart::realFilesReadBack() {
    // Real users' files: the generation each file tells; a profile written into the game's file
    // (a new one, or the user's own), read back from PCSX2.ini and that file into another profile
    // and written again, changes no byte, and the two profiles write the same values.
    QFETCH(QString, user);
    QFETCH(int, generation);
    QFETCH(QString, gameFile);
    const QString settings = sharedTestData(user + QStringLiteral("/PCSX2.ini"));
    if (!QFile::exists(settings))
        QSKIP("the shared test data (../shared/testdata/current-sets) is not present");
    const QByteArray settingsBefore = readAll(settings);
    QCOMPARE(int(generationOf(IniValues::fromBytes(settingsBefore))), generation);
    const CurrentGeneration g = CurrentGeneration(generation);
    // The aspect ratio the user has, "Auto 4:3/3:2" (the emulator's default) included,
    // is the one a new profile starts from.
    GameProfile fromSettings = emulatorrun::fixtureProfile();
    currentmapping::readProfile(fromSettings, settings, QString());
    QCOMPARE(fromSettings.value(col::PCSX2AspectRatio),
             IniValues::fromBytes(settingsBefore)
                 .value(QStringLiteral("EmuCore/GS"), QStringLiteral("AspectRatio"))
                 .value_or(QString()));
    QTemporaryDir dir;
    const QString game = dir.filePath(QStringLiteral("gamesettings/game.ini"));
    if (!gameFile.isEmpty()) {
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("gamesettings"))));
        QVERIFY(QFile::copy(sharedTestData(user + u'/' + gameFile), game));
    }

    GameProfile written = emulatorrun::fixtureProfile();
    const QList<QPair<int, QString>> changes = {{col::GSDXRenderer, "12"},
                                                {col::GSDXInterlace, "7"},
                                                {col::GSDXnativeres, "0"},
                                                {col::GSDXupscale_multiplier, "4"},
                                                {col::PCSX2EECycleRate, "1"},
                                                {col::SPU2Output_Module, "nullout"},
                                                {col::SPU2Synch_Mode, "0"},
                                                {col::SPU2XAudio2_SpeakerConfiguration, "3"},
                                                {col::PCSX2FrameLimitEnable, "enabled"},
                                                {col::PCSX2AspectRatio, "4:3"},
                                                {col::PCSX2EnableGameFixes, "disabled"},
                                                {col::PCSX2vuOverflow, "disabled"},
                                                {col::PCSX2VURoundmode, "0"},
                                                {col::PCSX2Slot1_Filename, "Game.ps2"},
                                                {col::GSDXswthreads, "5"},
                                                {col::PCSX2FrameratePAL, "49.5"}};
    for (const auto& [column, value] : changes)
        written.setValue(column, value);
    writeCurrentGameSettings(written, game, g);
    const QByteArray gameBefore = readAll(game);

    GameProfile read = emulatorrun::fixtureProfile();
    currentmapping::readProfile(read, settings, game);
    QCOMPARE(texts(currentAssignments(read, g)), texts(currentAssignments(written, g)));
    writeCurrentGameSettings(read, game, g);
    QCOMPARE(readAll(game), gameBefore);
    QCOMPARE(readAll(settings), settingsBefore);
    if (!gameFile.isEmpty()) {
        // The user's own lines of that game's file are still there, byte for byte.
        for (const QByteArray& line : readAll(sharedTestData(user + u'/' + gameFile)).split('\n')) {
            if (!line.contains("EnableCheats"))
                QVERIFY2(gameBefore.contains(line), line.constData());
        }
    }
}

QTEST_GUILESS_MAIN(TestCurrentStart)
#include "tst_currentstart.moc"
