// The command line under real conditions, through the real executable. Several
// `korvello --start` at once for one emulator folder (a desktop shortcut
// clicked twice is enough): one Start at a time, so at most one emulator of the
// folder runs afterwards and its four settings files hold the settings of the
// game it runs, never a mix of two games. Names carried byte for byte; --folder
// only for a folder Korvello can work in, remembered once its command worked;
// database errors that name the file; a game started without a window timed.
#include "launch/emulatorrun.h"
#include "store/columntable.h"
#include "store/gameprofile.h"
#include "store/playtimestore.h"
#include "store/profilestore.h"
#include "support/testfolder.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <csignal>
#include <sys/stat.h>

namespace {

const QStringList kIniFiles = {QStringLiteral("GSdx.ini"), QStringLiteral("PCSX2_ui.ini"),
                               QStringLiteral("PCSX2_vm.ini"), QStringLiteral("SPU2-X.ini")};
// One key of each file, set to a value of each game's own.
struct GameKey {
    QString file;
    QString key;
    int column;
    int base;
};
const QList<GameKey> kGameKeys = {
    {QStringLiteral("GSdx.ini"), QStringLiteral("resx"), col::GSDXresx, 1000},
    {QStringLiteral("PCSX2_ui.ini"), QStringLiteral("Zoom"), col::PCSX2Zoom, 100},
    {QStringLiteral("PCSX2_vm.ini"), QStringLiteral("FramerateNTSC"), col::PCSX2FramerateNTSC, 50},
    {QStringLiteral("SPU2-X.ini"), QStringLiteral("Latency"), col::SPU2Latency, 200}};
constexpr int kGames = 3;
constexpr int kStarts = 10;

QString iniText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    QStringDecoder decoder(QStringConverter::encodingForData(bytes).value_or(QStringConverter::Utf8));
    return decoder(bytes);
}

