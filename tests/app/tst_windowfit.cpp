// The window on a desktop as users have it: a window manager, a 40 pixel panel
// along the bottom of the screen, and the screen's scale (the test runs at 150 %
// on a 1920 by 1080 screen: QT_SCALE_FACTOR and the screen size come from its
// command). The window and every button of both pages lie inside the work
// area; the settings page scrolls to the buttons it cannot show at once; the
// window is resizable and opens again at the size it was left at.
//
// With KORVELLO_WINDOW_SHOTS naming a folder, pictures of the whole screen in
// every skin and on both pages are written there, named <scale>-<skin>-<page>.png.
#include "app/mainwindow.h"
#include "editor/editorpage.h"
#include "gamelist/gamelistview.h"
#include "gamelist/posterview.h"
#include "store/profilestore.h"
#include "support/dialogrecorder.h"
#include "support/profilefixture.h"
#include "support/testfolder.h"
#include "support/windowparts.h"
#include "x11desktop.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QtTest>

namespace {

struct Library {
    TestFolder folder;
    explicit Library(int games) {
        ProfileStore store;
        store.setDatabasePath(folder.file(QStringLiteral("db.mdb")));
        for (int i = 1; i <= games; ++i)
            store.add(profilefixture::nonDefaultProfile(QStringLiteral("Game %1").arg(i)));
    }
    // The program's own pictures and skins, from the source tree.
    static QStringList programFiles() { return {QStringLiteral(KORVELLO_SOURCE_DIR "/")}; }
};

QRect onScreen(const QWidget* w) {
    return QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
}

// What the screen shows, in device pixels.
QImage grabScreen(const QWidget& w) {
    QCoreApplication::processEvents();
    return w.screen()->grabWindow(0).toImage();
}

QString describe(const QWidget* w) {
    return QStringLiteral("%1 \"%2\" at %3,%4 %5x%6")
        .arg(w->objectName(), w->property("text").toString())
        .arg(onScreen(w).x())
        .arg(onScreen(w).y())
        .arg(w->width())
        .arg(w->height());
}

// The controls a user presses or picks on a page.
QList<QWidget*> buttons(QWidget* page) {
    QList<QWidget*> found;
    for (QWidget* w : page->findChildren<QWidget*>())
        if (w->isVisibleTo(page) && (qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w)) &&
            !w->inherits("QToolButton"))
            found.append(w);
    return found;
}

} // namespace

class TestWindowFit : public QObject {
    Q_OBJECT
public:
    // The desktop is set up before the application connects, as a user's is.
    explicit TestWindowFit(X11Desktop& desktop, bool ready) : m_desktop(desktop), m_ready(ready) {}

private slots:
    void initTestCase();
    void everyButtonInsideTheWorkArea();
    void resizedWindowIsRemembered();

private:
    X11Desktop& m_desktop;
    bool m_ready;
    QRect m_area; // the work area in the window's (logical) pixels
};

void TestWindowFit::initTestCase() {
    testsupport::removeProgramSettings();
    if (m_desktop.error().contains(QStringLiteral("not installed")))
        QSKIP(qPrintable(m_desktop.error()));
    QVERIFY2(m_ready, qPrintable(m_desktop.error()));
    QScreen* screen = QGuiApplication::primaryScreen();
    // The panel's edge, as the window manager reports it, in the window's pixels.
    const QRect work = m_desktop.workArea();
    const qreal ratio = screen->devicePixelRatio();
    // Qt learns of the work area from the window manager's property change, a
    // little after the panel took its place: on a busy machine, some time after.
    QTRY_VERIFY2_WITH_TIMEOUT(work.height() < screen->geometry().height() * ratio &&
                                  std::abs(screen->availableGeometry().height() * ratio - work.height()) <=
                                      2 * ratio,
                              qPrintable(QStringLiteral("work area %1 device pixels tall, Qt's %2")
                                             .arg(work.height())
                                             .arg(screen->availableGeometry().height())),
                              10000);
    m_area = screen->availableGeometry();
    qInfo("screen %dx%d at scale %.2f, work area %dx%d", screen->geometry().width(),
          screen->geometry().height(), screen->devicePixelRatio(), m_area.width(), m_area.height());
}

