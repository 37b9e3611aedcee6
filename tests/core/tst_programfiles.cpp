// Where the program's own pictures and skins are found: in the emulator folder,
// beside the executable, or in an installed program's data folder.
#include "core/programfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
}

} // namespace

class TestProgramFiles : public QObject {
    Q_OBJECT
private slots:
    void searchOrder();
    void locateTakesTheFirstThatExists();
};

void TestProgramFiles::searchOrder() {
    QTemporaryDir root;
    const QString prefix = root.path();
    qputenv("XDG_DATA_HOME", (prefix + QStringLiteral("/home-data")).toUtf8());
    qputenv("XDG_DATA_DIRS", (prefix + QStringLiteral("/sys-data")).toUtf8());
    const QStringList folders =
        programfiles::searchFolders(prefix + QStringLiteral("/emulator/"), prefix + QStringLiteral("/bin"));
    QCOMPARE(folders, (QStringList{prefix + "/emulator/", prefix + "/bin/", prefix + "/share/korvello/",
                                   prefix + "/home-data/korvello/", prefix + "/sys-data/korvello/"}));
    // A portable copy: the emulator folder is the executable's folder, searched once.
    QCOMPARE(programfiles::searchFolders(prefix + "/bin/", prefix + "/bin").count(prefix + "/bin/"), 1);
}

void TestProgramFiles::locateTakesTheFirstThatExists() {
    QTemporaryDir root;
    const QString emulator = root.filePath(QStringLiteral("emulator/"));
    const QString bin = root.filePath(QStringLiteral("bin"));
    const QString data = root.filePath(QStringLiteral("share/korvello/"));
    const QStringList folders{emulator, bin + u'/', data};
    const QString thumb = QStringLiteral("Images/thumb_unknown.jpg");

    // Nothing anywhere: the emulator folder's path, for the message that follows.
    QCOMPARE(programfiles::locateIn(folders, thumb), emulator + thumb);
    // Installed: only the data folder has it.
    touch(data + thumb);
    QCOMPARE(programfiles::locateIn(folders, thumb), data + thumb);
    // A copy of its own in the emulator folder wins.
    touch(emulator + thumb);
    QCOMPARE(programfiles::locateIn(folders, thumb), emulator + thumb);
    // Folders too: the skins.
    QVERIFY(QDir().mkpath(data + QStringLiteral("Skins")));
    QCOMPARE(programfiles::locateIn(folders, QStringLiteral("Skins")), data + QStringLiteral("Skins"));
}

QTEST_GUILESS_MAIN(TestProgramFiles)
#include "tst_programfiles.moc"
