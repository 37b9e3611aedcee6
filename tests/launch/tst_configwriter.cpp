// The configuration writer: a profile into the emulator's four files.
#include "core/korvelloerror.h"
#include "emulatorrun.h"
#include "emulatorsettings/configwriter.h"
#include "linuxreaders.h"
#include "store/columntable.h"
#include "store/gameprofile.h"
#include "support/errortext.h"
#include "support/testfolder.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

using testsupport::readAll;
using testsupport::writeAll;

namespace {

const QStringList kFiles = {QStringLiteral("GSdx.ini"), QStringLiteral("PCSX2_ui.ini"),
                            QStringLiteral("PCSX2_vm.ini"), QStringLiteral("SPU2-X.ini")};

void copyStartFiles(const QTemporaryDir& inis) {
    for (const QString& name : kFiles)
        QFile::copy(testsupport::dataPath(QStringLiteral("launch/start/") + name), inis.filePath(name));
    for (const QString& name : kFiles)
        QFile::setPermissions(inis.filePath(name), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

// A private-profile read: the first section of that name, the first line of the
// key in it, both found without letter case; UTF-16 files decoded by their mark.
std::optional<QString> readKeyed(const QByteArray& bytes, const QString& section, const QString& key) {
    QString text;
    if (bytes.startsWith("\xFF\xFE"))
        text = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2),
                                  (bytes.size() - 2) / 2);
    else
        text = QString::fromUtf8(bytes);
    bool inSection = false;
    for (QString line : text.split(u'\n')) {
        line = line.trimmed();
        if (line.startsWith(u'[')) {
            if (inSection)
                return std::nullopt;
            inSection =
                line.mid(1, line.indexOf(u']') - 1).trimmed().compare(section, Qt::CaseInsensitive) == 0;
        } else if (inSection && line.section(u'=', 0, 0).trimmed().compare(key, Qt::CaseInsensitive) == 0) {
            return line.section(u'=', 1).trimmed();
        }
    }
    return std::nullopt;
}

} // namespace

class TestConfigWriter : public QObject {
    Q_OBJECT
private slots:
    void goldenFiles();
    void tableCoversEveryColumnOnce();
    void values_data();
    void values();
    void missingUiFileLacksTheLineKeys();
    void missingSettingsFolder();
    void readOnlyFileEndsTheWriting();
    void readAsTheLinuxPlugInsRead_data();
    void readAsTheLinuxPlugInsRead();
    void refusedValuesChangeNothing_data();
    void refusedValuesChangeNothing();
};

void TestConfigWriter::goldenFiles() {
    QTemporaryDir inis;
    copyStartFiles(inis);

    WriteEmulatorConfig(emulatorrun::fixtureProfile(), inis.path(), QStringLiteral("/opt/pcsx2/"));

    for (const QString& name : kFiles) {
        const QByteArray expected = readAll(testsupport::dataPath(QStringLiteral("launch/expected/") + name));
        QVERIFY2(!expected.isEmpty(), qPrintable(name));
        QVERIFY2(readAll(inis.filePath(name)) == expected, qPrintable(name));
    }
    QCOMPARE(QDir(inis.path()).entryList(QDir::Files | QDir::Hidden), QStringList(kFiles));
}

void TestConfigWriter::tableCoversEveryColumnOnce() {
    // Every column but the game's name, executable and keys is written exactly once;
    // the line-route keys stand between ProgramLog and Filenames.
    QList<int> uses(kColumnCount, 0);
    for (const IniKey& k : kIniKeys) {
        if (k.column >= 0)
            ++uses[k.column];
    }
    for (int c = 0; c < kColumnCount; ++c) {
        const bool notWritten = c == col::gamename || c == col::PCSX2ExeFile || c == col::PCSX2CMDKeys;
        QVERIFY2(uses[c] == (notWritten ? 0 : 1), kColumns[c].name);
    }
    QStringList order;
    for (const IniKey& k : kIniKeys) {
        if (k.file == IniFile::Ui)
            order << (k.section ? QString::fromLatin1(k.section) : QString::fromLatin1(k.key));
    }
    order.removeDuplicates();
    QCOMPARE(order, QStringList({"GSWindow", "Framerate", "ProgramLog", "EnableSpeedHacks", "EnableGameFixes",
                                 "CdvdSource", "CurrentIso", "EnablePresets", "PresetIndex", "Filenames",
                                 "MemoryCards", "Folders"}));
}

