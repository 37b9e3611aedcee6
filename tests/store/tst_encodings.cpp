// The stored text forms of profile values and the profile name rule.
#include "core/korvelloerror.h"
#include "store/columntable.h"
#include "store/encodings.h"
#include "store/gameprofile.h"

#include <QLocale>
#include <QtTest>

using namespace enc;

class TestEncodings : public QObject {
    Q_OBJECT
private slots:
    void columnTable();
    void flagWords_data();
    void flagWords();
    void skipMode_data();
    void skipMode();
    void clampMode_data();
    void clampMode();
    void vuCore_data();
    void vuCore();
    void wordColumns();
    void framerateScalars_data();
    void framerateScalars();
    void scalarsIgnoreCommaLocale();
    void scalarNotANumber();
    void windowSize_data();
    void windowSize();
    void windowSizeNeedsTwoParts();
    void profileNames_data();
    void profileNames();
    void profileIntegers();
};

void TestEncodings::columnTable() {
    // Positions run 0..105 in order; a few anchors of the stored layout.
    for (int i = 0; i < kColumnCount; ++i)
        QCOMPARE(kColumns[i].position, i);
    QCOMPARE(QLatin1String(kColumns[72].name), QLatin1String("GSDXUserHacks_SpriteHack"));
    QCOMPARE(QLatin1String(kColumns[103].name), QLatin1String("GSDXUserHacks"));
    QCOMPARE(QLatin1String(kColumns[105].name), QLatin1String("PCSX2GIFReverseHack"));
    QCOMPARE(columnPosition(QStringLiteral("PCSX2CurrentIso")), 81);
    QCOMPARE(columnPosition(QStringLiteral("pcsx2currentiso")), -1);
    QCOMPARE(kColumns[col::SPU2DealiasFilter].form, ColumnForm::TF);
    QCOMPARE(kColumns[col::GSDXfilter].form, ColumnForm::N);
    QCOMPARE(kColumns[col::PCSX2SlomoScalar].form, ColumnForm::F);
    GameProfile p;
    p.setValue(QStringLiteral("PCSX2Zoom"), QStringLiteral("100.0"));
    QCOMPARE(p.value(col::PCSX2Zoom), QStringLiteral("100.0"));
    QVERIFY_THROWS_EXCEPTION(KorvelloError, p.value(QStringLiteral("NoSuchColumn")));
}

void TestEncodings::flagWords_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isTrue");
    QTest::addColumn<bool>("isEnabled");
    QTest::newRow("TRUE") << "TRUE" << true << false;
    QTest::newRow("true") << "true" << false << false;
    QTest::newRow("True") << "True" << false << false;
    QTest::newRow(" TRUE") << " TRUE" << false << false;
    QTest::newRow("enabled") << "enabled" << false << true;
    QTest::newRow("Enabled") << "Enabled" << false << false;
    QTest::newRow("enabled ") << "enabled " << false << false;
    QTest::newRow("empty") << "" << false << false;
}

void TestEncodings::flagWords() {
    QFETCH(QString, text);
    QFETCH(bool, isTrue);
    QFETCH(bool, isEnabled);
    QCOMPARE(IsTrueText(text), isTrue);
    QCOMPARE(IsEnabledText(text), isEnabled);
    // Writing and the integer forms.
    QCOMPARE(BoolToText(true), QStringLiteral("TRUE"));
    QCOMPARE(BoolToText(false), QStringLiteral("FALSE"));
    QCOMPARE(BoolToDigit(true), QStringLiteral("1"));
    QCOMPARE(BoolToDigit(false), QStringLiteral("0"));
    QCOMPARE(BoolToEnabledText(true), QStringLiteral("enabled"));
    QCOMPARE(IntToEnabledText(0), QStringLiteral("disabled"));
    QCOMPARE(IntToEnabledText(-1), QStringLiteral("disabled"));
    QCOMPARE(IntToEnabledText(3), QStringLiteral("enabled"));
    QVERIFY(IntToBool(2));
    QVERIFY(!IntToBool(0));
    QVERIFY(!IntToBool(-1));
}

void TestEncodings::skipMode_data() {
    QTest::addColumn<QString>("limit");
    QTest::addColumn<QString>("turbo");
    QTest::addColumn<int>("position");
    QTest::addColumn<bool>("written"); // the combination is what writing produces
    QTest::newRow("0: D D") << "disabled"
                            << "disabled" << 0 << true;
    QTest::newRow("1: D E") << "disabled"
                            << "enabled" << 1 << true;
    QTest::newRow("2: E E") << "enabled"
                            << "enabled" << 2 << true;
    QTest::newRow("hand-edited E D") << "enabled"
                                     << "disabled" << 0 << false;
    QTest::newRow("garbage") << "on"
                             << "yes" << 0 << false;
}

void TestEncodings::skipMode() {
    QFETCH(QString, limit);
    QFETCH(QString, turbo);
    QFETCH(int, position);
    QFETCH(bool, written);
    QCOMPARE(skipFromFlags(limit, turbo), position);
    if (written) {
        const SkipFlags f = skipToFlags(position);
        QCOMPARE(f.skipOnLimit, limit);
        QCOMPARE(f.skipOnTurbo, turbo);
    }
}

