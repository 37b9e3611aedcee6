// Per-game desktop shortcuts: the files the freedesktop validator accepts, and
// Exec lines that a launcher following the desktop entry rules splits back into
// exactly the program's arguments.
#include "core/korvelloerror.h"
#include "desktop/desktopentry.h"
#include "desktop/gameshortcuts.h"
#include "support/desktopexec.h"
#include "support/testfolder.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kProgram = QStringLiteral("/opt/emulator folder/korvello");
const QString kFolder = QStringLiteral("/opt/emulator folder/");

// desktop-file-validate's complaints about a file; empty when it accepts it.
QString validatorComplaints(const QString& path) {
    const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validator.isEmpty())
        return QStringLiteral("desktop-file-validate is not installed (Debian package desktop-file-utils)");
    QProcess p;
    p.start(validator, {path});
    p.waitForFinished(30000);
    const QString output = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()).trimmed();
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return output.isEmpty() ? QStringLiteral("exit %1").arg(p.exitCode()) : output;
    return output;
}

} // namespace

class TestGameShortcuts : public QObject {
    Q_OBJECT
private slots:
    void shortcutsForAwkwardNames_data();
    void shortcutsForAwkwardNames();
    void splitterRefusesWhatTheRulesForbid_data();
    void splitterRefusesWhatTheRulesForbid();
    void createTwiceReplaces();
    void renameAndRemove();
    void namesThatDifferOnlyInCaseOrFolder();
    void unwritableNames();
    void foreignFilesAreNeverReplacedNorRemoved_data();
    void foreignFilesAreNeverReplacedNorRemoved();
    void namesThatAreNotUtf8();
};

void TestGameShortcuts::shortcutsForAwkwardNames_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("plain") << "Shadow of the Test";
    QTest::newRow("apostrophe") << "Tony Hawk's Underground";
    QTest::newRow("double quotes") << "The \"Quoted\" One";
    QTest::newRow("dollar") << "Cash $HOME $(ls) ${x}";
    QTest::newRow("percent") << "100% Tony %f %U %%";
    QTest::newRow("backtick and backslash") << "`date` back\\slash \\\\ end\\";
    QTest::newRow("shell characters") << "a;b&c|d<e>f~g*h?i#j(k)l=m";
    QTest::newRow("non-ASCII") << QStringLiteral("Ōkami — Édition spéciale 大神");
    QTest::newRow("starts with a dash") << "--unload";
    QTest::newRow("tab and line end") << "Two\tparts\nand more";
    QTest::newRow("everything") << QStringLiteral("It's \"$5\" for 100%% of `Ōkami` \\o/");
}

void TestGameShortcuts::shortcutsForAwkwardNames() {
    QFETCH(QString, name);
    QTemporaryDir applications;
    GameShortcuts shortcuts(applications.path(), kProgram, kFolder);
    const QString thumbnail = kFolder + QStringLiteral("Images/thumb_") + name + QStringLiteral(".jpg");
    shortcuts.create(name, thumbnail);

    const QString path = shortcuts.filePath(name);
    QVERIFY(QFile::exists(path));
    // The file name before ".desktop" is a D-Bus name, as desktop file IDs must be.
    QVERIFY2(QRegularExpression(
                 QStringLiteral("^[A-Za-z_-][A-Za-z0-9_-]*(\\.[A-Za-z_-][A-Za-z0-9_-]*)+\\.desktop$"))
                 .match(QFileInfo(path).fileName())
                 .hasMatch(),
             qPrintable(QFileInfo(path).fileName()));
    const QString complaints = validatorComplaints(path);
    QVERIFY2(complaints.isEmpty(), qPrintable(complaints));

    const QHash<QString, QString> keys = desktopexec::readGroup(path);
    QString why;
    const std::optional<QStringList> argv = desktopexec::splitExec(keys.value(QStringLiteral("Exec")), &why);
    QVERIFY2(argv, qPrintable(why));
    QCOMPARE(*argv, (QStringList{kProgram, QStringLiteral("--folder=") + kFolder,
                                 QStringLiteral("--start=") + name}));
    QCOMPARE(desktopexec::unescapeValue(keys.value(QStringLiteral("Name"))), std::optional<QString>(name));
    QCOMPARE(desktopexec::unescapeValue(keys.value(QStringLiteral("Icon"))),
             std::optional<QString>(thumbnail));
    QCOMPARE(keys.value(QStringLiteral("Type")), QStringLiteral("Application"));
}

