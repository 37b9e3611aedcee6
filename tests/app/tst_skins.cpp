// Skins: the engine's listing and sheets, and both skin lists of the main window.
#include "app/mainwindow.h"
#include "app/programsettings.h"
#include "app/skinmanager.h"
#include "editor/editorpage.h"
#include "support/dialogrecorder.h"
#include "support/testfolder.h"
#include "support/windowparts.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QtTest>

namespace {

// Sheets that tell the skins apart.
QByteArray sheetFor(const QString& name) {
    return QStringLiteral("QWidget { background-color: #102030; } /* %1 */\n").arg(name).toUtf8();
}

void addSkins(const TestFolder& folder, const QStringList& files) {
    QDir(folder.path()).mkpath(QStringLiteral("Skins"));
    for (const QString& file : files)
        testsupport::writeAll(folder.file(QStringLiteral("Skins/") + file),
                              sheetFor(QFileInfo(file).completeBaseName()));
}

std::optional<int> storedSkin() {
    return ProgramSettings().readInt(QStringLiteral("Skin"));
}

// The user's pick: the key press on a closed list moves it and reports "activated".
void pick(QComboBox* list, int position) {
    list->setFocus();
    while (list->currentIndex() < position)
        QTest::keyClick(list, Qt::Key_Down);
    while (list->currentIndex() > position)
        QTest::keyClick(list, Qt::Key_Up);
}

QStringList g_warnings;
void recordWarning(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type != QtDebugMsg && type != QtInfoMsg)
        g_warnings.append(text);
}

} // namespace

class TestSkins : public QObject {
    Q_OBJECT
private slots:
    void init() {
        testsupport::removeProgramSettings();
        qApp->setStyleSheet(QString());
    }

    void namesAreSortedWithoutLetterCase() {
        TestFolder folder;
        addSkins(folder,
                 {QStringLiteral("midnight.qss"), QStringLiteral("Amber.QSS"), QStringLiteral("Paper.qss"),
                  QStringLiteral("b.old.qss"), QStringLiteral("notes.txt"), QStringLiteral("qss")});
        QDir(folder.path()).mkpath(QStringLiteral("Skins/folder.qss"));
        SkinManager engine;
        engine.SkinDirectory = folder.file(QStringLiteral("Skins"));
        QCOMPARE(engine.GetSkinNames(), (QStringList{"Amber", "b.old", "midnight", "Paper"}));
        SkinManager nowhere;
        nowhere.SkinDirectory = folder.file(QStringLiteral("NoSkins"));
        QVERIFY(nowhere.GetSkinNames().isEmpty());
    }

    void activeSwitchesTheSheet() {
        TestFolder folder;
        addSkins(folder, {QStringLiteral("One.qss"), QStringLiteral("Two.qss")});
        SkinManager engine;
        engine.SkinDirectory = folder.file(QStringLiteral("Skins"));
        engine.setSkinName(QStringLiteral("Two"));
        QVERIFY(qApp->styleSheet().isEmpty()); // off until switched on
        engine.setActive(true);
        QCOMPARE(qApp->styleSheet().toUtf8(), sheetFor(QStringLiteral("Two")));
        engine.setSkinName(QStringLiteral("One"));
        QCOMPARE(qApp->styleSheet().toUtf8(), sheetFor(QStringLiteral("One")));
        engine.setActive(false);
        QVERIFY(qApp->styleSheet().isEmpty());
    }

    void firstStartAppliesTheFirstSkin() {
        DialogRecorder dialogs;
        TestFolder folder;
        addSkins(folder,
                 {QStringLiteral("Slate.qss"), QStringLiteral("aurora.qss"), QStringLiteral("Paper.qss")});
        MainWindow w(folder.path());
        const QStringList expected{"aurora", "Paper", "Slate"};
        for (QComboBox* list : {parts(w).skinList, parts(w).editorPage->cmbASkins}) {
            QVERIFY(list->isEnabled());
            QCOMPARE(list->count(), 3);
            for (int i = 0; i < 3; ++i)
                QCOMPARE(list->itemText(i), expected[i]);
            QCOMPARE(list->currentIndex(), 0);
        }
        QCOMPARE(storedSkin(), std::optional<int>(0));
        QCOMPARE(qApp->styleSheet().toUtf8(), sheetFor(QStringLiteral("aurora")));
        QVERIFY(w.isSkinActive());
        QVERIFY(dialogs.requests.isEmpty());
    }

