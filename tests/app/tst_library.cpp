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
    for (int row = 0; row < w.m_gameGrid->visibleCount(); ++row)
        list.append(w.m_gameGrid->caption(row));
    return list;
}

QString selected(const MainWindow& w) {
    const int row = w.m_gameGrid->selectedRow();
    return row < 0 ? QString() : w.m_gameGrid->caption(row);
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
    profilefixture::fillLists(*w.m_editorPage, w.m_pluginFiles);
    w.show();
    QCOMPARE(w.m_searchField->placeholderText(), QStringLiteral("Search games"));
    type(w.m_searchField, typed);
    QCOMPARE(shown(w), expected);
    QCOMPARE(w.m_gameGrid->count(), kGames.size());
    // The selection is a shown game: the first, as the selected first game was filtered out or kept.
    if (!expected.isEmpty()) {
        QCOMPARE(selected(w), expected.first());
        QCOMPARE(w.m_currentGame, expected.first());
        QCOMPARE(w.windowTitle(), QStringLiteral("Korvello (Tessaly) ") + expected.first());
    } else {
        QCOMPARE(selected(w), QString());
        // The last game shown while typing ("z" showed it) stays the current game.
        QCOMPARE(w.m_currentGame, kGames[6]);
        QVERIFY(!w.m_startButton->isEnabled() && !w.m_deleteButton->isEnabled() &&
                !w.m_editButton->isEnabled());
    }
    w.m_searchField->clear();
    QCOMPARE(shown(w), kGames);
    QVERIFY(w.m_startButton->isEnabled() && w.m_deleteButton->isEnabled() && w.m_editButton->isEnabled());
    QCOMPARE(f.dump(), before);
    QVERIFY(dialogs.messageTexts().isEmpty());
}

void TestLibrary::selectionFollowsTheSearch() {
    DialogRecorder dialogs;
    GameFolder f;
    MainWindow w(f.folder.path());
    profilefixture::fillLists(*w.m_editorPage, w.m_pluginFiles);
    w.show();
    w.selectGame(4);
    QCOMPARE(w.m_currentGame, kGames[4]);
    type(w.m_searchField, QStringLiteral("a"));
    // "Katamari Damacy" still shows: it stays selected.
    QCOMPARE(selected(w), kGames[4]);
    type(w.m_searchField, QStringLiteral("e"));
    QCOMPARE(shown(w), QStringList{kGames[0]});
    QCOMPARE(selected(w), kGames[0]);
    QCOMPARE(w.m_currentGame, kGames[0]);
    QCOMPARE(w.windowTitle(), QStringLiteral("Korvello (Tessaly) ") + kGames[0]);
    // Shortening the text keeps the selection where it is.
    QTest::keyClick(w.m_searchField, Qt::Key_Backspace);
    QCOMPARE(selected(w), kGames[0]);
    QCOMPARE(w.m_gameGrid->visibleCount(), 5);
}

void TestLibrary::searchKeys() {
    DialogRecorder dialogs;
    GameFolder f;
    MainWindow w(f.folder.path());
    profilefixture::fillLists(*w.m_editorPage, w.m_pluginFiles);
    w.show();
    w.activateWindow();
    QTRY_VERIFY(w.m_gameGrid->hasFocus());
    QTest::keyClick(w.m_gameGrid, Qt::Key_F, Qt::ControlModifier);
    QVERIFY(w.m_searchField->hasFocus());
    type(w.m_searchField, QStringLiteral("kata"));
    QCOMPARE(shown(w), QStringList{kGames[4]});
    // Delete and Enter in the field edit the text and start nothing.
    QTest::keyClick(w.m_searchField, Qt::Key_Home);
    QTest::keyClick(w.m_searchField, Qt::Key_Delete);
    QCOMPARE(w.m_searchField->text(), QStringLiteral("ata"));
    QVERIFY(dialogs.requests.isEmpty());
    QTest::keyClick(w.m_searchField, Qt::Key_Escape);
    QCOMPARE(w.m_searchField->text(), QString());
    QCOMPARE(shown(w), kGames);
    QCOMPARE(selected(w), kGames[4]);
    QVERIFY(w.m_searchField->hasFocus());
    QTest::keyClick(w.m_searchField, Qt::Key_Escape); // empty: back to the grid
    QVERIFY(w.m_gameGrid->hasFocus());
    QTest::keyClick(w.m_gameGrid, Qt::Key_F, Qt::ControlModifier);
    QTest::keyClick(w.m_searchField, Qt::Key_Down);
    QVERIFY(w.m_gameGrid->hasFocus());
    QCOMPARE(selected(w), kGames[4]);
}

