#include "core/korvelloerror.h"
#include "disc/discidentity.h"
#include "disc/systemcnf.h"
#include "support/discimages.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>
#include <lz4.h>
#include <sys/stat.h>

using namespace discimages;

namespace {

const QByteArray SystemCnf = "BOOT2 = cdrom0:\\SLUS_209.46;1\r\nVER = 1.00\r\nVMODE = NTSC\r\n";
// Not a multiple of four: the last three bytes are outside the CRC.
constexpr int BootSize = 300003;

// The CSO or ZSO `cso` (2 KiB frames, index alignment 0) laid out again with its first
// `frames` frames, frame `changed` holding `payload` (stored, not packed, when `stored`):
// a frame no compressor writes, in an otherwise good image.
QByteArray withFrame(const QByteArray& cso, quint32 frames, quint32 changed, const QByteArray& payload,
                     bool stored) {
    constexpr qsizetype Header = 24;
    const auto entry = [&](quint32 frame) {
        return qFromLittleEndian<quint32>(cso.constData() + Header + qsizetype(frame) * 4);
    };
    QByteArray out = cso.left(Header);
    qToLittleEndian(quint64(frames) * 2048, out.data() + 8);
    out.resize(Header + qsizetype(frames + 1) * 4);
    for (quint32 frame = 0; frame < frames; ++frame) {
        const quint32 at = entry(frame) & 0x7FFFFFFFu;
        QByteArray data = cso.mid(at, qsizetype((entry(frame + 1) & 0x7FFFFFFFu) - at));
        quint32 flag = entry(frame) & 0x80000000u;
        if (frame == changed) {
            data = payload;
            flag = stored ? 0x80000000u : 0;
        }
        qToLittleEndian(quint32(out.size()) | flag, out.data() + Header + qsizetype(frame) * 4);
        out += data;
    }
    qToLittleEndian(quint32(out.size()), out.data() + Header + qsizetype(frames) * 4);
    return out;
}

} // namespace

class TestDiscIdentity : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void identifiesEveryFormat_data();
    void identifiesEveryFormat();
    void bootFileInAFolder();
    void chdThroughTheGameList();
    void refusesHostileImages_data();
    void refusesHostileImages();
    void formsSerials_data();
    void formsSerials();
    void perGameFileNames();

private:
    // The image's path in the test folder after writing `data` there.
    QString put(const QString& name, const QByteArray& data);
    QString identifyError(const QString& path, const QString& cache = {});

    QTemporaryDir m_dir;
    QByteArray m_boot;
    QByteArray m_iso;
};

void TestDiscIdentity::initTestCase() {
    QVERIFY(m_dir.isValid());
    m_boot = bootFile(BootSize);
    m_iso = makeIso(m_dir.path(), {{QStringLiteral("SYSTEM.CNF"), SystemCnf},
                                   {QStringLiteral("SLUS_209.46"), m_boot},
                                   {QStringLiteral("DATA/OTHER.BIN"), QByteArray(5000, 'x')}});
    if (m_iso.isEmpty())
        QSKIP("xorriso is not installed (scripts/install-deps.sh --test installs it)");
}

QString TestDiscIdentity::put(const QString& name, const QByteArray& data) {
    const QString path = m_dir.filePath(name);
    QDir().mkpath(QFileInfo(path).path());
    if (!writeFile(path, data))
        return {};
    return path;
}

QString TestDiscIdentity::identifyError(const QString& path, const QString& cache) {
    try {
        disc::identify(path, cache);
    } catch (const KorvelloError& error) {
        return error.text();
    }
    return QStringLiteral("(no error)");
}