// The value of `key` in the file, -1 when there is none.
int iniValue(const QString& path, const QString& key) {
    const QRegularExpression line(QStringLiteral("^%1=(\\d+)\\r?$").arg(key),
                                  QRegularExpression::MultilineOption);
    const QRegularExpressionMatch m = line.match(iniText(path));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

// A user of their own (settings and data folders no other test shares), and an
// emulator folder with a copy of the program, the stand-in emulator and one game.
struct Setup {
    QTemporaryDir home;
    TestFolder folder;
    QString program = folder.file(QStringLiteral("korvello"));
    QString exeName = emulatorrun::uniqueName(QStringLiteral("faults"));
    QString exePath = emulatorrun::install(folder.path(), exeName);
    QString db = folder.file(QStringLiteral("db.mdb"));
    QString disc = folder.file(QStringLiteral("disc.iso"));

    QList<qint64> m_started;

    // The emulators a test started end first, and the processes that time
    // them close their sessions, before the folders are removed.
    ~Setup() {
        for (const qint64 pid : std::as_const(m_started))
            ::kill(pid_t(pid), SIGKILL);
        for (const qint64 pid : std::as_const(m_started))
            emulatorrun::waitForEnd(pid);
        if (!m_started.isEmpty() && QFileInfo(db).isFile()) {
            PlayTimeStore playTime;
            playTime.setDatabasePath(db);
            QDeadlineTimer deadline(5000);
            try {
                while (!playTime.openSessions().isEmpty() && !deadline.hasExpired())
                    QThread::msleep(50);
            } catch (const std::exception&) {
            }
        }
    }
    void started(qint64 pid) { m_started.append(pid); }

    Setup() {
        QFile::copy(QStringLiteral(KORVELLO_BIN_DIR "/korvello"), program);
        QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner);
        for (const QString& name : kIniFiles) {
            const QString ini = folder.file(QStringLiteral("inis/") + name);
            QFile::copy(testsupport::dataPath(QStringLiteral("launch/start/") + name), ini);
            QFile::setPermissions(ini, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        }
        // The user's own files were kept at an earlier Start: these Starts print
        // only what they are about, not the one-time backup notice.
        QDir().mkpath(folder.file(QStringLiteral("inis/Korvello backup")));
        // The disc image every game names: Start passes it to the emulator.
        QFile image(disc);
        if (image.open(QIODevice::WriteOnly))
            image.close();
    }
    void add(const QString& name, const QString& keys) const {
        GameProfile p = emulatorrun::fixtureProfile();
        p.setValue(col::gamename, name);
        p.setValue(col::PCSX2ExeFile, exeName);
        p.setValue(col::PCSX2CMDKeys, keys);
        p.setValue(col::PCSX2CurrentIso, disc);
        ProfileStore store;
        store.setDatabasePath(db);
        store.add(p);
    }
    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        return env;
    }
    QString rememberedFolder() const {
        const QString folder =
            QSettings(home.filePath(QStringLiteral("config/Korvello.ini")), QSettings::IniFormat)
                .value(QStringLiteral("Folder"))
                .toString();
        return folder.isEmpty() ? folder : QDir::cleanPath(folder);
    }
    // Runs `program` with the arguments; through bash when they hold bytes
    // that are not UTF-8 (QProcess would pass them as text).
    Run run(const QString& prog, const QStringList& arguments, const QByteArray& rawLast = {}) const {
        QProcess p;
        p.setProcessEnvironment(environment());
        if (rawLast.isEmpty()) {
            p.start(prog, arguments);
        } else {
            p.setProgram(QStringLiteral("bash"));
            QStringList bashArguments{QStringLiteral("-c"),
                                      QStringLiteral(R"sh(exec "$@" "$(printf "$RAW")")sh"),
                                      QStringLiteral("run"), prog};
            QProcessEnvironment env = environment();
            QString escaped;
            for (const char c : rawLast)
                escaped += QStringLiteral("\\x%1").arg(uchar(c), 2, 16, QLatin1Char('0'));
            env.insert(QStringLiteral("RAW"), escaped);
            p.setProcessEnvironment(env);
            p.setArguments(bashArguments + arguments);
            p.start();
        }
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

} // namespace

class TestStartFaults : public QObject {
    Q_OBJECT
private slots:
    void concurrentStartsRunOneEmulatorWithOneGamesSettings();
    void namesAreCarriedByteForByte();
    void folderMustHoldAnEmulatorOrDatabase();
    void databaseErrorsNameTheFile_data();
    void databaseErrorsNameTheFile();
    void gameStartedWithoutWindowIsTimed();
};

void TestStartFaults::concurrentStartsRunOneEmulatorWithOneGamesSettings() {
    TestFolder folder;
    QTemporaryDir home;
    const QString program = folder.file(QStringLiteral("korvello"));
    QVERIFY(QFile::copy(QStringLiteral(KORVELLO_BIN_DIR "/korvello"), program));
    QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner);
    const QString exeName = emulatorrun::uniqueName(QStringLiteral("twice"));
    const QString exePath = emulatorrun::install(folder.path(), exeName);
    for (const QString& name : kIniFiles) {
        const QString ini = folder.file(QStringLiteral("inis/") + name);
        QVERIFY(QFile::copy(testsupport::dataPath(QStringLiteral("launch/start/") + name), ini));
        QFile::setPermissions(ini, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    // The disc image the games name: Start passes it to the emulator.
    const QString disc = folder.file(QStringLiteral("disc.iso"));
    QFile image(disc);
    QVERIFY(image.open(QIODevice::WriteOnly));
    image.close();
    ProfileStore store;
    store.setDatabasePath(folder.file(QStringLiteral("db.mdb")));
    for (int g = 0; g < kGames; ++g) {
        GameProfile p = emulatorrun::fixtureProfile();
        p.setValue(col::gamename, QStringLiteral("Game %1").arg(g));
        p.setValue(col::PCSX2CurrentIso, disc);
        p.setValue(col::PCSX2ExeFile, exeName);
        p.setValue(col::PCSX2CMDKeys, QStringLiteral("--game=%1").arg(g));
        for (const GameKey& k : kGameKeys)
            p.setValue(k.column, QString::number(k.base + g));
        store.add(p);
    }

    // The Starts run in a process namespace of their own where the system
    // allows it: the emulators they leave end with it. Otherwise they are plain
    // children, and the emulators are ended by their process ids.
    const bool ownNamespace =
        QProcess::execute(QStringLiteral("unshare"), {QStringLiteral("-pf"), QStringLiteral("--mount-proc"),
                                                      QStringLiteral("true")}) == 0;
    const QString script = QStringLiteral(R"sh(
exe=$1; prog=$2; out=$3; shift 3
i=0
for game in "$@"; do
  ( "$prog" --start "$game" 2>"$out/err$i"; echo $? >"$out/rc$i" ) &
  i=$((i+1))
done
wait
sleep 0.5
for p in /proc/[0-9]*; do
  if [ "$(readlink "$p/exe" 2>/dev/null)" = "$exe" ]; then
    echo "${p#/proc/} $(tr '\0' ' ' <"$p/cmdline")"
  fi
done
)sh");
    for (int round = 0; round < 3; ++round) {
        QTemporaryDir out;
        QStringList arguments{
            QStringLiteral("-c"), script, QStringLiteral("starts"), exePath, program, out.path()};
        for (int i = 0; i < kStarts; ++i)
            arguments.append(QStringLiteral("Game %1").arg(i % kGames));
        QProcess starts;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        starts.setProcessEnvironment(env);
        if (ownNamespace)
            starts.start(
                QStringLiteral("unshare"),
                QStringList{QStringLiteral("-pf"), QStringLiteral("--mount-proc"), QStringLiteral("bash")} +
                    arguments);
        else
            starts.start(QStringLiteral("bash"), arguments);
        QVERIFY(starts.waitForFinished(120000));
        const QStringList running =
            QString::fromUtf8(starts.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        emulatorrun::Reaper reaper;
        if (!ownNamespace)
            for (const QString& line : running)
                reaper.add(line.section(u' ', 0, 0).toLongLong());

        // Every Start either started its game or said that another was under way.
        int started = 0;
        for (int i = 0; i < kStarts; ++i) {
            const QString rc =
                QString::fromUtf8(testsupport::readAll(out.filePath(QStringLiteral("rc%1").arg(i))));
            const QString err =
                QString::fromUtf8(testsupport::readAll(out.filePath(QStringLiteral("err%1").arg(i))));
            if (rc.trimmed() == QLatin1String("0"))
                ++started;
            else
                QVERIFY2(err.contains(QStringLiteral("Another Start")), qPrintable(rc + err));
        }
        QVERIFY(started >= 1);
        QVERIFY2(running.size() == 1, qPrintable(QStringLiteral("round %1: %2 emulators running:\n%3")
                                                     .arg(round)
                                                     .arg(running.size())
                                                     .arg(running.join(u'\n'))));
        const QRegularExpressionMatch game =
            QRegularExpression(QStringLiteral("--game=(\\d)")).match(running.first());
        QVERIFY(game.hasMatch());
        const int g = game.captured(1).toInt();
        for (const GameKey& k : kGameKeys)
            QVERIFY2(iniValue(folder.file(QStringLiteral("inis/") + k.file), k.key) == k.base + g,
                     qPrintable(QStringLiteral("round %1: %2 does not hold game %3's %4")
                                    .arg(round)
                                    .arg(k.file)
                                    .arg(g)
                                    .arg(k.key)));
    }
}

// "Bad\xFF" as stored starts its own row, not the row "Bad\uFFFD" that a
// lossy decoding of the argument would name.
void TestStartFaults::namesAreCarriedByteForByte() {
    Setup s;
    s.add(QStringLiteral("Bad") + QChar(0xDCFF), QStringLiteral("--row=ff"));
    s.add(QStringLiteral("Bad\uFFFD"), QStringLiteral("--row=replacement"));
    const struct {
        QByteArray bytes;
        QString row;
    } cases[] = {{QByteArray("Bad\xFF"), QStringLiteral("--row=ff")},
                 {QByteArray("Bad\xEF\xBF\xBD"), QStringLiteral("--row=replacement")}};
    for (const auto& c : cases) {
        QFile::remove(s.exePath + QStringLiteral(".record"));
        const Run r = s.run(
            s.program, {QStringLiteral("--folder"), s.folder.path(), QStringLiteral("--start")}, c.bytes);
        QCOMPARE(r.err, QString());
        QCOMPARE(r.exitCode, 0);
        const std::optional<emulatorrun::Record> record = emulatorrun::waitForRecord(s.exePath);
        QVERIFY(record);
        s.started(record->pid);
        QCOMPARE(record->arguments, (QStringList{s.disc, c.row}));
    }
}

// A folder that holds neither an emulator nor db.mdb is refused before
// anything is made in it; a command that fails leaves the remembered folder.
void TestStartFaults::folderMustHoldAnEmulatorOrDatabase() {
    Setup s;
    s.add(QStringLiteral("Game"), {});
    QTemporaryDir empty;
    for (const QString& command : {QStringLiteral("--list"), QStringLiteral("--start=Game")}) {
        const Run r = s.run(s.program, {QStringLiteral("--folder"), empty.path(), command});
        QCOMPARE(r.exitCode, 2);
        QCOMPARE(r.err, QStringLiteral("korvello: The folder %1 holds no emulator and no game database "
                                       "(db.mdb); give the emulator's folder.\n")
                            .arg(empty.path()));
        QVERIFY(QDir(empty.path()).isEmpty());
        QCOMPARE(s.rememberedFolder(), QString());
    }
    // An emulator folder without db.mdb lists nothing and gets none.
    QTemporaryDir emulator;
    emulatorrun::install(emulator.path() + u'/', QStringLiteral("pcsx2"));
    Run r = s.run(s.program, {QStringLiteral("--folder"), emulator.path(), QStringLiteral("--list")});
    QCOMPARE(r.err, QString());
    QCOMPARE(r.exitCode, 0);
    QVERIFY(!QFileInfo::exists(emulator.filePath(QStringLiteral("db.mdb"))));
    QCOMPARE(s.rememberedFolder(), QDir::cleanPath(emulator.path()));

    // A Start that fails keeps the folder remembered before.
    r = s.run(s.program,
              {QStringLiteral("--folder"), s.folder.path(), QStringLiteral("--start=No Such Game")});
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(s.rememberedFolder(), QDir::cleanPath(emulator.path()));
    r = s.run(s.program, {QStringLiteral("--folder"), s.folder.path(), QStringLiteral("--list")});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(s.rememberedFolder(), QDir::cleanPath(s.folder.path()));
}

void TestStartFaults::databaseErrorsNameTheFile_data() {
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message"); // %1: the file
    QTest::newRow("not a database, list")
        << "garbage"
        << "--list" << 1 << "korvello: Cannot list the games of %1: file is not a database.\n";
    QTest::newRow("not a database, start")
        << "garbage"
        << "--start=Game" << 1
        << "korvello: Cannot read the game \"Game\" from %1: file is not a database.\n";
    QTest::newRow("named pipe, list")
        << "fifo"
        << "--list" << 1 << "korvello: The game database %1 is not a regular file.\n";
    QTest::newRow("named pipe, start")
        << "fifo"
        << "--start=Game" << 1 << "korvello: The game database %1 is not a regular file.\n";
    QTest::newRow("play time not recordable")
        << "sessions"
        << "--start=Game" << 0 << "korvello: Game started, but its play time cannot be recorded in %1: ";
}

void TestStartFaults::databaseErrorsNameTheFile() {
    QFETCH(QString, damage);
    QFETCH(QString, command);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    Setup s;
    s.add(QStringLiteral("Game"), {});
    if (damage == QLatin1String("garbage")) {
        testsupport::writeAll(s.db, QByteArray(4096, 'x'));
    } else if (damage == QLatin1String("fifo")) {
        QVERIFY(QFile::remove(s.db));
        QVERIFY(::mkfifo(QFile::encodeName(s.db).constData(), 0600) == 0);
    } else {
        // The sessions table of another program's making: no session can be written.
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("damage"));
        db.setDatabaseName(s.db);
        QVERIFY(db.open());
        QVERIFY(QSqlQuery(db).exec(QStringLiteral("CREATE TABLE %1 (x)").arg(PlayTimeStore::tableName())));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("damage"));
    const Run r = s.run(s.program, {QStringLiteral("--folder"), s.folder.path(), command});
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(r.err.startsWith(message.arg(s.db)), qPrintable(r.err));
    QCOMPARE(r.out, QString());
    if (exitCode == 0) {
        const std::optional<emulatorrun::Record> record = emulatorrun::waitForRecord(s.exePath);
        QVERIFY(record);
        s.started(record->pid);
    }
}

// `--start` with no window running: the game's session is still closed when
// the emulator ends, with the length it ran.
void TestStartFaults::gameStartedWithoutWindowIsTimed() {
    Setup s;
    s.add(QStringLiteral("Game"), QStringLiteral("--exit-after=11"));
    const Run r =
        s.run(s.program, {QStringLiteral("--folder"), s.folder.path(), QStringLiteral("--start=Game")});
    QCOMPARE(r.err, QString());
    QCOMPARE(r.exitCode, 0);
    const std::optional<emulatorrun::Record> record = emulatorrun::waitForRecord(s.exePath);
    QVERIFY(record);
    s.started(record->pid);
    PlayTimeStore playTime;
    playTime.setDatabasePath(s.db);
    QVERIFY(emulatorrun::waitForEnd(record->pid, 20'000));
    QTRY_VERIFY_WITH_TIMEOUT(playTime.openSessions().isEmpty(), 5000);
    const QList<PlaySession> sessions = playTime.sessions(QStringLiteral("Game"));
    QCOMPARE(sessions.size(), 1);
    const qint64 length = sessions.first().ended - sessions.first().started;
    QVERIFY2(length >= 11'000 && length < 16'000, qPrintable(QString::number(length)));
    QCOMPARE(playTime.stats().value(QStringLiteral("Game")).seconds, length / 1000);
}

QTEST_GUILESS_MAIN(TestStartFaults)
#include "tst_startfaults.moc"
