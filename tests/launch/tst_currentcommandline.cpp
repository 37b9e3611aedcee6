// The current builds' command line: start-fullscreen, the profile's keys translated from the
// plug-in era's where an exact equivalent exists, every other key the parser rejects refused.
#include "emulatorrun.h"
#include "emulatorsettings/currentcommandline.h"
#include "emulatorsettings/currentgeneration.h"
#include "launch/currentbuild.h"
#include "store/columntable.h"
#include "store/gameprofile.h"
#include "support/errortext.h"

#include <QtTest>

class TestCurrentCommandLine : public QObject {
    Q_OBJECT
private slots:
    void startArguments_data();
    void startArguments();
    void refusedKeys_data();
    void refusedKeys();
};

void TestCurrentCommandLine::startArguments_data() {
    QTest::addColumn<bool>("runCdvd");
    QTest::addColumn<bool>("fullscreen");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("generation");
    QTest::addColumn<QStringList>("expected");
    const QString iso = QStringLiteral("/games/-odd name (Disc 1).iso");
    const int later = int(CurrentGeneration::Later17);
    const int v2 = int(CurrentGeneration::Current2);
    QTest::newRow("fullscreen, keys, then the image")
        << true << true << "-batch -nogui" << v2 << QStringList{"-fullscreen", "-batch", "-nogui", "--", iso};
    QTest::newRow("windowed, image alone")
        << true << false << "" << v2 << QStringList{"-nofullscreen", "--", iso};
    QTest::newRow("no disc") << false << true << "-bigpicture" << v2
                             << QStringList{"-fullscreen", "-bigpicture"};
    QTest::newRow("quoted value") << true << false << "-elf \"/my elfs/a.elf\"" << v2
                                  << QStringList{"-nofullscreen", "-elf", "/my elfs/a.elf", "--", iso};
    // The plug-in era's keys with an exact equivalent.
    QTest::newRow("old keys translated")
        << false << false << "--nogui --fullscreen --windowed --portable --nodisc --fullboot --forcewiz" << v2
        << QStringList{"-nofullscreen", "-nogui", "-fullscreen", "-nofullscreen",
                       "-portable",     "-bios",  "-slowboot",   "-setupwizard"};
    QTest::newRow("old elf, both forms") << false << true << "--elf=/a.elf --elf \"/b c.elf\"" << v2
                                         << QStringList{"-fullscreen", "-elf", "/a.elf", "-elf", "/b c.elf"};
    QTest::newRow("1.7 settings file")
        << false << true << "--cfg=/x.ini -settings /y.ini" << later
        << QStringList{"-fullscreen", "-settings", "/x.ini", "-settings", "/y.ini"};
    QTest::newRow("state slot") << false << true << "-state 3" << v2
                                << QStringList{"-fullscreen", "-state", "3"};
}

void TestCurrentCommandLine::startArguments() {
    QFETCH(bool, runCdvd);
    QFETCH(bool, fullscreen);
    QFETCH(QString, keys);
    QFETCH(int, generation);
    QFETCH(QStringList, expected);
    GameProfile profile = emulatorrun::fixtureProfile();
    profile.setValue(col::PCSX2CurrentIso, QStringLiteral("/games/-odd name (Disc 1).iso"));
    profile.setValue(col::PCSX2DefaultToFullscreen,
                     fullscreen ? QStringLiteral("enabled") : QStringLiteral("disabled"));
    profile.setValue(col::PCSX2CMDKeys, keys);
    QCOMPARE(currentbuild::startArguments(profile, runCdvd, CurrentGeneration(generation)), expected);
}

void TestCurrentCommandLine::refusedKeys_data() {
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("generation");
    QTest::addColumn<QString>("named");
    const int v2 = int(CurrentGeneration::Current2);
    // Every old key without an exact equivalent, and unknown new-style ones.
    for (const char* key : {"--usecd", "--nohacks", "--gamefixes=FpuMul", "--console", "--cfgpath=/x",
                            "--gs=GSdx.so", "--pad=x", "--spu2=x", "--cdvd=x", "--usb=x", "--fw=x",
                            "--dev9=x", "-h", "--help", "-windowed", "-nosuchthing"})
        QTest::addRow("%s", key) << QString::fromLatin1(key) << v2
                                 << QString::fromLatin1(key).section(u'=', 0, 0);
    QTest::newRow("2.x has no -settings") << "-settings /x.ini" << v2 << "-settings";
    QTest::newRow("2.x has no --cfg") << "--cfg=/x.ini" << v2 << "--cfg=/x.ini";
    QTest::newRow("value missing") << "-batch -elf" << v2 << "-elf";
    QTest::newRow("ends the emulator") << "-version" << v2 << "-version";
    QTest::newRow("a word") << "-batch game" << v2 << "game";
    QTest::newRow("end of options") << "-- x" << v2 << "--";
}

void TestCurrentCommandLine::refusedKeys() {
    QFETCH(QString, keys);
    QFETCH(int, generation);
    QFETCH(QString, named);
    const QString message =
        errorOf([&] { currentcommandline::translate(keys, CurrentGeneration(generation)); });
    QVERIFY2(message.contains(u'"' + named), qPrintable(message));
}

QTEST_GUILESS_MAIN(TestCurrentCommandLine)
#include "tst_currentcommandline.moc"