void TestDiscIdentity::identifiesEveryFormat_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<QByteArray>("cue");

    const QByteArray mode1 = toRawSectors(m_iso, 1);
    const QByteArray mode2 = toRawSectors(m_iso, 2);
    QTest::newRow("plain iso") << "plain.iso" << m_iso << QByteArray();
    QTest::newRow("raw mode 1 bin, no cue") << "mode1.bin" << mode1 << QByteArray();
    QTest::newRow("raw mode 2 bin, no cue") << "mode2.bin" << mode2 << QByteArray();
    QTest::newRow("mode 2 bin with cue")
        << "cued2.bin" << mode2
        << QByteArray("FILE \"cued2.bin\" BINARY\r\n  TRACK 01 MODE2/2352\r\n"
                      "    INDEX 01 00:00:00\r\n");
    // An audio track first and the data track two seconds (150 sectors) into the file.
    QTest::newRow("cue, data track after a gap")
        << "gap.bin" << QByteArray(150 * 2352, '\0') + mode1
        << QByteArray("FILE gap.bin BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n TRACK 02 MODE1/2352\n"
                      "  INDEX 00 00:01:00\n  INDEX 01 00:02:00\n");
    QTest::newRow("cso, 2 KiB frames") << "small.cso" << toCso(m_iso, false, 2048, 0) << QByteArray();
    QTest::newRow("cso, 16 KiB frames, aligned index")
        << "big.cso" << toCso(m_iso, false, 16384, 2) << QByteArray();
    QTest::newRow("zso") << "game.zso" << toCso(m_iso, true, 2048, 0) << QByteArray();
    QTest::newRow("zso, 8 KiB frames") << "big.zso" << toCso(m_iso, true, 8192, 1) << QByteArray();
    QTest::newRow("gzip") << "game.iso.gz" << toGzip(m_iso) << QByteArray();
}

void TestDiscIdentity::identifiesEveryFormat() {
    QFETCH(QString, name);
    QFETCH(QByteArray, image);
    QFETCH(QByteArray, cue);
    QString path = put(name, image);
    QVERIFY(!path.isEmpty());
    if (!cue.isEmpty())
        path = put(QFileInfo(name).completeBaseName() + QStringLiteral(".cue"), cue);

    const disc::DiscIdentity id = disc::identify(path);
    QCOMPARE(id.serial, QStringLiteral("SLUS-20946"));
    QCOMPARE(id.elfPath, QStringLiteral("cdrom0:\\SLUS_209.46;1"));
    QCOMPARE(id.crc, expectedCrc(m_boot));
    QVERIFY(id.crc != 0);
}

void TestDiscIdentity::bootFileInAFolder() {
    // A lower-case BOOT2 path into a folder, with "cdrom:" and a version the disc does not have.
    QTemporaryDir work;
    // Seven whole words and two bytes after the last 128-byte block the sum takes at once.
    const QByteArray boot = bootFile(4096 + 7 * 4 + 2);
    const QByteArray iso =
        makeIso(work.path(), {{QStringLiteral("SYSTEM.CNF"), "BOOT2 = cdrom:\\data\\slpm_655.55;2\n"},
                              {QStringLiteral("DATA/SLPM_655.55"), boot}});
    QVERIFY(!iso.isEmpty());
    const disc::DiscIdentity id = disc::identify(put(QStringLiteral("folder.iso"), iso));
    QCOMPARE(id.serial, QStringLiteral("SLPM-65555"));
    QCOMPARE(id.crc, expectedCrc(boot));
    const QString crc = QStringLiteral("%1").arg(expectedCrc(boot), 8, 16, QLatin1Char('0')).toUpper();
    QCOMPARE(disc::perGameFileName(id), QStringLiteral("SLPM-65555_") + crc + QStringLiteral(".ini"));
}

