// The command line, driven through the real executable as a child process:
// --list, --start, --unload, --folder and what they print, write and start.
#include "launch/emulatorrun.h"
#include "store/columntable.h"
#include "store/gameprofile.h"
#include "store/playtimestore.h"
#include "store/profilestore.h"
#include "support/testfolder.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

using testsupport::readAll;

namespace {

const QStringList kIniFiles = {QStringLiteral("GSdx.ini"), QStringLiteral("PCSX2_ui.ini"),
                               QStringLiteral("PCSX2_vm.ini"), QStringLiteral("SPU2-X.ini")};
const QString kGame = QStringLiteral("Shadow of the Test");

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

// A user of their own: settings and data folders that no other test shares.
struct User {
    QTemporaryDir home;
    QString configHome() const { return home.filePath(QStringLiteral("config")); }
    QString dataHome() const { return home.filePath(QStringLiteral("data")); }
    QString setting(const QString& key) const {
        QSettings s(configHome() + QStringLiteral("/Korvello.ini"), QSettings::IniFormat);
        return s.value(key).toString();
    }
    void setSetting(const QString& key, const QVariant& value) const {
        QDir().mkpath(configHome());
        QSettings s(configHome() + QStringLiteral("/Korvello.ini"), QSettings::IniFormat);
        s.setValue(key, value);
    }

    Run run(const QString& program, const QStringList& arguments) const {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome());
        env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome());
        // A window opened by mistake must not need a display, nor hang the test.
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        p.start(program, arguments);
        Run r;
        if (!p.waitForFinished(30000)) {
            p.kill();
            p.waitForFinished();
            r.err = QStringLiteral("timed out");
            return r;
        }
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }
};

// An emulator folder with a copy of the program in it, the stand-in emulator,
// the emulator's four files as the golden tests start them, and one game.
struct EmulatorFolder {
    TestFolder folder;
    QString program;
    QString exeName = emulatorrun::uniqueName(QStringLiteral("cli"));
    QString exePath;

    explicit EmulatorFolder(bool withProgram = true) {
        if (withProgram)
            program = copyProgram(folder.path());
        exePath = emulatorrun::install(folder.path(), exeName);
        for (const QString& name : kIniFiles) {
            QFile::copy(testsupport::dataPath(QStringLiteral("launch/start/") + name), ini(name));
            QFile::setPermissions(ini(name), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        }
        GameProfile p = emulatorrun::fixtureProfile();
        p.setValue(col::gamename, kGame);
        p.setValue(col::PCSX2ExeFile, exeName);
        p.setValue(col::PCSX2CMDKeys, QStringLiteral("--nogui --cfgpath=\"/tmp/my cfg\""));
        add(p);
        // The disc image the profile names, relative to the program's folder: Start passes
        // it to the emulator ("Run CDVD after start" is on until the user turns it off).
        QFile disc(folder.file(QStringLiteral("D:\\ISO\\Shadow of the Test.iso")));
        if (disc.open(QIODevice::WriteOnly))
            disc.close();
    }
    void removeDisc() const { QFile::remove(folder.file(QStringLiteral("D:\\ISO\\Shadow of the Test.iso"))); }
    static QString copyProgram(const QString& folder) {
        const QString path = folder + QStringLiteral("korvello");
        QFile::copy(QStringLiteral(KORVELLO_BIN_DIR "/korvello"), path);
        QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
        return path;
    }
    void add(const GameProfile& p) const {
        ProfileStore store;
        store.setDatabasePath(folder.file(QStringLiteral("db.mdb")));
        store.add(p);
    }
    void addNamed(const QString& name) const {
        GameProfile p = emulatorrun::fixtureProfile();
        p.setValue(col::gamename, name);
        add(p);
    }
    QString ini(const QString& name) const { return folder.file(QStringLiteral("inis/") + name); }
    QString record() const { return exePath + QStringLiteral(".record"); }
    // The four files are still as the golden tests start them.
    bool inisUntouched() const {
        for (const QString& name : kIniFiles) {
            if (readAll(ini(name)) != readAll(testsupport::dataPath(QStringLiteral("launch/start/") + name)))
                return false;
        }
        return true;
    }
};

} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void listInTheListsOrder();
    void startWritesAndStarts_data();
    void startWritesAndStarts();
    void startFailures_data();
    void startFailures();
    void unloadEndsTheLastStarted();
    void restorePutsTheEmulatorsFilesBack();
    void installedCopyUsesGivenThenRememberedFolder();
    void copyAloneWorksInItsFolder();
    void versionHelpAndBadArguments_data();
    void versionHelpAndBadArguments();
};

