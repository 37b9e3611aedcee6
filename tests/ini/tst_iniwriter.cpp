// The INI writer: the keyed route and the line route on real files.
#include "core/korvelloerror.h"
#include "ini/inidocument.h"
#include "ini/iniwriter.h"
#include "support/errortext.h"
#include "support/testfolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using testsupport::readAll;
using testsupport::writeAll;

namespace {

QByteArray utf16(const QString& text, bool littleEndian) {
    QByteArray out = littleEndian ? QByteArray("\xFF\xFE", 2) : QByteArray("\xFE\xFF", 2);
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const char hi = char(u >> 8), lo = char(u & 0xFF);
        out +=
            littleEndian ? QByteArray{&lo, 1} + QByteArray{&hi, 1} : QByteArray{&hi, 1} + QByteArray{&lo, 1};
    }
    return out;
}

ino_t inodeOf(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

} // namespace

class TestIniWriter : public QObject {
    Q_OBJECT
private slots:
    void keyedWrite_data();
    void keyedWrite();
    void keyedWriteCreatesMissingFile();
    void lineWrite_data();
    void lineWrite();
    void byteOrderMarksKept_data();
    void byteOrderMarksKept();
    void fileNamesWithoutCase();
    void failures();
    void lineBreaksRefused_data();
    void lineBreaksRefused();
    void utf16OddByteCount_data();
    void utf16OddByteCount();
    void flatWrite_data();
    void flatWrite();
    void flatForm_data();
    void flatForm();
    void documentAppliesManyWritesLikeSingleOnes();
    void rewriteReplacesTheFileWhole();

private:
    QTemporaryDir m_dir;
};

void TestIniWriter::keyedWrite_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("value replaced where the key stands")
        << QByteArray("[Settings]\r\nRenderer=0\r\nfilter=1\r\n") << "Settings"
        << "Renderer"
        << "3" << QByteArray("[Settings]\r\nRenderer=3\r\nfilter=1\r\n");
    QTest::newRow("section and key found without case, their spelling kept")
        << QByteArray("[settings]\r\nRENDERER=0\r\n") << "Settings"
        << "Renderer"
        << "3" << QByteArray("[settings]\r\nRENDERER=3\r\n");
    QTest::newRow("blanks around names, indentation kept")
        << QByteArray("[ EmuCore/GS ]\r\n  FramesToDraw = 1 \r\n") << "EmuCore/GS"
        << "FramesToDraw"
        << "2" << QByteArray("[ EmuCore/GS ]\r\n  FramesToDraw=2\r\n");
    QTest::newRow("missing key added after the section's last line")
        << QByteArray("[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n") << "A"
        << "z"
        << "5" << QByteArray("[A]\r\nx=1\r\nz=5\r\n\r\n[B]\r\ny=2\r\n");
    QTest::newRow("missing key in the last section")
        << QByteArray("[A]\r\nx=1\r\n[B]\r\ny=2\r\n") << "B"
        << "z"
        << "5" << QByteArray("[A]\r\nx=1\r\n[B]\r\ny=2\r\nz=5\r\n");
    QTest::newRow("missing key in an empty section") << QByteArray("[A]\r\n[B]\r\n") << "A"
                                                     << "z"
                                                     << "5" << QByteArray("[A]\r\nz=5\r\n[B]\r\n");
    QTest::newRow("missing section appended with its key")
        << QByteArray("[A]\r\nx=1\r\n") << "EmuCore/Speedhacks"
        << "fastCDVD"
        << "enabled" << QByteArray("[A]\r\nx=1\r\n[EmuCore/Speedhacks]\r\nfastCDVD=enabled\r\n");
    QTest::newRow("last line without line end gets one before the new line")
        << QByteArray("[A]\r\nx=1") << "A"
        << "z"
        << "5" << QByteArray("[A]\r\nx=1\r\nz=5\r\n");
    QTest::newRow("LF lines the writer does not change keep their ends")
        << QByteArray("[A]\nx=1\ny=2\n") << "A"
        << "x"
        << "9" << QByteArray("[A]\nx=9\ny=2\n");
    QTest::newRow("key of another section is not taken") << QByteArray("[A]\r\nk=1\r\n[B]\r\nk=2\r\n") << "B"
                                                         << "k"
                                                         << "3" << QByteArray("[A]\r\nk=1\r\n[B]\r\nk=3\r\n");
    QTest::newRow("key found whole, not inside a longer key")
        << QByteArray("[A]\r\nRendererX=1\r\n") << "A"
        << "Renderer"
        << "0" << QByteArray("[A]\r\nRendererX=1\r\nRenderer=0\r\n");
    QTest::newRow("first of two equal sections is written")
        << QByteArray("[A]\r\nx=1\r\n[a]\r\nx=2\r\n") << "A"
        << "x"
        << "7" << QByteArray("[A]\r\nx=7\r\n[a]\r\nx=2\r\n");
    QTest::newRow("empty value") << QByteArray("[A]\r\nx=1\r\n") << "A"
                                 << "x"
                                 << "" << QByteArray("[A]\r\nx=\r\n");
    QTest::newRow("value written unchanged, no quoting")
        << QByteArray("[A]\r\n") << "A"
        << "x"
        << "a;b=\"c\" d\\e" << QByteArray("[A]\r\nx=a;b=\"c\" d\\e\r\n");
    QTest::newRow("8-bit bytes of other lines kept") << QByteArray("[A]\r\nname=\xE9t\xE9\r\nx=1\r\n") << "A"
                                                     << "x"
                                                     << "2" << QByteArray("[A]\r\nname=\xE9t\xE9\r\nx=2\r\n");
    QTest::newRow("new text in an 8-bit file as UTF-8")
        << QByteArray("[A]\r\n") << "A"
        << "x" << QString::fromUtf8("caf\xC3\xA9") << QByteArray("[A]\r\nx=caf\xC3\xA9\r\n");
    QTest::newRow("empty file") << QByteArray() << "A"
                                << "x"
                                << "1" << QByteArray("[A]\r\nx=1\r\n");
    QTest::newRow("keys before the first section belong to none")
        << QByteArray("x=0\r\n[A]\r\n") << "A"
        << "x"
        << "1" << QByteArray("x=0\r\n[A]\r\nx=1\r\n");
}

