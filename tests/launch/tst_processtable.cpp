// The process table over /proc, with real child processes.
#include "emulatorrun.h"
#include "launch/processtable.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

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

QTEST_GUILESS_MAIN(TestProcessTable)
#include "tst_processtable.moc"