void TestConfigWriter::values_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("written");

    QTest::newRow("MSAA 0") << "UserHacks_MSAA"
                            << "0"
                            << "0";
    QTest::newRow("MSAA 1") << "UserHacks_MSAA"
                            << "1"
                            << "2";
    QTest::newRow("MSAA 2") << "UserHacks_MSAA"
                            << "2"
                            << "4";
    QTest::newRow("MSAA 3") << "UserHacks_MSAA"
                            << "3"
                            << "8";
    QTest::newRow("MSAA 5") << "UserHacks_MSAA"
                            << "5"
                            << "";
    QTest::newRow("MSAA -1") << "UserHacks_MSAA"
                             << "-1"
                             << "";
    QTest::newRow("MSAA not a number") << "UserHacks_MSAA"
                                       << "two"
                                       << "";
    QTest::newRow("disc image doubled") << "CurrentIso"
                                        << "D:\\ISO\\game.iso"
                                        << "D:\\\\ISO\\\\game.iso";
    QTest::newRow("memory cards doubled") << "MemoryCards"
                                          << "C:\\m\\"
                                          << "C:\\\\m\\\\";
    QTest::newRow("slot file as stored") << "Slot1_Filename"
                                         << "a\\b.ps2"
                                         << "a\\b.ps2";
    QTest::newRow("window size as stored") << "WindowSize"
                                           << "a\\b"
                                           << "a\\b";
    QTest::newRow("plug-in in the program's Plugins folder") << "GS"
                                                             << "GSdx32-SSE2.dll"
                                                             << "C:\\\\PCSX2\\\\Plugins/GSdx32-SSE2.dll";
    QTest::newRow("no plug-in: the folder itself") << "GS"
                                                   << ""
                                                   << "C:\\\\PCSX2\\\\Plugins/";
    QTest::newRow("own memory cards always off") << "UseDefaultMemoryCards"
                                                 << "enabled"
                                                 << "disabled";
    QTest::newRow("Null as empty") << "Renderer"
                                   << ""
                                   << "";
    QTest::newRow("sound switch TRUE as 1") << "Disable_Effects"
                                            << "TRUE"
                                            << "1";
    QTest::newRow("sound switch FALSE as 0") << "DealiasFilter"
                                             << "FALSE"
                                             << "0";
    QTest::newRow("sound switch, any other word as 0") << "Global_Enable"
                                                       << "true"
                                                       << "0";
    QTest::newRow("sound switch Null as empty") << "Enabled"
                                                << ""
                                                << "";
    QTest::newRow("sound numbers as stored") << "Interpolation"
                                             << "TRUE"
                                             << "TRUE";
}

void TestConfigWriter::values() {
    QFETCH(QString, key);
    QFETCH(QString, stored);
    QFETCH(QString, written);
    const IniKey* row = nullptr;
    for (const IniKey& k : kIniKeys) {
        if (QLatin1String(k.key) == key)
            row = &k;
    }
    QVERIFY(row);
    GameProfile p;
    if (row->column >= 0)
        p.setValue(row->column, stored);
    // A program folder with backslashes shows that the plug-in path is doubled whole.
    QCOMPARE(iniValue(*row, p, QStringLiteral("C:\\PCSX2\\")), written);
}