    // A pick on either page moves the other list, applies the skin at once,
    // writes its position, and the next start comes back to it.
    void choiceIsTwinnedAndSurvivesRestart_data() {
        QTest::addColumn<bool>("onEditorPage");
        QTest::newRow("game list page") << false;
        QTest::newRow("editor page") << true;
    }
    void choiceIsTwinnedAndSurvivesRestart() {
        QFETCH(bool, onEditorPage);
        DialogRecorder dialogs;
        TestFolder folder;
        addSkins(folder, {QStringLiteral("a.qss"), QStringLiteral("b.qss"), QStringLiteral("c.qss")});
        {
            MainWindow w(folder.path());
            QComboBox* changed = onEditorPage ? parts(w).editorPage->cmbASkins : parts(w).skinList;
            QComboBox* other = onEditorPage ? parts(w).skinList : parts(w).editorPage->cmbASkins;
            pick(changed, 2);
            QCOMPARE(other->currentIndex(), 2);
            QCOMPARE(qApp->styleSheet().toUtf8(), sheetFor(QStringLiteral("c")));
            QCOMPARE(storedSkin(), std::optional<int>(2));
            pick(changed, 1);
            QCOMPARE(other->currentIndex(), 1);
            QCOMPARE(qApp->styleSheet().toUtf8(), sheetFor(QStringLiteral("b")));
            QCOMPARE(storedSkin(), std::optional<int>(1));
        }
        qApp->setStyleSheet(QString());
        MainWindow again(folder.path());
        QCOMPARE(parts(again).skinList->currentIndex(), 1);
        QCOMPARE(parts(again).editorPage->cmbASkins->currentIndex(), 1);
        QCOMPARE(qApp->styleSheet().toUtf8(), sheetFor(QStringLiteral("b")));
        QVERIFY(dialogs.requests.isEmpty());
    }

    // Skins removed since the position was stored: start-up completes with the first skin.
    void storedPositionOutsideTheList_data() {
        QTest::addColumn<QString>("stored");
        QTest::newRow("past the end") << QStringLiteral("5");
        QTest::newRow("negative") << QStringLiteral("-1");
        QTest::newRow("not a number") << QStringLiteral("dark");
    }
    void storedPositionOutsideTheList() {
        QFETCH(QString, stored);
        DialogRecorder dialogs;
        TestFolder folder;
        addSkins(folder, {QStringLiteral("a.qss"), QStringLiteral("b.qss")});
        QSettings(ProgramSettings::filePath(), QSettings::IniFormat).setValue(QStringLiteral("Skin"), stored);
        MainWindow w(folder.path());
        QCOMPARE(parts(w).skinList->currentIndex(), 0);
        QCOMPARE(parts(w).editorPage->cmbASkins->currentIndex(), 0);
        QCOMPARE(qApp->styleSheet().toUtf8(), sheetFor(QStringLiteral("a")));
        QCOMPARE(storedSkin(), std::optional<int>(0));
        QVERIFY(dialogs.requests.isEmpty());
    }

    void noSkinsKeepsTheStandardLook_data() {
        QTest::addColumn<QStringList>("files"); // empty: no Skins folder at all
        QTest::addColumn<bool>("withFolder");
        QTest::newRow("no folder") << QStringList() << false;
        QTest::newRow("empty folder") << QStringList() << true;
        QTest::newRow("other files only") << QStringList{QStringLiteral("readme.txt")} << true;
    }
    void noSkinsKeepsTheStandardLook() {
        QFETCH(QStringList, files);
        QFETCH(bool, withFolder);
        DialogRecorder dialogs;
        TestFolder folder;
        if (withFolder)
            addSkins(folder, files);
        MainWindow w(folder.path());
        QVERIFY(!parts(w).skinList->isEnabled());
        QVERIFY(!parts(w).editorPage->cmbASkins->isEnabled());
        QCOMPARE(parts(w).skinList->count(), 0);
        QCOMPARE(parts(w).editorPage->cmbASkins->count(), 0);
        QVERIFY(qApp->styleSheet().isEmpty());
        QVERIFY(!w.isSkinActive());
        QCOMPARE(storedSkin(), std::nullopt);
        QVERIFY(dialogs.requests.isEmpty());
    }

    // A skin file deleted while the program runs: the pick is reported, and the
    // look and the stored choice stay as they were.
    void vanishedSkinIsReported() {
        DialogRecorder dialogs;
        TestFolder folder;
        addSkins(folder, {QStringLiteral("a.qss"), QStringLiteral("b.qss")});
        MainWindow w(folder.path());
        QVERIFY(QFile::remove(folder.file(QStringLiteral("Skins/b.qss"))));
        pick(parts(w).skinList, 1);
        QCOMPARE(dialogs.messageTexts().size(), 1);
        QVERIFY2(dialogs.messageTexts().first().contains(QStringLiteral("\"b\"")),
                 qPrintable(dialogs.messageTexts().first()));
        QCOMPARE(qApp->styleSheet().toUtf8(), sheetFor(QStringLiteral("a")));
        QCOMPARE(storedSkin(), std::optional<int>(0));
    }

