// Number texts and the error report's wording.
#include "core/korvelloerror.h"
#include "core/numbertext.h"

#include <QtTest>

class TestNumberText : public QObject {
    Q_OBJECT
private slots:
    void integers_data();
    void integers();
    void reportText_data();
    void reportText();
    void innermostText();
};

void TestNumberText::integers_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << "42" << true << 42;
    QTest::newRow("leading zero") << "07" << true << 7;
    QTest::newRow("leading blanks") << "  5" << true << 5;
    QTest::newRow("negative") << "-1" << true << -1;
    QTest::newRow("plus") << "+3" << true << 3;
    QTest::newRow("trailing blank") << "5 " << false << 0;
    QTest::newRow("fraction") << "1.5" << false << 0;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("sign alone") << "-" << false << 0;
    QTest::newRow("word") << "TRUE" << false << 0;
    QTest::newRow("too large") << "99999999999" << false << 0;
}

void TestNumberText::integers() {
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(int, value);
    if (ok) {
        QCOMPARE(numbertext::toInt(text), value);
    } else {
        try {
            numbertext::toInt(text);
            QFAIL("accepted");
        } catch (const KorvelloError& e) {
            QCOMPARE(e.text(), QStringLiteral("'%1' is not a valid integer value").arg(text));
        }
    }
}

void TestNumberText::reportText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << "Disk full"
                            << "Disk full.";
    QTest::newRow("full stop") << "Done."
                               << "Done.";
    QTest::newRow("bang (below '.')") << "Oops!"
                                      << "Oops!";
    QTest::newRow("closing parenthesis (below '.')") << "failed (5)"
                                                     << "failed (5)";
    QTest::newRow("slash (above '.')") << "C:/"
                                       << "C:/.";
    QTest::newRow("digit") << "error 5"
                           << "error 5.";
    QTest::newRow("empty") << ""
                           << "";
}

void TestNumberText::reportText() {
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(::reportText(text), shown);
}

void TestNumberText::innermostText() {
    const KorvelloError inner(QStringLiteral("database is locked"));
    const KorvelloError middle(QStringLiteral("Load failed"), inner);
    const KorvelloError outer(QStringLiteral("Start failed"), middle);
    QCOMPARE(outer.innermostText(), QStringLiteral("database is locked"));
    QCOMPARE(outer.text(), QStringLiteral("Start failed"));
    QCOMPARE(QString::fromUtf8(outer.what()), QStringLiteral("Start failed"));
}

QTEST_GUILESS_MAIN(TestNumberText)
#include "tst_numbertext.moc"