void TestEncodings::clampMode_data() {
    QTest::addColumn<QString>("flags"); // E/D per column
    QTest::addColumn<int>("position");
    QTest::addColumn<bool>("written");
    QTest::newRow("0") << "DDD" << 0 << true;
    QTest::newRow("1") << "EDD" << 1 << true;
    QTest::newRow("2") << "EED" << 2 << true;
    QTest::newRow("3") << "EEE" << 3 << true;
    QTest::newRow("hand-edited DEE") << "DEE" << 0 << false;
    QTest::newRow("hand-edited EDE") << "EDE" << 0 << false;
}

void TestEncodings::clampMode() {
    QFETCH(QString, flags);
    QFETCH(int, position);
    QFETCH(bool, written);
    auto word = [](QChar c) { return c == u'E' ? QStringLiteral("enabled") : QStringLiteral("disabled"); };
    QCOMPARE(clampFromFlags(word(flags[0]), word(flags[1]), word(flags[2])), position);
    if (written) {
        const ClampFlags f = clampToFlags(position);
        QCOMPARE(f.first, word(flags[0]));
        QCOMPARE(f.second, word(flags[1]));
        QCOMPARE(f.third, word(flags[2]));
    }
}

void TestEncodings::vuCore_data() {
    QTest::addColumn<QString>("flags");
    QTest::addColumn<int>("position");
    QTest::addColumn<bool>("written");
    QTest::newRow("interpreter") << "DD" << 0 << true;
    QTest::newRow("microVU") << "EE" << 1 << true;
    QTest::newRow("superVU") << "ED" << 2 << true;
    QTest::newRow("hand-edited DE") << "DE" << 0 << false;
}

void TestEncodings::vuCore() {
    QFETCH(QString, flags);
    QFETCH(int, position);
    QFETCH(bool, written);
    auto word = [](QChar c) { return c == u'E' ? QStringLiteral("enabled") : QStringLiteral("disabled"); };
    QCOMPARE(vuFromFlags(word(flags[0]), word(flags[1])), position);
    if (written) {
        const VuFlags f = vuToFlags(position);
        QCOMPARE(f.enable, word(flags[0]));
        QCOMPARE(f.useMicro, word(flags[1]));
    }
    // EE and IOP: one flag.
    QCOMPARE(coreToFlag(1), QStringLiteral("enabled"));
    QCOMPARE(coreFromFlag(QStringLiteral("enabled")), 1);
    QCOMPARE(coreFromFlag(QStringLiteral("ENABLED")), 0);
}

void TestEncodings::wordColumns() {
    QCOMPARE(aspectRatioWords().at(1), QStringLiteral("4:3"));
    QCOMPARE(wordPosition(aspectRatioWords(), QStringLiteral("16:9")), 2);
    QCOMPARE(wordPosition(cdvdSourceWords(), QStringLiteral("NoDisc")), 2);
    QCOMPARE(wordPosition(cdvdSourceWords(), QStringLiteral("iso")), -1);
    QCOMPARE(wordPosition(outputModuleWords(), QStringLiteral("portaudio")), 4);
    QCOMPARE(upscaleFromScaling(0), 1);
    QCOMPARE(scalingFromUpscale(6), 5);
}

void TestEncodings::framerateScalars_data() {
    QTest::addColumn<QString>("percent");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shownAgain");
    QTest::newRow("100") << "100"
                         << "1"
                         << "100";
    QTest::newRow("50") << "50"
                        << "0.5"
                        << "50";
    QTest::newRow("200") << "200"
                         << "2"
                         << "200";
    QTest::newRow("150 with blanks") << " 150 "
                                     << "1.5"
                                     << "150";
    QTest::newRow("33.3") << "33.3"
                          << "0.333"
                          << "33.3";
    QTest::newRow("negative") << "-25"
                              << "-0.25"
                              << "-25";
    QTest::newRow("0") << "0"
                       << "0"
                       << "0";
    QTest::newRow("tiny stays fixed") << "0.001"
                                      << "0.00001"
                                      << "0.001";
    QTest::newRow("tinier goes scientific") << "0.0001"
                                            << "1E-6"
                                            << "0.0001";
    QTest::newRow("huge") << "1e19"
                          << "1E17"
                          << "1E19";
}

void TestEncodings::framerateScalars() {
    QFETCH(QString, percent);
    QFETCH(QString, stored);
    QFETCH(QString, shownAgain);
    QCOMPARE(scalarFromPercentText(percent), stored);
    QCOMPARE(percentTextFromScalar(stored), shownAgain);
}

void TestEncodings::scalarsIgnoreCommaLocale() {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(scalarFromPercentText(QStringLiteral("50")), QStringLiteral("0.5"));
    QCOMPARE(percentTextFromScalar(QStringLiteral("0.5")), QStringLiteral("50"));
    QCOMPARE(scalarFromPercentText(QStringLiteral("12.5")), QStringLiteral("0.125"));
    QLocale::setDefault(before);
}

