// Add Game, Save, Edit and Delete driven through the main window.
#include "app/mainwindow.h"
#include "editor/editorpage.h"
#include "editor/pathedit.h"
#include "editor/profilemapping.h"
#include "editor/spinedit.h"
#include "gamelist/artworkfiles.h"
#include "gamelist/gamelistview.h"
#include "gamelist/jpegwriter.h"
#include "store/columntable.h"
#include "store/encodings.h"
#include "store/profilestore.h"
#include "support/dialogrecorder.h"
#include "support/profilefixture.h"
#include "support/testfolder.h"
#include "support/windowparts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTabWidget>
#include <QtTest>

namespace {

// A main window over an empty folder, with the editor's lists filled as
// discovery would fill them from an emulator folder.
struct Window {
    TestFolder folder;
    DialogRecorder dialogs;
    std::unique_ptr<MainWindow> w;

    Window() {
        w = std::make_unique<MainWindow>(folder.path());
        fillWindowLists(*w);
    }
    EditorPage& page() { return *parts(*w).editorPage; }

    // "New", a name and an image path, "Add Game".
    void add(const QString& name, const QString& iso = QStringLiteral("/games/disc.iso")) {
        parts(*w).commands->openNewProfile();
        page().txtGameName->setText(name);
        page().txtISOPath->setText(iso);
        page().btnNewGame->click();
    }
    QStringList names() { return parts(*w).store->listNames(); }
    QString image(const char* kind, const QString& name) {
        return folder.file(QStringLiteral("Images/") + QLatin1String(kind) + name + QStringLiteral(".jpg"));
    }
    void touch(const QString& path, const QByteArray& bytes = "jpeg") { testsupport::writeAll(path, bytes); }
    QString selected() {
        return parts(*w).gameGrid->selectedRow() < 0
                   ? QString()
                   : parts(*w).gameGrid->caption(parts(*w).gameGrid->selectedRow());
    }
};

const QString kNeedAll =
    QStringLiteral("Profile Name, CDVD ISO Path, GSDX Plugin, PCSX2 .exe file need field");
const QString kRefused = enc::ProfileNameRule();

} // namespace

class TestCommands : public QObject {
    Q_OBJECT
private slots:
    void init() { testsupport::removeProgramSettings(); }
    void addValidation_data();
    void addValidation();
    void addSelectsNewGameWhereverItSorts();
    void fullRoundTripThroughAddEditSave();
    void saveValidation();
    void saveWithoutPluginStopsBeforeStatement();
    void rename_data();
    void rename();
    void renameOntoExistingNameIsRefused();
    void renamedGameTakesItsPlaceAtOnce();
    void renameKeepsArtworkImportedUnderNewName();
    void deleteSelectsNeighbour_data();
    void deleteSelectsNeighbour();
    void deleteAnsweredNoKeepsEverything();
    void storedNameWithoutArtworkOfItsOwn_data();
    void storedNameWithoutArtworkOfItsOwn();
    void leavingChangedProfileAsks_data();
    void leavingChangedProfileAsks();
};

void TestCommands::addValidation_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("iso");
    QTest::addColumn<bool>("plugin");
    QTest::addColumn<bool>("exe");
    QTest::addColumn<QString>("message"); // empty: accepted
    QTest::newRow("blank name") << "   "
                                << "/g.iso" << true << true << kNeedAll;
    QTest::newRow("no iso") << "Okami"
                            << " " << true << true << kNeedAll;
    QTest::newRow("no plug-in") << "Okami"
                                << "/g.iso" << false << true << kNeedAll;
    QTest::newRow("no executable") << "Okami"
                                   << "/g.iso" << true << false << kNeedAll;
    QTest::newRow("colon accepted") << "Metal Gear Solid 3: Snake Eater"
                                    << "/g.iso" << true << true << "";
    QTest::newRow("file name too long") << QString(246, u'x') << "/g.iso" << true << true << kRefused;
    QTest::newRow("longest file name") << QString(245, u'x') << "/g.iso" << true << true << "";
    QTest::newRow("slash") << "A/B"
                           << "/g.iso" << true << true << kRefused;
    QTest::newRow("exists, other case") << "FIRST GAME"
                                        << "/g.iso" << true << true << "Alredy exists";
    QTest::newRow("fallback pictures' name")
        << "Unknown"
        << "/g.iso" << true << true << artworkfiles::fallbackNameRefusal(QStringLiteral("Unknown"));
    QTest::newRow("brackets accepted") << "Okami [PAL]"
                                       << "/g.iso" << true << true << "";
    QTest::newRow("quote accepted") << "Jak's Quest"
                                    << "/g.iso" << true << true << "";
}