void TestDiscIdentity::chdThroughTheGameList() {
    const QString chdman = QStandardPaths::findExecutable(QStringLiteral("chdman"));
    if (chdman.isEmpty())
        QSKIP("chdman is not installed (mame-tools; scripts/install-deps.sh --test installs it)");
    const QString bin = put(QStringLiteral("chd/game.bin"), toRawSectors(m_iso, 2));
    const QString cue = put(QStringLiteral("chd/game.cue"),
                            "FILE \"game.bin\" BINARY\n TRACK 01 MODE2/2352\n  INDEX 01 00:00:00\n");
    const QString chd = m_dir.filePath(QStringLiteral("chd/game.chd"));
    QProcess process;
    process.start(chdman, {QStringLiteral("createcd"), QStringLiteral("-i"), cue, QStringLiteral("-o"), chd});
    QVERIFY(process.waitForFinished(120000));
    QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
    QVERIFY(!bin.isEmpty());

    // Without the game list, the error says how to get one.
    QVERIFY(identifyError(chd).contains(QLatin1String("open the folder in the emulator once")));

    const QFileInfo info(chd);
    const quint64 mtime = quint64(info.lastModified().toSecsSinceEpoch());
    const QString cache = m_dir.filePath(QStringLiteral("chd/gamelist.cache"));
    CacheEntry other{
        m_dir.filePath(QStringLiteral("other.chd")), QStringLiteral("SLES-50000"), 0, 1, 1, 0x1234};
    CacheEntry entry{
        info.absoluteFilePath(), QStringLiteral("SLUS-20946"), 0, quint64(info.size()), mtime, 0xCAFEF00D};
    QVERIFY(writeFile(cache, gameListCache({other, entry})));
    const disc::DiscIdentity id = disc::identify(chd, cache);
    QCOMPARE(id.serial, QStringLiteral("SLUS-20946"));
    QCOMPARE(id.crc, 0xCAFEF00Du);
    QCOMPARE(disc::perGameFileName(id), QStringLiteral("SLUS-20946_CAFEF00D.ini"));

    // An entry older than the file, a PS1 entry, a file that is no cache: each a reason.
    entry.mtime = mtime - 100;
    QVERIFY(writeFile(cache, gameListCache({entry})));
    QVERIFY(identifyError(chd, cache).contains(QLatin1String("older than the file")));
    entry.mtime = mtime;
    entry.type = 1;
    QVERIFY(writeFile(cache, gameListCache({entry})));
    QVERIFY(identifyError(chd, cache).contains(QLatin1String("PS1")));
    QVERIFY(writeFile(cache, QByteArray("not a cache at all")));
    QVERIFY(identifyError(chd, cache).contains(QLatin1String("wrong signature")));
    QByteArray cut = gameListCache({entry});
    cut.chop(3);
    QVERIFY(writeFile(cache, cut));
    QVERIFY(identifyError(chd, cache).contains(QLatin1String("damaged")));
}

