// The file system reader against images no mastering tool writes: laid out here sector by
// sector, so that a folder can hold itself, a boot path can go thousands of folders deep and
// a directory can be a megabyte of nothing. Each must be refused after a bounded amount of
// work, counted in the sectors the reader asks for.
#include "core/korvelloerror.h"
#include "disc/discidentity.h"
#include "disc/imagefile.h"
#include "disc/isofilesystem.h"
#include "disc/rawsectorsource.h"
#include "support/discimages.h"

#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using namespace discimages;

namespace {

constexpr quint32 Sector = 2048;
constexpr quint32 RootSector = 18;

// One directory record: where it points, and in which sector of its directory it lies.
struct Record {
    QByteArray name; // as stored: "SYSTEM.CNF;1", "A", or "\0" and "\1" for "." and ".."
    quint32 sector = 0;
    quint32 length = 0;
    bool directory = false;
    quint32 inSector = 0;
};

void putBoth32(QByteArray& out, qsizetype at, quint32 value) {
    qToLittleEndian(value, out.data() + at);
    qToBigEndian(value, out.data() + at + 4);
}

QByteArray recordBytes(const Record& record) {
    QByteArray bytes(33 + record.name.size() + (record.name.size() % 2 == 0 ? 1 : 0), '\0');
    bytes[0] = char(bytes.size());
    putBoth32(bytes, 2, record.sector);
    putBoth32(bytes, 10, record.length);
    bytes[25] = record.directory ? 0x02 : 0x00;
    bytes[32] = char(record.name.size());
    bytes.replace(33, record.name.size(), record.name);
    return bytes;
}

// Writes the records of one directory into the sectors from `first` on.
void putDirectory(QByteArray& image, quint32 first, const QList<Record>& records) {
    QMap<quint32, qsizetype> used;
    for (const Record& record : records) {
        const QByteArray bytes = recordBytes(record);
        const qsizetype at = qsizetype(first + record.inSector) * Sector + used[record.inSector];
        image.replace(at, bytes.size(), bytes);
        used[record.inSector] += bytes.size();
    }
}

// An image of `sectors` sectors: the primary volume descriptor at 16, the terminator at 17,
// and the root directory of `rootLength` bytes from sector 18 on.
QByteArray volume(quint32 sectors, quint32 rootLength) {
    QByteArray image(qsizetype(sectors) * Sector, '\0');
    const qsizetype pvd = 16 * Sector;
    image[pvd] = 1;
    image.replace(pvd + 1, 5, "CD001");
    image[pvd + 6] = 1;
    const QByteArray root = recordBytes({QByteArray(1, '\0'), RootSector, rootLength, true, 0});
    image.replace(pvd + 156, root.size(), root);
    image[17 * Sector] = char(0xFF);
    image.replace(17 * Sector + 1, 5, "CD001");
    return image;
}

// A counting wrapper around the real reader of a plain image.
class CountingSource : public disc::SectorSource {
public:
    explicit CountingSource(disc::SectorSource& source) : m_source(source) {}
    quint64 sectorCount() const override { return m_source.sectorCount(); }
    void read(quint64 lsn, char* out) override {
        ++reads;
        m_source.read(lsn, out);
    }
    int reads = 0;

private:
    disc::SectorSource& m_source;
};

const QByteArray BootName = "SLUS_209.46";

} // namespace

class TestIsoFileSystem : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void walksEachFolderOnce();
    void refusesCraftedImages_data();
    void refusesCraftedImages();

private:
    // A disc whose root directory is a megabyte (512 sectors) holding SYSTEM.CNF with
    // `systemCnf`, the boot file, and in its last sector the folder "A", which is the root
    // itself: every step into "A" searches the whole root again.
    QByteArray selfHoldingRoot(const QByteArray& systemCnf) const;
    QString put(const QString& name, const QByteArray& data);

    QTemporaryDir m_dir;
    QByteArray m_boot = bootFile(5000);
};

void TestIsoFileSystem::initTestCase() {
    QVERIFY(m_dir.isValid());
}

QString TestIsoFileSystem::put(const QString& name, const QByteArray& data) {
    const QString path = m_dir.filePath(name);
    return writeFile(path, data) ? path : QString();
}

QByteArray TestIsoFileSystem::selfHoldingRoot(const QByteArray& systemCnf) const {
    constexpr quint32 RootSectors = 512;
    constexpr quint32 CnfSector = RootSector + RootSectors;
    const quint32 cnfSectors = quint32(systemCnf.size() + Sector - 1) / Sector;
    const quint32 bootSector = CnfSector + cnfSectors;
    QByteArray image = volume(bootSector + (m_boot.size() + Sector - 1) / Sector, RootSectors * Sector);
    putDirectory(image, RootSector,
                 {{QByteArray(1, '\0'), RootSector, RootSectors * Sector, true, 0},
                  {QByteArray(1, '\1'), RootSector, RootSectors * Sector, true, 0},
                  {"SYSTEM.CNF;1", CnfSector, quint32(systemCnf.size()), false, 0},
                  {BootName + ";1", bootSector, quint32(m_boot.size()), false, 0},
                  {"A", RootSector, RootSectors * Sector, true, RootSectors - 1}});
    image.replace(qsizetype(CnfSector) * Sector, systemCnf.size(), systemCnf);
    image.replace(qsizetype(bootSector) * Sector, m_boot.size(), m_boot);
    return image;
}

