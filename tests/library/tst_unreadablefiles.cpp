// Every reader of a file that lies in the emulator's or the user's folders,
// given something that is not a file in its place: a FIFO (opening it would
// wait for a writer forever), a link to /dev/zero (reading it never ends), a
// folder, and a regular file far larger than any such file. Each answers at
// once with nothing or an error; none blocks, none reads without end.
#include "core/boundedread.h"
#include "core/korvelloerror.h"
#include "disc/cuesheet.h"
#include "disc/discidentity.h"
#include "disc/gameindex.h"
#include "ini/inidocument.h"
#include "ini/inivalues.h"
#include "ini/settingsfile.h"
#include "library/folderscan.h"
#include "support/testfolder.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <functional>
#include <sys/stat.h>

class TestUnreadableFiles : public QObject {
    Q_OBJECT
private slots:
    void boundedRead_data();
    void boundedRead();
    void readersAnswerAtOnce_data();
    void readersAnswerAtOnce();
};

namespace {

// Puts a thing of the given kind at `path`.
bool make(const QString& path, const QString& kind) {
    const QByteArray name = QFile::encodeName(path);
    if (kind == QLatin1String("fifo"))
        return ::mkfifo(name.constData(), 0600) == 0;
    if (kind == QLatin1String("zero link"))
        return QFile::link(QStringLiteral("/dev/zero"), path);
    if (kind == QLatin1String("folder"))
        return QDir().mkpath(path);
    if (kind == QLatin1String("huge")) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.resize(qint64(5) << 20); // sparse, 5 MiB
    }
    return false;
}

} // namespace

void TestUnreadableFiles::boundedRead_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("error");
    QTest::newRow("fifo") << "fifo"
                          << "it is not a regular file";
    QTest::newRow("link to /dev/zero") << "zero link"
                                       << "it is not a regular file";
    QTest::newRow("folder") << "folder"
                            << "it is not a regular file";
    QTest::newRow("larger than the limit") << "huge"
                                           << "it is larger than 4 MiB";
    QTest::newRow("missing") << "missing"
                             << "";
}

void TestUnreadableFiles::boundedRead() {
    QFETCH(QString, kind);
    QFETCH(QString, error);
    TestFolder folder;
    const QString path = folder.file(QStringLiteral("PCSX2.ini"));
    if (kind != QLatin1String("missing"))
        QVERIFY(make(path, kind));
    const BoundedRead read = BoundedRead::read(path, qint64(4) << 20);
    QVERIFY(!read.bytes);
    QCOMPARE(read.error, error);
    QCOMPARE(read.missing(), kind == QLatin1String("missing"));

    // A link to a regular file is read through, and a file of exactly the limit is whole.
    testsupport::writeAll(folder.file(QStringLiteral("real.ini")), "[UI]\nA=1\n");
    QVERIFY(QFile::link(folder.file(QStringLiteral("real.ini")), folder.file(QStringLiteral("link.ini"))));
    QCOMPARE(BoundedRead::read(folder.file(QStringLiteral("link.ini")), 9).bytes.value_or("-"),
             "[UI]\nA=1\n");
    QVERIFY(!BoundedRead::read(folder.file(QStringLiteral("link.ini")), 8).bytes);
}

void TestUnreadableFiles::readersAnswerAtOnce_data() {
    QTest::addColumn<QString>("kind");
    for (const char* kind : {"fifo", "zero link", "folder", "huge"})
        QTest::newRow(kind) << QString::fromLatin1(kind);
}

void TestUnreadableFiles::readersAnswerAtOnce() {
    QFETCH(QString, kind);
    TestFolder folder;
    const QString ini = folder.file(QStringLiteral("inis/PCSX2.ini"));
    const QString cue = folder.file(QStringLiteral("Game.cue"));
    const QString index = folder.file(QStringLiteral("resources/GameIndex.yaml"));
    QVERIFY(QDir().mkpath(folder.file(QStringLiteral("inis"))));
    QVERIFY(QDir().mkpath(folder.file(QStringLiteral("resources"))));
    for (const QString& path : {ini, cue, index})
        QVERIFY(make(path, kind));

    // The settings readers: nothing read, and nothing written over it.
    QCOMPARE(IniValues::fromFile(ini).value(QStringLiteral("UI"), QStringLiteral("A")), std::nullopt);
    QVERIFY(!readSettingsFile(ini));
    IniDocument doc = IniDocument::open(ini);
    try {
        doc.replaceKeyLine(QStringLiteral("A"), QStringLiteral("1"));
        QFAIL("a write went to what is not a settings file");
    } catch (const KorvelloError& e) {
        QVERIFY2(e.text().contains(QStringLiteral("Cannot open file")), qPrintable(e.text()));
    }
    // Disc images with their cue sheets, at an addition and at Start.
    QCOMPARE(FolderScan::cueTracks(cue), QStringList());
    QVERIFY_THROWS_EXCEPTION(KorvelloError, disc::CueDataTrack::read(cue));
    QVERIFY_THROWS_EXCEPTION(KorvelloError, disc::identify(cue));
    if (kind != QLatin1String("huge")) // a large database is one the emulator may have
        QVERIFY_THROWS_EXCEPTION(KorvelloError, GameIndex::load(index));
}

QTEST_GUILESS_MAIN(TestUnreadableFiles)
#include "tst_unreadablefiles.moc"