void TestDiscIdentity::refusesHostileImages_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<QString>("reason");

    const QByteArray bootName = "SLUS_209.46";
    const qsizetype bootRecord = directoryRecord(m_iso, bootName);
    QVERIFY(bootRecord > 0);

    QByteArray truncated = m_iso.left(17 * 2048);
    QTest::newRow("truncated after the volume descriptor") << "cut.iso" << truncated << "truncated";
    const qsizetype bootSector =
        qsizetype(quint8(m_iso[bootRecord + 2])) | (qsizetype(quint8(m_iso[bootRecord + 3])) << 8);
    QTest::newRow("truncated in the boot file")
        << "cut2.iso" << m_iso.left(bootSector * 2048 + 1000) << "truncated";

    QByteArray hugeBoot = m_iso;
    for (int i = 0; i < 4; ++i) {
        hugeBoot[bootRecord + 10 + i] = char(0xFF); // little-endian length
        hugeBoot[bootRecord + 14 + i] = char(0xFF); // big-endian length
    }
    QTest::newRow("boot file claiming 4 GB") << "huge.iso" << hugeBoot << "4294967295 bytes";

    QByteArray farBoot = m_iso;
    farBoot[bootRecord + 2 + 3] = char(0x7F); // the extent's sector far past the end
    QTest::newRow("boot file outside the image") << "far.iso" << farBoot << "outside the image";

    // The root directory's record in the volume descriptor: a length of 4 GB.
    QByteArray hugeRoot = m_iso;
    for (int i = 0; i < 4; ++i)
        hugeRoot[16 * 2048 + 156 + 10 + i] = char(0xFF);
    QTest::newRow("root directory claiming 4 GB") << "root.iso" << hugeRoot << "claims";

    // A directory record of length 0 would make a careless walk stand still.
    const qsizetype rootSector =
        qsizetype(quint8(m_iso[16 * 2048 + 156 + 2])) | (qsizetype(quint8(m_iso[16 * 2048 + 156 + 3])) << 8);
    QByteArray zeroRecord = m_iso;
    zeroRecord[rootSector * 2048] = '\0';
    QTest::newRow("looping (zero-length) directory record") << "loop.iso" << zeroRecord << "no SYSTEM.CNF";

    QTest::newRow("no volume descriptor") << "random.iso" << QByteArray(40 * 2048, 'r') << "no ISO 9660";
    QTest::newRow("empty file") << "empty.iso" << QByteArray() << "empty";

    QByteArray cso = toCso(m_iso, false, 2048, 0);
    cso[3] = 'X';
    QTest::newRow("wrong CSO magic") << "bad.cso" << cso << "wrong magic";
    QByteArray zso = toCso(m_iso, true, 2048, 0);
    zso[0] = 'Q';
    QTest::newRow("wrong ZSO magic") << "bad.zso" << zso << "wrong magic";
    QByteArray csoV2 = toCso(m_iso, false, 2048, 0);
    csoV2[20] = 2;
    QTest::newRow("CSO version 2") << "v2.cso" << csoV2 << "version 2";
    QByteArray csoHuge = toCso(m_iso, false, 2048, 0);
    csoHuge[15] = char(0x7F); // total bytes: far more than the index holds
    QTest::newRow("CSO claiming a huge disc") << "hugedisc.cso" << csoHuge << "truncated";
    // The frames of the boot file's sectors, found through the index.
    const QByteArray plainCso = toCso(m_iso, false, 2048, 0);
    const auto frameAt = [&](qsizetype frame) {
        qsizetype at = 0;
        for (int i = 0; i < 4; ++i)
            at |= qsizetype(quint8(plainCso[24 + frame * 4 + i])) << (8 * i);
        return at & 0x7FFFFFFF;
    };
    QTest::newRow("CSO cut short") << "short.cso" << plainCso.left(frameAt(bootSector + 10)) << "truncated";
    QByteArray csoBadFrame = plainCso;
    const qsizetype badAt = frameAt(bootSector + 1);
    const qsizetype badLength = frameAt(bootSector + 2) - badAt;
    csoBadFrame.replace(badAt, badLength, QByteArray(badLength, char(0xFF)));
    QTest::newRow("CSO with a damaged frame") << "frame.cso" << csoBadFrame << "damaged";
    // A frame that unpacks to less than its 2 KiB would leave the rest of the frame buffer
    // as the previous frame left it, and the CRC would sum that.
    const QByteArray half = m_iso.mid((bootSector + 1) * 2048, 1024);
    QByteArray halfPacked(LZ4_compressBound(int(half.size())), '\0');
    halfPacked.resize(
        LZ4_compress_default(half.constData(), halfPacked.data(), int(half.size()), int(halfPacked.size())));
    const quint32 isoFrames = quint32(m_iso.size() / 2048);
    QTest::newRow("ZSO frame unpacking short")
        << "halfframe.zso"
        << withFrame(toCso(m_iso, true, 2048, 0), isoFrames, quint32(bootSector + 1), halfPacked, false)
        << "unpacks to 1024 of its 2048 bytes";
    // The disc ends with SYSTEM.CNF (xorriso writes it last), its frame stored and cut short
    // in the file: the 1,000 bytes there hold the whole text, the rest of the frame is missing.
    const qsizetype cnfRecord = directoryRecord(m_iso, "SYSTEM.CNF");
    QVERIFY(cnfRecord > 0);
    const quint32 cnfSector = qFromLittleEndian<quint32>(m_iso.constData() + cnfRecord + 2);
    QTest::newRow("CSO last stored frame cut short")
        << "lastframe.cso"
        << withFrame(plainCso, cnfSector + 1, cnfSector, m_iso.mid(cnfSector * 2048, 1000), true)
        << "truncated in CSO frame";
    QTest::newRow("gzip cut short") << "short.iso.gz" << toGzip(m_iso).left(2000) << "truncated";
    QTest::newRow("gzip of garbage") << "garbage.gz"
                                     << QByteArray("\x1f\x8b\x08\x00", 4) + QByteArray(400, 'g') << "damaged";
    QTest::newRow("CHD without a game list") << "game.chd" << QByteArray("MComprHD") + QByteArray(200, '\0')
                                             << "open the folder in the emulator once";
}

