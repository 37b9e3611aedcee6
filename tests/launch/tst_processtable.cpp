// The process table over /proc, with real child processes.
#include "emulatorrun.h"
#include "launch/emulatorending.h"
#include "launch/processtable.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

using emulatorrun::isAlive;

class TestProcessTable : public QObject {
    Q_OBJECT
private slots:
    void recordedName_data();
    void recordedName();
    void longNamedProgram();
    void scriptThroughItsInterpreter();
    void prefixRunsButIsNotKilled();
    void emptyName();
    void otherUsersProcessIsNeverSignalled();
    void endingTheEmulatorTakesOnlyPlainNames();
    void sandboxedEmulatorIsNotTheFolders();
    void parentFromStat_data();
    void parentFromStat();
    void treeEndsBelowItsRootOnly();

private:
    QTemporaryDir m_dir;
    QString folder() const { return m_dir.path() + u'/'; }
};

void TestProcessTable::recordedName_data() {
    QTest::addColumn<QString>("comm");
    QTest::addColumn<QStringList>("argv");
    QTest::addColumn<QString>("exe");
    QTest::addColumn<QString>("recorded");

    QTest::newRow("program by its path")
        << "pcsx2.exe" << QStringList{"/opt/p/pcsx2.exe", "--nogui"} << "/opt/p/pcsx2.exe"
        << "/opt/p/pcsx2.exe";
    QTest::newRow("name longer than comm keeps")
        << "pcsx2-r5875-lon" << QStringList{"./pcsx2-r5875-long.exe"} << "/opt/p/pcsx2-r5875-long.exe"
        << "./pcsx2-r5875-long.exe";
    QTest::newRow("started through a link: the link's name")
        << "pcsx2-latest.ex" << QStringList{"/opt/p/pcsx2-latest.exe"} << "/opt/p/builds/pcsx2-r5875.exe"
        << "/opt/p/pcsx2-latest.exe";
    QTest::newRow("argv[0] changed by the program: the executable")
        << "pcsx2-r5875-lon" << QStringList{"PCSX2 main"} << "/opt/p/pcsx2-r5875-long.exe"
        << "/opt/p/pcsx2-r5875-long.exe";
    QTest::newRow("script through its interpreter")
        << "pcsx2-launcher." << QStringList{"/bin/sh", "/opt/p/pcsx2-launcher.exe", "--nogui"}
        << "/usr/bin/dash"
        << "/opt/p/pcsx2-launcher.exe";
    QTest::newRow("script with an interpreter option")
        << "pcsx2-launcher." << QStringList{"/bin/bash", "-e", "./pcsx2-launcher.exe"} << "/usr/bin/bash"
        << "./pcsx2-launcher.exe";
    QTest::newRow("renamed thread name: the executable")
        << "worker" << QStringList{"/usr/bin/x"} << "/usr/bin/x"
        << "/usr/bin/x";
    QTest::newRow("kernel thread") << "kworker/0:1" << QStringList{} << ""
                                   << "kworker/0:1";
}

void TestProcessTable::recordedName() {
    QFETCH(QString, comm);
    QFETCH(QStringList, argv);
    QFETCH(QString, exe);
    QFETCH(QString, recorded);
    QCOMPARE(recordedExecutableName(comm, argv, exe), recorded);
}

void TestProcessTable::longNamedProgram() {
    emulatorrun::Reaper reaper;
    const QString name = emulatorrun::uniqueName(QStringLiteral("table"));
    QVERIFY(name.size() > 15);
    const QString path = emulatorrun::install(folder(), name);
    const qint64 pid = emulatorrun::startDirectly(path);
    QVERIFY(pid > 0);
    reaper.add(pid);

    bool listed = false;
    for (const RunningProcess& p : runningProcesses())
        listed = listed || (p.pid == pid && fileNamePart(p.exeName) == name);
    QVERIFY(listed);

    QVERIFY(IsProcessRunning(name));
    QVERIFY(IsProcessRunning(name.toUpper()));
    QVERIFY(IsProcessRunning(name.left(12)));
    QVERIFY(!IsProcessRunning(name + u'x'));

    QCOMPARE(KillProcess(name.left(name.size() - 1)), 0); // exact, not a prefix
    QVERIFY(isAlive(pid));
    QCOMPARE(KillProcess(name.toUpper()), 1);
    QVERIFY(emulatorrun::waitForEnd(pid));
    QVERIFY(!IsProcessRunning(name));
    QCOMPARE(KillProcess(name), 0);

    // The whole recorded name (the path it was started by) matches as well.
    const qint64 again = emulatorrun::startDirectly(path);
    QVERIFY(again > 0);
    reaper.add(again);
    QCOMPARE(KillProcess(path), 1);
    QVERIFY(emulatorrun::waitForEnd(again));
}