void TestEncodings::scalarNotANumber() {
    QVERIFY_THROWS_EXCEPTION(KorvelloError, scalarFromPercentText(QStringLiteral("fast")));
    QVERIFY_THROWS_EXCEPTION(KorvelloError, scalarFromPercentText(QStringLiteral("")));
    QVERIFY_THROWS_EXCEPTION(KorvelloError, scalarFromPercentText(QStringLiteral("50,5")));
    QVERIFY_THROWS_EXCEPTION(KorvelloError, percentTextFromScalar(QStringLiteral("x")));
}

void TestEncodings::windowSize_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("width");
    QTest::addColumn<QString>("height");
    QTest::newRow("comma") << "640,480"
                           << "640"
                           << "480";
    QTest::newRow("semicolon and blanks") << "800;  600"
                                          << "800"
                                          << "600";
    QTest::newRow("empty parts dropped") << ",,1024,,768,"
                                         << "1024"
                                         << "768";
    QTest::newRow("trailing blanks kept") << "640 ,480 "
                                          << "640 "
                                          << "480 ";
    QTest::newRow("third part ignored") << "1,2,3"
                                        << "1"
                                        << "2";
}

void TestEncodings::windowSize() {
    QFETCH(QString, stored);
    QFETCH(QString, width);
    QFETCH(QString, height);
    const WindowSize size = splitWindowSize(stored);
    QCOMPARE(size.width, width);
    QCOMPARE(size.height, height);
    QCOMPARE(joinWindowSize(QStringLiteral("640"), QStringLiteral("480")), QStringLiteral("640,480"));
}

void TestEncodings::windowSizeNeedsTwoParts() {
    for (const char* stored : {"640", "", "640,", " , 480", ";;"})
        QVERIFY_THROWS_EXCEPTION(KorvelloError, splitWindowSize(QLatin1String(stored)));
}

void TestEncodings::profileNames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("valid");
    QTest::newRow("empty") << "" << false;
    QTest::newRow("plain") << "Final Fantasy X" << true;
    QTest::newRow("brackets") << "Okami [PAL]" << true;
    QTest::newRow("apostrophe") << "Jak's Quest" << true;
    QTest::newRow("blank") << " " << true;
    // Windows' file-name characters are ordinary ones here.
    for (const char* fine : {"\"", "*", ":", "<", ">", "?", "\\", "|"})
        QTest::newRow(fine) << (QStringLiteral("a") + QLatin1String(fine) + u'b') << true;
    QTest::newRow("colon in a title") << "Grand Theft Auto: San Andreas" << true;
    QTest::newRow("slash") << "a/b" << false;
    QTest::newRow("NUL") << QString(QStringLiteral("a") + QChar(0) + u'b') << false;
    QTest::newRow("line break") << "a\nb" << false;
    QTest::newRow("DEL") << "a\x7f"
                            "b"
                         << false;
    // thumb_<name>.jpg must fit 255 bytes: 245 bytes of name, counted in UTF-8.
    QTest::newRow("245 bytes") << QString(245, u'x') << true;
    QTest::newRow("246 bytes") << QString(246, u'x') << false;
    QTest::newRow("122 two-byte letters") << QString(122, QChar(0xe9)) << true;
    QTest::newRow("123 two-byte letters") << QString(123, QChar(0xe9)) << false;
}

void TestEncodings::profileNames() {
    QFETCH(QString, name);
    QFETCH(bool, valid);
    QCOMPARE(IsValidProfileName(name), valid);
    // Trimming takes every character up to code 32 from both ends, nothing inside.
    QCOMPARE(trimmed(QStringLiteral("\t\x01 Okami  [PAL]\r\n ")), QStringLiteral("Okami  [PAL]"));
    QCOMPARE(trimmed(QStringLiteral("   ")), QString());
}

void TestEncodings::profileIntegers() {
    QStringList values(kColumnCount);
    values[col::GSDXRenderer] = QStringLiteral("7");
    values[col::GSDXnativeres] = QStringLiteral("01");
    values[col::GSDXInterlace] = QStringLiteral("x");
    values[col::GSDXUserHacks_MSAA] = QStringLiteral(" -2");
    const GameProfile p(values);
    QCOMPARE(p.intValue(col::GSDXRenderer), 7);
    QCOMPARE(p.intValue(col::GSDXnativeres), 1);
    QCOMPARE(p.intValue(col::GSDXUserHacks_MSAA), -2);
    QVERIFY_THROWS_EXCEPTION(KorvelloError, p.intValue(col::GSDXInterlace));
    QVERIFY_THROWS_EXCEPTION(KorvelloError, p.intValue(col::GSDXfilter)); // empty
    QVERIFY_THROWS_EXCEPTION(KorvelloError, GameProfile(QStringList{QStringLiteral("only one")}));
}

QTEST_GUILESS_MAIN(TestEncodings)
#include "tst_encodings.moc"
