// The emulator's Flatpak build, as Flathub installs it, played by stand-ins on the test's
// own PATH and in its own Flatpak installation folder: an exported launcher that, as the
// real one does, runs "flatpak run net.pcsx2.PCSX2" with its arguments, and a "flatpak"
// command that records its arguments, answers "info" (and "--file-access" from a list of
// granted folders) and runs the stand-in emulator as its child, as bwrap holds the
// sandboxed emulator. The sandbox's home is the test's own.
#include "app/mainwindow.h"
#include "discfixture.h"
#include "editor/editorpage.h"
#include "editor/pathedit.h"
#include "emulatorrun.h"
#include "gamelist/gamelistview.h"
#include "launch/flatpakbuild.h"
#include "launch/playsessiontracker.h"
#include "launch/processidentity.h"
#include "store/columntable.h"
#include "store/gameprofile.h"
#include "store/playtimestore.h"
#include "store/profilestore.h"
#include "support/dialogrecorder.h"
#include "support/testfolder.h"
#include "support/windowparts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/resource.h>

namespace {

// A 2.x PCSX2.ini as the Flatpak's first run leaves it (SPU2/Output Backend is 2.x's).
const QByteArray kSettings = "[UI]\nSettingsVersion = 1\n\n[SPU2/Output]\nBackend = Cubeb\n\n"
                             "[EmuCore/GS]\nRenderer = 14\n";

// The stand-in flatpak: "info" answers for net.pcsx2.PCSX2 only; "--file-access=F" says
// read-only for a folder under one listed in $KORVELLO_TEST_GRANTED (one per line), hidden
// otherwise; every call is logged; "run" records its arguments and runs the emulator as its child, and waits.
const char* kFlatpak = R"sh(#!/bin/sh
printf '%s\n' "$@" > "$KORVELLO_TEST_HOME/flatpak.args"
echo "$*" >> "$KORVELLO_TEST_HOME/flatpak.log"
case "$1" in
info)
  shift
  case "$1" in
  --file-access=*)
    folder=${1#--file-access=}
    while IFS= read -r granted; do
      case "$folder/" in "$granted"/*) echo read-only; exit 0;; esac
    done < "$KORVELLO_TEST_GRANTED"
    echo hidden; exit 0;;
  esac
  [ "$1" = net.pcsx2.PCSX2 ] && exit 0
  echo "error: net.pcsx2.PCSX2/*unspecified*/*unspecified* not installed" >&2; exit 1;;
run)
  shift
  while [ "${1#--}" != "$1" ]; do shift; done
  [ "$1" = net.pcsx2.PCSX2 ] || exit 1
  shift
  "$KORVELLO_TEST_EMULATOR_PATH" "$@" &
  wait;;
esac
exit 1
)sh";

// The launcher Flatpak exports for the build, in the form flatpak writes it.
const char* kLauncher = R"sh(#!/bin/sh
printf '%s\n' "$@" > "$KORVELLO_TEST_HOME/launcher.args"
exec flatpak run --branch=stable --arch=x86_64 net.pcsx2.PCSX2 "$@"
)sh";

void writeExecutable(const QString& path, const char* text) {
    QDir().mkpath(QFileInfo(path).path());
    testsupport::writeAll(path, text);
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
}

QStringList lines(const QString& path) {
    QStringList all = QString::fromUtf8(testsupport::readAll(path)).split(u'\n');
    if (!all.isEmpty() && all.last().isEmpty())
        all.removeLast();
    return all;
}

} // namespace

class TestFlatpak : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void offeredWhereInstalled_data();
    void offeredWhereInstalled();
    void startWritesTheGamesFileAndEndsOnlyItsTree();
    void permissionNotice();
    void addFolderForTheFlatpak();
    void floodedAnswerIsNotKept();