void TestDiscIdentity::refusesHostileImages() {
    QFETCH(QString, name);
    QFETCH(QByteArray, image);
    QFETCH(QString, reason);
    const QString path = put(QStringLiteral("hostile/") + name, image);
    QVERIFY(!path.isEmpty());
    QElapsedTimer timer;
    timer.start();
    const QString text = identifyError(path);
    QVERIFY2(text.contains(reason), qPrintable(text));
    QVERIFY2(text.contains(name), qPrintable(text));
    QVERIFY2(!text.contains(u'\n'), qPrintable(text));
    QVERIFY2(timer.elapsed() < 2000, qPrintable(QStringLiteral("%1 ms").arg(timer.elapsed())));
}

void TestDiscIdentity::formsSerials_data() {
    // Discs that are no PS2 discs, or that are not files at all, in one table with the
    // serial rules: "reason" is the error's text, or the serial when the disc is good.
    QTest::addColumn<QByteArray>("systemCnf");
    QTest::addColumn<QString>("expected");

    QTest::newRow("PS1 disc") << QByteArray("BOOT = cdrom:\\SLUS_209.46;1\r\nTCB = 4\r\n") << "PS1";
    QTest::newRow("no BOOT2") << QByteArray("VER = 1.00\n") << "no BOOT2";
    QTest::newRow("boot file not on the disc")
        << QByteArray("BOOT2 = cdrom0:\\SLUS_999.99;1\n") << "not on the disc";
    QTest::newRow("boot path on no disc device")
        << QByteArray("BOOT2 = host:SLUS_209.46\n") << "not on the disc";
    QTest::newRow("last BOOT2 wins, no spaces")
        << QByteArray("BOOT2=cdrom0:\\NONE.ELF;1\nBOOT2=cdrom0:\\SLUS_209.46;1") << "SLUS-20946";
    QTest::newRow("no serial in the name")
        << QByteArray("BOOT2 = cdrom0:\\SLUS_209.46;1\nBOOT2 = cdrom0:\\slus_209.46") << "SLUS-20946";
}

void TestDiscIdentity::formsSerials() {
    QFETCH(QByteArray, systemCnf);
    QFETCH(QString, expected);
    QTemporaryDir work;
    const QByteArray iso = makeIso(
        work.path(), {{QStringLiteral("SYSTEM.CNF"), systemCnf}, {QStringLiteral("SLUS_209.46"), m_boot}});
    QVERIFY(!iso.isEmpty());
    const QString path =
        put(QStringLiteral("cnf/%1.iso").arg(QTest::currentDataTag()).replace(u' ', u'_'), iso);
    try {
        const disc::DiscIdentity id = disc::identify(path);
        QCOMPARE(id.serial, expected);
        QCOMPARE(id.crc, expectedCrc(m_boot));
    } catch (const KorvelloError& error) {
        QVERIFY2(error.text().contains(expected), qPrintable(error.text()));
    }
}

void TestDiscIdentity::perGameFileNames() {
    QCOMPARE(disc::serialFromBootPath(QStringLiteral("cdrom0:\\SCES_123.45;1")),
             QStringLiteral("SCES-12345"));
    QCOMPARE(disc::serialFromBootPath(QStringLiteral("cdrom:SLPM-654.32")), QStringLiteral("SLPM-65432"));
    QCOMPARE(disc::serialFromBootPath(QStringLiteral("cdrom0:\\DATA\\MAIN.ELF;1")), QString());

    disc::DiscIdentity id;
    id.serial = QStringLiteral("SLUS-20946");
    id.crc = 0x0a1b2c3d;
    QCOMPARE(disc::perGameFileName(id), QStringLiteral("SLUS-20946_0A1B2C3D.ini"));
    id.serial.clear();
    QCOMPARE(disc::perGameFileName(id), QStringLiteral("0A1B2C3D.ini"));

    // A folder and a FIFO named as images: refused before anything is read, without blocking.
    const QString folder = m_dir.filePath(QStringLiteral("a-folder.iso"));
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(identifyError(folder).contains(QLatin1String("folder")));
    const QString fifo = m_dir.filePath(QStringLiteral("pipe.iso"));
    QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QVERIFY(identifyError(fifo).contains(QLatin1String("not a regular file")));
    QVERIFY(identifyError(m_dir.filePath(QStringLiteral("missing.iso")))
                .contains(QLatin1String("does not exist")));
}

QTEST_GUILESS_MAIN(TestDiscIdentity)
#include "tst_discidentity.moc"
