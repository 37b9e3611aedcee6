// Stored names: bytes that are not UTF-8 survive decoding and encoding.
#include "store/storedname.h"

#include <QtTest>

class TestStoredName : public QObject {
    Q_OBJECT
private slots:
    void roundTrip_data();
    void roundTrip();
};

namespace {
// The stand-in of one byte that is not part of valid UTF-8.
QString s(int byte) {
    return QString(QChar(char16_t(0xDC00 + byte)));
}
} // namespace

void TestStoredName::roundTrip_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("foreign");
    QTest::newRow("ascii") << QByteArray("Ico") << QStringLiteral("Ico") << false;
    QTest::newRow("utf-8") << QByteArray("Caf\xc3\xa9 \xf0\x9f\x9a\x80")
                           << QStringLiteral("Caf\u00e9 \U0001F680") << false;
    QTest::newRow("latin-1 byte") << QByteArray("Caf\xe9") << QStringLiteral("Caf") + s(0xe9) << true;
    QTest::newRow("stray continuation") << QByteArray("\x80x") << s(0x80) + QStringLiteral("x") << true;
    QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << s(0xc0) + s(0xaf) << true;
    QTest::newRow("encoded surrogate") << QByteArray("\xed\xb2\x80") << s(0xed) + s(0xb2) + s(0x80) << true;
    QTest::newRow("truncated sequence")
        << QByteArray("a\xe2\x82") << QStringLiteral("a") + s(0xe2) + s(0x82) << true;
    QTest::newRow("above U+10FFFF") << QByteArray("\xf4\x90\x80\x80") << s(0xf4) + s(0x90) + s(0x80) + s(0x80)
                                    << true;
    QTest::newRow("pair before a stand-in")
        << QByteArray("\xf0\x9f\x9a\x80\xff") << QStringLiteral("\U0001F680") + s(0xff) << true;
    QTest::newRow("NUL byte") << QByteArray("a\0b", 3) << QStringView(u"a\0b", 3).toString() << false;
}

void TestStoredName::roundTrip() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, name);
    QFETCH(bool, foreign);
    QCOMPARE(storedname::decode(bytes), name);
    QCOMPARE(storedname::encode(name), bytes);
    QCOMPARE(storedname::hasForeignBytes(name), foreign);
    if (!foreign)
        QCOMPARE(name.toUtf8(), bytes);
}

QTEST_GUILESS_MAIN(TestStoredName)
#include "tst_storedname.moc"