void TestCommands::addValidation() {
    QFETCH(QString, name);
    QFETCH(QString, iso);
    QFETCH(bool, plugin);
    QFETCH(bool, exe);
    QFETCH(QString, message);
    Window t;
    t.add(QStringLiteral("First Game"));
    t.dialogs.clear();
    parts(*t.w).commands->openNewProfile();
    t.page().txtGameName->setText(name);
    t.page().txtISOPath->setText(iso);
    if (!plugin)
        t.page().cmbGSPlugin->setCurrentIndex(-1);
    if (!exe)
        t.page().cmbPCSX2ExeFile->setCurrentIndex(-1);
    t.page().btnNewGame->click();
    if (message.isEmpty()) {
        QVERIFY(t.dialogs.messageTexts().isEmpty());
        QCOMPARE(t.names().size(), 2);
        QCOMPARE(parts(*t.w).currentGame, name);
        QCOMPARE(parts(*t.w).pages->currentWidget(), parts(*t.w).gameListPage);
        return;
    }
    QCOMPARE(t.dialogs.messageTexts(), QStringList{message});
    QCOMPARE(t.dialogs.requests.first().title, QStringLiteral("Korvello (Tessaly)"));
    QCOMPARE(t.dialogs.requests.first().icon, QMessageBox::NoIcon);
    // Nothing changed: the table, the page, its mode.
    QCOMPARE(t.names(), QStringList{QStringLiteral("First Game")});
    QCOMPARE(parts(*t.w).pages->currentWidget(), parts(*t.w).editorPage);
    QCOMPARE(t.page().txtGameName->text(), name);
    QVERIFY(t.page().btnNewGame->isEnabled());
    QVERIFY(!t.page().btnSave->isEnabled());
}

void TestCommands::addSelectsNewGameWhereverItSorts() {
    Window t;
    for (const char* name : {"Max Payne", "ape escape", "Zone of the Enders", "Katamari"}) {
        t.add(QLatin1String(name));
        QCOMPARE(t.selected(), QLatin1String(name));
        QCOMPARE(parts(*t.w).currentGame, QLatin1String(name));
        QCOMPARE(t.w->windowTitle(), QStringLiteral("Korvello (Tessaly) ") + QLatin1String(name));
    }
    QCOMPARE(t.names(), (QStringList{"ape escape", "Katamari", "Max Payne", "Zone of the Enders"}));
}

void TestCommands::fullRoundTripThroughAddEditSave() {
    Window t;
    const GameProfile row = profilefixture::nonDefaultProfile();
    parts(*t.w).commands->openNewProfile();
    profilemapping::load(t.page(), row, parts(*t.w).pluginFiles);
    t.page().btnNewGame->click();
    QVERIFY2(t.dialogs.messageTexts().isEmpty(), qPrintable(t.dialogs.messageTexts().join(u'|')));
    QCOMPARE(*parts(*t.w).store->load(row.value(col::gamename)), row);

    // Edit shows it in edit mode; collecting again gives the same row.
    parts(*t.w).commands->openNewProfile(); // the page holds defaults again
    parts(*t.w).commands->showGameList();
    parts(*t.w).editButton->click();
    QCOMPARE(parts(*t.w).pages->currentWidget(), parts(*t.w).editorPage);
    QVERIFY(!t.page().btnNewGame->isEnabled());
    QVERIFY(t.page().btnSave->isEnabled());
    QCOMPARE(profilemapping::collectForAdd(t.page(), parts(*t.w).pluginFiles), row);

    // Save stores the same values again.
    t.page().btnSave->click();
    QCOMPARE(parts(*t.w).pages->currentWidget(), parts(*t.w).gameListPage);
    QCOMPARE(*parts(*t.w).store->load(row.value(col::gamename)), row);
    QVERIFY(t.dialogs.messageTexts().isEmpty());
}