void TestIniWriter::keyedWrite() {
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    const QString path = m_dir.filePath(QStringLiteral("keyed.ini"));
    writeAll(path, before);
    WriteIniValue(path, section, key, value);
    QCOMPARE(readAll(path), after);

    // The same write on a document held in memory gives the same file.
    writeAll(path, before);
    IniDocument doc = IniDocument::open(path);
    doc.setValue(section, key, value);
    QVERIFY(doc.isModified());
    doc.save();
    QCOMPARE(readAll(path), after);
}

void TestIniWriter::keyedWriteCreatesMissingFile() {
    const QString path = m_dir.filePath(QStringLiteral("GSdx.ini"));
    QFile::remove(path);
    WriteIniValue(path, QStringLiteral("Settings"), QStringLiteral("Renderer"), QStringLiteral("7"));
    QCOMPARE(readAll(path), QByteArray("[Settings]\r\nRenderer=7\r\n"));
}

void TestIniWriter::lineWrite_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("line replaced whole, sections ignored")
        << QByteArray("[ProgramLog]\r\nVisible=disabled\r\n[x]\r\n  EnableSpeedHacks = disabled ;note\r\n")
        << "EnableSpeedHacks"
        << "enabled" << QByteArray("[ProgramLog]\r\nVisible=disabled\r\n[x]\r\nEnableSpeedHacks=enabled\r\n");
    QTest::newRow("first line with the text inside a longer word")
        << QByteArray("MyEnableGameFixesOld=1\r\nEnableGameFixes=disabled\r\n") << "EnableGameFixes"
        << "enabled" << QByteArray("EnableGameFixes=enabled\r\nEnableGameFixes=disabled\r\n");
    QTest::newRow("first line with the text inside a value")
        << QByteArray("Note=see CurrentIso\r\nCurrentIso=old\r\n") << "CurrentIso"
        << "D:\\\\game.iso" << QByteArray("CurrentIso=D:\\\\game.iso\r\nCurrentIso=old\r\n");
    QTest::newRow("text compared with case")
        << QByteArray("enablepresets=1\r\nEnablePresets=disabled\r\n") << "EnablePresets"
        << "enabled" << QByteArray("enablepresets=1\r\nEnablePresets=enabled\r\n");
    QTest::newRow("no line matches: nothing added, line ends made CR LF")
        << QByteArray("[A]\nx=1\n") << "PresetIndex"
        << "3" << QByteArray("[A]\r\nx=1\r\n");
    QTest::newRow("CR ends and a last line without end")
        << QByteArray("a\rCdvdSource=Iso\rb") << "CdvdSource"
        << "Plugin" << QByteArray("a\r\nCdvdSource=Plugin\r\nb\r\n");
    QTest::newRow("empty lines kept") << QByteArray("a\n\n\nb\n") << "z"
                                      << "1" << QByteArray("a\r\n\r\n\r\nb\r\n");
    QTest::newRow("8-bit bytes kept") << QByteArray("n=\xE9\nPresetIndex=1\n") << "PresetIndex"
                                      << "2" << QByteArray("n=\xE9\r\nPresetIndex=2\r\n");
    QTest::newRow("empty file stays empty") << QByteArray() << "x"
                                            << "1" << QByteArray();
}

