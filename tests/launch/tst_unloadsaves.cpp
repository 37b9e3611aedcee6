// Every way Korvello ends an emulator first asks it to quit (SIGTERM) and gives
// it time to write what it holds, as the emulator writes its memory cards on the
// way out; only an emulator that does not end in time is ended by force, and
// that is said. The stand-in emulator saves "<its path>.card" (128 KiB through
// buffered stdio) some time after the request, or ignores it.
#include "app/commandline.h"
#include "app/mainwindow.h"
#include "app/programsettings.h"
#include "emulatorrun.h"
#include "store/columntable.h"
#include "store/gameprofile.h"
#include "store/profilestore.h"
#include "support/dialogrecorder.h"
#include "support/testfolder.h"
#include "support/windowparts.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QtTest>

namespace {

const QString kGame = QStringLiteral("Memory Card Test");
const QString kOther = QStringLiteral("Other Card Test");
constexpr qint64 kCardSize = 128 * 1024;

// A plug-in era folder with two stand-in emulators and a game for each.
struct CardFolder {
    TestFolder folder;
    QString exeName = emulatorrun::uniqueName(QStringLiteral("card"));
    QString otherName = emulatorrun::uniqueName(QStringLiteral("othercard"));
    QString exePath;
    QString otherPath;

    explicit CardFolder(const QString& keys) {
        exePath = emulatorrun::install(folder.path(), exeName);
        otherPath = emulatorrun::install(folder.path(), otherName);
        ProfileStore store;
        store.setDatabasePath(folder.file(QStringLiteral("db.mdb")));
        GameProfile p = emulatorrun::fixtureProfile();
        p.setValue(col::gamename, kGame);
        p.setValue(col::PCSX2ExeFile, exeName);
        p.setValue(col::PCSX2CMDKeys, keys);
        store.add(p);
        p.setValue(col::gamename, kOther);
        p.setValue(col::PCSX2ExeFile, otherName);
        p.setValue(col::PCSX2CMDKeys, QString());
        store.add(p);
    }
    QString card() const { return exePath + QStringLiteral(".card"); }
};

// Start on the game in the window; the emulator's record, its process left to the reaper.
std::optional<emulatorrun::Record> startAndRecord(MainWindow& w, const QString& name, const QString& exePath,
                                                  emulatorrun::Reaper& reaper) {
    QFile::remove(exePath + QStringLiteral(".record"));
    parts(w).gameListPage->selectGameNamed(name);
    if (parts(w).currentGame != name)
        return std::nullopt;
    parts(w).startButton->click();
    std::optional<emulatorrun::Record> record = emulatorrun::waitForRecord(exePath);
    if (record)
        reaper.add(record->pid);
    return record;
}

} // namespace

class TestUnloadSaves : public QObject {
    Q_OBJECT
private slots:
    void init() {
        testsupport::removeProgramSettings();
        // No disc image: the game starts without one.
        ProgramSettings().writeInt(QStringLiteral("Run"), 0);
    }
    void everyWayOfEndingLetsTheEmulatorSave_data();
    void everyWayOfEndingLetsTheEmulatorSave();
    void emulatorThatDoesNotQuitIsEndedAfterTheWait();
};

void TestUnloadSaves::everyWayOfEndingLetsTheEmulatorSave_data() {
    QTest::addColumn<QString>("way");
    QTest::newRow("unload key") << "key";
    QTest::newRow("korvello --unload") << "command line";
    QTest::newRow("Start of the same game again") << "restart";
    QTest::newRow("another game, after the question") << "question";
}

void TestUnloadSaves::everyWayOfEndingLetsTheEmulatorSave() {
    QFETCH(QString, way);
    DialogRecorder dialogs;
    emulatorrun::Reaper reaper;
    // Saved 700 ms after the request: long after a SIGKILL would have ended it.
    CardFolder f(QStringLiteral("--on-term-save=700"));
    MainWindow w(f.folder.path());
    w.show();
    const std::optional<emulatorrun::Record> first = startAndRecord(w, kGame, f.exePath, reaper);
    QVERIFY(first);

    if (way == QLatin1String("key")) {
        parts(w).session->unloadEmulator(parts(w).unloadKeyId);
        // The window goes on while the emulator saves, and says what it waits for.
        QCOMPARE(parts(w).unloadKeyLabel->text(), QStringLiteral("Closing PCSX2\u2026"));
        QVERIFY(parts(w).session->isClosing());
        QTRY_VERIFY_WITH_TIMEOUT(!parts(w).session->isClosing(), 5000);
        QVERIFY(parts(w).unloadKeyLabel->text().startsWith(QStringLiteral("Press ")));
    } else if (way == QLatin1String("command line")) {
        QProcess unload;
        unload.start(QStringLiteral(KORVELLO_BIN_DIR "/korvello"), {QStringLiteral("--unload")});
        QVERIFY(unload.waitForFinished(20000));
        QCOMPARE(unload.exitCode(), 0);
        QCOMPARE(unload.readAllStandardOutput(), QByteArray());
    } else if (way == QLatin1String("restart")) {
        QVERIFY(startAndRecord(w, kGame, f.exePath, reaper));
    } else {
        dialogs.buttonAnswers.enqueue(QMessageBox::Yes);
        QVERIFY(startAndRecord(w, kOther, f.otherPath, reaper));
        QCOMPARE(dialogs.messageTexts(),
                 QStringList{QStringLiteral("End %1 and start %2?").arg(kGame, kOther)});
    }
    QVERIFY(emulatorrun::waitForEnd(first->pid));
    // The card is whole: the emulator ended by itself once it had written it.
    QCOMPARE(QFileInfo(f.card()).size(), kCardSize);
    QVERIFY2(!dialogs.messageTexts().join(u'\n').contains(QStringLiteral("did not close")),
             qPrintable(dialogs.messageTexts().join(u'\n')));
}

void TestUnloadSaves::emulatorThatDoesNotQuitIsEndedAfterTheWait() {
    DialogRecorder dialogs;
    emulatorrun::Reaper reaper;
    CardFolder f(QStringLiteral("--ignore-term"));
    MainWindow w(f.folder.path());
    w.show();
    const std::optional<emulatorrun::Record> first = startAndRecord(w, kGame, f.exePath, reaper);
    QVERIFY(first);

    QElapsedTimer clock;
    clock.start();
    parts(w).session->unloadEmulator(parts(w).unloadKeyId);
    QTRY_VERIFY_WITH_TIMEOUT(!parts(w).session->isClosing(), 15000);
    // Given its time, then ended; the window says so in one line.
    QVERIFY(clock.elapsed() >= 9500);
    QVERIFY(emulatorrun::waitForEnd(first->pid));
    QCOMPARE(parts(w).unloadKeyLabel->text(),
             QStringLiteral("PCSX2 did not close within 10 seconds and was ended"));
    QVERIFY(!QFile::exists(f.card()));
}

QTEST_MAIN(TestUnloadSaves)
#include "tst_unloadsaves.moc"
