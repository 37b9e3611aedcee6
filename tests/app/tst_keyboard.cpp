// The keyboard in the real window, under a window manager on an X server: the
// window takes the focus when it opens, Tab and Shift+Tab walk every control of
// both pages in reading order and wrap, and the focus comes back after a message
// box, in the window's no-task-bar state. Keys are pressed through the X server
// (xdotool), as a user's keyboard sends them.
#include "app/mainwindow.h"
#include "editor/editorpage.h"
#include "gamelist/gamelistview.h"
#include "store/profilestore.h"
#include "support/dialogrecorder.h"
#include "support/profilefixture.h"
#include "support/testfolder.h"
#include "support/windowparts.h"
#include "x11desktop.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QTimer>
#include <QtTest>

namespace {

QString describe(const QWidget* w) {
    if (!w)
        return QStringLiteral("(nothing)");
    return QStringLiteral("%1 %2").arg(QString::fromLatin1(w->metaObject()->className()), w->objectName());
}

// Presses keys through the X server, as the keyboard would.
void press(const char* keys) {
    QCOMPARE(QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), QLatin1String(keys)}), 0);
}

struct Library {
    TestFolder folder;
    explicit Library(const QStringList& names) {
        ProfileStore store;
        store.setDatabasePath(folder.file(QStringLiteral("db.mdb")));
        for (const QString& name : names)
            store.add(profilefixture::nonDefaultProfile(name));
    }
};

// The controls that Tab must reach on a page: visible, enabled, taking the focus by Tab.
QList<QWidget*> tabStops(QWidget* page) {
    QList<QWidget*> stops;
    for (QWidget* w : page->findChildren<QWidget*>()) {
        if (w->isVisibleTo(page) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy() &&
            !w->inherits("QScrollBar") && !w->inherits("QComboBoxPrivateContainer") &&
            !w->window()->inherits("QMenu"))
            stops.append(w);
    }
    return stops;
}

} // namespace

class TestKeyboard : public QObject {
    Q_OBJECT
public:
    explicit TestKeyboard(X11Desktop& desktop, bool ready) : m_desktop(desktop), m_ready(ready) {}

private slots:
    void initTestCase();
    void gameListPageWalk();
    void editorPageWalk();
    void focusComesBackAfterMessageBox();

private:
    X11Desktop& m_desktop;
    bool m_ready;
};

void TestKeyboard::initTestCase() {
    testsupport::removeProgramSettings();
    if (m_desktop.error().contains(QStringLiteral("not installed")))
        QSKIP(qPrintable(m_desktop.error()));
    QVERIFY2(m_ready, qPrintable(m_desktop.error()));
}

void TestKeyboard::gameListPageWalk() {
    DialogRecorder dialogs;
    Library library({QStringLiteral("Ico"), QStringLiteral("Okami"), QStringLiteral("Rez")});
    MainWindow w(library.folder.path(), {QStringLiteral(KORVELLO_SOURCE_DIR "/")}); // with the skins
    w.show();
    // The window takes the keyboard when it opens, with the grid's first game.
    QTRY_VERIFY(w.isActiveWindow());
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(parts(w).gameGrid));

    const QList<QWidget*> forward{parts(w).deleteButton,  parts(w).startButton,     parts(w).editButton,
                                  parts(w).newGameButton, parts(w).runDiscCheck,    parts(w).skinList,
                                  parts(w).mailLink,      parts(w).homePageLink,    parts(w).searchField,
                                  parts(w).coversButton,  parts(w).addFolderButton, parts(w).sortList,
                                  parts(w).gameGrid};
    // Every control of the page is on the walk.
    for (QWidget* stop : tabStops(parts(w).gameListPage))
        QVERIFY2(forward.contains(stop), qPrintable(describe(stop) + QStringLiteral(" is not on the walk")));
    for (QWidget* expected : forward) {
        press("Tab");
        QTRY_COMPARE_WITH_TIMEOUT(describe(QApplication::focusWidget()), describe(expected), 2000);
    }
    // Back the same way, past the first control to the last.
    for (qsizetype i = forward.size() - 2; i >= -1; --i) {
        press("shift+Tab");
        QWidget* expected = i >= 0 ? forward.at(i) : forward.last();
        QTRY_COMPARE_WITH_TIMEOUT(describe(QApplication::focusWidget()), describe(expected), 2000);
    }
}