private:
    // The library folder: no emulator of its own, as a Flatpak user's.
    std::unique_ptr<TestFolder> m_library;
    std::unique_ptr<QTemporaryDir> m_home;
    QString m_emulatorPath;
    QByteArray m_oldPath;
    QString home(const QString& path = {}) const { return m_home->filePath(path); }
    QString dataFolder() const { return home(QStringLiteral(".var/app/net.pcsx2.PCSX2/config/PCSX2")); }
    void installLauncher() const {
        writeExecutable(home(QStringLiteral("flatpak-user/exports/bin/net.pcsx2.PCSX2")), kLauncher);
    }
    void installFlatpakCommand() const { writeExecutable(home(QStringLiteral("bin/flatpak")), kFlatpak); }
    void grant(const QStringList& folders) const {
        testsupport::writeAll(home(QStringLiteral("granted")), folders.join(u'\n').toUtf8() + '\n');
    }
};

void TestFlatpak::init() {
    testsupport::removeProgramSettings();
    m_home = std::make_unique<QTemporaryDir>();
    m_library = std::make_unique<TestFolder>();
    // A Flatpak user's library holds no emulator folders, only the program's pictures.
    for (const char* folder : {"inis", "Plugins"})
        QDir(m_library->file(QLatin1String(folder))).removeRecursively();
    // The Flatpak installations, the sandbox's home and the commands are the test's own.
    qputenv("HOME", m_home->path().toUtf8());
    qputenv("FLATPAK_USER_DIR", home(QStringLiteral("flatpak-user")).toUtf8());
    qputenv("FLATPAK_SYSTEM_DIR", home(QStringLiteral("flatpak-system")).toUtf8());
    qputenv("KORVELLO_TEST_HOME", m_home->path().toUtf8());
    qputenv("KORVELLO_TEST_GRANTED", home(QStringLiteral("granted")).toUtf8());
    m_emulatorPath = emulatorrun::install(home(), emulatorrun::uniqueName(QStringLiteral("flatpak")));
    qputenv("KORVELLO_TEST_EMULATOR_PATH", m_emulatorPath.toUtf8());
    m_oldPath = qgetenv("PATH");
    qputenv("PATH", home(QStringLiteral("bin")).toUtf8() + ':' + m_oldPath);
    grant({});
    QDir().mkpath(dataFolder() + QStringLiteral("/inis"));
    testsupport::writeAll(dataFolder() + QStringLiteral("/inis/PCSX2.ini"), kSettings);
}

void TestFlatpak::cleanup() {
    qputenv("PATH", m_oldPath);
    for (const char* name : {"FLATPAK_USER_DIR", "FLATPAK_SYSTEM_DIR", "KORVELLO_TEST_GRANTED"})
        qunsetenv(name);
}

void TestFlatpak::offeredWhereInstalled_data() {
    QTest::addColumn<bool>("launcher");
    QTest::addColumn<bool>("command");
    QTest::addColumn<bool>("offered");
    QTest::newRow("exported launcher") << true << true << true;
    QTest::newRow("only flatpak info answers") << false << true << true;
    QTest::newRow("not installed") << false << false << false;
}

void TestFlatpak::offeredWhereInstalled() {
    QFETCH(bool, launcher);
    QFETCH(bool, command);
    QFETCH(bool, offered);
    if (launcher)
        installLauncher();
    if (command)
        installFlatpakCommand();
    DialogRecorder dialogs;
    MainWindow w(m_library->path());
    w.show();
    const QComboBox* list = parts(w).editorPage->cmbPCSX2ExeFile;
    QCOMPARE(list->findText(QStringLiteral("PCSX2 (Flatpak)")) >= 0, offered);
    if (!offered) {
        // A folder without an emulator, and none installed: the window says so.
        QCOMPARE(parts(w).pages->currentWidget(), parts(w).noEmulatorPage);
        return;
    }
    // The library's emulator is the Flatpak: its settings, the current builds' page.
    QVERIFY(parts(w).pages->currentWidget() != parts(w).noEmulatorPage);
    QVERIFY(parts(w).currentBuilds);
    QCOMPARE(QDir::cleanPath(parts(w).settingsFolder), dataFolder() + QStringLiteral("/inis"));
    // A new game takes it, and stores it as the Flatpak build.
    parts(w).commands->openNewProfile();
    parts(w).editorPage->txtGameName->setText(QStringLiteral("Sandboxed"));
    parts(w).editorPage->txtISOPath->setText(m_library->file(QStringLiteral("sandboxed.iso")));
    QCOMPARE(list->currentText(), QStringLiteral("PCSX2 (Flatpak)"));
    parts(w).editorPage->btnNewGame->click();
    QVERIFY2(dialogs.messageTexts().isEmpty(), qPrintable(dialogs.messageTexts().join(u'|')));
    const std::optional<GameProfile> stored = parts(w).store->load(QStringLiteral("Sandboxed"));
    QVERIFY(stored);
    QCOMPARE(stored->value(col::PCSX2ExeFile), QStringLiteral("flatpak:net.pcsx2.PCSX2"));
    // Shown again as it was chosen.
    parts(w).commands->showGameList();
    parts(w).editButton->click();
    QCOMPARE(list->currentText(), QStringLiteral("PCSX2 (Flatpak)"));
}