void TestProcessTable::scriptThroughItsInterpreter() {
    emulatorrun::Reaper reaper;
    const QString name = emulatorrun::uniqueName(QStringLiteral("script"));
    const QString path = folder() + name;
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\necho $$ > \"$0.pid\"\nwhile :; do sleep 1; done\n");
    }
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
    qint64 pid = 0;
    QVERIFY(QProcess::startDetached(path, {}, folder(), &pid));
    reaper.add(pid);
    QTRY_VERIFY(QFile::exists(path + QStringLiteral(".pid")));

    QVERIFY(IsProcessRunning(name));
    QCOMPARE(KillProcess(name), 1);
    QVERIFY(emulatorrun::waitForEnd(pid));
}

void TestProcessTable::prefixRunsButIsNotKilled() {
    emulatorrun::Reaper reaper;
    const QString name = emulatorrun::uniqueName(QStringLiteral("prefix"));
    const QString longer = emulatorrun::install(folder(), name + QStringLiteral(".old"));
    const qint64 pid = emulatorrun::startDirectly(longer);
    QVERIFY(pid > 0);
    reaper.add(pid);
    QVERIFY(IsProcessRunning(name));
    QCOMPARE(KillProcess(name), 0);
    QTest::qWait(200);
    QVERIFY(isAlive(pid));
}

void TestProcessTable::emptyName() {
    // Every process begins with the empty name, yet none is called that.
    QVERIFY(IsProcessRunning(QString()));
    QCOMPARE(KillProcess(QString()), 0);
}

void TestProcessTable::otherUsersProcessIsNeverSignalled() {
    // Only root can run a process as another user; as root, kill() could end it.
    if (::getuid() != 0)
        QSKIP("needs root to start a process of another user");
    emulatorrun::Reaper reaper;
    QTemporaryDir shared; // readable by the other user
    QFile::setPermissions(shared.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                             QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                             QFileDevice::ExeOther | QFileDevice::WriteOther);
    const QString name = emulatorrun::uniqueName(QStringLiteral("other"));
    const QString path = emulatorrun::install(shared.path() + u'/', name);
    const QByteArray program = QFile::encodeName(path);
    const pid_t pid = ::fork();
    if (pid == 0) {
        constexpr uid_t nobody = 65534;
        if (::setgid(nobody) != 0 || ::setuid(nobody) != 0)
            ::_exit(3);
        ::execl(program.constData(), program.constData(), static_cast<char*>(nullptr));
        ::_exit(4);
    }
    QVERIFY(pid > 0);
    reaper.add(pid);
    QTRY_VERIFY(IsProcessRunning(name));
    QCOMPARE(KillProcess(name), 0);
    QTest::qWait(200);
    QVERIFY(isAlive(pid));

    // The same name run by this user is ended.
    const qint64 own = emulatorrun::startDirectly(emulatorrun::install(folder(), name));
    QVERIFY(own > 0);
    reaper.add(own);
    QCOMPARE(KillProcess(name), 1);
    QVERIFY(emulatorrun::waitForEnd(own));
    QVERIFY(isAlive(pid));
}