void TestCommands::saveValidation() {
    Window t;
    t.add(QStringLiteral("Okami"));
    parts(*t.w).editButton->click();
    const GameProfile before = *parts(*t.w).store->load(QStringLiteral("Okami"));
    t.page().txtISOPath->setText(QStringLiteral("  "));
    t.page().chkConsole->setChecked(!t.page().chkConsole->isChecked());
    t.page().btnSave->click();
    t.page().txtISOPath->setText(QStringLiteral("/g.iso"));
    t.page().txtGameName->setText(QStringLiteral("Oka/mi"));
    t.page().btnSave->click();
    QCOMPARE(t.dialogs.messageTexts(), (QStringList{"Profile Name and CDVD ISO Path need field", kRefused}));
    QCOMPARE(*parts(*t.w).store->load(QStringLiteral("Okami")), before);
    QCOMPARE(parts(*t.w).pages->currentWidget(), parts(*t.w).editorPage);
}

void TestCommands::saveWithoutPluginStopsBeforeStatement() {
    Window t;
    t.add(QStringLiteral("Okami"));
    parts(*t.w).editButton->click();
    const GameProfile before = *parts(*t.w).store->load(QStringLiteral("Okami"));
    t.page().cmbGSPlugin->setCurrentIndex(-1);
    t.page().txtGameName->setText(QStringLiteral("Okami HD"));
    t.page().btnSave->click();
    QCOMPARE(t.dialogs.requests.size(), 1);
    QCOMPARE(t.dialogs.requests.first().icon, QMessageBox::Critical);
    QCOMPARE(t.names(), QStringList{QStringLiteral("Okami")});
    QCOMPARE(*parts(*t.w).store->load(QStringLiteral("Okami")), before);
    QCOMPARE(parts(*t.w).currentGame, QStringLiteral("Okami"));
}

void TestCommands::rename_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<bool>("artwork");
    QTest::newRow("with artwork") << "Okami"
                                  << "Okami HD" << true;
    QTest::newRow("without artwork") << "Okami"
                                     << "Okami HD" << false;
    QTest::newRow("letter case only") << "okami"
                                      << "Okami" << true;
    QTest::newRow("apostrophe") << "Jak's Quest"
                                << "Jak's 'Other' Quest" << true;
}

void TestCommands::rename() {
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(bool, artwork);
    Window t;
    t.add(QStringLiteral("Alpha"));
    t.add(from);
    // Real pictures: the renamed game is shown again at once, with its moved thumbnail.
    QByteArray poster, thumb;
    if (artwork) {
        QImage picture(100, 150, QImage::Format_RGB888);
        picture.fill(Qt::darkCyan);
        jpeg::writeFile(picture, t.image("big_", from));
        picture.fill(Qt::darkMagenta);
        jpeg::writeFile(picture, t.image("thumb_", from));
        poster = testsupport::readAll(t.image("big_", from));
        thumb = testsupport::readAll(t.image("thumb_", from));
    }
    parts(*t.w).editButton->click();
    t.page().txtGameName->setText(QStringLiteral("  ") + to + QStringLiteral(" "));
    t.page().btnSave->click();
    QVERIFY(t.dialogs.messageTexts().isEmpty());
    QCOMPARE(t.names(), (QStringList{QStringLiteral("Alpha"), to}));
    QVERIFY(parts(*t.w).store->load(to));
    QCOMPARE(parts(*t.w).currentGame, to);
    QCOMPARE(t.selected(), to);
    QCOMPARE(t.w->windowTitle(), QStringLiteral("Korvello (Tessaly) ") + to);
    QCOMPARE(QFile::exists(t.image("big_", to)), artwork);
    QCOMPARE(QFile::exists(t.image("thumb_", to)), artwork);
    QVERIFY(!QFile::exists(t.image("big_", from)));
    if (artwork) {
        QCOMPARE(testsupport::readAll(t.image("big_", to)), poster);
        QCOMPARE(testsupport::readAll(t.image("thumb_", to)), thumb);
    }
}

