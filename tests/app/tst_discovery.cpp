// Emulator discovery: folders from the emulator's key, renderers, executables and plug-ins.
#include "app/emulatordiscovery.h"
#include "app/emulatorregistry.h"
#include "app/mainwindow.h"
#include "editor/editorpage.h"
#include "support/dialogrecorder.h"
#include "support/testfolder.h"
#include "support/windowparts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

using emulatordiscovery::OsVersion;

namespace {

void writeRegistry(const QByteArray& text) {
    QDir().mkpath(QFileInfo(EmulatorRegistry::filePath()).path());
    testsupport::writeAll(EmulatorRegistry::filePath(), text);
}

QStringList itemTexts(const QComboBox* box) {
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts << box->itemText(i);
    return texts;
}

void makeFile(const QString& path, QFileDevice::Permissions extra = {}) {
    testsupport::writeAll(path, "x");
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | extra);
}

void copyPlugins(const QString& to) {
    const QDir from(QStringLiteral(KORVELLO_TEST_PLUGINS));
    for (const QString& name : from.entryList(QDir::Files))
        QFile::copy(from.filePath(name), to + name);
}

} // namespace

class TestDiscovery : public QObject {
    Q_OBJECT
private slots:
    void init() { testsupport::removeProgramSettings(); }
    void cleanup();
    void folders_data();
    void folders();
    void renderers_data();
    void renderers();
    void executables();
    void plugins();
    void pluginsFromTheRegistryFolder();
    void linuxPlugInsWhereTheEmulatorKeepsThem_data();
    void linuxPlugInsWhereTheEmulatorKeepsThem();
    void pluginNames_data();
    void pluginNames();
};

void TestDiscovery::cleanup() {
    emulatordiscovery::setVersionQuery({});
    QFile::remove(EmulatorRegistry::filePath());
}

void TestDiscovery::folders_data() {
    QTest::addColumn<bool>("keyExists");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QString>("settingsFolder"); // "@" stands for the program folder
    QTest::addColumn<QString>("pluginsFolder");

    QTest::newRow("no key") << false << QByteArray() << "@inis"
                            << "@Plugins";
    QTest::newRow("key without values") << true << QByteArray() << "@inis"
                                        << "@Plugins";
    QTest::newRow("doubled separators")
        << true << QByteArray("SettingsFolder=C:\\\\PCSX2\\\\inis\r\n") << "C:\\PCSX2\\inis"
        << "@Plugins";
    QTest::newRow("single separators unchanged")
        << true << QByteArray("SettingsFolder=C:\\PCSX2\\inis\nPluginsFolder=D:\\plugins\n")
        << "C:\\PCSX2\\inis"
        << "D:\\plugins";
    QTest::newRow("four become two") << true << QByteArray("PluginsFolder=\\\\\\\\server\\\\pcsx2\n")
                                     << "@inis"
                                     << "\\\\server\\pcsx2";
    QTest::newRow("Linux folders, names without case")
        << true << QByteArray("settingsfolder = /home/u/.config/PCSX2/inis\nPLUGINSFOLDER=/usr/lib/pcsx2\n")
        << "/home/u/.config/PCSX2/inis"
        << "/usr/lib/pcsx2";
    QTest::newRow("values inside a section are not the key's")
        << true << QByteArray("[Other]\nSettingsFolder=/elsewhere\n") << "@inis"
        << "@Plugins";
}

void TestDiscovery::folders() {
    QFETCH(bool, keyExists);
    QFETCH(QByteArray, key);
    QFETCH(QString, settingsFolder);
    QFETCH(QString, pluginsFolder);
    if (keyExists)
        writeRegistry(key);
    DialogRecorder dialogs;
    TestFolder folder;
    MainWindow w(folder.path());
    QCOMPARE(parts(w).settingsFolder, QString(settingsFolder).replace(u'@', folder.path()));
    QCOMPARE(parts(w).pluginsFolder, QString(pluginsFolder).replace(u'@', folder.path()));
    QCOMPARE(parts(w).editorPage->m_settingsFolder, parts(w).settingsFolder);
    QVERIFY(dialogs.messageTexts().isEmpty());
}

void TestDiscovery::renderers_data() {
    QTest::addColumn<bool>("queryFails");
    QTest::addColumn<uint>("major");
    QTest::addColumn<uint>("minor");
    QTest::addColumn<int>("level");

    QTest::newRow("failed query") << true << 0u << 0u << 0;
    QTest::newRow("6.0") << false << 6u << 0u << 1;
    QTest::newRow("6.1") << false << 6u << 1u << 2;
    QTest::newRow("6.2") << false << 6u << 2u << 2;
    QTest::newRow("10.0") << false << 10u << 0u << 0;
    QTest::newRow("5.1") << false << 5u << 1u << 0;
}

