// Pictures of "Download covers...": the dialog with its addresses, and the
// progress while covers arrive from a local server that answers slowly. The
// screen is taken by ImageMagick's `import` from the X server, as a user sees
// it. The summary at the end is shown as the real box, its details open. A tool
// for looking at the dialog under Xvfb:
//   xvfb-run -a -s "-screen 0 1366x768x24" coversshot /tmp/dialog.png /tmp/progress.png /tmp/summary.png
#include "app/coverdownloaddialog.h"
#include "app/gamelistpage.h"
#include "app/mainwindow.h"
#include "store/columntable.h"
#include "store/profilestore.h"
#include "support/dialogrecorder.h"
#include "support/httptestserver.h"
#include "support/testfolder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QBuffer>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

namespace {

void grabScreen(const QString& out) {
    QProcess::execute(QStringLiteral("import"),
                      {QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("-crop"),
                       QStringLiteral("1100x760+0+0"), out});
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString dialogShot =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/covers-dialog.png");
    const QString progressShot =
        argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("/tmp/covers-progress.png");
    const QString summaryShot =
        argc > 3 ? QString::fromLocal8Bit(argv[3]) : QStringLiteral("/tmp/covers-summary.png");
    testsupport::removeProgramSettings();
    DialogRecorder dialogs;
    TestFolder folder;
    HttpTestServer server;
    server.listen();
    const QStringList games = {
        "Dragon Quest VIII",      "Final Fantasy X", "Gran Turismo 4", "Ico",
        "Jak and Daxter",         "Katamari Damacy", "Okami",          "Ratchet & Clank",
        "Shadow of the Colossus", "Silent Hill 2"};
    {
        ProfileStore store;
        store.setDatabasePath(folder.file(QStringLiteral("db.mdb")));
        for (int i = 0; i < games.size(); ++i) {
            GameProfile p;
            p.setValue(col::gamename, games[i]);
            p.setValue(col::PCSX2CurrentIso, QStringLiteral("/games/%1.iso").arg(games[i]));
            store.add(p);
            QImage cover(300, 420, QImage::Format_RGB888);
            cover.fill(QColor::fromHsv((i * 37) % 360, 140, 210));
            QByteArray bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            cover.save(&buffer, "JPG", 90);
            HttpTestServer::Route route;
            route.body = bytes;
            // The first covers come at once, the others trickle, so the progress stays on screen.
            route.mode = i < 3 ? HttpTestServer::Mode::Complete : HttpTestServer::Mode::Trickle;
            server.setRoute("/covers/" + QUrl::toPercentEncoding(games[i]) + ".jpg", route);
        }
    }
    server.trickleMs = 1;
    MainWindow window(folder.path());
    window.move(0, 0);
    window.show();
    QTimer::singleShot(500, [&] {
        window.findChild<QPushButton*>(QStringLiteral("coversButton"))->click();
        auto* dialog = window.findChild<CoverDownloadDialog*>();
        dialog->findChild<QPlainTextEdit*>(QStringLiteral("coverTemplates"))
            ->setPlainText(QStringLiteral("https://covers.example.org/ps2/${serial}.jpg\n") + server.base() +
                           QStringLiteral("/covers/${title}.jpg"));
        QTimer::singleShot(700, [&, dialog] {
            grabScreen(dialogShot);
            dialog->findChild<QPushButton*>(QStringLiteral("coversStart"))->click();
            QTimer::singleShot(1500, [&] { grabScreen(progressShot); });
        });
    });
    QObject::connect(window.gameListPage(), &GameListPage::coverDownloadFinished, &app, [&] {
        Dialogs::Request summary = dialogs.requests.last();
        auto box = Dialogs::makeMessageBox(&window, summary);
        box->show();
        for (QAbstractButton* button : box->buttons())
            if (box->buttonRole(button) == QMessageBox::ActionRole)
                button->click();
        QTimer::singleShot(700, [&, shown = box.release()] {
            grabScreen(summaryShot);
            delete shown;
            app.quit();
        });
    });
    return app.exec();
}