void TestCommands::renamedGameTakesItsPlaceAtOnce() {
    Window t;
    for (const char* name : {"Alpha", "Mid", "Zone of the Enders"})
        t.add(QString::fromLatin1(name));
    parts(*t.w).gameListPage->selectGame(
        parts(*t.w).gameListPage->findShownGame(QStringLiteral("Zone of the Enders")));
    parts(*t.w).editButton->click();
    const QString renamed = QString::fromUtf8("\xc3\x81"
                                              "baco");
    t.page().txtGameName->setText(renamed);
    t.page().btnSave->click();
    QVERIFY2(t.dialogs.messageTexts().isEmpty(), qPrintable(t.dialogs.messageTexts().join(u'|')));
    // The grid shows it in its place, selected; an accent does not send it after Z.
    QStringList shown;
    for (int row = 0; row < parts(*t.w).gameGrid->count(); ++row)
        shown.append(parts(*t.w).gameGrid->caption(row));
    QCOMPARE(shown, (QStringList{renamed, QStringLiteral("Alpha"), QStringLiteral("Mid")}));
    QCOMPARE(t.selected(), renamed);
    QCOMPARE(parts(*t.w).gameGrid->selectedRow(), 0);
}

void TestCommands::renameOntoExistingNameIsRefused() {
    Window t;
    t.add(QStringLiteral("Okami"));
    t.add(QStringLiteral("Katamari"));
    parts(*t.w).editButton->click();
    const GameProfile before = *parts(*t.w).store->load(QStringLiteral("Katamari"));
    t.page().chkConsole->setChecked(!t.page().chkConsole->isChecked());
    t.page().txtGameName->setText(QStringLiteral("OKAMI"));
    t.page().btnSave->click();
    QCOMPARE(t.dialogs.messageTexts(), QStringList{QStringLiteral("Alredy exists")});
    QCOMPARE(t.names(), (QStringList{"Katamari", "Okami"}));
    QCOMPARE(*parts(*t.w).store->load(QStringLiteral("Katamari")), before);
    QCOMPARE(parts(*t.w).currentGame, QStringLiteral("Katamari"));
    QCOMPARE(parts(*t.w).pages->currentWidget(), parts(*t.w).editorPage);
}

void TestCommands::renameKeepsArtworkImportedUnderNewName() {
    Window t;
    t.add(QStringLiteral("Okami"));
    t.touch(t.image("big_", QStringLiteral("Okami")), "old poster");
    t.touch(t.image("big_", QStringLiteral("Okami HD")), "new poster");
    parts(*t.w).editButton->click();
    t.page().txtGameName->setText(QStringLiteral("Okami HD"));
    t.page().btnSave->click();
    QCOMPARE(testsupport::readAll(t.image("big_", QStringLiteral("Okami HD"))), QByteArray("new poster"));
    QCOMPARE(testsupport::readAll(t.image("big_", QStringLiteral("Okami"))), QByteArray("old poster"));
}

void TestCommands::deleteSelectsNeighbour_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("selectedAfter");
    QTest::newRow("first of three") << 3 << 0 << "Game B";
    QTest::newRow("middle of three") << 3 << 1 << "Game A";
    QTest::newRow("last of three") << 3 << 2 << "Game B";
    QTest::newRow("third of five") << 5 << 2 << "Game B";
    QTest::newRow("only") << 1 << 0 << "";
}