void TestConfigWriter::missingUiFileLacksTheLineKeys() {
    // The keyed route creates the files; the six line-route keys find no line and stay unwritten.
    QTemporaryDir inis;
    WriteEmulatorConfig(emulatorrun::fixtureProfile(), inis.path(), QStringLiteral("/opt/pcsx2/"));
    const QString ui = QString::fromUtf8(readAll(inis.filePath(QStringLiteral("PCSX2_ui.ini"))));
    QVERIFY(ui.startsWith(QStringLiteral("[GSWindow]\r\nAspectRatio=16:9\r\n")));
    for (const char* lineKey :
         {"EnableSpeedHacks", "EnableGameFixes", "CdvdSource", "CurrentIso", "EnablePresets", "PresetIndex"})
        QVERIFY2(!ui.contains(QLatin1String(lineKey)), lineKey);
    QVERIFY(ui.endsWith(QStringLiteral("[Folders]\r\nUseDefaultMemoryCards=disabled\r\n"
                                       "MemoryCards=C:\\\\PCSX2\\\\memcards\\\\shadow\r\n")));
    // An empty folder is the Linux plug-ins': the sound file gets the name the Linux SPU2-X opens,
    // and with no core of the 1.6 family named, the EE rate is 1.4's (its -2 reduces the EE by about 50%).
    QCOMPARE(QDir(inis.path()).entryList(QDir::Files),
             (QStringList{"GSdx.ini", "PCSX2_ui.ini", "PCSX2_vm.ini", "spu2-x.ini"}));
    QVERIFY(readAll(inis.filePath(QStringLiteral("PCSX2_vm.ini")))
                .contains("[EmuCore/Speedhacks]\r\n"
                          "EECycleRate=-2\r\n"));
}

void TestConfigWriter::missingSettingsFolder() {
    QTemporaryDir root;
    const QString iniPath = root.filePath(QStringLiteral("inis"));
    QCOMPARE(
        errorOf([&] { WriteEmulatorConfig(emulatorrun::fixtureProfile(), iniPath, root.path() + u'/'); }),
        QStringLiteral("Unable to write to ") + iniPath + QStringLiteral("/GSdx.ini"));
    QVERIFY(!QFileInfo::exists(iniPath));
}

void TestConfigWriter::readOnlyFileEndsTheWriting() {
    QTemporaryDir inis;
    for (const QString& name : kFiles)
        QFile::copy(testsupport::dataPath(QStringLiteral("launch/start/") + name), inis.filePath(name));
    // Under another letter case the read-only file is still the one the writer reaches.
    const QString vm = inis.filePath(QStringLiteral("pcsx2_VM.ini"));
    QFile::rename(inis.filePath(QStringLiteral("PCSX2_vm.ini")), vm);
    QFile::setPermissions(vm, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);

    QCOMPARE(errorOf([&] {
                 WriteEmulatorConfig(emulatorrun::fixtureProfile(), inis.path(),
                                     QStringLiteral("/opt/pcsx2/"));
             }),
             QStringLiteral("Unable to write to ") + vm);
    // GSdx.ini and the first PCSX2_ui.ini section were written before; nothing after.
    QCOMPARE(readAll(inis.filePath(QStringLiteral("GSdx.ini"))),
             readAll(testsupport::dataPath(QStringLiteral("launch/expected/GSdx.ini"))));
    QVERIFY(readAll(inis.filePath(QStringLiteral("PCSX2_ui.ini"))).contains("AspectRatio=16:9"));
    QVERIFY(readAll(inis.filePath(QStringLiteral("PCSX2_ui.ini"))).contains("NominalScalar=1.00"));
    QCOMPARE(readAll(vm), readAll(testsupport::dataPath(QStringLiteral("launch/start/PCSX2_vm.ini"))));
    QCOMPARE(readAll(inis.filePath(QStringLiteral("SPU2-X.ini"))),
             readAll(testsupport::dataPath(QStringLiteral("launch/start/SPU2-X.ini"))));
}

