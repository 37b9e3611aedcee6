// The names "Add folder..." gives games: the game database's titles and the
// image files' names as they are, but for what a profile's name may not hold.
#include "library/libraryimport.h"
#include "store/encodings.h"

#include <QtTest>

class TestImportNames : public QObject {
    Q_OBJECT
private slots:
    void names_data();
    void names();
    void tooLongIsCutAtAWholeCharacter();
};

void TestImportNames::names_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("name");
    QTest::newRow("colon and blank") << "Metal Gear Solid 3: Snake Eater"
                                     << "Metal Gear Solid 3: Snake Eater";
    QTest::newRow("colon alone") << "generation:1"
                                 << "generation:1";
    QTest::newRow("file name with a colon") << "Metal Gear Solid 3: Snake Eater (USA)"
                                            << "Metal Gear Solid 3: Snake Eater (USA)";
    QTest::newRow("what Windows refuses") << "Who? \"Me\" <1> | a\\b *"
                                          << "Who? \"Me\" <1> | a\\b *";
    QTest::newRow("ideographic space")
        << QStringLiteral("ドラゴン\u3000クエスト") << QStringLiteral("ドラゴン\u3000クエスト");
    QTest::newRow("inner blanks kept") << "Ace  Combat"
                                       << "Ace  Combat";
    QTest::newRow("slash") << "AC/DC Live"
                           << "AC-DC Live";
    QTest::newRow("control characters") << "Line\tBreak\nHere"
                                        << "Line Break Here";
    QTest::newRow("ends trimmed") << "  Okami  "
                                  << "Okami";
    QTest::newRow("dot") << "."
                         << "";
    QTest::newRow("two dots") << ".."
                              << "";
    QTest::newRow("dots in a name") << "...Iru!"
                                    << "...Iru!";
}

void TestImportNames::names() {
    QFETCH(QString, title);
    QFETCH(QString, name);
    QCOMPARE(LibraryImport::validName(title), name);
    if (!name.isEmpty())
        QVERIFY(enc::IsValidProfileName(LibraryImport::validName(title)));
}

void TestImportNames::tooLongIsCutAtAWholeCharacter() {
    // 300 three-byte characters: far past the 245 bytes a name may have.
    const QString title(300, QChar(0x30C9));
    const QString name = LibraryImport::validName(title);
    QVERIFY(enc::IsValidProfileName(name));
    QVERIFY(!name.isEmpty());
    QVERIFY(title.startsWith(name));
    QVERIFY(!enc::IsValidProfileName(name + QChar(0x30C9)));
}

QTEST_MAIN(TestImportNames)
#include "tst_importnames.moc"
