#include "app/mainwindow.h"
#include "core/appinfo.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(appinfo::kTitle);
    MainWindow frmMain(appinfo::AppFolder());
    frmMain.show();
    return QApplication::exec();
}