void TestFlatpak::startWritesTheGamesFileAndEndsOnlyItsTree() {
    if (discfixture::xorriso().isEmpty())
        QSKIP("xorriso is not installed (scripts/install-deps.sh --test installs it)");
    installLauncher();
    installFlatpakCommand();
    const discfixture::Disc disc = discfixture::makeIso(m_library->path(), QStringLiteral("game one.iso"));
    QVERIFY(!disc.path.isEmpty());
    grant({m_library->path().chopped(1)});
    {
        GameProfile p = emulatorrun::fixtureProfile();
        p.setValue(col::gamename, QStringLiteral("Game One"));
        p.setValue(col::PCSX2ExeFile, QLatin1String(flatpakbuild::kExecutable));
        p.setValue(col::PCSX2CMDKeys, QStringLiteral("--nogui"));
        p.setValue(col::PCSX2CurrentIso, disc.path);
        ProfileStore store;
        store.setDatabasePath(m_library->file(QStringLiteral("db.mdb")));
        store.add(p);
    }
    emulatorrun::Reaper reaper;
    // An emulator of the same file that Korvello did not start: never ended.
    const qint64 other = emulatorrun::startDirectly(m_emulatorPath);
    QVERIFY(other > 0);
    reaper.add(other);
    QFile::remove(m_emulatorPath + QStringLiteral(".record"));

    DialogRecorder dialogs;
    MainWindow w(m_library->path());
    w.show();
    QVERIFY(parts(w).gameGrid->count() == 1);
    parts(w).gameListPage->selectGame(0);
    parts(w).runDiscCheck->setChecked(true);
    parts(w).startButton->click();
    const std::optional<emulatorrun::Record> record = emulatorrun::waitForRecord(m_emulatorPath);
    QVERIFY(record);
    reaper.add(record->pid);
    QVERIFY2(dialogs.messageTexts().isEmpty(), qPrintable(dialogs.messageTexts().join(u'|')));

    // The launcher got the current builds' command line, the image after "--"; flatpak ran it.
    const QStringList arguments{QStringLiteral("-fullscreen"), QStringLiteral("-nogui"), QStringLiteral("--"),
                                disc.path};
    QCOMPARE(lines(home(QStringLiteral("launcher.args"))), arguments);
    QCOMPARE(lines(home(QStringLiteral("flatpak.args"))),
             (QStringList{QStringLiteral("run"), QStringLiteral("--branch=stable"),
                          QStringLiteral("--arch=x86_64"), QStringLiteral("net.pcsx2.PCSX2")} +
              arguments));
    QCOMPARE(record->arguments, arguments);
    // The game's own file in the Flatpak's settings; its PCSX2.ini untouched.
    const QString gameFile =
        dataFolder() +
        QStringLiteral("/gamesettings/%1_%2.ini")
            .arg(disc.serial, QStringLiteral("%1").arg(disc.crc, 8, 16, QLatin1Char('0')).toUpper());
    QVERIFY2(QFile::exists(gameFile), qPrintable(gameFile));
    QCOMPARE(testsupport::readAll(dataFolder() + QStringLiteral("/inis/PCSX2.ini")), kSettings);
    // Its play time is counted like any other start's.
    PlayTimeStore playTime;
    playTime.setDatabasePath(m_library->file(QStringLiteral("db.mdb")));
    QTRY_VERIFY(!playTime.openSessions().isEmpty());

    QCOMPARE(parts(w).playSessions->runningGames(), QStringList{QStringLiteral("Game One")});

    // The unload key ends the whole tree this Start created, and nothing else.
    parts(w).session->unloadEmulator(parts(w).unloadKeyId);
    QVERIFY(emulatorrun::waitForEnd(record->pid));
    QVERIFY(emulatorrun::isAlive(other));
    QTRY_VERIFY(playTime.openSessions().isEmpty());

    // --unload from another copy: nothing of that Start runs any more, and it says so.
    QProcess unload;
    unload.start(QStringLiteral(KORVELLO_BIN_DIR "/korvello"),
                 {QStringLiteral("--folder"), m_library->path(), QStringLiteral("--unload")});
    QVERIFY(unload.waitForFinished(30000));
    QCOMPARE(unload.exitCode(), 1);
    QVERIFY(emulatorrun::isAlive(other));

    // The command line starts it the same way, and --unload ends exactly that.
    QFile::remove(m_emulatorPath + QStringLiteral(".record"));
    QProcess start;
    start.start(QStringLiteral(KORVELLO_BIN_DIR "/korvello"),
                {QStringLiteral("--folder"), m_library->path(), QStringLiteral("--start"),
                 QStringLiteral("Game One")});
    QVERIFY(start.waitForFinished(30000));
    QCOMPARE(QString::fromUtf8(start.readAllStandardError()), QString());
    QCOMPARE(start.exitCode(), 0);
    const std::optional<emulatorrun::Record> again = emulatorrun::waitForRecord(m_emulatorPath);
    QVERIFY(again && again->pid != record->pid);
    reaper.add(again->pid);
    unload.start(QStringLiteral(KORVELLO_BIN_DIR "/korvello"),
                 {QStringLiteral("--folder"), m_library->path(), QStringLiteral("--unload")});
    QVERIFY(unload.waitForFinished(30000));
    QCOMPARE(QString::fromUtf8(unload.readAllStandardError()), QString());
    QCOMPARE(unload.exitCode(), 0);
    QVERIFY(emulatorrun::waitForEnd(again->pid));
    QVERIFY(emulatorrun::isAlive(other));
}