void TestCommands::deleteSelectsNeighbour() {
    QFETCH(int, count);
    QFETCH(int, position);
    QFETCH(QString, selectedAfter);
    Window t;
    for (int i = 0; i < count; ++i)
        t.add(QStringLiteral("Game ") + QChar(u'A' + i));
    const QString victim = QStringLiteral("Game ") + QChar(u'A' + position);
    t.touch(t.image("big_", victim));
    t.touch(t.image("thumb_", victim));
    parts(*t.w).gameListPage->selectGame(position);
    t.dialogs.clear(); // the stand-in poster is no JPEG: its report is not what this test reads
    t.dialogs.buttonAnswers.enqueue(QMessageBox::Yes);
    parts(*t.w).deleteButton->click();
    const Dialogs::Request ask = t.dialogs.requests.first();
    QCOMPARE(ask.title, QStringLiteral("Warning"));
    QCOMPARE(ask.text, QStringLiteral("Delete '%1'?").arg(victim));
    QCOMPARE(ask.icon, QMessageBox::Warning);
    QCOMPARE(ask.buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(ask.defaultButton, QMessageBox::No); // Enter alone must not delete
    QVERIFY(!t.names().contains(victim));
    QCOMPARE(t.names().size(), count - 1);
    QVERIFY(!QFile::exists(t.image("big_", victim)));
    QVERIFY(!QFile::exists(t.image("thumb_", victim)));
    QCOMPARE(t.selected(), selectedAfter);
    if (count == 1) {
        // The empty list opens the editor in new mode with the buttons disabled.
        QCOMPARE(parts(*t.w).pages->currentWidget(), parts(*t.w).editorPage);
        QVERIFY(!parts(*t.w).startButton->isEnabled());
        QVERIFY(!t.page().btnGameList->isEnabled());
    } else {
        QCOMPARE(parts(*t.w).currentGame, selectedAfter);
    }
}

void TestCommands::deleteAnsweredNoKeepsEverything() {
    Window t;
    t.add(QStringLiteral("Okami"));
    t.touch(t.image("big_", QStringLiteral("Okami")));
    t.dialogs.buttonAnswers.enqueue(QMessageBox::No);
    parts(*t.w).deleteButton->click();
    QCOMPARE(t.names(), QStringList{QStringLiteral("Okami")});
    QVERIFY(QFile::exists(t.image("big_", QStringLiteral("Okami"))));
}

void TestCommands::storedNameWithoutArtworkOfItsOwn_data() {
    // Names another program stored, as bytes: each is listed and handled as
    // its own row, shows the fallback pictures, and no file is touched for it.
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("saveMessage"); // empty: saved
    QTest::newRow("fallback pictures' name")
        << QByteArray("unknown") << artworkfiles::fallbackNameRefusal(QStringLiteral("unknown"));
    QTest::newRow("fallback name, other case")
        << QByteArray("UNKNOWN") << artworkfiles::fallbackNameRefusal(QStringLiteral("UNKNOWN"));
    QTest::newRow("path out of Images") << QByteArray("../victim") << kRefused;
    QTest::newRow("not UTF-8") << QByteArray("Caf\xe9") << QString();
    QTest::newRow("not UTF-8, like a neighbour") << QByteArray("Okam\xef") << QString();
}

void TestCommands::storedNameWithoutArtworkOfItsOwn() {
    QFETCH(QByteArray, stored);
    QFETCH(QString, saveMessage);
    Window t;
    t.add(QStringLiteral("Okami"));
    t.add(QStringLiteral("Zone"));
    t.touch(t.folder.file(QStringLiteral("victim.jpg")), "not ours");
    const QByteArray bigUnknown = testsupport::readAll(t.image("big_", QStringLiteral("unknown")));
    const QByteArray thumbUnknown = testsupport::readAll(t.image("thumb_", QStringLiteral("unknown")));
    {
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
        other.setDatabaseName(t.folder.file(QStringLiteral("db.mdb")));
        QVERIFY(other.open());
        QSqlQuery q(other);
        QVERIFY(q.exec(QStringLiteral("CREATE TEMP TABLE t AS SELECT * FROM db WHERE gamename = 'Zone'")));
        QVERIFY(q.exec(QStringLiteral("UPDATE t SET gamename = CAST(X'%1' AS TEXT)")
                           .arg(QString::fromLatin1(stored.toHex()))));
        QVERIFY(q.exec(QStringLiteral("INSERT INTO db SELECT * FROM t")));
        q = QSqlQuery();
        other.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("other"));
    parts(*t.w).gameListPage->loadGameList();
    QCOMPARE(parts(*t.w).gameGrid->count(), 3);
    int row = -1;
    for (int i = 0; i < 3; ++i)
        if (parts(*t.w).gameGrid->caption(i) != QStringLiteral("Okami") &&
            parts(*t.w).gameGrid->caption(i) != QStringLiteral("Zone"))
            row = i;
    QVERIFY(row >= 0);
    const QString name = parts(*t.w).gameGrid->caption(row);
    t.dialogs.clear();
    parts(*t.w).gameListPage->selectGame(row);
    QCOMPARE(parts(*t.w).currentGame, name);

    // Edit opens that row, and Save writes it back without renaming it.
    parts(*t.w).editButton->click();
    QCOMPARE(t.dialogs.messageTexts(), QStringList());
    QCOMPARE(parts(*t.w).pages->currentWidget(), parts(*t.w).editorPage);
    t.page().txtISOPath->setText(QStringLiteral("/games/changed.iso"));
    t.page().btnSave->click();
    if (!saveMessage.isEmpty()) {
        QCOMPARE(t.dialogs.messageTexts(), QStringList{saveMessage});
        t.dialogs.clear();
    } else {
        QCOMPARE(t.dialogs.messageTexts(), QStringList());
        QCOMPARE(parts(*t.w).store->load(name)->value(col::PCSX2CurrentIso),
                 QStringLiteral("/games/changed.iso"));
    }
    QCOMPARE(t.names().size(), 3);

    // Delete removes that row only, and no picture file.
    parts(*t.w).pages->setCurrentWidget(parts(*t.w).gameListPage);
    parts(*t.w).gameListPage->selectGame(row);
    t.dialogs.buttonAnswers.enqueue(QMessageBox::Yes);
    parts(*t.w).deleteButton->click();
    QCOMPARE(t.names(), (QStringList{QStringLiteral("Okami"), QStringLiteral("Zone")}));
    QCOMPARE(testsupport::readAll(t.image("big_", QStringLiteral("unknown"))), bigUnknown);
    QCOMPARE(testsupport::readAll(t.image("thumb_", QStringLiteral("unknown"))), thumbUnknown);
    QCOMPARE(testsupport::readAll(t.folder.file(QStringLiteral("victim.jpg"))), QByteArray("not ours"));
}

void TestCommands::leavingChangedProfileAsks_data() {
    QTest::addColumn<bool>("editMode");
    QTest::addColumn<QString>("change");
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("leaves");
    using B = QMessageBox::StandardButton;
    QTest::newRow("nothing changed") << true << "nothing" << B::No << false << true;
    QTest::newRow("name changed, stay") << true << "name" << B::No << true << false;
    QTest::newRow("name changed, discard") << true << "name" << B::Yes << true << true;
    QTest::newRow("check box changed") << true << "check box" << B::No << true << false;
    QTest::newRow("drop-down changed") << true << "drop-down" << B::No << true << false;
    QTest::newRow("changed and changed back") << true << "name and back" << B::No << false << true;
    QTest::newRow("blur radius is no profile value") << true << "blur" << B::No << false << true;
    QTest::newRow("new mode") << false << "name" << B::No << false << true;
}

void TestCommands::leavingChangedProfileAsks() {
    QFETCH(bool, editMode);
    QFETCH(QString, change);
    QFETCH(QMessageBox::StandardButton, answer);
    QFETCH(bool, asked);
    QFETCH(bool, leaves);
    Window t;
    t.add(QStringLiteral("Game A"));
    t.add(QStringLiteral("Game B"));
    parts(*t.w).gameListPage->selectGame(0);
    if (editMode)
        parts(*t.w).editButton->click();
    else
        parts(*t.w).commands->openNewProfile();
    QCOMPARE(parts(*t.w).pages->currentWidget(), parts(*t.w).editorPage);
    const QString name = t.page().txtGameName->text();
    if (change.startsWith(QLatin1String("name")))
        t.page().txtGameName->setText(name + QStringLiteral(" 2"));
    if (change == QLatin1String("name and back"))
        t.page().txtGameName->setText(name);
    if (change == QLatin1String("check box"))
        t.page().chkEnableCheats->click();
    if (change == QLatin1String("drop-down"))
        t.page().cmbRenderer->setCurrentIndex((t.page().cmbRenderer->currentIndex() + 1) %
                                              t.page().cmbRenderer->count());
    if (change == QLatin1String("blur"))
        t.page().txtBlur->setText(QStringLiteral("1.5"));
    t.dialogs.clear();
    t.dialogs.buttonAnswers.enqueue(answer);
    t.page().btnGameList->click();

    if (asked) {
        QCOMPARE(t.dialogs.requests.size(), 1);
        const Dialogs::Request ask = t.dialogs.requests.first();
        QCOMPARE(ask.text, QStringLiteral("Discard the changes to 'Game A'?"));
        QCOMPARE(ask.buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(ask.defaultButton, QMessageBox::No);
    } else {
        QVERIFY2(t.dialogs.requests.isEmpty(), qPrintable(t.dialogs.messageTexts().join(u'|')));
    }
    QCOMPARE(parts(*t.w).pages->currentWidget(), leaves ? static_cast<QWidget*>(parts(*t.w).gameListPage)
                                                        : static_cast<QWidget*>(parts(*t.w).editorPage));
    // Nothing is written either way.
    QCOMPARE(t.names(), (QStringList{"Game A", "Game B"}));
}

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
