// The configuration writer: a profile into the emulator's four files.
#include "core/korvelloerror.h"
#include "emulatorrun.h"
#include "launch/configwriter.h"
#include "store/columntable.h"
#include "store/gameprofile.h"
#include "support/errortext.h"
#include "support/testfolder.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

using testsupport::readAll;
using testsupport::writeAll;

namespace {

const QStringList kFiles = {QStringLiteral("GSdx.ini"), QStringLiteral("PCSX2_ui.ini"),
                            QStringLiteral("PCSX2_vm.ini"), QStringLiteral("SPU2-X.ini")};

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
};

void TestConfigWriter::goldenFiles() {
    QTemporaryDir inis;
    for (const QString& name : kFiles)
        QFile::copy(testsupport::dataPath(QStringLiteral("launch/start/") + name), inis.filePath(name));
    for (const QString& name : kFiles)
        QFile::setPermissions(inis.filePath(name), QFileDevice::ReadOwner | QFileDevice::WriteOwner);

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
    QCOMPARE(QDir(inis.path()).entryList(QDir::Files), QStringList(kFiles));
    QVERIFY(readAll(inis.filePath(QStringLiteral("PCSX2_vm.ini")))
                .contains("[EmuCore/Speedhacks]\r\n"
                          "EECycleRate=2\r\n"));
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

QTEST_GUILESS_MAIN(TestConfigWriter)
#include "tst_configwriter.moc"
