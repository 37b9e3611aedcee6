// The library tools of the game list page on the real main window: search,
// sort, the grid's keys, tool tips, Tab order and accessible names, and play
// figures following a rename and a delete.
#include "app/mainwindow.h"

#include "app/programsettings.h"
#include "editor/editorpage.h"
#include "gamelist/gamelistfilter.h"
#include "gamelist/gamelistview.h"
#include "store/columntable.h"
#include "store/playtimestore.h"
#include "store/profilestore.h"
#include "support/dialogrecorder.h"
#include "support/profilefixture.h"
#include "support/testfolder.h"
#include "support/windowparts.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTabWidget>
#include <QtTest>

namespace {

// Mixed letter case and accents; the database lists them in this order
// (letter case aside for ASCII, then by code).
// In the order people read them: accents and letter case after the letters.
const QStringList kGames = {
    QStringLiteral("Æon Flux"),           QStringLiteral("Élite Beat Agents"), QStringLiteral("elite Force"),
    QStringLiteral("Final Fantasy X"),    QStringLiteral("Katamari Damacy"),   QStringLiteral("ōkami"),
    QStringLiteral("Zone of the Enders"),
};

struct GameFolder {
    TestFolder folder;
    QString db = folder.file(QStringLiteral("db.mdb"));

    GameFolder() {
        ProfileStore store;
        store.setDatabasePath(db);
        // Added out of order: the list's order is the database's.
        for (int i = kGames.size() - 1; i >= 0; --i) {
            GameProfile p = profilefixture::nonDefaultProfile(kGames.at(i));
            p.setValue(col::PCSX2CurrentIso, QStringLiteral("/iso/%1.iso").arg(i));
            store.add(p);
        }
    }
    // Every row of table db, every column, as one text: what "nothing changed" compares.
    QString dump() const {
        QString text;
        {
            QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("dump"));
            c.setDatabaseName(db);
            c.open();
            QSqlQuery q(QStringLiteral("SELECT * FROM db ORDER BY rowid"), c);
            while (q.next())
                for (int i = 0; i < kColumnCount; ++i)
                    text += q.value(i).toString() + u'|';
        }
        QSqlDatabase::removeDatabase(QStringLiteral("dump"));
        return text;
    }
    // A counted session of `minutes`, ended `daysAgo` days before now.
    void played(const QString& game, qint64 minutes, int daysAgo) {
        PlayTimeStore store;
        store.setDatabasePath(db);
        const qint64 end = QDateTime::currentDateTime().addDays(-daysAgo).toMSecsSinceEpoch();
        store.closeSession(store.openSession(game, 1, QStringLiteral("b/1"), end - minutes * 60'000), end);
    }
};

QStringList shown(const MainWindow& w) {
    QStringList list;
    for (int row = 0; row < parts(w).gameGrid->visibleCount(); ++row)
        list.append(parts(w).gameGrid->caption(row));
    return list;
}

QString selected(const MainWindow& w) {
    const int row = parts(w).gameGrid->selectedRow();
    return row < 0 ? QString() : parts(w).gameGrid->caption(row);
}

// Types the text key by key, as a keyboard with accented letters does.
void type(QWidget* w, const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(w, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

} // namespace

class TestLibrary : public QObject {
    Q_OBJECT
private slots:
    void init() { testsupport::removeProgramSettings(); }
    void searchShowsMatchingNames_data();
    void searchShowsMatchingNames();
    void selectionFollowsTheSearch();
    void searchKeys();
    void gridKeys();
    void typeAheadJumps_data();
    void typeAheadJumps();
    void sortOrdersAndToolTips();
    void tabOrderNamesAndToolTips();
    void renameCarriesAndDeleteRemovesFigures();
};

void TestLibrary::searchShowsMatchingNames_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("empty: every game") << QString() << kGames;
    QTest::newRow("capitals find accented and plain")
        << QStringLiteral("ELITE") << QStringList{kGames[1], kGames[2]};
    QTest::newRow("accent typed finds plain") << QStringLiteral("éli") << QStringList{kGames[1], kGames[2]};
    QTest::newRow("inside the name") << QStringLiteral("of the") << QStringList{kGames[6]};
    QTest::newRow("macron") << QStringLiteral("OKA") << QStringList{kGames[5]};
    QTest::newRow("ligature") << QStringLiteral("aeon") << QStringList{kGames[0]};
    QTest::newRow("nothing") << QStringLiteral("zzz") << QStringList{};
}

void TestLibrary::searchShowsMatchingNames() {
    QFETCH(QString, typed);
    QFETCH(QStringList, expected);
    DialogRecorder dialogs;
    GameFolder f;
    const QString before = f.dump();
    MainWindow w(f.folder.path());
    fillWindowLists(w);
    w.show();
    QCOMPARE(parts(w).searchField->placeholderText(), QStringLiteral("Search games"));
    type(parts(w).searchField, typed);
    QCOMPARE(shown(w), expected);
    QCOMPARE(parts(w).gameGrid->count(), kGames.size());
    // The selection is a shown game: the first, as the selected first game was filtered out or kept.
    if (!expected.isEmpty()) {
        QCOMPARE(selected(w), expected.first());
        QCOMPARE(parts(w).currentGame, expected.first());
        QCOMPARE(w.windowTitle(), QStringLiteral("Korvello (Tessaly) ") + expected.first());
    } else {
        QCOMPARE(selected(w), QString());
        // The last game shown while typing ("z" showed it) stays the current game.
        QCOMPARE(parts(w).currentGame, kGames[6]);
        QVERIFY(!parts(w).startButton->isEnabled() && !parts(w).deleteButton->isEnabled() &&
                !parts(w).editButton->isEnabled());
    }
    parts(w).searchField->clear();
    QCOMPARE(shown(w), kGames);
    QVERIFY(parts(w).startButton->isEnabled() && parts(w).deleteButton->isEnabled() &&
            parts(w).editButton->isEnabled());
    QCOMPARE(f.dump(), before);
    QVERIFY(dialogs.messageTexts().isEmpty());
}

void TestLibrary::selectionFollowsTheSearch() {
    DialogRecorder dialogs;
    GameFolder f;
    MainWindow w(f.folder.path());
    fillWindowLists(w);
    w.show();
    parts(w).gameListPage->selectGame(4);
    QCOMPARE(parts(w).currentGame, kGames[4]);
    type(parts(w).searchField, QStringLiteral("a"));
    // "Katamari Damacy" still shows: it stays selected.
    QCOMPARE(selected(w), kGames[4]);
    type(parts(w).searchField, QStringLiteral("e"));
    QCOMPARE(shown(w), QStringList{kGames[0]});
    QCOMPARE(selected(w), kGames[0]);
    QCOMPARE(parts(w).currentGame, kGames[0]);
    QCOMPARE(w.windowTitle(), QStringLiteral("Korvello (Tessaly) ") + kGames[0]);
    // Shortening the text keeps the selection where it is.
    QTest::keyClick(parts(w).searchField, Qt::Key_Backspace);
    QCOMPARE(selected(w), kGames[0]);
    QCOMPARE(parts(w).gameGrid->visibleCount(), 5);
}

void TestLibrary::searchKeys() {
    DialogRecorder dialogs;
    GameFolder f;
    MainWindow w(f.folder.path());
    fillWindowLists(w);
    w.show();
    w.activateWindow();
    QTRY_VERIFY(parts(w).gameGrid->hasFocus());
    QTest::keyClick(parts(w).gameGrid, Qt::Key_F, Qt::ControlModifier);
    QVERIFY(parts(w).searchField->hasFocus());
    type(parts(w).searchField, QStringLiteral("kata"));
    QCOMPARE(shown(w), QStringList{kGames[4]});
    // Delete and Enter in the field edit the text and start nothing.
    QTest::keyClick(parts(w).searchField, Qt::Key_Home);
    QTest::keyClick(parts(w).searchField, Qt::Key_Delete);
    QCOMPARE(parts(w).searchField->text(), QStringLiteral("ata"));
    QVERIFY(dialogs.requests.isEmpty());
    QTest::keyClick(parts(w).searchField, Qt::Key_Escape);
    QCOMPARE(parts(w).searchField->text(), QString());
    QCOMPARE(shown(w), kGames);
    QCOMPARE(selected(w), kGames[4]);
    QVERIFY(parts(w).searchField->hasFocus());
    QTest::keyClick(parts(w).searchField, Qt::Key_Escape); // empty: back to the grid
    QVERIFY(parts(w).gameGrid->hasFocus());
    QTest::keyClick(parts(w).gameGrid, Qt::Key_F, Qt::ControlModifier);
    QTest::keyClick(parts(w).searchField, Qt::Key_Down);
    QVERIFY(parts(w).gameGrid->hasFocus());
    QCOMPARE(selected(w), kGames[4]);
}

void TestLibrary::gridKeys() {
    DialogRecorder dialogs;
    GameFolder f;
    const QString before = f.dump();
    MainWindow w(f.folder.path());
    fillWindowLists(w);
    w.show();
    w.activateWindow();
    QTRY_VERIFY(parts(w).gameGrid->hasFocus());
    GameListView* grid = parts(w).gameGrid;
    QCOMPARE(selected(w), kGames[0]);
    QTest::keyClick(grid, Qt::Key_Right);
    QCOMPARE(parts(w).currentGame, kGames[1]);
    QTest::keyClick(grid, Qt::Key_End);
    QCOMPARE(parts(w).currentGame, kGames.last());
    QCOMPARE(w.windowTitle(), QStringLiteral("Korvello (Tessaly) ") + kGames.last());
    QTest::keyClick(grid, Qt::Key_Home);
    QCOMPARE(parts(w).currentGame, kGames[0]);
    // Five cells per row at 109 px in 572 px: Down moves one row on.
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(parts(w).currentGame, kGames[5]);
    QTest::keyClick(grid, Qt::Key_Up);
    QCOMPARE(parts(w).currentGame, kGames[0]);
    // A page down stays in the column: the whole list fits, so the last row.
    QTest::keyClick(grid, Qt::Key_PageDown);
    QCOMPARE(parts(w).currentGame, kGames[5]);
    QTest::keyClick(grid, Qt::Key_PageUp);
    QCOMPARE(parts(w).currentGame, kGames[0]);
    QTest::keyClick(grid, Qt::Key_Space, Qt::ControlModifier); // never leaves nothing selected
    QCOMPARE(selected(w), kGames[0]);

    // Delete asks, as the Delete button does; No keeps the game.
    dialogs.buttonAnswers.enqueue(QMessageBox::No);
    QTest::keyClick(grid, Qt::Key_Delete);
    QCOMPARE(dialogs.messageTexts(), QStringList{QStringLiteral("Delete '%1'?").arg(kGames[0])});
    QCOMPARE(parts(w).gameGrid->count(), kGames.size());

    // F2 and Ctrl+E edit the selected game; Ctrl+N opens a new profile.
    for (const auto& [key, modifiers] :
         {std::pair{Qt::Key_F2, Qt::NoModifier}, std::pair{Qt::Key_E, Qt::ControlModifier}}) {
        QTest::keyClick(grid, Qt::Key_Right);
        const QString game = parts(w).currentGame;
        QTest::keyClick(grid, key, modifiers);
        QCOMPARE(parts(w).pages->currentWidget(), static_cast<QWidget*>(parts(w).editorPage));
        QCOMPARE(parts(w).editorPage->txtGameName->text(), game);
        QVERIFY(parts(w).editorPage->btnSave->isEnabled());
        parts(w).editorPage->btnGameList->click();
        QVERIFY(grid->hasFocus());
    }
    QTest::keyClick(grid, Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(parts(w).pages->currentWidget(), static_cast<QWidget*>(parts(w).editorPage));
    QVERIFY(parts(w).editorPage->btnNewGame->isEnabled());
    QCOMPARE(parts(w).editorPage->txtGameName->text(), QString());
    QCOMPARE(f.dump(), before);
}

void TestLibrary::typeAheadJumps_data() {
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("expected");
    QTest::newRow("next game with the letter") << QStringLiteral("e") << kGames[1];
    QTest::newRow("same letter again wraps round") << QStringLiteral("ee") << kGames[2];
    QTest::newRow("accented name by its plain letter") << QStringLiteral("o") << kGames[5];
    QTest::newRow("capital") << QStringLiteral("K") << kGames[4];
    QTest::newRow("prefix typed quickly") << QStringLiteral("zo") << kGames[6];
    QTest::newRow("no game with the letter") << QStringLiteral("q") << kGames[0];
}

void TestLibrary::typeAheadJumps() {
    QFETCH(QString, keys);
    QFETCH(QString, expected);
    DialogRecorder dialogs;
    GameFolder f;
    MainWindow w(f.folder.path());
    fillWindowLists(w);
    w.show();
    QCOMPARE(selected(w), kGames[0]);
    QTest::keyClicks(parts(w).gameGrid, keys);
    QCOMPARE(selected(w), expected);
    QCOMPARE(parts(w).currentGame, expected);
}

void TestLibrary::sortOrdersAndToolTips() {
    DialogRecorder dialogs;
    GameFolder f;
    f.played(kGames[5], 12 * 60 + 5, 0); // ōkami: most played, today
    f.played(kGames[4], 30, 1);          // Katamari: yesterday
    f.played(kGames[4], 15, 3);
    f.played(kGames[3], 5 * 60, 400); // Final Fantasy X: long ago
    f.played(kGames[2], 0, 0);        // under 10 s: not counted
    const QString before = f.dump();
    const QStringList lastPlayed = {kGames[5], kGames[4], kGames[3], kGames[0],
                                    kGames[1], kGames[2], kGames[6]};
    const QStringList mostPlayed = {kGames[5], kGames[3], kGames[4], kGames[0],
                                    kGames[1], kGames[2], kGames[6]};
    {
        MainWindow w(f.folder.path());
        w.show();
        QCOMPARE(parts(w).sortList->currentText(), QStringLiteral("Name"));
        QCOMPARE(parts(w).sortList->count(), 3);
        QCOMPARE(shown(w), kGames);
        parts(w).gameListPage->selectGame(6);
        parts(w).sortList->setFocus();
        QTest::keyClick(parts(w).sortList, Qt::Key_Down);
        QCOMPARE(parts(w).sortList->currentText(), QStringLiteral("Last played"));
        QCOMPARE(shown(w), lastPlayed);
        QCOMPARE(selected(w), kGames[6]); // the selection stays on its game
        QTest::keyClick(parts(w).sortList, Qt::Key_Down);
        QCOMPARE(shown(w), mostPlayed);
        // Sorting and searching together.
        type(parts(w).searchField, QStringLiteral("a"));
        QCOMPARE(shown(w), (QStringList{kGames[5], kGames[3], kGames[4], kGames[0], kGames[1]}));

        const QAbstractItemModel* model = parts(w).gameGrid->model();
        auto tip = [&](const QString& game) {
            for (int row = 0; row < model->rowCount(); ++row)
                if (model->index(row, 0).data().toString() == game)
                    return model->index(row, 0).data(Qt::ToolTipRole).toString();
            return QString();
        };
        QCOMPARE(tip(kGames[5]), kGames[5] + QStringLiteral("\nPlay time: 12 h 05 min\nLast played: today"));
        QCOMPARE(tip(kGames[4]),
                 kGames[4] + QStringLiteral("\nPlay time: 0 h 45 min\nLast played: yesterday"));
        QVERIFY(
            tip(kGames[3]).startsWith(kGames[3] + QStringLiteral("\nPlay time: 5 h 00 min\nLast played: ")));
        QVERIFY(!tip(kGames[3]).endsWith(QStringLiteral("day")));
        QCOMPARE(tip(kGames[0]), kGames[0] + QStringLiteral("\nNot played yet"));
    }
    QCOMPARE(
        QSettings(ProgramSettings::filePath(), QSettings::IniFormat).value(QStringLiteral("Sort")).toInt(),
        2);
    {
        // Remembered: the next start shows the same order and selects its first game.
        MainWindow w(f.folder.path());
        w.show();
        QCOMPARE(parts(w).sortList->currentText(), QStringLiteral("Most played"));
        QCOMPARE(shown(w), mostPlayed);
        QCOMPARE(parts(w).currentGame, mostPlayed.first());
        // A rebuild (as after Add Game or Delete) keeps the order.
        parts(w).gameListPage->loadGameList();
        QCOMPARE(shown(w), mostPlayed);
    }
    QCOMPARE(f.dump(), before);
}

namespace {

// The widgets Tab visits from `first` on, until it comes back to `first`: the
// window's focus chain with the widgets Qt's Tab passes over left out.
QList<QWidget*> tabCycle(QWidget* first) {
    QList<QWidget*> visited{first};
    for (QWidget* at = first->nextInFocusChain(); at != first; at = at->nextInFocusChain()) {
        if ((at->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && at->isVisible() && at->isEnabled() &&
            !at->focusProxy())
            visited.append(at);
    }
    return visited;
}

QString describe(const QList<QWidget*>& widgets) {
    QStringList names;
    for (const QWidget* w : widgets)
        names.append(w->objectName().isEmpty() ? QLatin1String(w->metaObject()->className())
                                               : w->objectName());
    return names.join(u' ');
}

} // namespace

void TestLibrary::tabOrderNamesAndToolTips() {
    DialogRecorder dialogs;
    GameFolder f;
    MainWindow w(f.folder.path());
    fillWindowLists(w);
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    // The skin list is off: the test folder has no skins.
    QVERIFY(!parts(w).skinList->isEnabled());
    const QList<QWidget*> expected = {parts(w).searchField,  parts(w).coversButton, parts(w).addFolderButton,
                                      parts(w).sortList,     parts(w).gameGrid,     parts(w).deleteButton,
                                      parts(w).startButton,  parts(w).editButton,   parts(w).newGameButton,
                                      parts(w).runDiscCheck, parts(w).mailLink,     parts(w).homePageLink};
    const QList<QWidget*> cycle = tabCycle(parts(w).searchField);
    QVERIFY2(cycle == expected, qPrintable(describe(cycle)));

    QVERIFY(parts(w).startButton->toolTip().contains(QStringLiteral("(Enter)")));
    QVERIFY(parts(w).deleteButton->toolTip().contains(QStringLiteral("(Delete)")));
    QVERIFY(parts(w).editButton->toolTip().contains(QStringLiteral("F2")));
    QVERIFY(parts(w).editButton->toolTip().contains(QStringLiteral("Ctrl+E")));
    QVERIFY(parts(w).newGameButton->toolTip().contains(QStringLiteral("(Ctrl+N)")));

    // The editor page: Tab reaches every control that can take the focus, and
    // every one of them has a name a screen reader can say.
    parts(w).newGameButton->click();
    QList<QWidget*> editorControls;
    for (QWidget* c : parts(w).editorPage->findChildren<QWidget*>())
        if ((c->focusPolicy() & Qt::TabFocus) && c->isVisible() && c->isEnabled() && !c->focusProxy())
            editorControls.append(c);
    QVERIFY(editorControls.size() > 20);
    const QList<QWidget*> editorCycle = tabCycle(parts(w).editorPage->txtGameName);
    QStringList missed;
    for (QWidget* c : editorControls)
        if (!editorCycle.contains(c))
            missed.append(c->objectName() + u':' + QLatin1String(c->metaObject()->className()));
    QVERIFY2(missed.isEmpty(), qPrintable(missed.join(u' ')));
    qInfo("editor Tab order: %s", qPrintable(describe(editorCycle)));

    QStringList unnamed;
    for (const QList<QWidget*>& controls : {cycle, editorCycle})
        for (QWidget* c : controls) {
            QAccessibleInterface* face = QAccessible::queryAccessibleInterface(c);
            if (!face || face->text(QAccessible::Name).trimmed().isEmpty())
                unnamed.append(c->objectName() + u':' + QLatin1String(c->metaObject()->className()));
        }
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(u' ')));
}

void TestLibrary::renameCarriesAndDeleteRemovesFigures() {
    DialogRecorder dialogs;
    GameFolder f;
    f.played(kGames[4], 90, 0);
    f.played(kGames[6], 20, 0);
    MainWindow w(f.folder.path());
    fillWindowLists(w);
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    parts(w).gameListPage->selectGame(4);
    QTest::keyClick(parts(w).gameGrid, Qt::Key_F2);
    parts(w).editorPage->txtGameName->setText(QStringLiteral("Katamari Forever"));
    parts(w).editorPage->btnSave->click();
    QCOMPARE(parts(w).currentGame, QStringLiteral("Katamari Forever"));
    PlayTimeStore store;
    store.setDatabasePath(f.db);
    QVERIFY(store.sessions(kGames[4]).isEmpty());
    QCOMPARE(store.stats().value(QStringLiteral("Katamari Forever")).seconds, qint64(90 * 60));
    QCOMPARE(parts(w).gameGrid->model()->index(4, 0).data(Qt::ToolTipRole).toString(),
             QStringLiteral("Katamari Forever\nPlay time: 1 h 30 min\nLast played: today"));

    parts(w).gameListPage->selectGame(6);
    QCOMPARE(parts(w).currentGame, kGames[6]);
    dialogs.buttonAnswers.enqueue(QMessageBox::Yes);
    QTest::keyClick(parts(w).gameGrid, Qt::Key_Delete);
    QCOMPARE(parts(w).gameGrid->count(), kGames.size() - 1);
    QVERIFY(store.sessions(kGames[6]).isEmpty());
    QCOMPARE(store.stats().keys(), QStringList{QStringLiteral("Katamari Forever")});
}

QTEST_MAIN(TestLibrary)
#include "tst_library.moc"
