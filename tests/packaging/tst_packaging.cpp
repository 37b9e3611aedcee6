// What the user runs: the build's portable folder holds the program, its
// pictures and its skins and nothing else (every executable there would be
// offered as an emulator), and the copy into an emulator folder brings every
// skin whole, with the pictures its sheet draws with.
#include <QDirIterator>
#include <QProcess>
#include <QtTest>

namespace {

const QString kPortable = QStringLiteral(KORVELLO_BIN_DIR);
const QString kSource = QStringLiteral(KORVELLO_SOURCE_DIR);

// Paths of the files below a folder, relative to it, sorted.
QStringList filesBelow(const QString& folder) {
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(QDir(folder).relativeFilePath(it.next()));
    files.sort();
    return files;
}

QByteArray bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Runs scripts/install-into.sh; returns its exit code, its output in *output.
int installInto(const QString& folder, QString* output) {
    QProcess script;
    script.setProcessChannelMode(QProcess::MergedChannels);
    script.start(QStringLiteral("bash"),
                 {kSource + QStringLiteral("/scripts/install-into.sh"), folder, kPortable});
    if (!script.waitForFinished(60000))
        return -1;
    *output = QString::fromLocal8Bit(script.readAll());
    return script.exitStatus() == QProcess::NormalExit ? script.exitCode() : -1;
}

} // namespace

class TestPackaging : public QObject {
    Q_OBJECT
private slots:
    void portableFolderHoldsOnlyTheProgram() {
        // What the program and the run script make there at run time may be present too.
        const QStringList allowed{"korvello", "Images", "Skins", "inis", "Plugins", "db.mdb"};
        const QStringList entries =
            QDir(kPortable).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        QVERIFY(entries.contains(QStringLiteral("korvello")));
        QStringList strangers;
        for (const QString& entry : entries)
            if (!allowed.contains(entry))
                strangers.append(entry);
        QVERIFY2(strangers.isEmpty(), qPrintable(strangers.join(u' ')));
        // The skins and pictures beside the program are the ones in the source tree.
        for (const QString& folder : {QStringLiteral("Skins"), QStringLiteral("Images")}) {
            const QStringList shipped = filesBelow(kSource + u'/' + folder);
            QVERIFY(!shipped.isEmpty());
            for (const QString& file : shipped)
                QVERIFY2(bytes(kPortable + u'/' + folder + u'/' + file) ==
                             bytes(kSource + u'/' + folder + u'/' + file),
                         qPrintable(folder + u'/' + file));
        }
    }

    void installCopiesSkinsWhole() {
        QTemporaryDir emulator;
        QVERIFY(emulator.isValid());
        // The user's own fallback picture is kept; everything else arrives.
        QVERIFY(QDir(emulator.path()).mkpath(QStringLiteral("Images")));
        QFile own(emulator.filePath(QStringLiteral("Images/big_unknown.jpg")));
        QVERIFY(own.open(QIODevice::WriteOnly));
        own.write("mine");
        own.close();

        QString output;
        QCOMPARE(installInto(emulator.path(), &output), 0);
        QVERIFY2(output.isEmpty(), qPrintable(output));

        const QStringList skins = filesBelow(kSource + QStringLiteral("/Skins"));
        QVERIFY(skins.filter(QStringLiteral(".png")).size() >= 2); // sheets draw with pictures
        QCOMPARE(filesBelow(emulator.filePath(QStringLiteral("Skins"))), skins);
        for (const QString& file : skins)
            QVERIFY2(bytes(emulator.filePath(QStringLiteral("Skins/") + file)) ==
                         bytes(kSource + QStringLiteral("/Skins/") + file),
                     qPrintable(file));
        QCOMPARE(bytes(emulator.filePath(QStringLiteral("Images/big_unknown.jpg"))), QByteArray("mine"));
        QCOMPARE(bytes(emulator.filePath(QStringLiteral("Images/thumb_unknown.jpg"))),
                 bytes(kSource + QStringLiteral("/Images/thumb_unknown.jpg")));
        const QFileInfo program(emulator.filePath(QStringLiteral("korvello")));
        QVERIFY(program.isExecutable());
        QCOMPARE(bytes(program.filePath()), bytes(kPortable + QStringLiteral("/korvello")));

        // Installing again (an update) over a copy that is running replaces it.
        QProcess running;
        running.setProgram(program.filePath());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        running.setProcessEnvironment(env);
        running.start();
        QVERIFY(running.waitForStarted());
        QCOMPARE(installInto(emulator.path(), &output), 0);
        QVERIFY2(output.isEmpty(), qPrintable(output));
        running.kill();
        running.waitForFinished();
        QCOMPARE(filesBelow(emulator.filePath(QStringLiteral("Skins"))), skins);
    }

    void installNeedsAnExistingFolder() {
        QTemporaryDir parent;
        QString output;
        QVERIFY(installInto(parent.filePath(QStringLiteral("missing")), &output) != 0);
        QVERIFY2(!output.isEmpty(), "a missing folder is reported");
        QVERIFY(!QFile::exists(parent.filePath(QStringLiteral("missing"))));
    }
};

QTEST_MAIN(TestPackaging)
#include "tst_packaging.moc"