void TestCommandLine::listInTheListsOrder() {
    User user;
    EmulatorFolder f;
    for (const char* name : {"zeta", "Alpha", "beta's", "Gamma",
                             "\xc3\x89"
                             "clair",
                             "Game 10", "Game 2"})
        f.addNamed(QString::fromUtf8(name));
    const Run r = user.run(f.program, {QStringLiteral("--list")});
    QCOMPARE(r.err, QString());
    QCOMPARE(r.exitCode, 0);
    // As people read: accents and letter case after the letters, numbers by their value.
    QCOMPARE(r.out, QString::fromUtf8("Alpha\nbeta's\n\xc3\x89"
                                      "clair\nGame 2\nGame 10\nGamma\nShadow of the Test\nzeta\n"));
}

void TestCommandLine::startWritesAndStarts_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("runSetting"); // -1: no "Run" value
    QTest::addColumn<QStringList>("expectedArguments");
    const QString iso = QStringLiteral("D:\\ISO\\Shadow of the Test.iso");
    const QStringList keys{QStringLiteral("--nogui"), QStringLiteral("--cfgpath=/tmp/my cfg")};
    QTest::newRow("exact name, Run never set: the image first") << kGame << -1 << (QStringList{iso} + keys);
    QTest::newRow("other letter case, Run off") << kGame.toUpper() << 0 << keys;
    QTest::newRow("Run on: the image first") << kGame << 1 << (QStringList{iso} + keys);
}

void TestCommandLine::startWritesAndStarts() {
    QFETCH(QString, name);
    QFETCH(int, runSetting);
    QFETCH(QStringList, expectedArguments);
    User user;
    EmulatorFolder f;
    emulatorrun::Reaper reaper;
    if (runSetting >= 0)
        user.setSetting(QStringLiteral("Run"), runSetting);
    // An emulator of the same name already runs: it is ended first.
    const qint64 running = emulatorrun::startDirectly(f.exePath);
    QVERIFY(running > 0);
    reaper.add(running);
    QFile::remove(f.record());

    const Run r = user.run(f.program, {QStringLiteral("--start"), name});
    QCOMPARE(r.out, QString());
    // The first Start into the emulator's own files keeps them, and says so in one line.
    QVERIFY2(r.err.startsWith(QLatin1String("korvello: ")) &&
                 r.err.contains(QLatin1String("Restore the emulator's own settings")) &&
                 r.err.count(u'\n') == 1,
             qPrintable(r.err));
    QCOMPARE(r.exitCode, 0);

    const std::optional<emulatorrun::Record> record = emulatorrun::waitForRecord(f.exePath);
    QVERIFY(record);
    reaper.add(record->pid);
    QCOMPARE(record->arguments, expectedArguments);
    QCOMPARE(record->workingFolder + u'/', f.folder.path());
    QVERIFY(emulatorrun::waitForEnd(running));
    QVERIFY(emulatorrun::isAlive(record->pid));

    // The same bytes as the window's Start writes: the golden files, with the
    // program folder in the plug-in path.
    for (const QString& file : kIniFiles) {
        QByteArray expected = readAll(testsupport::dataPath(QStringLiteral("launch/expected/") + file));
        expected.replace("/opt/pcsx2/", f.folder.path().toUtf8());
        QVERIFY2(readAll(f.ini(file)) == expected, qPrintable(file));
    }
    QCOMPARE(user.setting(QStringLiteral("LastEmulator")), f.exeName);

    // Its play session is open in the store under the profile's own name, for
    // the window to take up.
    PlayTimeStore playTime;
    playTime.setDatabasePath(f.folder.file(QStringLiteral("db.mdb")));
    const QList<PlaySession> open = playTime.openSessions();
    QCOMPARE(open.size(), 1);
    QCOMPARE(open.first().game, kGame);
    QCOMPARE(open.first().pid, record->pid);
}

void TestCommandLine::startFailures_data() {
    QTest::addColumn<QString>("cause");
    QTest::newRow("unknown game") << "unknown";
    QTest::newRow("executable missing") << "no exe";
    QTest::newRow("read-only file") << "read-only";
    QTest::newRow("settings folder missing") << "no inis";
    QTest::newRow("disc image missing") << "no disc";
}