    // Re-applying the application's sheet re-polishes every widget; the
    // window's font (Arial, 10 px) must survive every change of skin.
    void fontSurvivesSkinChanges() {
        DialogRecorder dialogs;
        TestFolder folder;
        addSkins(folder, {QStringLiteral("a.qss"), QStringLiteral("b.qss")});
        testsupport::writeAll(folder.file(QStringLiteral("Skins/b.qss")),
                              "QPushButton { font-weight: bold; }");
        MainWindow w(folder.path());
        w.show();
        pick(parts(w).skinList, 1);
        pick(parts(w).editorPage->cmbASkins, 0);
        pick(parts(w).editorPage->cmbASkins, 1);
        const QList<QWidget*> probes{parts(w).editorPage->findChild<QLabel*>(),
                                     parts(w).editorPage->btnPoster, parts(w).startButton, parts(w).skinList};
        for (QWidget* probe : probes) {
            QVERIFY(probe);
            QCOMPARE(probe->font().family(), w.font().family());
            QCOMPARE(probe->font().pixelSize(), w.font().pixelSize());
        }
        QVERIFY(parts(w).startButton->font().bold());
    }

    // Sheets cannot colour links; a skin names the colour and leaving the skin restores it.
    void linkColourFollowsTheSkin() {
        TestFolder folder;
        QDir(folder.path()).mkpath(QStringLiteral("Skins"));
        testsupport::writeAll(folder.file(QStringLiteral("Skins/Lit.qss")),
                              "/* link-color: #12ab34; */\nQLabel { color: white; }\n");
        testsupport::writeAll(folder.file(QStringLiteral("Skins/Plain.qss")), "QLabel { color: black; }\n");
        const QColor original = QApplication::palette().color(QPalette::Link);
        SkinManager engine;
        engine.SkinDirectory = folder.file(QStringLiteral("Skins"));
        engine.setSkinName(QStringLiteral("Lit"));
        engine.setActive(true);
        QCOMPARE(QApplication::palette().color(QPalette::Link), QColor(0x12, 0xab, 0x34));
        QCOMPARE(QApplication::palette().color(QPalette::LinkVisited), QColor(0x12, 0xab, 0x34));
        engine.setSkinName(QStringLiteral("Plain"));
        QCOMPARE(QApplication::palette().color(QPalette::Link), original);
        engine.setSkinName(QStringLiteral("Lit"));
        engine.setActive(false);
        QCOMPARE(QApplication::palette().color(QPalette::Link), original);
    }

    // The skins that ship with the program: listed by name, every sheet parses
    // without a warning on both pages, and every picture it names is there.
    void shippedSkins() {
        const QString shipped = QStringLiteral(KORVELLO_SOURCE_DIR "/Skins");
        SkinManager engine;
        engine.SkinDirectory = shipped;
        QCOMPARE(engine.GetSkinNames(), (QStringList{"Daylight", "Ember", "Midnight"}));

        DialogRecorder dialogs;
        TestFolder folder;
        QDir(folder.path()).mkpath(QStringLiteral("Skins"));
        for (const QString& name : engine.GetSkinNames()) {
            const QString sheet = engine.styleSheet(name);
            QVERIFY2(SkinManager::linkColor(sheet).isValid(), qPrintable(name));
            static const QRegularExpression picture(QStringLiteral(R"(url\(skin:([^)]+)\))"));
            for (const QRegularExpressionMatch& m : picture.globalMatch(sheet)) {
                QVERIFY2(QFile::exists(shipped + u'/' + m.captured(1)), qPrintable(m.captured(1)));
                QVERIFY2(!QImage(shipped + u'/' + m.captured(1)).isNull(), qPrintable(m.captured(1)));
            }
            testsupport::writeAll(folder.file(QStringLiteral("Skins/") + name + QStringLiteral(".qss")),
                                  sheet.toUtf8());
        }

        g_warnings.clear();
        const QtMessageHandler previous = qInstallMessageHandler(recordWarning);
        {
            MainWindow w(folder.path());
            w.show();
            for (int i = 0; i < parts(w).skinList->count(); ++i) {
                pick(parts(w).skinList, i);
                for (QWidget* page : {static_cast<QWidget*>(parts(w).gameListPage),
                                      static_cast<QWidget*>(parts(w).editorPage)}) {
                    parts(w).pages->setCurrentWidget(page);
                    w.grab(); // draws every control of the page in the skin
                }
            }
        }
        qInstallMessageHandler(previous);
        g_warnings.removeIf([](const QString& text) { return text.contains(QStringLiteral("systemTray")); });
        QVERIFY2(g_warnings.isEmpty(), qPrintable(g_warnings.join(u'\n')));
    }
};

QTEST_MAIN(TestSkins)
#include "tst_skins.moc"
