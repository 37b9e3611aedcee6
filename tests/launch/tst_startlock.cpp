// The lock that keeps one Start (and one addition of a folder) at a time: the
// same lock for a folder and a link to it, waiting and giving up, and no
// silent going on when something else sits at the lock's name.
#include "core/korvelloerror.h"
#include "launch/startlock.h"
#include "support/testfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

class TestStartLock : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void linkedFolderSharesTheLock();
    void notAFileAtTheLocksName_data();
    void notAFileAtTheLocksName();
};

void TestStartLock::linkedFolderSharesTheLock() {
    TestFolder folder;
    QTemporaryDir links;
    const QString linked = links.filePath(QStringLiteral("emulator"));
    QVERIFY(QFile::link(folder.path(), linked));
    QCOMPARE(StartLock::path(linked), StartLock::path(folder.path()));
    QVERIFY(StartLock::path(QStringLiteral("library"), linked) != StartLock::path(linked));

    const StartLock held(folder.path());
    try {
        const StartLock second(linked, 100);
        QFAIL("a second Start through the link took the lock");
    } catch (const KorvelloError& e) {
        QVERIFY2(e.text().startsWith(QStringLiteral("Another Start of a game of")), qPrintable(e.text()));
    }
    // Another kind of work on the folder has a lock of its own.
    const StartLock addition(
        QStringLiteral("library"), linked, [] { return false; }, QStringLiteral("busy"));
}

void TestStartLock::notAFileAtTheLocksName_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("fifo") << "fifo";
    QTest::newRow("folder") << "folder";
    QTest::newRow("link") << "link";
}

void TestStartLock::notAFileAtTheLocksName() {
    QFETCH(QString, kind);
    TestFolder folder;
    const QString lock = StartLock::path(folder.path());
    QVERIFY(QDir().mkpath(QFileInfo(lock).path()));
    QFile::remove(lock);
    if (kind == QLatin1String("fifo"))
        QVERIFY(::mkfifo(QFile::encodeName(lock).constData(), 0600) == 0);
    else if (kind == QLatin1String("folder"))
        QVERIFY(QDir().mkpath(lock));
    else
        QVERIFY(QFile::link(folder.file(QStringLiteral("elsewhere")), lock));
    try {
        const StartLock taken(folder.path(), 100);
        QFAIL("Start went on without its lock");
    } catch (const KorvelloError& e) {
        QVERIFY2(e.text() ==
                     lock + QStringLiteral(" is not a lock file of Korvello's; remove it and try again"),
                 qPrintable(e.text()));
    }
    QVERIFY(!QFileInfo::exists(folder.file(QStringLiteral("elsewhere"))));
    if (kind == QLatin1String("folder"))
        QDir(lock).removeRecursively();
    else
        QFile::remove(lock);
}

QTEST_GUILESS_MAIN(TestStartLock)
#include "tst_startlock.moc"