void TestWindowFit::everyButtonInsideTheWorkArea() {
    DialogRecorder dialogs;
    Library library(7);
    MainWindow w(library.folder.path(), Library::programFiles());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    // The whole window, title bar included, once the window manager has framed it.
    QTRY_VERIFY2(w.frameGeometry() != w.geometry() && m_area.contains(w.frameGeometry()),
                 qPrintable(QStringLiteral("frame %1,%2 %3x%4")
                                .arg(w.frameGeometry().x())
                                .arg(w.frameGeometry().y())
                                .arg(w.frameGeometry().width())
                                .arg(w.frameGeometry().height())));

    const QString shots = qEnvironmentVariable("KORVELLO_WINDOW_SHOTS");
    const QString scale = QString::number(qRound(w.devicePixelRatioF() * 100));
    const int skins = std::max(1, parts(w).skinList->count());
    for (int skin = 0; skin < skins; ++skin) {
        if (parts(w).skinList->count() > 0) {
            parts(w).skinList->setCurrentIndex(skin);
            emit parts(w).skinList->activated(parts(w).skinList->currentIndex());
        }
        const QString skinName =
            parts(w).skinList->count() > 0 ? parts(w).skinList->itemText(skin) : QStringLiteral("none");

        parts(w).commands->showGameList();
        QTRY_VERIFY(parts(w).gameListPage->isVisible());
        const QList<QWidget*> listButtons = buttons(parts(w).gameListPage);
        QVERIFY(listButtons.size() >= 6);
        for (QWidget* b : listButtons)
            QVERIFY2(m_area.contains(onScreen(b)), qPrintable(skinName + u' ' + describe(b)));
        // The grid and the poster use what the window gives them.
        QVERIFY(parts(w).gameGrid->width() >= 2 * 109);
        const QRect poster = parts(w).poster->frame();
        QVERIFY(std::abs(poster.width() * 636 - poster.height() * 429) <= 636);
        if (!shots.isEmpty()) {
            QTest::qWait(200);
            QVERIFY(w.screen()->grabWindow(0).save(
                QDir(shots).filePath(QStringLiteral("%1-%2-list.png").arg(scale, skinName))));
        }

        // The skin's window colour, where nothing covers the window.
        const QPoint listBackdrop = parts(w).gameListPage->mapToGlobal(QPoint(1, 1));
        const QColor windowColour = grabScreen(w).pixelColor(listBackdrop * w.devicePixelRatioF());

        parts(w).editButton->click();
        QTRY_VERIFY(parts(w).editorPage->isVisible());
        {
            // Between the first two columns of groups, the same colour shows: nothing
            // behind the groups is filled with another.
            QGroupBox* first = nullptr;
            for (QGroupBox* box : parts(w).editorPage->findChildren<QGroupBox*>())
                if (box->parentWidget() == parts(w).editorPage->groupArea() &&
                    (!first || box->pos().x() + box->pos().y() < first->pos().x() + first->pos().y()))
                    first = box;
            QVERIFY(first);
            const QPoint gap = first->mapToGlobal(QPoint(first->width() + 1, first->height() / 2));
            QTRY_COMPARE(grabScreen(w).pixelColor(gap * w.devicePixelRatioF()).name(), windowColour.name());
        }
        auto* scroll = parts(w).editorPage->findChild<QScrollArea*>(QStringLiteral("editorScroll"));
        QVERIFY(scroll);
        // Where the groups fit, no scroll bar takes their room (Qt alone kept both bars,
        // with nothing to scroll, and the last column's edge went under one).
        const QSize need = scroll->widget()->minimumSizeHint();
        if (scroll->width() >= need.width())
            QTRY_VERIFY2(!scroll->horizontalScrollBar()->isVisible(), qPrintable(skinName));
        if (scroll->height() >= need.height())
            QTRY_VERIFY2(!scroll->verticalScrollBar()->isVisible(), qPrintable(skinName));
        const QRect view = onScreen(scroll->viewport());
        QVERIFY(m_area.contains(view));
        if (!shots.isEmpty()) {
            QTest::qWait(200);
            QVERIFY(w.screen()->grabWindow(0).save(
                QDir(shots).filePath(QStringLiteral("%1-%2-editor.png").arg(scale, skinName))));
        }
        const QList<QWidget*> editorButtons = buttons(parts(w).editorPage);
        QVERIFY(editorButtons.size() > 50);
        for (QWidget* b : editorButtons) {
            // Scrolled to where the user finds it: then whole, inside the page and the work area.
            scroll->ensureWidgetVisible(b, 0, 0);
            QVERIFY2(view.contains(onScreen(b)) && m_area.contains(onScreen(b)),
                     qPrintable(skinName + u' ' + describe(b) +
                                QStringLiteral(", the page's view at %1,%2 %3x%4")
                                    .arg(view.x())
                                    .arg(view.y())
                                    .arg(view.width())
                                    .arg(view.height())));
        }
        if (!shots.isEmpty()) {
            QTest::qWait(200);
            QVERIFY(w.screen()->grabWindow(0).save(
                QDir(shots).filePath(QStringLiteral("%1-%2-editor-end.png").arg(scale, skinName))));
        }
    }
    // A skin picked on the settings page counts as a change there: leaving it asks, nothing else does.
    for (const QString& text : dialogs.messageTexts())
        QVERIFY2(text.startsWith(QStringLiteral("Discard the changes")), qPrintable(text));
}

void TestWindowFit::resizedWindowIsRemembered() {
    DialogRecorder dialogs;
    Library library(30);
    QRect left;
    {
        MainWindow w(library.folder.path(), Library::programFiles());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const int columnsBefore = parts(w).gameGrid->viewport()->width() / 109;
        // Narrower than the first size, as far as the window goes.
        w.resize(w.minimumSize());
        QTRY_COMPARE(w.size(), w.minimumSize());
        QVERIFY(parts(w).gameGrid->viewport()->width() / 109 < columnsBefore);
        w.resize(m_area.width() - 40, w.minimumHeight() + 20);
        QTRY_COMPARE(w.width(), m_area.width() - 40);
        // A wider window: more columns of games.
        QTRY_VERIFY(parts(w).gameGrid->viewport()->width() / 109 > columnsBefore);
        left = w.geometry();
        w.close();
    }
    MainWindow again(library.folder.path(), Library::programFiles());
    again.show();
    QVERIFY(QTest::qWaitForWindowExposed(&again));
    QTRY_COMPARE(again.size(), left.size());
}

int main(int argc, char* argv[]) {
    X11Desktop desktop;
    const bool ready = desktop.startWindowManager() && desktop.addBottomPanel(40);
    QApplication app(argc, argv);
    TestWindowFit test(desktop, ready);
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_windowfit.moc"