void TestDiscovery::renderers() {
    QFETCH(bool, queryFails);
    QFETCH(uint, major);
    QFETCH(uint, minor);
    QFETCH(int, level);
    emulatordiscovery::setVersionQuery([=]() -> std::optional<OsVersion> {
        if (queryFails)
            return std::nullopt;
        return OsVersion{major, minor};
    });
    QCOMPARE(emulatordiscovery::GetOSLevel(), level);

    DialogRecorder dialogs;
    TestFolder folder;
    // The Windows plug-in's GSdx.ini: the design's renderer list.
    testsupport::writeAll(folder.file(QStringLiteral("inis/GSdx.ini")), "[Settings]\r\nRenderer=0\r\n");
    MainWindow w(folder.path());
    const QComboBox* box = parts(w).editorPage->cmbRenderer;
    QStringList texts = {"Direct3D9 (Hardware)", "Direct3D9 (Software)", "Direct3D9 (Null)"};
    QList<int> numbers = {0, 1, 2};
    if (level == 2) {
        texts << "Direct3D10/11 (Hardware)"
              << "Direct3D10/11 (Software)"
              << "Direct3D10/11 (Null)";
        numbers << 3 << 4 << 5;
    }
    texts << "SDL 1.3 (Software)";
    numbers << 7;
    QCOMPARE(itemTexts(box), texts);
    for (int i = 0; i < box->count(); ++i)
        QCOMPARE(box->itemData(i, Qt::UserRole).toInt(), numbers.at(i));
    // A profile's renderer 7 finds SDL by its number, whatever its position.
    QCOMPARE(box->itemText(box->findData(7)), QStringLiteral("SDL 1.3 (Software)"));
    QCOMPARE(box->findData(3) >= 0, level == 2);
}

void TestDiscovery::executables() {
    DialogRecorder dialogs;
    TestFolder folder;
    makeFile(folder.file(QStringLiteral("pcsx2.exe")));
    makeFile(folder.file(QStringLiteral("PCSX2-dev.EXE")));
    makeFile(folder.file(QStringLiteral(".hidden.exe")));
    makeFile(folder.file(QStringLiteral("run-emulator")), QFileDevice::ExeOwner);
    makeFile(folder.file(QStringLiteral("notes.txt")));
    makeFile(folder.file(QStringLiteral("group-only")), QFileDevice::ExeGroup | QFileDevice::ExeOther);
    QDir(folder.path()).mkdir(QStringLiteral("tools.exe"));
    // The program's own executable beside the emulators is not offered.
    makeFile(folder.file(QFileInfo(QCoreApplication::applicationFilePath()).fileName()),
             QFileDevice::ExeOwner);
    QVERIFY(
        QFile::link(folder.file(QStringLiteral("pcsx2.exe")), folder.file(QStringLiteral("pcsx2-link.exe"))));
    QVERIFY(QFile::link(folder.file(QStringLiteral("gone")), folder.file(QStringLiteral("broken.exe"))));

    MainWindow w(folder.path());
    QCOMPARE(itemTexts(parts(w).editorPage->cmbPCSX2ExeFile),
             QStringList({".hidden.exe", "PCSX2-dev.EXE", "pcsx2-link.exe", "pcsx2.exe", "run-emulator"}));
}

void TestDiscovery::plugins() {
    DialogRecorder dialogs;
    TestFolder folder;
    const QString plugins = folder.file(QStringLiteral("Plugins/"));
    copyPlugins(plugins);
    testsupport::writeAll(plugins + QStringLiteral("gsdx-broken.dll"), "not a library at all");
    QDir(plugins).mkdir(QStringLiteral("gsdx-folder.so"));
    // A graphics library under a name the emulator does not give plug-ins.
    QFile::copy(plugins + QStringLiteral("libgsdx-ogl.so"), plugins + QStringLiteral("zerogs.so"));

    MainWindow w(folder.path());
    QCOMPARE(itemTexts(parts(w).editorPage->cmbGSPlugin),
             QStringList(
                 {QString::fromUtf8("GSdx 0.1.16 SSE2 (Caf\xC3\xA9 build)"), QStringLiteral("GSdx OpenGL")}));
    QCOMPARE(parts(w).pluginFiles, QStringList({"GSdx-SSE2.dll", "libgsdx-ogl.so"}));
    QVERIFY(dialogs.messageTexts().isEmpty());

    // No plug-in stays loaded after the scan.
    const QByteArray maps = testsupport::readAll(QStringLiteral("/proc/self/maps"));
    QVERIFY(!maps.isEmpty());
    QVERIFY2(!maps.contains(QFile::encodeName(plugins)), maps.constData());
}