void TestKeyboard::editorPageWalk() {
    DialogRecorder dialogs;
    Library library({QStringLiteral("Ico")});
    MainWindow w(library.folder.path());
    w.show();
    QTRY_VERIFY(w.isActiveWindow());
    parts(w).editButton->click();
    EditorPage* page = parts(w).editorPage;
    QTRY_VERIFY(page->isVisible());
    const QList<QWidget*> stops = tabStops(page);
    QVERIFY(stops.size() > 60);
    page->txtGameName->setFocus(Qt::OtherFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(page->txtGameName));

    // Tab until the walk comes back to where it started.
    QList<QWidget*> walk{page->txtGameName};
    for (int presses = 0; presses <= stops.size() + 1; ++presses) {
        QWidget* before = QApplication::focusWidget();
        press("Tab");
        QTRY_VERIFY_WITH_TIMEOUT(QApplication::focusWidget() != before, 2000);
        if (QApplication::focusWidget() == walk.first())
            break;
        QWidget* now = QApplication::focusWidget();
        QVERIFY2(!walk.contains(now), qPrintable(describe(now) + QStringLiteral(" reached twice")));
        QVERIFY2(now->window() == &w && page->isAncestorOf(now),
                 qPrintable(describe(now) + QStringLiteral(" is not on the page")));
        walk.append(now);
    }
    QCOMPARE(QApplication::focusWidget(), walk.first()); // wrapped
    for (QWidget* stop : stops) {
        // Tab reaches a group of radio buttons once, at its chosen button;
        // the arrow keys move within it.
        if (qobject_cast<QRadioButton*>(stop)) {
            const bool groupReached = std::any_of(walk.cbegin(), walk.cend(), [stop](QWidget* w) {
                return qobject_cast<QRadioButton*>(w) && w->parentWidget() == stop->parentWidget();
            });
            QVERIFY2(groupReached,
                     qPrintable(describe(stop->parentWidget()) + QStringLiteral(" is never reached")));
            continue;
        }
        QVERIFY2(walk.contains(stop), qPrintable(describe(stop) + QStringLiteral(" is never reached")));
    }

    // Reading order: the page's four columns one after the other, and in
    // each column from the top down (left to right along a line).
    QWidget* area = page->groupArea();
    auto column = [area](QWidget* w) {
        QWidget* top = w;
        while (top->parentWidget() != area)
            top = top->parentWidget();
        return top->x();
    };
    auto place = [area](QWidget* w) { return w->mapTo(area, QPoint(0, 0)); };
    // The walk from the first control of the page.
    const qsizetype start =
        std::min_element(walk.cbegin(), walk.cend(),
                         [&](QWidget* a, QWidget* b) {
                             const QPoint pa = place(a), pb = place(b);
                             return std::make_pair(column(a), pa.y()) < std::make_pair(column(b), pb.y());
                         }) -
        walk.cbegin();
    for (qsizetype i = 1; i < walk.size(); ++i) {
        QWidget* a = walk.at((start + i - 1) % walk.size());
        QWidget* b = walk.at((start + i) % walk.size());
        const QString step = describe(a) + QStringLiteral(" -> ") + describe(b);
        if (column(b) != column(a)) {
            QVERIFY2(column(b) > column(a), qPrintable(step + QStringLiteral(": back to an earlier column")));
            continue;
        }
        const QPoint pa = place(a), pb = place(b);
        // On one line when they overlap from top to bottom.
        const bool sameLine = pa.y() < pb.y() + b->height() && pb.y() < pa.y() + a->height();
        // A block of controls in columns is read down one column, then the next.
        const bool nextColumn = pb.y() < pa.y() && pb.x() >= pa.x() + a->width() / 2;
        QVERIFY2(sameLine ? pb.x() > pa.x() : pb.y() > pa.y() || nextColumn,
                 qPrintable(step + QStringLiteral(": not reading order")));
    }
    // The scroll area keeps the focused control in view.
    const auto* scroll = page->findChild<QScrollArea*>(QStringLiteral("editorScroll"));
    QVERIFY(scroll);
    for (QWidget* stop : {walk.at((start + walk.size() - 1) % walk.size())}) {
        stop->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(scroll->viewport()->rect().contains(
            QRect(stop->mapTo(scroll->viewport(), QPoint(0, 0)), stop->size())));
    }

    // Shift+Tab walks back.
    QWidget* last = QApplication::focusWidget();
    const qsizetype at = walk.indexOf(last);
    press("shift+Tab");
    QTRY_COMPARE(describe(QApplication::focusWidget()),
                 describe(walk.at((at + walk.size() - 1) % walk.size())));
}

void TestKeyboard::focusComesBackAfterMessageBox() {
    Library library({QStringLiteral("Ico"), QStringLiteral("Rez")});
    MainWindow w(library.folder.path());
    w.show();
    QTRY_VERIFY(w.isActiveWindow());
    parts(w).deleteButton->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(parts(w).deleteButton));

    // "Delete 'Ico'?" comes up, a real box; once it has the keyboard, Escape
    // answers No through the X server.
    bool boxSeen = false;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&boxSeen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (boxSeen || !box || !box->isActiveWindow())
            return;
        boxSeen = true;
        press("Escape");
    });
    poll.start(50);
    press("space");
    QTRY_VERIFY(boxSeen);
    QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);
    QCOMPARE(parts(w).gameGrid->count(), 2);
    // The window has the keyboard again, on the button that asked.
    QTRY_VERIFY(w.isActiveWindow());
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(parts(w).deleteButton));
    press("Tab");
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(parts(w).startButton));
}

int main(int argc, char* argv[]) {
    // The window manager runs before the application connects, as on a desktop.
    X11Desktop desktop;
    const bool ready = desktop.startWindowManager();
    QApplication app(argc, argv);
    TestKeyboard test(desktop, ready);
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_keyboard.moc"