void TestCommandLine::startFailures() {
    QFETCH(QString, cause);
    User user;
    EmulatorFolder f;
    emulatorrun::Reaper reaper;
    const qint64 running = emulatorrun::startDirectly(f.exePath);
    QVERIFY(running > 0);
    reaper.add(running);
    QFile::remove(f.record());
    user.setSetting(QStringLiteral("LastEmulator"), QStringLiteral("earlier.exe"));

    QString name = kGame;
    QString expected;
    if (cause == QLatin1String("unknown")) {
        name = QStringLiteral("No Such Game");
        expected = QStringLiteral("There is no game named \"No Such Game\" in the database.");
    } else if (cause == QLatin1String("no exe")) {
        GameProfile p = emulatorrun::fixtureProfile();
        p.setValue(col::gamename, QStringLiteral("Gone"));
        p.setValue(col::PCSX2ExeFile, QStringLiteral("pcsx2-removed.exe"));
        f.add(p);
        name = QStringLiteral("Gone");
        expected =
            QStringLiteral("The emulator \"%1pcsx2-removed.exe\" does not exist.").arg(f.folder.path());
    } else if (cause == QLatin1String("read-only")) {
        // GSdx.ini takes the first key, so nothing at all is written.
        QFile::setPermissions(f.ini(QStringLiteral("GSdx.ini")), QFileDevice::ReadOwner);
        expected = QStringLiteral("Unable to write to %1.").arg(f.ini(QStringLiteral("GSdx.ini")));
    } else if (cause == QLatin1String("no disc")) {
        f.removeDisc();
        expected = QStringLiteral("The disc image \"D:\\ISO\\Shadow of the Test.iso\" does not exist.");
    } else {
        QVERIFY(QDir(f.folder.file(QStringLiteral("inis"))).removeRecursively());
        expected = QStringLiteral("Unable to write to %1.").arg(f.ini(QStringLiteral("GSdx.ini")));
    }

    const Run r = user.run(f.program, {QStringLiteral("--start=") + name});
    QVERIFY(r.exitCode != 0);
    QCOMPARE(r.err, QStringLiteral("korvello: ") + expected + u'\n');
    QCOMPARE(r.out, QString());
    if (cause != QLatin1String("no inis"))
        QVERIFY(f.inisUntouched());
    else
        QVERIFY(!QFileInfo::exists(f.folder.file(QStringLiteral("inis"))));
    QTest::qWait(200);
    QVERIFY(emulatorrun::isAlive(running));
    QVERIFY(!QFile::exists(f.record()));
    QCOMPARE(user.setting(QStringLiteral("LastEmulator")), QStringLiteral("earlier.exe"));
}

void TestCommandLine::restorePutsTheEmulatorsFilesBack() {
    User user;
    EmulatorFolder f;
    emulatorrun::Reaper reaper;
    // Nothing to put back before Korvello has written there: said, and no error.
    Run r = user.run(f.program, {QStringLiteral("--restore-emulator-settings")});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.err, QString());
    QVERIFY2(r.out.startsWith(QLatin1String("There is nothing to put back")), qPrintable(r.out));
    QVERIFY(f.inisUntouched());

    r = user.run(f.program, {QStringLiteral("--start"), kGame});
    QCOMPARE(r.exitCode, 0);
    const std::optional<emulatorrun::Record> record = emulatorrun::waitForRecord(f.exePath);
    QVERIFY(record);
    reaper.add(record->pid);
    QVERIFY(!f.inisUntouched());

    r = user.run(f.program, {QStringLiteral("--restore-emulator-settings")});
    QCOMPARE(r.err, QString());
    QCOMPARE(r.exitCode, 0);
    QVERIFY2(r.out.startsWith(QLatin1String("Put back")) && r.out.count(u'\n') == 1, qPrintable(r.out));
    QVERIFY(f.inisUntouched());
}

void TestCommandLine::unloadEndsTheLastStarted() {
    User user;
    EmulatorFolder f;
    emulatorrun::Reaper reaper;

    Run r = user.run(f.program, {QStringLiteral("--unload")});
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.err, QStringLiteral("korvello: Korvello has not started an emulator yet.\n"));

    QCOMPARE(user.run(f.program, {QStringLiteral("--start"), kGame}).exitCode, 0);
    const std::optional<emulatorrun::Record> record = emulatorrun::waitForRecord(f.exePath);
    QVERIFY(record);
    reaper.add(record->pid);

    r = user.run(f.program, {QStringLiteral("--unload")});
    QCOMPARE(r.err, QString());
    QCOMPARE(r.exitCode, 0);
    QVERIFY(emulatorrun::waitForEnd(record->pid));

    r = user.run(f.program, {QStringLiteral("--unload")});
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.err, QStringLiteral("korvello: No emulator named %1 is running.\n").arg(f.exeName));
}