void TestDiscovery::pluginsFromTheRegistryFolder() {
    QTemporaryDir elsewhere;
    copyPlugins(elsewhere.path() + u'/');
    writeRegistry("PluginsFolder=" + QFile::encodeName(elsewhere.path()) + "\n");
    DialogRecorder dialogs;
    TestFolder folder;
    MainWindow w(folder.path());
    QCOMPARE(parts(w).pluginsFolder, elsewhere.path());
    QCOMPARE(parts(w).pluginFiles, QStringList({"GSdx-SSE2.dll", "libgsdx-ogl.so"}));
    QCOMPARE(parts(w).editorPage->cmbGSPlugin->count(), 2);
}

void TestDiscovery::linuxPlugInsWhereTheEmulatorKeepsThem_data() {
    QTest::addColumn<QByteArray>("registry"); // "-": no registry file
    QTest::addColumn<QByteArray>("useDefault");
    QTest::addColumn<bool>("fromUiFile");
    // A distribution's emulator names its plug-in folder in PCSX2_ui.ini's [Folders].
    QTest::newRow("no registry file") << QByteArray("-") << QByteArray("enabled") << true;
    QTest::newRow("registry without a plug-in folder")
        << QByteArray("RunWizard=0\n") << QByteArray("enabled") << true;
    QTest::newRow("the emulator's own choice wins")
        << QByteArray("PluginsFolder=/nowhere\n") << QByteArray("disabled") << true;
    QTest::newRow("otherwise the registry's folder")
        << QByteArray("PluginsFolder=/nowhere\n") << QByteArray("enabled") << false;
}

void TestDiscovery::linuxPlugInsWhereTheEmulatorKeepsThem() {
    QFETCH(QByteArray, registry);
    QFETCH(QByteArray, useDefault);
    QFETCH(bool, fromUiFile);
    QTemporaryDir usrLib;
    copyPlugins(usrLib.path() + u'/');
    if (registry != "-")
        writeRegistry(registry);
    DialogRecorder dialogs;
    TestFolder folder;
    testsupport::writeAll(folder.file(QStringLiteral("inis/GSdx.ini")), "Renderer = 12\nextrathreads = 2\n");
    testsupport::writeAll(folder.file(QStringLiteral("inis/PCSX2_ui.ini")),
                          "[Folders]\nUseDefaultPluginsFolder=" + useDefault +
                              "\nPluginsFolder=" + QFile::encodeName(usrLib.path()) + "\n");
    MainWindow w(folder.path());

    if (!fromUiFile) {
        QCOMPARE(parts(w).pluginsFolder, QStringLiteral("/nowhere"));
        return;
    }
    QCOMPARE(parts(w).pluginsFolder, usrLib.path());
    QCOMPARE(parts(w).pluginFiles, QStringList({"GSdx-SSE2.dll", "libgsdx-ogl.so"}));
    // The Linux plug-ins' own lists.
    QCOMPARE(itemTexts(parts(w).editorPage->cmbRenderer),
             QStringList({"OpenGL (Hardware)", "OpenGL (Software)", "None (Core Benchmark)"}));
    QCOMPARE(parts(w).editorPage->cmbRenderer->itemData(2).toInt(), 11);
    QCOMPARE(itemTexts(parts(w).editorPage->cmbSPU2Module),
             QStringList({"0 - No Sound (emulate SPU2 only)", "1 - PortAudio (cross-platform)",
                          "2 - SDL Audio (recommended for PulseAudio)"}));
    QVERIFY(!parts(w).editorPage->chkLogDepth->isEnabled());
    QVERIFY(dialogs.messageTexts().isEmpty());
}

void TestDiscovery::pluginNames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("plugin");
    QTest::newRow("Windows name") << "GSdx32-SSE2.dll" << true;
    QTest::newRow("lib prefix, .so") << "libGSdx-1.0.so" << true;
    QTest::newRow("upper case") << "GSDX.DLL" << true;
    QTest::newRow("other plug-in") << "spu2-x.dll" << false;
    QTest::newRow("versioned .so") << "libgsdx.so.1" << false;
    QTest::newRow("gsdx inside the name") << "mygsdx.dll" << false;
    QTest::newRow("configuration file") << "GSdx.ini" << false;
}

void TestDiscovery::pluginNames() {
    QFETCH(QString, name);
    QFETCH(bool, plugin);
    QCOMPARE(emulatordiscovery::isGSPluginName(name), plugin);
}

QTEST_MAIN(TestDiscovery)
#include "tst_discovery.moc"
