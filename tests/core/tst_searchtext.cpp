// The search's folding of names and typed text: letter case and accents ignored.
#include "core/searchtext.h"

#include <QtTest>

class TestSearchText : public QObject {
    Q_OBJECT
private slots:
    void fold_data();
    void fold();
    void matches_data();
    void matches();
};

void TestSearchText::fold_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("folded");
    QTest::newRow("ascii") << QStringLiteral("Gran TURISMO 4") << QStringLiteral("gran turismo 4");
    QTest::newRow("acute") << QStringLiteral("Élite Beat") << QStringLiteral("elite beat");
    QTest::newRow("macron") << QStringLiteral("Ōkami") << QStringLiteral("okami");
    QTest::newRow("decomposed input") << QStringLiteral("Pok\u0065\u0301mon") << QStringLiteral("pokemon");
    QTest::newRow("sharp s") << QStringLiteral("Straße") << QStringLiteral("strasse");
    QTest::newRow("ligatures") << QStringLiteral("Æon Œuvre \uFB01nal")
                               << QStringLiteral("aeon oeuvre final");
    QTest::newRow("stroke letters") << QStringLiteral("Søren Łódź Đakovo")
                                    << QStringLiteral("soren lodz dakovo");
    QTest::newRow("full width") << QStringLiteral("ＦＦＸ") << QStringLiteral("ffx");
    QTest::newRow("greek case") << QStringLiteral("ΩΜΕΓΑ") << QStringLiteral("ωμεγα");
    QTest::newRow("punctuation kept") << QStringLiteral("Ratchet & Clank: Up Your Arsenal")
                                      << QStringLiteral("ratchet & clank: up your arsenal");
    QTest::newRow("empty") << QString() << QString();
}

void TestSearchText::fold() {
    QFETCH(QString, text);
    QFETCH(QString, folded);
    QCOMPARE(searchtext::fold(text), folded);
}

void TestSearchText::matches_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("found");
    QTest::newRow("plain letter finds accented")
        << QStringLiteral("Pokémon Colosseum") << QStringLiteral("POKEMON") << true;
    QTest::newRow("accented finds plain")
        << QStringLiteral("Pokemon Colosseum") << QStringLiteral("pokém") << true;
    QTest::newRow("inside the name") << QStringLiteral("Final Fantasy X") << QStringLiteral("fantasy")
                                     << true;
    QTest::newRow("kana with voicing")
        << QStringLiteral("ドラゴンクエスト") << QStringLiteral("ドラゴン") << true;
    QTest::newRow("different letters") << QStringLiteral("Ōkami") << QStringLiteral("akami") << false;
    QTest::newRow("not a subsequence") << QStringLiteral("Final Fantasy") << QStringLiteral("ff") << false;
}

void TestSearchText::matches() {
    QFETCH(QString, name);
    QFETCH(QString, typed);
    QFETCH(bool, found);
    QCOMPARE(searchtext::fold(name).contains(searchtext::fold(typed)), found);
}

QTEST_GUILESS_MAIN(TestSearchText)
#include "tst_searchtext.moc"
