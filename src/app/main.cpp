#include "appinfo.h"
#include "tfrmmain.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(appinfo::kTitle);
    TfrmMain frmMain(appinfo::AppFolder());
    frmMain.show();
    return QApplication::exec();
}
