// Artwork file names: which stored names have pictures of their own, and that
// no name reaches the fallback pictures or a file outside Images.
#include "gamelist/artworkfiles.h"
#include "support/testfolder.h"

#include <QDir>
#include <QtTest>

using artworkfiles::Kind;

class TestArtworkFiles : public QObject {
    Q_OBJECT
private slots:
    void names_data();
    void names();
    void ownFileOrFallback();
};

void TestArtworkFiles::names_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("own");
    QTest::addColumn<bool>("fallbackName");
    QTest::newRow("plain") << QStringLiteral("Okami") << true << false;
    QTest::newRow("brackets, blanks, apostrophe") << QStringLiteral("Ico [PAL] Tom's") << true << false;
    QTest::newRow("dots") << QStringLiteral("..") << true << false;
    QTest::newRow("non-ASCII") << QStringLiteral("Caf\u00e9 \U0001F680") << true << false;
    QTest::newRow("unknown") << QStringLiteral("unknown") << false << true;
    QTest::newRow("Unknown") << QStringLiteral("Unknown") << false << true;
    QTest::newRow("UNKNOWN") << QStringLiteral("UNKNOWN") << false << true;
    QTest::newRow("unknown with Kelvin sign") << QStringLiteral("un\u212Anown") << false << true;
    QTest::newRow("unknown 2") << QStringLiteral("unknown 2") << true << false;
    QTest::newRow("slash up") << QStringLiteral("../../../etc/passwd") << false << false;
    // An ordinary file name character here; only "/" leads into another folder.
    QTest::newRow("backslash") << QStringLiteral("a\\b") << true << false;
    QTest::newRow("empty") << QString() << false << false;
    QTest::newRow("untrimmed") << QStringLiteral(" Ico") << false << false;
    QTest::newRow("NUL inside") << QStringView(u"a\0b", 3).toString() << false << false;
    QTest::newRow("line break inside") << QStringLiteral("a\nb") << false << false;
    QTest::newRow("byte that was not UTF-8")
        << QStringLiteral("Caf") + QChar(char16_t(0xDCE9)) << false << false;
}

void TestArtworkFiles::names() {
    QFETCH(QString, name);
    QFETCH(bool, own);
    QFETCH(bool, fallbackName);
    QCOMPARE(artworkfiles::hasOwnArtwork(name), own);
    QCOMPARE(artworkfiles::isFallbackName(name), fallbackName);
    const QString app = QStringLiteral("/opt/emu/");
    for (const Kind kind : {Kind::Poster, Kind::Thumbnail}) {
        const QString path = artworkfiles::path(app, kind, name);
        QCOMPARE(path.isEmpty(), !own);
        if (own) {
            // Always a file directly in Images, never one of the fallback pictures.
            QCOMPARE(QFileInfo(QDir::cleanPath(path)).absolutePath(), QStringLiteral("/opt/emu/Images"));
            QVERIFY(!QFileInfo(path).fileName().contains(QStringLiteral("unknown"), Qt::CaseInsensitive) ||
                    name.contains(QStringLiteral("unknown"), Qt::CaseInsensitive));
        }
        // A name without pictures of its own always shows the fallback.
        const QString shown = artworkfiles::pathOrFallback(app, kind, name);
        if (!own)
            QCOMPARE(QFileInfo(shown).fileName(), kind == Kind::Poster ? QStringLiteral("big_unknown.jpg")
                                                                       : QStringLiteral("thumb_unknown.jpg"));
    }
}

void TestArtworkFiles::ownFileOrFallback() {
    TestFolder folder;
    const QString own = folder.file(QStringLiteral("Images/thumb_Okami.jpg"));
    QCOMPARE(artworkfiles::pathOrFallback(folder.path(), Kind::Thumbnail, QStringLiteral("Okami")),
             folder.file(QStringLiteral("Images/thumb_unknown.jpg")));
    QVERIFY(QFile::copy(folder.file(QStringLiteral("Images/thumb_unknown.jpg")), own));
    QCOMPARE(artworkfiles::pathOrFallback(folder.path(), Kind::Thumbnail, QStringLiteral("Okami")), own);
    // A file named after an unsafe name is never picked up.
    QVERIFY(QDir(folder.path()).mkpath(QStringLiteral("Images/thumb_..")));
    QVERIFY(QFile::copy(own, folder.file(QStringLiteral("Images/thumb_../x.jpg"))));
    QCOMPARE(artworkfiles::pathOrFallback(folder.path(), Kind::Thumbnail, QStringLiteral("../x")),
             folder.file(QStringLiteral("Images/thumb_unknown.jpg")));
}

QTEST_GUILESS_MAIN(TestArtworkFiles)
#include "tst_artworkfiles.moc"