void TestCommandLine::installedCopyUsesGivenThenRememberedFolder() {
    User user;
    EmulatorFolder f(false);
    // Installed: the program in the bin folder of an installed layout, its data folder beside.
    QTemporaryDir prefix;
    QVERIFY(QDir(prefix.path()).mkpath(QStringLiteral("bin")));
    QVERIFY(QDir(prefix.path()).mkpath(QStringLiteral("share/korvello")));
    const QString program = EmulatorFolder::copyProgram(prefix.filePath(QStringLiteral("bin/")));

    Run r = user.run(program, {QStringLiteral("--list")});
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.err,
             QStringLiteral("korvello: No emulator folder is known; give it once with --folder DIR.\n"));

    r = user.run(program, {QStringLiteral("--folder"), f.folder.path(), QStringLiteral("--list")});
    QCOMPARE(r.err, QString());
    QCOMPARE(r.out, kGame + u'\n');

    r = user.run(program, {QStringLiteral("--list")});
    QCOMPARE(r.err, QString());
    QCOMPARE(r.out, kGame + u'\n');
    QVERIFY(!QFileInfo::exists(prefix.filePath(QStringLiteral("bin/db.mdb"))));

    r = user.run(program, {QStringLiteral("--folder=/no/such/folder"), QStringLiteral("--list")});
    QCOMPARE(r.exitCode, 2);
    QCOMPARE(r.err, QStringLiteral("korvello: The folder /no/such/folder does not exist.\n"));
}

void TestCommandLine::copyAloneWorksInItsFolder() {
    // A copy alone in a folder of its own (a bin folder too, outside an
    // installed layout) works there, as a copy always did.
    User user;
    QTemporaryDir alone;
    QVERIFY(QDir(alone.path()).mkpath(QStringLiteral("bin")));
    const QString program = EmulatorFolder::copyProgram(alone.filePath(QStringLiteral("bin/")));
    Run r = user.run(program, {QStringLiteral("--list")});
    QCOMPARE(r.err, QString());
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out, QString());
    QVERIFY(!QFileInfo::exists(alone.filePath(QStringLiteral("bin/db.mdb")))); // --list creates nothing

    // Its library stays its own when an installed program has remembered another
    // folder: a copy stands with its pictures.
    QVERIFY(QDir(alone.path()).mkpath(QStringLiteral("bin/Images")));
    EmulatorFolder remembered(false);
    user.setSetting(QStringLiteral("Folder"), remembered.folder.path());
    r = user.run(program, {QStringLiteral("--list")});
    QCOMPARE(r.err, QString());
    QCOMPARE(r.out, QString());
}

void TestCommandLine::versionHelpAndBadArguments_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("outPart");
    QTest::addColumn<QString>("err");
    QTest::newRow("version") << QStringList{"--version"} << 0 << "Korvello (Tessaly) v.2.1.345\n"
                             << "";
    QTest::newRow("help") << QStringList{"--help"} << 0 << "--start <NAME>"
                          << "";
    QTest::newRow("unknown option") << QStringList{"--frobnicate"} << 2 << ""
                                    << "korvello: Unknown option 'frobnicate'.\n";
    QTest::newRow("start without a name") << QStringList{"--start"} << 2 << ""
                                          << "korvello: Missing value after '--start'.\n";
    QTest::newRow("two actions")
        << QStringList{"--list", "--unload"} << 2 << ""
        << "korvello: Give only one of --list, --start NAME, --unload, --add-folder DIR and "
           "--restore-emulator-settings.\n";
    QTest::newRow("stray argument") << QStringList{"game"} << 2 << ""
                                    << "korvello: Unknown argument \"game\"; see --help.\n";
}

void TestCommandLine::versionHelpAndBadArguments() {
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, outPart);
    QFETCH(QString, err);
    User user;
    EmulatorFolder f;
    const Run r = user.run(f.program, arguments);
    QCOMPARE(r.err, err);
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(r.out.contains(outPart), qPrintable(r.out));
    QVERIFY(outPart.isEmpty() || r.out.endsWith(u'\n'));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