void TestGameShortcuts::splitterRefusesWhatTheRulesForbid_data() {
    // The test's own reader must not accept everything, or the round trip above
    // would prove nothing.
    QTest::addColumn<QString>("exec");
    QTest::newRow("dollar outside quotes") << "korvello --start=$HOME";
    QTest::newRow("apostrophe outside quotes") << "korvello --start=it's";
    QTest::newRow("open quote") << "korvello \"--start=x";
    QTest::newRow("field code") << "korvello \"--start=100%\"";
    QTest::newRow("dollar not escaped inside quotes") << "korvello \"$x\"";
    QTest::newRow("backslash-quote is no string escape") << "korvello \"x\\\"";
    QTest::newRow("backslash before a plain letter in quotes") << "korvello \"a\\\\q\"";
}

void TestGameShortcuts::splitterRefusesWhatTheRulesForbid() {
    QFETCH(QString, exec);
    QVERIFY(!desktopexec::splitExec(exec));
}

void TestGameShortcuts::createTwiceReplaces() {
    QTemporaryDir applications;
    GameShortcuts shortcuts(applications.path(), kProgram, kFolder);
    shortcuts.create(QStringLiteral("Game"), QStringLiteral("org.korvello.Korvello"));
    shortcuts.create(QStringLiteral("Game"), QStringLiteral("/pictures/thumb_Game.jpg"));
    QCOMPARE(QDir(applications.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    QCOMPARE(desktopexec::readGroup(shortcuts.filePath(QStringLiteral("Game"))).value(QStringLiteral("Icon")),
             QStringLiteral("/pictures/thumb_Game.jpg"));
}

void TestGameShortcuts::renameAndRemove() {
    QTemporaryDir applications;
    GameShortcuts shortcuts(applications.path(), kProgram, kFolder);
    const QString old = QStringLiteral("Old Name");
    const QString renamed = QStringLiteral("old name");

    // Without a shortcut, a rename creates none.
    shortcuts.rename(old, renamed, QStringLiteral("icon"));
    QVERIFY(QDir(applications.path()).isEmpty());

    shortcuts.create(old, QStringLiteral("icon"));
    shortcuts.rename(old, renamed, QStringLiteral("new-icon"));
    QVERIFY(!shortcuts.exists(old));
    QVERIFY(shortcuts.exists(renamed));
    const QHash<QString, QString> keys = desktopexec::readGroup(shortcuts.filePath(renamed));
    QCOMPARE(keys.value(QStringLiteral("Name")), renamed);
    QCOMPARE(keys.value(QStringLiteral("Icon")), QStringLiteral("new-icon"));
    QVERIFY(keys.value(QStringLiteral("Exec")).endsWith(QStringLiteral("\"--start=old name\"")));

    shortcuts.remove(renamed);
    QVERIFY(QDir(applications.path()).isEmpty());
    shortcuts.remove(renamed); // nothing left to remove is not an error
}

void TestGameShortcuts::namesThatDifferOnlyInCaseOrFolder() {
    QTemporaryDir applications;
    GameShortcuts here(applications.path(), kProgram, kFolder);
    GameShortcuts there(applications.path(), kProgram, QStringLiteral("/other/emulator/"));
    QSet<QString> paths{here.filePath(QStringLiteral("Game")), here.filePath(QStringLiteral("GAME")),
                        here.filePath(QStringLiteral("Gäme")), there.filePath(QStringLiteral("Game"))};
    QCOMPARE(paths.size(), 4);
}

void TestGameShortcuts::unwritableNames() {
    QTemporaryDir applications;
    GameShortcuts shortcuts(applications.path(), kProgram, kFolder);
    QVERIFY_THROWS_EXCEPTION(KorvelloError,
                             shortcuts.create(QStringLiteral("bell\x07"), QStringLiteral("i")));
    GameShortcuts withEquals(applications.path(), QStringLiteral("/opt/a=b/korvello"), kFolder);
    QVERIFY_THROWS_EXCEPTION(KorvelloError, withEquals.create(QStringLiteral("Game"), QStringLiteral("i")));
    QVERIFY(QDir(applications.path()).isEmpty());
}

// A file at a shortcut's name that Korvello did not write for that game (the
// user's own, or one of another game's name) is neither replaced nor removed.
void TestGameShortcuts::foreignFilesAreNeverReplacedNorRemoved_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("the user's own entry") << QByteArray("[Desktop Entry]\nType=Application\nName=Mine\n"
                                                        "Exec=/usr/bin/mine\n");
    QTest::newRow("Korvello's mark for another game")
        << QByteArray("[Desktop Entry]\nType=Application\nName=Other\nExec=x\nX-Korvello-Game=Other\n");
    QTest::newRow("the mark in another key") << QByteArray("[Desktop Entry]\nComment=X-Korvello-Game=Game\n");
}

void TestGameShortcuts::foreignFilesAreNeverReplacedNorRemoved() {
    QFETCH(QByteArray, text);
    QTemporaryDir applications;
    GameShortcuts shortcuts(applications.path(), kProgram, kFolder);
    const QString path = shortcuts.filePath(QStringLiteral("Game"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.close();

    QVERIFY(!shortcuts.exists(QStringLiteral("Game")));
    try {
        shortcuts.create(QStringLiteral("Game"), QStringLiteral("icon"));
        QFAIL("a foreign file was replaced");
    } catch (const KorvelloError& e) {
        QVERIFY2(e.text().contains(path), qPrintable(e.text()));
    }
    shortcuts.remove(QStringLiteral("Game"));
    shortcuts.rename(QStringLiteral("Game"), QStringLiteral("Renamed"), QStringLiteral("icon"));
    QCOMPARE(testsupport::readAll(path), text);
    QCOMPARE(QDir(applications.path()).entryList(QDir::Files).size(), 1);

    // Korvello's own shortcut carries its mark: replaced and removed as before.
    const QString own = shortcuts.filePath(QStringLiteral("Own"));
    shortcuts.create(QStringLiteral("Own"), QStringLiteral("icon"));
    QCOMPARE(desktopexec::readGroup(own).value(QStringLiteral("X-Korvello-Game")), QStringLiteral("Own"));
    QVERIFY(shortcuts.exists(QStringLiteral("Own")));
    shortcuts.remove(QStringLiteral("Own"));
    QVERIFY(!QFile::exists(own));
}

// A name whose stored bytes are not UTF-8 cannot be written into a desktop
// entry (UTF-8 text) unchanged: it is refused, and never shares a file name
// with another name.
void TestGameShortcuts::namesThatAreNotUtf8() {
    QTemporaryDir applications;
    GameShortcuts shortcuts(applications.path(), kProgram, kFolder);
    const QString ff = QStringLiteral("Bad") + QChar(0xDCFF); // the byte 0xFF as the store reads it
    const QString fe = QStringLiteral("Bad") + QChar(0xDCFE);
    const QString replacement = QStringLiteral("Bad\uFFFD");
    QCOMPARE(QSet<QString>({shortcuts.filePath(ff), shortcuts.filePath(fe), shortcuts.filePath(replacement)})
                 .size(),
             3);
    QVERIFY_THROWS_EXCEPTION(KorvelloError, shortcuts.create(ff, QStringLiteral("icon")));
    QVERIFY(QDir(applications.path()).isEmpty());
    shortcuts.create(replacement, QStringLiteral("icon"));
    QVERIFY(shortcuts.exists(replacement));
    QVERIFY(!shortcuts.exists(ff));
}

QTEST_GUILESS_MAIN(TestGameShortcuts)
#include "tst_gameshortcuts.moc"
