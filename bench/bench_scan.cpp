// Adding a folder: identifying 500 disc images (serial and boot file CRC)
// against reading the same bytes with plain read() (the volume descriptor, the
// root directory, SYSTEM.CNF and the boot file, each in one read), the two
// alternating run by run; then storing 1,000 identified games in db.mdb (a transaction per
// batch of 100, with their disc rows) and showing them in the grid of the real
// main window, offscreen. Min and median of the runs and the page faults of
// each are printed; the last lines give the ratio identify / read (medians)
// and the time to store and show.
#include "app/mainwindow.h"

#include "disc/discidentity.h"
#include "gamelist/gamelistview.h"
#include "store/defaultprofile.h"
#include "store/gamediscstore.h"
#include "store/profilestore.h"
#include "support/windowparts.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kImages = 500;
constexpr int kGames = 1000;
constexpr int kRuns = 7;

long faults() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_minflt + u.ru_majflt;
}

struct Figures {
    std::vector<double> ms;
    std::vector<long> faults;
    void print(const char* what) {
        std::vector<double> sorted = ms;
        std::sort(sorted.begin(), sorted.end());
        std::vector<long> f = faults;
        std::sort(f.begin(), f.end());
        std::printf("%-28s min %8.2f ms  median %8.2f ms  page faults median %ld\n", what, sorted.front(),
                    sorted[sorted.size() / 2], f[f.size() / 2]);
    }
    double median() const {
        std::vector<double> sorted = ms;
        std::sort(sorted.begin(), sorted.end());
        return sorted[sorted.size() / 2];
    }
};

// One disc made by xorriso (a 1 MiB boot file, as games' are a few), copied
// with a different boot file each time so that no two images are the same.
bool makeImages(const QString& root, QStringList& images) {
    QTemporaryDir tree;
    QFile cnf(tree.filePath(QStringLiteral("SYSTEM.CNF")));
    if (!cnf.open(QIODevice::WriteOnly))
        return false;
    cnf.write("BOOT2 = cdrom0:\\SLUS_209.46;1\r\nVER = 1.00\r\nVMODE = NTSC\r\n");
    cnf.close();
    QByteArray elf(1 << 20, '\0');
    elf.replace(0, 4,
                "\x7f"
                "ELF");
    for (int i = 4; i < elf.size(); ++i)
        elf[i] = char((i * 131) >> 5);
    QFile boot(tree.filePath(QStringLiteral("SLUS_209.46")));
    if (!boot.open(QIODevice::WriteOnly))
        return false;
    boot.write(elf);
    boot.close();
    const QString first = root + QStringLiteral("/disc0000.iso");
    if (QProcess::execute(QStringLiteral("xorriso"),
                          {QStringLiteral("-as"), QStringLiteral("mkisofs"), QStringLiteral("-quiet"),
                           QStringLiteral("-o"), first, tree.path()}) != 0)
        return false;
    QFile source(first);
    if (!source.open(QIODevice::ReadOnly))
        return false;
    QByteArray bytes = source.readAll();
    const qsizetype bootAt = bytes.indexOf(QByteArray("\x7f"
                                                      "ELF"));
    for (int i = 0; i < kImages; ++i) {
        const QString path = root + QStringLiteral("/disc%1.iso").arg(i, 4, 10, QLatin1Char('0'));
        bytes[bootAt + 8] = char(i & 0xff);
        bytes[bootAt + 9] = char(i >> 8);
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
            return false;
        images << path;
    }
    return true;
}

double identifyAll(const QStringList& images, quint32& sink) {
    QElapsedTimer t;
    t.start();
    for (const QString& path : images)
        sink ^= disc::identify(path).crc;
    return double(t.nsecsElapsed()) / 1e6;
}

// Where an image's bytes that identifying needs lie: the same in every copy.
struct Extent {
    qint64 offset = 0;
    qint64 length = 0;
};

// The extents of the volume descriptor, the root directory and the two files in it, read
// from the image as ISO 9660 lays them out (a record's extent at +2, its length at +10).
bool extentsOf(const QByteArray& image, std::vector<Extent>& extents) {
    constexpr qint64 sector = 2048;
    const auto le32 = [&](qint64 at) { return qint64(qFromLittleEndian<quint32>(image.constData() + at)); };
    const qint64 pvd = 16 * sector;
    const qint64 root = le32(pvd + 156 + 2) * sector;
    extents = {{pvd, sector}, {root, le32(pvd + 156 + 10)}};
    for (const QByteArray& name : {QByteArray("SYSTEM.CNF;1"), QByteArray("SLUS_209.46;1")}) {
        const qsizetype at = image.indexOf(name, root);
        if (at < 0 || at > root + sector)
            return false;
        const qint64 record = at - 33;
        extents.push_back({le32(record + 2) * sector, le32(record + 10)});
    }
    return true;
}