void TestIniWriter::lineWrite() {
    QFETCH(QByteArray, before);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    const QString path = m_dir.filePath(QStringLiteral("line.ini"));
    writeAll(path, before);
    ReplaceKeyLine(key, value, path);
    QCOMPARE(readAll(path), after);
}

void TestIniWriter::byteOrderMarksKept_data() {
    QTest::addColumn<QString>("encoding");
    QTest::newRow("UTF-8") << "utf8";
    QTest::newRow("UTF-16 LE") << "le";
    QTest::newRow("UTF-16 BE") << "be";
}

void TestIniWriter::byteOrderMarksKept() {
    QFETCH(QString, encoding);
    const auto encode = [&](const QString& text) {
        if (encoding == QLatin1String("utf8"))
            return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
        return utf16(text, encoding == QLatin1String("le"));
    };
    const QString path = m_dir.filePath(QStringLiteral("bom.ini"));
    const QString name = QString::fromUtf8("Stra\xC3\x9F"
                                           "e \xE2\x82\xAC");
    writeAll(path, encode(QStringLiteral("[MIXING]\nInterpolation=1\nName=") + name + QStringLiteral("\n")));

    WriteIniValue(path, QStringLiteral("mixing"), QStringLiteral("interpolation"), QStringLiteral("4"));
    WriteIniValue(path, QStringLiteral("OUTPUT"), QStringLiteral("Latency"), name);
    QCOMPARE(readAll(path), encode(QStringLiteral("[MIXING]\nInterpolation=4\nName=") + name +
                                   QStringLiteral("\n[OUTPUT]\r\nLatency=") + name + QStringLiteral("\r\n")));

    ReplaceKeyLine(QStringLiteral("Latency"), QStringLiteral("200"), path);
    QCOMPARE(readAll(path), encode(QStringLiteral("[MIXING]\r\nInterpolation=4\r\nName=") + name +
                                   QStringLiteral("\r\n[OUTPUT]\r\nLatency=200\r\n")));
}

void TestIniWriter::fileNamesWithoutCase() {
    QTemporaryDir dir;
    const QString lower = dir.filePath(QStringLiteral("pcsx2_ui.ini"));
    writeAll(lower, "[GSWindow]\r\nZoom=100\r\nCurrentIso=a\r\n");
    // The keyed route names the file as the program spells it, the line route in lower case.
    WriteIniValue(dir.filePath(QStringLiteral("PCSX2_ui.ini")), QStringLiteral("GSWindow"),
                  QStringLiteral("Zoom"), QStringLiteral("0"));
    ReplaceKeyLine(QStringLiteral("CurrentIso"), QStringLiteral("b"),
                   dir.filePath(QStringLiteral("PCSX2_UI.INI")));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("pcsx2_ui.ini")});
    QCOMPARE(readAll(lower), QByteArray("[GSWindow]\r\nZoom=0\r\nCurrentIso=b\r\n"));
    QCOMPARE(resolveIniFile(dir.filePath(QStringLiteral("GSdx.ini"))),
             dir.filePath(QStringLiteral("GSdx.ini")));
}