void TestFlatpak::permissionNotice() {
    if (discfixture::xorriso().isEmpty())
        QSKIP("xorriso is not installed (scripts/install-deps.sh --test installs it)");
    installLauncher();
    installFlatpakCommand();
    // Two folders of discs; the sandbox may read only the first.
    QDir().mkpath(m_library->file(QStringLiteral("granted discs")));
    QDir().mkpath(m_library->file(QStringLiteral("other discs")));
    const discfixture::Disc inside =
        discfixture::makeIso(m_library->file(QStringLiteral("granted discs")), QStringLiteral("in.iso"));
    const discfixture::Disc outside =
        discfixture::makeIso(m_library->file(QStringLiteral("other discs")), QStringLiteral("out.iso"));
    QVERIFY(!inside.path.isEmpty() && !outside.path.isEmpty());
    grant({m_library->file(QStringLiteral("granted discs"))});
    ProfileStore store;
    store.setDatabasePath(m_library->file(QStringLiteral("db.mdb")));
    // A link in the granted folder to the disc in the other: the sandbox opens the other folder.
    const QString linked = m_library->file(QStringLiteral("granted discs/linked.iso"));
    QVERIFY(QFile::link(outside.path, linked));
    for (const auto& [name, image] :
         {std::pair{QStringLiteral("Inside"), inside.path},
          std::pair{QStringLiteral("Outside"), outside.path}, std::pair{QStringLiteral("Linked"), linked}}) {
        GameProfile p = emulatorrun::fixtureProfile();
        p.setValue(col::gamename, name);
        p.setValue(col::PCSX2ExeFile, QLatin1String(flatpakbuild::kExecutable));
        p.setValue(col::PCSX2CMDKeys, QString());
        p.setValue(col::PCSX2CurrentIso, image);
        store.add(p);
    }
    emulatorrun::Reaper reaper;
    for (const QString& name :
         {QStringLiteral("Inside"), QStringLiteral("Outside"), QStringLiteral("Linked")}) {
        QFile::remove(m_emulatorPath + QStringLiteral(".record"));
        QProcess start;
        start.start(QStringLiteral(KORVELLO_BIN_DIR "/korvello"),
                    {QStringLiteral("--folder"), m_library->path(), QStringLiteral("--start"), name});
        QVERIFY(start.waitForFinished(30000));
        QCOMPARE(start.exitCode(), 0);
        const std::optional<emulatorrun::Record> record = emulatorrun::waitForRecord(m_emulatorPath);
        QVERIFY(record);
        reaper.add(record->pid);
        const QString err = QString::fromUtf8(start.readAllStandardError());
        if (name == u"Inside") {
            QCOMPARE(err, QString());
            continue;
        }
        // One line, naming the folder and the command that grants it, in quotes with nothing
        // stuck to it; nothing changed.
        const QString folder = m_library->file(QStringLiteral("other discs"));
        QCOMPARE(err.count(u'\n'), 1);
        QVERIFY2(err.contains(QStringLiteral("the folder %1,").arg(folder)), qPrintable(err));
        QVERIFY2(
            err.contains(
                QStringLiteral("\"flatpak override --user --filesystem='%1' net.pcsx2.PCSX2\"").arg(folder)),
            qPrintable(err));
        QVERIFY2(!err.contains(QStringLiteral("net.pcsx2.PCSX2.")), qPrintable(err));
        QVERIFY(!testsupport::readAll(home(QStringLiteral("flatpak.log"))).contains("override"));
    }
}