void TestConfigWriter::readAsTheLinuxPlugInsRead_data() {
    QTest::addColumn<QByteArray>("gsdx"); // "-": no file
    QTest::addColumn<bool>("linuxForm");
    QTest::addColumn<QString>("soundSwitches");
    QTest::addColumn<QString>("renderer");

    const QByteArray flat(
        "aa1 = 0\nfilter = 1\ninterlace = 0\nosd_fontname = /usr/share/fonts/FreeSerif.ttf\n"
        "Renderer = 12\nresx = 1024\nresy = 1024\nwindowed = 1\n");
    QTest::newRow("Linux form") << flat << true << "TRUE"
                                << "7";
    QTest::newRow("Linux form, a stale block of an earlier version")
        << flat + "[Settings]\r\nRenderer=3\r\nInterlace=4\r\nswthreads=2\r\nUserHacks=0\r\n"
        << true << "FALSE"
        << "4";
    QTest::newRow("missing file") << QByteArray("-") << true << "FALSE"
                                  << "7";
    QTest::newRow("empty file, renderer Null") << QByteArray() << true << "TRUE"
                                               << "";
    QTest::newRow("Windows form") << readAll(testsupport::dataPath(QStringLiteral("launch/start/GSdx.ini")))
                                  << false << "FALSE"
                                  << "7";
}

void TestConfigWriter::readAsTheLinuxPlugInsRead() {
    QFETCH(QByteArray, gsdx);
    QFETCH(bool, linuxForm);
    QFETCH(QString, soundSwitches);
    QFETCH(QString, renderer);
    QTemporaryDir inis;
    copyStartFiles(inis);
    const QString gsdxPath = inis.filePath(QStringLiteral("GSdx.ini"));
    QFile::remove(gsdxPath);
    if (gsdx != "-")
        writeAll(gsdxPath, gsdx);
    GameProfile profile = emulatorrun::fixtureProfile();
    profile.setValue(col::GSDXRenderer, renderer);
    for (int c : {col::SPU2Disable_Effects, col::SPU2DealiasFilter, col::SPU2Global_Enable, col::SPU2Enabled})
        profile.setValue(c, soundSwitches);

    WriteEmulatorConfig(profile, inis.path(), QStringLiteral("/opt/pcsx2/"));

    // Every graphics value comes back as the profile holds it, read as the file's reader reads it;
    // the Linux plug-in gets its own renderer of the profile's kind and never reads the keys of
    // the Direct3D renderers.
    const QByteArray written = readAll(gsdxPath);
    const QMap<QByteArray, QByteArray> linux = linuxreaders::readGsdx(written);
    const QSet<QByteArray> unreadOnLinux = {"nativeres", "UserHacks_MSAA", "logz", "fba",
                                            "UserHacks_AlphaHack"};
    for (const IniKey& k : kIniKeys) {
        if (k.file != IniFile::GSdx || (linuxForm && unreadOnLinux.contains(k.linuxKey)))
            continue;
        QString expected = iniValue(k, profile, QStringLiteral("/opt/pcsx2/"));
        if (linuxForm && k.column == col::GSDXRenderer && !renderer.isEmpty())
            expected = QStringLiteral("13"); // SDL and Direct3D10/11 software: OpenGL software
        const QString got = linuxForm ? QString::fromUtf8(linux.value(k.linuxKey))
                                      : readKeyed(written, QStringLiteral("Settings"), QLatin1String(k.key))
                                            .value_or(QStringLiteral("?"));
        QVERIFY2(got == expected, k.key);
    }
    if (linuxForm) {
        // No section is written; the file's own lines stay as they were.
        QCOMPARE(written.count("[Settings]"), gsdx.count("[Settings]"));
        if (gsdx.contains("windowed")) {
            QVERIFY(written.startsWith("aa1 = 1\nfilter = 2\ninterlace = 4\n"
                                       "osd_fontname = /usr/share/fonts/FreeSerif.ttf\n"));
            QVERIFY(written.contains("\nwindowed = 1\n"));
        }
        QVERIFY(!written.contains('\r') || gsdx.contains('\r'));
    } else {
        QCOMPARE(written, readAll(testsupport::dataPath(QStringLiteral("launch/expected/GSdx.ini"))));
    }

    // The sound plug-in's Linux build takes a switch only as 1 or 0.
    const QByteArray sound = readAll(inis.filePath(QStringLiteral("SPU2-X.ini")));
    const QString digit = soundSwitches == QLatin1String("TRUE") ? QStringLiteral("1") : QStringLiteral("0");
    QCOMPARE(readKeyed(sound, "MIXING", "Disable_Effects"), digit);
    QCOMPARE(readKeyed(sound, "MIXING", "DealiasFilter"), digit);
    QCOMPARE(readKeyed(sound, "DEBUG", "Global_Enable"), digit);
    // The Linux SPU2-X has no Winamp DSP, and knows no DirectSound: the file's own lines stay.
    QCOMPARE(readKeyed(sound, "DSP PLUGIN", "Enabled"), linuxForm ? QStringLiteral("FALSE") : digit);
    QCOMPARE(readKeyed(sound, "OUTPUT", "Output_Module"),
             linuxForm ? QStringLiteral("xaudio2") : QStringLiteral("dsound"));
}