void TestIniWriter::failures() {
    QTemporaryDir dir;
    const QString missingFolder = dir.filePath(QStringLiteral("inis/GSdx.ini"));
    QCOMPARE(errorOf([&] { WriteIniValue(missingFolder, "Settings", "Renderer", "0"); }),
             QStringLiteral("Unable to write to ") + missingFolder);
    QVERIFY(!QFile::exists(missingFolder));

    const QString readOnly = dir.filePath(QStringLiteral("PCSX2_vm.ini"));
    writeAll(readOnly, "[EmuCore]\r\nHostFs=disabled\r\n");
    QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    QCOMPARE(errorOf([&] { WriteIniValue(readOnly, "EmuCore", "HostFs", "enabled"); }),
             QStringLiteral("Unable to write to ") + readOnly);
    QCOMPARE(errorOf([&] { ReplaceKeyLine("HostFs", "enabled", readOnly); }),
             QStringLiteral("Cannot create file \"%1\". Permission denied").arg(readOnly));
    QCOMPARE(readAll(readOnly), QByteArray("[EmuCore]\r\nHostFs=disabled\r\n"));

    const QString missingFile = dir.filePath(QStringLiteral("pcsx2_ui.ini"));
    QCOMPARE(errorOf([&] { ReplaceKeyLine("CurrentIso", "x", missingFile); }),
             QStringLiteral("Cannot open file \"%1\". No such file or directory").arg(missingFile));
    QVERIFY(!QFile::exists(missingFile));
}

void TestIniWriter::lineBreaksRefused_data() {
    QTest::addColumn<QString>("route");
    QTest::addColumn<QString>("value");
    for (const char* route : {"keyed", "line", "flat"}) {
        QTest::addRow("%s, CR LF and a section", route)
            << route << QStringLiteral("a.iso\r\n[Filenames]\r\nBIOS=evil.bin");
        QTest::addRow("%s, LF", route) << route << QStringLiteral("1\nPresetIndex=9");
        QTest::addRow("%s, CR", route) << route << QStringLiteral("1\rx");
        QTest::addRow("%s, NUL", route)
            << route << QString(QStringLiteral("1") + QChar(u'\0') + QStringLiteral("x"));
    }
}

void TestIniWriter::lineBreaksRefused() {
    // A line break in a value would write lines, sections and keys of its own
    // into the emulator's file. The value is refused, the file stays as it was.
    QFETCH(QString, route);
    QFETCH(QString, value);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("PCSX2_ui.ini"));
    const QByteArray before("[Filenames]\r\nBIOS=scph.bin\r\nCurrentIso=old.iso\r\n");
    writeAll(path, before);
    const QString error = errorOf([&] {
        if (route == QLatin1String("keyed"))
            WriteIniValue(path, QStringLiteral("Filenames"), QStringLiteral("CurrentIso"), value);
        else if (route == QLatin1String("line"))
            ReplaceKeyLine(QStringLiteral("CurrentIso"), value, path);
        else {
            IniDocument doc = IniDocument::open(path);
            doc.setFlatValue(QStringLiteral("CurrentIso"), value);
            doc.save();
        }
    });
    QCOMPARE(error,
             QStringLiteral("The value of \"CurrentIso\" contains a line break or a null character, so it "
                            "is not written to ") +
                 path);
    QCOMPARE(readAll(path), before);
}

void TestIniWriter::utf16OddByteCount_data() {
    QTest::addColumn<bool>("littleEndian");
    QTest::newRow("UTF-16 LE") << true;
    QTest::newRow("UTF-16 BE") << false;
}

