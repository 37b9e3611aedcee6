// The user's own emulator settings kept before Korvello's first write, and put back.
#include "core/korvelloerror.h"
#include "emulatorsettings/configwriter.h"
#include "emulatorsettings/settingsbackup.h"
#include "store/defaultprofile.h"
#include "store/gameprofile.h"
#include "support/testfolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using testsupport::readAll;
using testsupport::writeAll;

namespace {

// The user's files, in the forms the Linux builds write (LF, a flat GSdx.ini,
// the lower-case sound file) and one in UTF-16 with CR LF, as Windows builds write.
QMap<QString, QByteArray> userFiles() {
    return {
        {QStringLiteral("GSdx.ini"), QByteArray("Renderer = 12\nextrathreads = 2\nupscale_multiplier = 1\n")},
        {QStringLiteral("PCSX2_ui.ini"),
         QByteArray("CdvdSource=ISO\n[GSWindow]\nWindowSize=1904,1024\nAspectRatio=Stretch\n")},
        {QStringLiteral("PCSX2_vm.ini"), QByteArray("[EmuCore/Speedhacks]\nEECycleRate=0\nEECycleSkip=0\n")},
        {QStringLiteral("spu2-x.ini"), QByteArray("\xFF\xFE[\0O\0U\0T\0\r\0\n\0", 14)}};
}

QMap<QString, QByteArray> filesIn(const QString& folder) {
    QMap<QString, QByteArray> files;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        files.insert(name, readAll(folder + u'/' + name));
    return files;
}

// Writes something into every one of the four files, as a Start would.
void scribble(const QString& folder) {
    for (const QString& name : QDir(folder).entryList(QDir::Files))
        writeAll(folder + u'/' + name, readAll(folder + u'/' + name) + "Korvello=1\n");
    writeAll(folder + QStringLiteral("/PCSX2_vm.ini"), "[EmuCore]\nEnableCheats=enabled\n");
}

} // namespace

class TestSettingsBackup : public QObject {
    Q_OBJECT
private slots:
    void roundTripIsByteIdentical();
    void secondFirstStartKeepsTheBackup();
    void filesThatDidNotExistAreRemoved();
    void restoreWithoutBackupChangesNothing();
    void missingSettingsFolderMakesNoBackup();
    void linksInTheBackupAreNotFollowed();
};

void TestSettingsBackup::roundTripIsByteIdentical() {
    QTemporaryDir inis;
    const QMap<QString, QByteArray> user = userFiles();
    for (auto it = user.begin(); it != user.end(); ++it)
        writeAll(inis.filePath(it.key()), it.value());
    SettingsBackup backup(inis.path());

    const QString notice = backup.ensure();
    QVERIFY(!notice.contains(u'\n'));
    QVERIFY2(notice.contains(backup.backupFolder()), qPrintable(notice));
    QCOMPARE(filesIn(backup.backupFolder()), user);

    scribble(inis.path());
    QVERIFY(filesIn(inis.path()) != user);
    const QString done = backup.restore();

    QCOMPARE(filesIn(inis.path()), user);
    QVERIFY2(done.contains(QLatin1String("spu2-x.ini")) && done.contains(QLatin1String("GSdx.ini")),
             qPrintable(done));
    // The backup stays, so the settings can be put back again after later Starts.
    QCOMPARE(filesIn(backup.backupFolder()), user);
    // Nothing of the staging is left behind.
    QCOMPARE(QDir(inis.path()).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("Korvello backup")});
}

void TestSettingsBackup::secondFirstStartKeepsTheBackup() {
    QTemporaryDir inis;
    const QMap<QString, QByteArray> user = userFiles();
    for (auto it = user.begin(); it != user.end(); ++it)
        writeAll(inis.filePath(it.key()), it.value());
    SettingsBackup backup(inis.path());
    QVERIFY(!backup.ensure().isEmpty());

    // A real Start writes the profile; the next "first" Start (after a restart of
    // the program, say) must not take Korvello's files for the user's.
    WriteEmulatorConfig(GameProfile(), inis.path(), QStringLiteral("/opt/korvello/"));
    QVERIFY(filesIn(inis.path()) != user);
    QCOMPARE(SettingsBackup(inis.path()).ensure(), QString());

    QCOMPARE(filesIn(backup.backupFolder()), user);
    backup.restore();
    QCOMPARE(filesIn(inis.path()), user);
}

void TestSettingsBackup::filesThatDidNotExistAreRemoved() {
    QTemporaryDir inis;
    writeAll(inis.filePath(QStringLiteral("PCSX2_ui.ini")), "CdvdSource=ISO\n");
    SettingsBackup backup(inis.path());
    QVERIFY(!backup.ensure().isEmpty());
    const GameProfile profile = defaultprofile::make(QStringLiteral("Game"), QStringLiteral("/g/Game.iso"),
                                                     QStringLiteral("pcsx2"), QStringLiteral("GSdx.so"));
    WriteEmulatorConfig(profile, inis.path(), QStringLiteral("/opt/korvello/"));
    QCOMPARE(QDir(inis.path()).entryList(QDir::Files).size(), 4);

    const QString done = backup.restore();

    QCOMPARE(filesIn(inis.path()),
             (QMap<QString, QByteArray>{{QStringLiteral("PCSX2_ui.ini"), "CdvdSource=ISO\n"}}));
    QVERIFY2(done.contains(QLatin1String("removed")), qPrintable(done));
}

void TestSettingsBackup::restoreWithoutBackupChangesNothing() {
    QTemporaryDir inis;
    writeAll(inis.filePath(QStringLiteral("GSdx.ini")), "Renderer = 13\n");
    try {
        SettingsBackup(inis.path()).restore();
        QFAIL("a restore without a backup must fail");
    } catch (const KorvelloError& error) {
        QVERIFY(error.text().contains(QLatin1String("no backup")));
    }
    QCOMPARE(readAll(inis.filePath(QStringLiteral("GSdx.ini"))), QByteArray("Renderer = 13\n"));
}

void TestSettingsBackup::missingSettingsFolderMakesNoBackup() {
    QTemporaryDir parent;
    const QString missing = parent.filePath(QStringLiteral("inis"));
    QCOMPARE(SettingsBackup(missing).ensure(), QString());
    QVERIFY(!QFileInfo::exists(missing));
}

// A kept file replaced by a link (to a file of someone else's, say): restore
// refuses before it changes anything, rather than copying what the link leads to.
void TestSettingsBackup::linksInTheBackupAreNotFollowed() {
    QTemporaryDir inis;
    QTemporaryDir elsewhere;
    const QMap<QString, QByteArray> user = userFiles();
    for (auto it = user.begin(); it != user.end(); ++it)
        writeAll(inis.filePath(it.key()), it.value());
    SettingsBackup backup(inis.path());
    QVERIFY(!backup.ensure().isEmpty());
    scribble(inis.path());
    const QMap<QString, QByteArray> written = filesIn(inis.path());
    writeAll(elsewhere.filePath(QStringLiteral("secret")), "not a settings file\n");
    const QString kept = backup.backupFolder() + QStringLiteral("/PCSX2_vm.ini");
    QVERIFY(QFile::remove(kept));
    QVERIFY(QFile::link(elsewhere.filePath(QStringLiteral("secret")), kept));

    QVERIFY_THROWS_EXCEPTION(KorvelloError, backup.restore());
    QCOMPARE(filesIn(inis.path()), written);
}

QTEST_GUILESS_MAIN(TestSettingsBackup)
#include "tst_settingsbackup.moc"