void TestLibrary::gridKeys() {
    DialogRecorder dialogs;
    GameFolder f;
    const QString before = f.dump();
    MainWindow w(f.folder.path());
    profilefixture::fillLists(*w.m_editorPage, w.m_pluginFiles);
    w.show();
    w.activateWindow();
    QTRY_VERIFY(w.m_gameGrid->hasFocus());
    GameListView* grid = w.m_gameGrid;
    QCOMPARE(selected(w), kGames[0]);
    QTest::keyClick(grid, Qt::Key_Right);
    QCOMPARE(w.m_currentGame, kGames[1]);
    QTest::keyClick(grid, Qt::Key_End);
    QCOMPARE(w.m_currentGame, kGames.last());
    QCOMPARE(w.windowTitle(), QStringLiteral("Korvello (Tessaly) ") + kGames.last());
    QTest::keyClick(grid, Qt::Key_Home);
    QCOMPARE(w.m_currentGame, kGames[0]);
    // Five cells per row at 109 px in 572 px: Down moves one row on.
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(w.m_currentGame, kGames[5]);
    QTest::keyClick(grid, Qt::Key_Up);
    QCOMPARE(w.m_currentGame, kGames[0]);
    // A page down stays in the column: the whole list fits, so the last row.
    QTest::keyClick(grid, Qt::Key_PageDown);
    QCOMPARE(w.m_currentGame, kGames[5]);
    QTest::keyClick(grid, Qt::Key_PageUp);
    QCOMPARE(w.m_currentGame, kGames[0]);
    QTest::keyClick(grid, Qt::Key_Space, Qt::ControlModifier); // never leaves nothing selected
    QCOMPARE(selected(w), kGames[0]);

    // Delete asks, as the Delete button does; No keeps the game.
    dialogs.buttonAnswers.enqueue(QMessageBox::No);
    QTest::keyClick(grid, Qt::Key_Delete);
    QCOMPARE(dialogs.messageTexts(), QStringList{QStringLiteral("Delete '%1'?").arg(kGames[0])});
    QCOMPARE(w.m_gameGrid->count(), kGames.size());

    // F2 and Ctrl+E edit the selected game; Ctrl+N opens a new profile.
    for (const auto& [key, modifiers] :
         {std::pair{Qt::Key_F2, Qt::NoModifier}, std::pair{Qt::Key_E, Qt::ControlModifier}}) {
        QTest::keyClick(grid, Qt::Key_Right);
        const QString game = w.m_currentGame;
        QTest::keyClick(grid, key, modifiers);
        QCOMPARE(w.m_pages->currentWidget(), static_cast<QWidget*>(w.m_editorPage));
        QCOMPARE(w.m_editorPage->txtGameName->text(), game);
        QVERIFY(w.m_editorPage->btnSave->isEnabled());
        w.m_editorPage->btnGameList->click();
        QVERIFY(grid->hasFocus());
    }
    QTest::keyClick(grid, Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(w.m_pages->currentWidget(), static_cast<QWidget*>(w.m_editorPage));
    QVERIFY(w.m_editorPage->btnNewGame->isEnabled());
    QCOMPARE(w.m_editorPage->txtGameName->text(), QString());
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
    profilefixture::fillLists(*w.m_editorPage, w.m_pluginFiles);
    w.show();
    QCOMPARE(selected(w), kGames[0]);
    QTest::keyClicks(w.m_gameGrid, keys);
    QCOMPARE(selected(w), expected);
    QCOMPARE(w.m_currentGame, expected);
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
        QCOMPARE(w.m_sortList->currentText(), QStringLiteral("Name"));
        QCOMPARE(w.m_sortList->count(), 3);
        QCOMPARE(shown(w), kGames);
        w.selectGame(6);
        w.m_sortList->setFocus();
        QTest::keyClick(w.m_sortList, Qt::Key_Down);
        QCOMPARE(w.m_sortList->currentText(), QStringLiteral("Last played"));
        QCOMPARE(shown(w), lastPlayed);
        QCOMPARE(selected(w), kGames[6]); // the selection stays on its game
        QTest::keyClick(w.m_sortList, Qt::Key_Down);
        QCOMPARE(shown(w), mostPlayed);
        // Sorting and searching together.
        type(w.m_searchField, QStringLiteral("a"));
        QCOMPARE(shown(w), (QStringList{kGames[5], kGames[3], kGames[4], kGames[0], kGames[1]}));

        const QAbstractItemModel* model = w.m_gameGrid->model();
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
        QCOMPARE(w.m_sortList->currentText(), QStringLiteral("Most played"));
        QCOMPARE(shown(w), mostPlayed);
        QCOMPARE(w.m_currentGame, mostPlayed.first());
        // A rebuild (as after Add Game or Delete) keeps the order.
        w.loadGameList();
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
    profilefixture::fillLists(*w.m_editorPage, w.m_pluginFiles);
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    // The skin list is off: the test folder has no skins.
    QVERIFY(!w.m_skinList->isEnabled());
    const QList<QWidget*> expected = {w.m_searchField,  w.m_coversButton,  w.m_addFolderButton,
                                      w.m_sortList,     w.m_gameGrid,      w.m_deleteButton,
                                      w.m_startButton,  w.m_editButton,    w.m_newGameButton,
                                      w.m_runDiscCheck, w.m_mailLink,      w.m_homePageLink};
    const QList<QWidget*> cycle = tabCycle(w.m_searchField);
    QVERIFY2(cycle == expected, qPrintable(describe(cycle)));

    QVERIFY(w.m_startButton->toolTip().contains(QStringLiteral("(Enter)")));
    QVERIFY(w.m_deleteButton->toolTip().contains(QStringLiteral("(Delete)")));
    QVERIFY(w.m_editButton->toolTip().contains(QStringLiteral("F2")));
    QVERIFY(w.m_editButton->toolTip().contains(QStringLiteral("Ctrl+E")));
    QVERIFY(w.m_newGameButton->toolTip().contains(QStringLiteral("(Ctrl+N)")));

    // The editor page: Tab reaches every control that can take the focus, and
    // every one of them has a name a screen reader can say.
    w.m_newGameButton->click();
    QList<QWidget*> editorControls;
    for (QWidget* c : w.m_editorPage->findChildren<QWidget*>())
        if ((c->focusPolicy() & Qt::TabFocus) && c->isVisible() && c->isEnabled() && !c->focusProxy())
            editorControls.append(c);
    QVERIFY(editorControls.size() > 20);
    const QList<QWidget*> editorCycle = tabCycle(w.m_editorPage->txtGameName);
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
    profilefixture::fillLists(*w.m_editorPage, w.m_pluginFiles);
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.selectGame(4);
    QTest::keyClick(w.m_gameGrid, Qt::Key_F2);
    w.m_editorPage->txtGameName->setText(QStringLiteral("Katamari Forever"));
    w.m_editorPage->btnSave->click();
    QCOMPARE(w.m_currentGame, QStringLiteral("Katamari Forever"));
    PlayTimeStore store;
    store.setDatabasePath(f.db);
    QVERIFY(store.sessions(kGames[4]).isEmpty());
    QCOMPARE(store.stats().value(QStringLiteral("Katamari Forever")).seconds, qint64(90 * 60));
    QCOMPARE(w.m_gameGrid->model()->index(4, 0).data(Qt::ToolTipRole).toString(),
             QStringLiteral("Katamari Forever\nPlay time: 1 h 30 min\nLast played: today"));

    w.selectGame(6);
    QCOMPARE(w.m_currentGame, kGames[6]);
    dialogs.buttonAnswers.enqueue(QMessageBox::Yes);
    QTest::keyClick(w.m_gameGrid, Qt::Key_Delete);
    QCOMPARE(w.m_gameGrid->count(), kGames.size() - 1);
    QVERIFY(store.sessions(kGames[6]).isEmpty());
    QCOMPARE(store.stats().keys(), QStringList{QStringLiteral("Katamari Forever")});
}

QTEST_MAIN(TestLibrary)
#include "tst_library.moc"