void TestIniWriter::utf16OddByteCount() {
    // A stray last byte stays last; new lines stand on whole code units, so the
    // key is readable and found again by the next write instead of added anew.
    QFETCH(bool, littleEndian);
    const QString path = m_dir.filePath(QStringLiteral("odd.ini"));
    const QByteArray stray("\x41", 1);
    writeAll(path, utf16(QStringLiteral("[MIXING]\r\nInterpolation=1\r\n"), littleEndian) + stray);

    WriteIniValue(path, QStringLiteral("MIXING"), QStringLiteral("Reverb_Boost"), QStringLiteral("0"));
    const QByteArray once =
        utf16(QStringLiteral("[MIXING]\r\nInterpolation=1\r\nReverb_Boost=0\r\n"), littleEndian) + stray;
    QCOMPARE(readAll(path), once);
    WriteIniValue(path, QStringLiteral("MIXING"), QStringLiteral("Reverb_Boost"), QStringLiteral("1"));
    QCOMPARE(readAll(path),
             utf16(QStringLiteral("[MIXING]\r\nInterpolation=1\r\nReverb_Boost=1\r\n"), littleEndian) +
                 stray);

    ReplaceKeyLine(QStringLiteral("Interpolation"), QStringLiteral("4"), path);
    QCOMPARE(readAll(path),
             utf16(QStringLiteral("[MIXING]\r\nInterpolation=4\r\nReverb_Boost=1\r\n"), littleEndian) +
                 stray);
}

void TestIniWriter::flatWrite_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("value replaced where the key stands")
        << QByteArray("interlace = 7\nrenderer = 0\nfilter = 1\n") << "renderer"
        << "7" << QByteArray("interlace = 7\nrenderer = 7\nfilter = 1\n");
    // The plug-in compares keys with case: a line keeps the spelling its reader looks for.
    QTest::newRow("found without case, the line's spelling kept")
        << QByteArray("Renderer = 0\n") << "renderer"
        << "3" << QByteArray("Renderer = 3\n");
    QTest::newRow("every line of the key, a stale Key=value block included")
        << QByteArray("renderer = 0\nfilter = 1\n[Settings]\r\nRenderer=7\r\n") << "renderer"
        << "12" << QByteArray("renderer = 12\nfilter = 1\n[Settings]\r\nRenderer = 12\r\n");
    QTest::newRow("missing key appended with the file's LF")
        << QByteArray("filter = 1\n") << "resx"
        << "1280" << QByteArray("filter = 1\nresx = 1280\n");
    QTest::newRow("missing key appended with the file's CR LF")
        << QByteArray("filter = 1\r\n") << "resx"
        << "1280" << QByteArray("filter = 1\r\nresx = 1280\r\n");
    QTest::newRow("last line without end gets the file's end")
        << QByteArray("filter = 1\nfba = 1") << "aa1"
        << "0" << QByteArray("filter = 1\nfba = 1\naa1 = 0\n");
    QTest::newRow("empty file gets LF lines") << QByteArray() << "renderer"
                                              << "7" << QByteArray("renderer = 7\n");
    QTest::newRow("key inside a longer key is not taken")
        << QByteArray("UserHacks_MSAA = 4\n") << "UserHacks"
        << "1" << QByteArray("UserHacks_MSAA = 4\nUserHacks = 1\n");
    QTest::newRow("empty value removes the key's lines")
        << QByteArray("UserHacks_MSAA = 4\nfilter = 1\nuserhacks_msaa=2\n") << "UserHacks_MSAA"
        << "" << QByteArray("filter = 1\n");
    QTest::newRow("empty value for a missing key adds nothing")
        << QByteArray("filter = 1\n") << "UserHacks_MSAA"
        << "" << QByteArray("filter = 1\n");
    QTest::newRow("other lines keep their bytes")
        << QByteArray("osd_fontname = /usr/share/fonts/x.ttf\n\n  windowed = 1 \nfilter = 0\n") << "filter"
        << "2" << QByteArray("osd_fontname = /usr/share/fonts/x.ttf\n\n  windowed = 1 \nfilter = 2\n");
}

void TestIniWriter::flatWrite() {
    QFETCH(QByteArray, before);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    const QString path = m_dir.filePath(QStringLiteral("flat.ini"));
    writeAll(path, before);
    IniDocument doc = IniDocument::open(path);
    doc.setFlatValue(key, value);
    doc.save();
    QCOMPARE(readAll(path), after);
}