void TestFlatpak::addFolderForTheFlatpak() {
    if (discfixture::xorriso().isEmpty())
        QSKIP("xorriso is not installed (scripts/install-deps.sh --test installs it)");
    installLauncher();
    const QString discs = m_library->file(QStringLiteral("discs"));
    QDir().mkpath(discs);
    QVERIFY(!discfixture::makeIso(discs, QStringLiteral("Shelf Game.iso")).path.isEmpty());
    // A folder with neither an emulator nor a game database is the Flatpak's library.
    QProcess add;
    add.start(QStringLiteral(KORVELLO_BIN_DIR "/korvello"),
              {QStringLiteral("--folder"), m_library->path(), QStringLiteral("--add-folder"), discs});
    QVERIFY(add.waitForFinished(60000));
    QCOMPARE(QString::fromUtf8(add.readAllStandardError()), QString());
    QCOMPARE(add.exitCode(), 0);
    ProfileStore store;
    store.setDatabasePath(m_library->file(QStringLiteral("db.mdb")));
    const std::optional<GameProfile> added = store.load(QStringLiteral("Shelf Game"));
    QVERIFY(added);
    QCOMPARE(added->value(col::PCSX2ExeFile), QStringLiteral("flatpak:net.pcsx2.PCSX2"));

    // Without the Flatpak the same folder is refused: it holds no emulator.
    QFile::remove(home(QStringLiteral("flatpak-user/exports/bin/net.pcsx2.PCSX2")));
    QFile::remove(m_library->file(QStringLiteral("db.mdb")));
    add.start(QStringLiteral(KORVELLO_BIN_DIR "/korvello"),
              {QStringLiteral("--folder"), m_library->path(), QStringLiteral("--add-folder"), discs});
    QVERIFY(add.waitForFinished(60000));
    QVERIFY(add.exitCode() != 0);
    QVERIFY(QString::fromUtf8(add.readAllStandardError()).contains(QStringLiteral("holds no emulator")));
    QVERIFY(!QFile::exists(m_library->file(QStringLiteral("db.mdb"))));
}

// A flatpak command that answers without end: the answer is dropped at its
// limit, not read into memory until the time-out.
void TestFlatpak::floodedAnswerIsNotKept() {
    writeExecutable(home(QStringLiteral("bin/flatpak")), "#!/bin/sh\nexec yes read-only\n");
    rusage before{};
    ::getrusage(RUSAGE_SELF, &before);
    const std::optional<bool> answer =
        flatpakbuild::sandboxReads({QString(), home(QStringLiteral("bin/flatpak"))}, m_library->path());
    rusage after{};
    ::getrusage(RUSAGE_SELF, &after);
    QCOMPARE(answer, std::nullopt);
    const long grownKb = after.ru_maxrss - before.ru_maxrss;
    QVERIFY2(grownKb < 64 * 1024,
             qPrintable(QStringLiteral("the program grew by %1 MB").arg(grownKb / 1024)));
}

QTEST_MAIN(TestFlatpak)
#include "tst_flatpak.moc"