double readAll(const QStringList& images, const std::vector<Extent>& extents, quint32& sink) {
    QElapsedTimer t;
    t.start();
    std::vector<char> buffer(1 << 20);
    for (const QString& path : images) {
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
        if (fd < 0)
            continue;
        for (const Extent& extent : extents) {
            if (::lseek(fd, extent.offset, SEEK_SET) != extent.offset)
                break;
            if (::read(fd, buffer.data(), size_t(extent.length)) > 0)
                sink ^= quint32(buffer[0]);
        }
        ::close(fd);
    }
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir root;
    QStringList images;
    if (!makeImages(root.path(), images)) {
        std::fprintf(stderr, "bench_scan: cannot make the disc images (is xorriso installed?)\n");
        return 1;
    }
    std::vector<Extent> extents;
    {
        QFile first(images.first());
        if (!first.open(QIODevice::ReadOnly) || !extentsOf(first.readAll(), extents)) {
            std::fprintf(stderr, "bench_scan: cannot find the files in the disc image\n");
            return 1;
        }
    }
    quint32 sink = 0;
    identifyAll(images, sink); // both contenders start with the files in the page cache
    readAll(images, extents, sink);
    Figures identify, plain;
    for (int run = 0; run < kRuns; ++run) {
        long f = faults();
        identify.ms.push_back(identifyAll(images, sink));
        identify.faults.push_back(faults() - f);
        f = faults();
        plain.ms.push_back(readAll(images, extents, sink));
        plain.faults.push_back(faults() - f);
    }
    qint64 bytes = 0;
    for (const Extent& extent : extents)
        bytes += extent.length;
    std::printf("%d images of %lld bytes each, %lld of them read\n", kImages,
                QFileInfo(images.first()).size(), bytes);
    identify.print("identify (serial and CRC)");
    plain.print("read() of the same bytes");
    std::printf("ratio identify / read (medians): %.2f\n", identify.median() / plain.median());

    // 1,000 identified games stored and shown, each run in a fresh program folder.
    Figures store;
    for (int run = 0; run < kRuns; ++run) {
        QTemporaryDir folderDir;
        const QString folder = folderDir.path() + u'/';
        for (const char* sub : {"Images", "inis", "Plugins"})
            QDir(folder).mkpath(QLatin1String(sub));
        QFile::copy(QStringLiteral(KORVELLO_SOURCE_DIR "/Images/thumb_unknown.jpg"),
                    folder + "Images/thumb_unknown.jpg");
        QFile::copy(QStringLiteral(KORVELLO_SOURCE_DIR "/Images/big_unknown.jpg"),
                    folder + "Images/big_unknown.jpg");
        MainWindow window(folder);
        window.show();
        QApplication::processEvents();
        QList<GameProfile> profiles;
        QList<GameDisc> discs;
        for (int i = 0; i < kGames; ++i) {
            const QString name = QStringLiteral("Game %1").arg(i, 4, 10, QLatin1Char('0'));
            profiles << defaultprofile::make(name, root.path() + QStringLiteral("/%1.iso").arg(i),
                                             QStringLiteral("pcsx2.exe"), QString());
            discs << GameDisc{name,
                              profiles.last().value(col::PCSX2CurrentIso),
                              QStringLiteral("SLUS-%1").arg(i),
                              quint32(i),
                              QStringLiteral("NTSC-U"),
                              5};
        }
        const long f = faults();
        QElapsedTimer t;
        t.start();
        ProfileStore writer;
        writer.setDatabasePath(folder + QStringLiteral("db.mdb"));
        for (int b = 0; b < kGames; b += 100)
            writer.addBatch(profiles.mid(b, 100), GameDiscStore::insertStatements(discs.mid(b, 100)));
        parts(window).gameListPage->loadGameList();
        window.repaint();
        QApplication::processEvents();
        store.ms.push_back(double(t.nsecsElapsed()) / 1e6);
        store.faults.push_back(faults() - f);
        if (window.findChild<GameListView*>()->count() != kGames) {
            std::fprintf(stderr, "bench_scan: the grid does not show the %d games\n", kGames);
            return 1;
        }
    }
    store.print("store 1,000 games and show");
    std::printf("sink %u\n", sink);
    return 0;
}