void TestIniWriter::flatForm_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("flat");
    QTest::newRow("missing") << QByteArray("-") << true;
    QTest::newRow("empty") << QByteArray() << true;
    QTest::newRow("blank lines only") << QByteArray("\n\n") << true;
    QTest::newRow("flat lines") << QByteArray("renderer = 12\n") << true;
    QTest::newRow("flat lines, then a stale section")
        << QByteArray("filter = 1\n[Settings]\r\nRenderer=7\r\n") << true;
    QTest::newRow("section first") << QByteArray("[Settings]\nRenderer=0\n") << false;
    QTest::newRow("section after a comment and blanks")
        << QByteArray("; GSdx\n\n [Settings]\nx=1\n") << false;
    QTest::newRow("section first behind a UTF-8 mark") << QByteArray("\xEF\xBB\xBF[Settings]\n") << false;
    QTest::newRow("a section only") << QByteArray("[Settings]\n") << false;
}

void TestIniWriter::flatForm() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, flat);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("GSdx.ini"));
    if (bytes != "-")
        writeAll(path, bytes);
    QCOMPARE(IniDocument::open(path).isFlat(), flat);
}

void TestIniWriter::documentAppliesManyWritesLikeSingleOnes() {
    // A document that takes many writes and is saved once gives the bytes that
    // the same writes give one file replacement at a time, including a file the
    // first write creates and line-route writes that read what keyed ones wrote.
    struct Write {
        const char* section; // nullptr: the line route
        const char* key;
        const char* value;
    };
    const QList<Write> writes = {
        {"GSWindow", "Zoom", "100"}, {"GSWindow", "AspectRatio", "4:3"},
        {"Framerate", "Turbo", "2"}, {nullptr, "CurrentIso", "a.iso"},
        {nullptr, "Zoom", "90"},     {"GSWindow", "zoom", "80"},
        {"Folders", "Bios", "b"},    {"gswindow", "Extra", ""},
        {nullptr, "NotThere", "1"},  {"Folders", "Bios", "c"},
    };
    for (const QByteArray& start : {QByteArray("-"), QByteArray("CurrentIso=x\n[GSWindow]\nZoom=1"),
                                    QByteArray("\xEF\xBB\xBF[Folders]\r\n\r\nBios=z\r\n")}) {
        QTemporaryDir one, batch;
        const QString single = one.filePath(QStringLiteral("PCSX2_ui.ini"));
        const QString batched = batch.filePath(QStringLiteral("PCSX2_ui.ini"));
        if (start != "-") {
            writeAll(single, start);
            writeAll(batched, start);
        }
        IniDocument doc = IniDocument::open(batched);
        for (const Write& w : writes) {
            if (w.section) {
                WriteIniValue(single, w.section, w.key, w.value);
                doc.setValue(w.section, w.key, w.value);
            } else if (QFile::exists(single)) {
                ReplaceKeyLine(w.key, w.value, single);
                doc.replaceKeyLine(w.key, w.value);
            }
        }
        doc.save();
        QCOMPARE(readAll(batched), readAll(single));
    }
}

void TestIniWriter::rewriteReplacesTheFileWhole() {
    // The new file is written beside the old one and renamed over it: another
    // name for the old file (a hard link) still sees the old bytes, the
    // permissions stay, and no temporary file is left behind.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("GSdx.ini"));
    const QString link = dir.filePath(QStringLiteral("old-GSdx.ini"));
    writeAll(path, "[Settings]\r\nfilter=1\r\n");
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
    QCOMPARE(::link(QFile::encodeName(path).constData(), QFile::encodeName(link).constData()), 0);
    const ino_t before = inodeOf(path);

    WriteIniValue(path, QStringLiteral("Settings"), QStringLiteral("filter"), QStringLiteral("2"));
    QCOMPARE(readAll(path), QByteArray("[Settings]\r\nfilter=2\r\n"));
    QCOMPARE(readAll(link), QByteArray("[Settings]\r\nfilter=1\r\n"));
    QVERIFY(inodeOf(path) != before);
    ReplaceKeyLine(QStringLiteral("filter"), QStringLiteral("0"), path);
    QCOMPARE(readAll(link), QByteArray("[Settings]\r\nfilter=1\r\n"));

    const QFileDevice::Permissions ownerGroupOther(0x7077);
    QCOMPARE(QFile::permissions(path) & ownerGroupOther,
             QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList({QStringLiteral("GSdx.ini"), QStringLiteral("old-GSdx.ini")}));
}

QTEST_GUILESS_MAIN(TestIniWriter)
#include "tst_iniwriter.moc"
