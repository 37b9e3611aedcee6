// A tool, not a test: pictures of both pages, a file dialog and a message box
// in every shipped skin, for looking at them. Under Xvfb:
//   xvfb-run -a -s "-screen 0 1280x1024x24" skinshot /tmp/shots
#include "app/mainwindow.h"
#include "app/skinmanager.h"
#include "store/profilestore.h"
#include "support/dialogrecorder.h"
#include "support/profilefixture.h"
#include "support/testfolder.h"
#include "support/windowparts.h"
#include "ui/dialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFileDialog>
#include <QTabWidget>
#include <QtTest>

namespace {

void copyTree(const QString& from, const QString& to) {
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = to + u'/' + QDir(from).relativeFilePath(file);
        QDir().mkpath(QFileInfo(target).path());
        QFile::copy(file, target);
    }
}

void settle(QWidget* w) {
    if (!QTest::qWaitForWindowExposed(w))
        qWarning("window not exposed");
    QTest::qWait(300);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/shots");
    QDir().mkpath(out);
    DialogRecorder dialogs;
    TestFolder folder;
    copyTree(QStringLiteral(KORVELLO_SOURCE_DIR "/Skins"), folder.file(QStringLiteral("Skins")));
    {
        ProfileStore store;
        store.setDatabasePath(folder.file(QStringLiteral("db.mdb")));
        for (const QString& name : {QStringLiteral("Ico"), QStringLiteral("Okami"), QStringLiteral("Rez")})
            store.add(profilefixture::nonDefaultProfile(name));
    }
    QDir(folder.path()).mkpath(QStringLiteral("Some folder"));
    QFile(folder.file(QStringLiteral("cover.jpg"))).open(QIODevice::WriteOnly);

    MainWindow w(folder.path());
    fillWindowLists(w);
    w.move(0, 0);
    w.show();
    settle(&w);
    for (int i = 0; i < parts(w).skinList->count(); ++i) {
        const QString skin = parts(w).skinList->itemText(i);
        parts(w).skinList->setCurrentIndex(i);
        emit parts(w).skinList->activated(parts(w).skinList->currentIndex());
        parts(w).commands->showGameList();
        settle(&w);
        w.grab().save(out + u'/' + skin + QStringLiteral("-list.png"));
        parts(w).commands->editSelectedGame();
        settle(&w);
        w.grab().save(out + u'/' + skin + QStringLiteral("-editor.png"));
        parts(w).commands->showGameList();

        QFileDialog files(&w, QStringLiteral("Open"), folder.path(), QStringLiteral("*.jpg (*.jpg)"));
        files.setOption(QFileDialog::DontUseNativeDialog);
        files.setViewMode(QFileDialog::Detail);
        files.show();
        settle(&files);
        files.grab().save(out + u'/' + skin + QStringLiteral("-files.png"));
        files.close();

        const std::unique_ptr<QMessageBox> box =
            Dialogs::makeMessageBox(&w, {Dialogs::Kind::Message,
                                         QStringLiteral("Warning"),
                                         QStringLiteral("Delete 'Ico'?"),
                                         QMessageBox::Warning,
                                         QMessageBox::Yes | QMessageBox::No,
                                         {},
                                         QMessageBox::No,
                                         {}});
        box->show();
        settle(box.get());
        box->grab().save(out + u'/' + skin + QStringLiteral("-message.png"));
    }
    return 0;
}