// An emulator of the same file name in a mount namespace of its own (as bubblewrap runs
// the Flatpak build's) is not the folder's: a native Start or unload leaves it running.
void TestProcessTable::sandboxedEmulatorIsNotTheFolders() {
    emulatorrun::Reaper reaper;
    const QString name = emulatorrun::uniqueName(QStringLiteral("sandboxed"));
    const QString path = emulatorrun::install(folder(), name);
    QProcess sandbox;
    sandbox.start(QStringLiteral("unshare"), {QStringLiteral("--mount"), QStringLiteral("--propagation"),
                                              QStringLiteral("private"), path});
    const std::optional<emulatorrun::Record> sandboxed = emulatorrun::waitForRecord(path, 3000);
    if (!sandboxed) {
        sandbox.waitForFinished(3000);
        QSKIP(qPrintable(QStringLiteral("unshare --mount is not allowed here: ") +
                         QString::fromLocal8Bit(sandbox.readAllStandardError())));
    }
    reaper.add(sandboxed->pid);
    QVERIFY(emulatorending::ofExecutable(name, QStringLiteral("korvello")).isEmpty());

    QFile::remove(path + QStringLiteral(".record"));
    const qint64 own = emulatorrun::startDirectly(path);
    QVERIFY(own > 0);
    reaper.add(own);
    const emulatorending::Ending ending = emulatorending::ofExecutable(name, QStringLiteral("korvello"));
    QCOMPARE(ending.asked.size(), 1);
    QCOMPARE(ending.asked.first().pid, own);
    emulatorending::endAndWait(ending);
    QVERIFY(emulatorrun::waitForEnd(own));
    QVERIFY(isAlive(sandboxed->pid));
    sandbox.kill();
    sandbox.waitForFinished(3000);
}

void TestProcessTable::endingTheEmulatorTakesOnlyPlainNames() {
    emulatorrun::Reaper reaper;
    const QString name = emulatorrun::uniqueName(QStringLiteral("plain"));
    const QString path = emulatorrun::install(folder(), name);
    const qint64 pid = emulatorrun::startDirectly(path);
    QVERIFY(pid > 0);
    reaper.add(pid);
    // A path is no emulator name, and the program's own name is never ended.
    QVERIFY(emulatorending::ofExecutable(path, QString()).isEmpty());
    QVERIFY(emulatorending::ofExecutable(name, name.toUpper()).isEmpty());
    QVERIFY(isAlive(pid));
    const emulatorending::Ending ending = emulatorending::ofExecutable(name, QStringLiteral("korvello"));
    QCOMPARE(ending.asked.size(), 1);
    QCOMPARE(ending.asked.first().pid, pid);
    QCOMPARE(emulatorending::endAndWait(ending).asked, 1);
    QVERIFY(emulatorrun::waitForEnd(pid));
}

void TestProcessTable::parentFromStat_data() {
    QTest::addColumn<QByteArray>("stat");
    QTest::addColumn<qint64>("parent");
    QTest::newRow("plain") << QByteArray("4242 (pcsx2-qt) S 17 4242 4242 0 -1") << qint64(17);
    // The command name may hold blanks and brackets: the fields follow the last ")".
    QTest::newRow("brackets in the name") << QByteArray("99 (a) S 5 (b)) R 31 99 99 0") << qint64(31);
    QTest::newRow("cut off") << QByteArray("99 (bwrap) S") << qint64(-1);
    QTest::newRow("no name") << QByteArray("99 S 31") << qint64(-1);
}

void TestProcessTable::parentFromStat() {
    QFETCH(QByteArray, stat);
    QFETCH(qint64, parent);
    QCOMPARE(parentProcessId(stat), parent);
}

void TestProcessTable::treeEndsBelowItsRootOnly() {
    // A shell holding the stand-in emulator as its child, as a sandbox holds the emulator,
    // and a second emulator of the same file outside it.
    const QString exe = emulatorrun::install(folder(), emulatorrun::uniqueName(QStringLiteral("tree")));
    emulatorrun::Reaper reaper;
    const qint64 outside = emulatorrun::startDirectly(exe);
    QVERIFY(outside > 0);
    reaper.add(outside);
    QFile::remove(exe + QStringLiteral(".record"));
    QProcess holder;
    holder.start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("\"$0\" & wait"), exe});
    QVERIFY(holder.waitForStarted());
    reaper.add(holder.processId());
    const std::optional<emulatorrun::Record> inside = emulatorrun::waitForRecord(exe);
    QVERIFY(inside);
    reaper.add(inside->pid);

    QCOMPARE(endProcessTree(holder.processId()), 2);
    QVERIFY(holder.waitForFinished(5000));
    QVERIFY(emulatorrun::waitForEnd(inside->pid));
    QVERIFY(emulatorrun::isAlive(outside));
    QCOMPARE(endProcessTree(0), 0);
}

QTEST_GUILESS_MAIN(TestProcessTable)
#include "tst_processtable.moc"