void TestConfigWriter::refusedValuesChangeNothing_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("flatGsdx");
    QTest::addColumn<QString>("error");

    const QString lineBreak =
        QStringLiteral("The value of \"%1\" contains a line break or a null character, so it is "
                       "not written to %2");
    QTest::newRow("disc image with CR LF and a section (line route)")
        << int(col::PCSX2CurrentIso) << "D:\\a.iso\r\n[Filenames]\r\nBIOS=evil.bin" << false
        << lineBreak.arg("CurrentIso", "PCSX2_ui.ini");
    QTest::newRow("memory card slot with LF (keyed route)")
        << int(col::PCSX2Slot2_Filename) << "b.ps2\nBIOS=evil.bin" << false
        << lineBreak.arg("Slot2_Filename", "PCSX2_ui.ini");
    QTest::newRow("sound module with NUL")
        << int(col::SPU2Output_Module) << QString(QStringLiteral("a") + QChar(u'\0')) << false
        << lineBreak.arg("Output_Module", "SPU2-X.ini");
    QTest::newRow("graphics value with CR, flat file")
        << int(col::GSDXfilter) << "1\rrenderer = 9" << true << lineBreak.arg("filter", "GSdx.ini");
    QTest::newRow("graphics value with a blank, flat file")
        << int(col::GSDXfilter) << "1 renderer" << true
        << QStringLiteral(
               "The value of \"filter\" contains a blank, which the graphics plug-in cannot read, so it "
               "is not written to %1")
               .arg("GSdx.ini");
}

void TestConfigWriter::refusedValuesChangeNothing() {
    // A value that would write lines of its own (or, in the flat file, throw the
    // plug-in's reader out of step) ends the Start before any file changes.
    QFETCH(int, column);
    QFETCH(QString, value);
    QFETCH(bool, flatGsdx);
    QFETCH(QString, error);
    QTemporaryDir inis;
    copyStartFiles(inis);
    if (flatGsdx)
        writeAll(inis.filePath(QStringLiteral("GSdx.ini")), "renderer = 12\nfilter = 0\n");
    QMap<QString, QByteArray> before;
    for (const QString& name : kFiles)
        before[name] = readAll(inis.filePath(name));
    GameProfile profile = emulatorrun::fixtureProfile();
    profile.setValue(column, value);

    const QString file = error.section(u' ', -1);
    QCOMPARE(errorOf([&] { WriteEmulatorConfig(profile, inis.path(), QStringLiteral("/opt/pcsx2/")); }),
             error.left(error.size() - file.size()) + inis.filePath(file));
    for (const QString& name : kFiles)
        QVERIFY2(readAll(inis.filePath(name)) == before[name], qPrintable(name));
}

QTEST_GUILESS_MAIN(TestConfigWriter)
#include "tst_configwriter.moc"
