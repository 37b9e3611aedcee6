// Shows the game list page with a search typed, the sort choice on "Most
// played" and a game's tool tip, in one skin, and saves a picture of the
// screen (tool tips are windows of their own, so the screen, not the window,
// is taken). A tool for looking at the page under Xvfb:
//   xvfb-run -a -s "-screen 0 1280x1024x24" libraryshot /tmp/library.png [skin position]
#include "app/mainwindow.h"
#include "app/programsettings.h"

#include "gamelist/gamelistview.h"
#include "gamelist/jpegwriter.h"
#include "store/columntable.h"
#include "store/playtimestore.h"
#include "store/profilestore.h"
#include "support/dialogrecorder.h"
#include "support/testfolder.h"
#include "support/windowparts.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QLineEdit>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolTip>

namespace {

void copyFolder(const QString& from, const QString& to) {
    QDir().mkpath(to);
    for (const QFileInfo& entry : QDir(from).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (entry.isDir())
            copyFolder(entry.filePath(), to + u'/' + entry.fileName());
        else
            QFile::copy(entry.filePath(), to + u'/' + entry.fileName());
    }
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/library.png");
    const int skin = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 0;
    testsupport::removeProgramSettings();
    ProgramSettings settings;
    settings.createKey();
    settings.writeInt(QStringLiteral("Skin"), skin);

    DialogRecorder dialogs;
    TestFolder folder;
    copyFolder(QStringLiteral(KORVELLO_SOURCE_DIR "/Skins"), folder.file(QStringLiteral("Skins")));
    const QStringList games = {QStringLiteral("Ōkami"),
                               QStringLiteral("Katamari Damacy"),
                               QStringLiteral("Final Fantasy X"),
                               QStringLiteral("Shadow of the Colossus"),
                               QStringLiteral("Ico"),
                               QStringLiteral("Dragon Quest VIII"),
                               QStringLiteral("Ratchet & Clank"),
                               QStringLiteral("Jak and Daxter"),
                               QStringLiteral("Gran Turismo 4"),
                               QStringLiteral("Pokémon-like Adventure")};
    {
        ProfileStore store;
        store.setDatabasePath(folder.file(QStringLiteral("db.mdb")));
        for (int i = 0; i < games.size(); ++i) {
            GameProfile p;
            p.setValue(col::gamename, games.at(i));
            store.add(p);
            QImage thumb(100, 150, QImage::Format_RGB888);
            thumb.fill(QColor::fromHsv((i * 37) % 360, 120, 200));
            jpeg::writeFile(thumb, folder.file(QStringLiteral("Images/thumb_%1.jpg").arg(games.at(i))), 90);
        }
        PlayTimeStore playTime;
        playTime.setDatabasePath(folder.file(QStringLiteral("db.mdb")));
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        playTime.closeSession(playTime.openSession(games[0], 1, QStringLiteral("b/1"), now - 43'500'000),
                              now);
        playTime.closeSession(playTime.openSession(games[1], 1, QStringLiteral("b/1"), now - 90'000'000),
                              now - 86'400'000);
        playTime.closeSession(playTime.openSession(games[8], 1, QStringLiteral("b/1"), now - 999'000'000),
                              now - 900'000'000);
    }
    MainWindow window(folder.path());
    window.move(0, 0);
    window.show();
    parts(window).sortList->setCurrentIndex(2);
    emit parts(window).sortList->activated(2);
    QTest::keyClicks(parts(window).searchField, QStringLiteral("a"));
    QTimer::singleShot(600, [&] {
        GameListView* grid = parts(window).gameGrid;
        const QRect cell = grid->visualRect(grid->model()->index(0, 0));
        const QPoint at = grid->viewport()->mapToGlobal(cell.center());
        QToolTip::showText(at, grid->model()->index(0, 0).data(Qt::ToolTipRole).toString(), grid->viewport(),
                           cell);
        QTimer::singleShot(600, [&] {
            QGuiApplication::primaryScreen()->grabWindow(0).copy(0, 0, 1100, 760).save(out);
            app.quit();
        });
    });
    return app.exec();
}