void TestIsoFileSystem::walksEachFolderOnce() {
    // Seven steps into "A" and the boot file: a path of eight components, within what
    // ISO 9660 allows, that would search the megabyte root eight times.
    const QByteArray image = selfHoldingRoot("BOOT2 = cdrom0:\\SLUS_209.46;1\n");
    const QString path = put(QStringLiteral("self.iso"), image);
    disc::ImageFile file(path);
    const std::unique_ptr<disc::RawSectorSource> raw = disc::RawSectorSource::detect(file, 0);
    QVERIFY(raw);
    CountingSource source(*raw);
    disc::IsoFileSystem fileSystem(source);

    // The boot file in the root is found after one search of the root.
    const std::optional<disc::IsoFileSystem::Entry> boot = fileSystem.locate(QString::fromLatin1(BootName));
    QVERIFY(boot);
    QCOMPARE(boot->length, quint32(m_boot.size()));

    source.reads = 0;
    QString text;
    try {
        fileSystem.locate(QStringLiteral("A\\A\\A\\A\\A\\A\\A\\") + QString::fromLatin1(BootName));
    } catch (const KorvelloError& error) {
        text = error.text();
    }
    QVERIFY2(text.contains(QLatin1String("leads back into itself")), qPrintable(text));
    // The root is searched once for "A"; entering it again is refused before a sector is read.
    QVERIFY2(source.reads <= 512, qPrintable(QString::number(source.reads)));
}

void TestIsoFileSystem::refusesCraftedImages_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<QString>("reason");

    // About 30,000 steps into the folder that holds itself, as a SYSTEM.CNF of 60 KB says.
    QByteArray deep = "BOOT2 = cdrom0:\\";
    for (int i = 0; i < 30000; ++i)
        deep += "A\\";
    deep += BootName + ";1\r\n";
    const QByteArray deepImage = selfHoldingRoot(deep);
    QTest::newRow("30,000 folders deep, plain") << "deep.iso" << deepImage << "bytes long";
    QTest::newRow("30,000 folders deep, CSO")
        << "deep.cso" << toCso(deepImage, false, 2048, 0) << "bytes long";
    QTest::newRow("30,000 folders deep, ZSO")
        << "deep.zso" << toCso(deepImage, true, 2048, 0) << "bytes long";

    // Short enough in bytes, but nine levels: eight folders and the file.
    const QByteArray nine = selfHoldingRoot("BOOT2 = cdrom0:\\A\\A\\A\\A\\A\\A\\A\\A\\SLUS_209.46;1\n");
    QTest::newRow("nine levels, ZSO") << "nine.zso" << toCso(nine, true, 2048, 0) << "9 levels deep";
    const QByteArray seven = selfHoldingRoot("BOOT2 = cdrom0:\\A\\A\\A\\A\\A\\A\\A\\SLUS_209.46;1\n");
    QTest::newRow("folder holding itself, CSO")
        << "self.cso" << toCso(seven, false, 2048, 0) << "leads back into itself";

    // Seven different folders of a megabyte each, one inside the next, the boot file in the
    // last: each is entered once, but together they are 3,584 sectors of directory.
    constexpr quint32 FolderSectors = 512;
    const QByteArray cnf = "BOOT2 = cdrom0:\\D\\D\\D\\D\\D\\D\\D\\SLUS_209.46;1\n";
    const quint32 cnfSector = RootSector + 1;
    const quint32 firstFolder = cnfSector + 1;
    const quint32 bootSector = firstFolder + 7 * FolderSectors;
    QByteArray chain = volume(bootSector + 3, Sector);
    putDirectory(chain, RootSector,
                 {{"SYSTEM.CNF;1", cnfSector, quint32(cnf.size()), false, 0},
                  {"D", firstFolder, FolderSectors * Sector, true, 0}});
    chain.replace(qsizetype(cnfSector) * Sector, cnf.size(), cnf);
    for (quint32 folder = 0; folder < 7; ++folder) {
        const quint32 at = firstFolder + folder * FolderSectors;
        const Record next =
            folder + 1 < 7
                ? Record{"D", at + FolderSectors, FolderSectors * Sector, true, FolderSectors - 1}
                : Record{BootName + ";1", bootSector, quint32(m_boot.size()), false, FolderSectors - 1};
        putDirectory(chain, at, {next});
    }
    chain.replace(qsizetype(bootSector) * Sector, m_boot.size(), m_boot);
    QTest::newRow("seven megabyte folders, ZSO")
        << "chain.zso" << toCso(chain, true, 2048, 0) << "sectors to search";
}

void TestIsoFileSystem::refusesCraftedImages() {
    QFETCH(QString, name);
    QFETCH(QByteArray, image);
    QFETCH(QString, reason);
    const QString path = put(name, image);
    QVERIFY(!path.isEmpty());
    QString text;
    try {
        disc::identify(path);
        text = QStringLiteral("(no error)");
    } catch (const KorvelloError& error) {
        text = error.text();
    }
    QVERIFY2(text.contains(reason), qPrintable(text));
    QVERIFY2(text.contains(name), qPrintable(text));
    QVERIFY2(!text.contains(u'\n'), qPrintable(text));
}

QTEST_GUILESS_MAIN(TestIsoFileSystem)
#include "tst_isofilesystem.moc"
