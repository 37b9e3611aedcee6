// Shows the main window on its editor page in new mode, as "New" leaves it,
// prints every control drawn too small to read and saves a picture of the
// window. A tool for looking at the layout under Xvfb:
//   xvfb-run -a -s "-screen 0 1280x1024x24" editorshot /tmp/editor.png [hold-ms]
// While it holds, `xwd -root -display $DISPLAY | convert xwd:- shot.png` takes
// the screen as the X server shows it.
#include "app/mainwindow.h"
#include "editor/editorpage.h"
#include "pagefixture.h"
#include "support/dialogrecorder.h"
#include "support/testfolder.h"
#include "support/windowparts.h"

#include <QApplication>
#include <QComboBox>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/editor.png");
    const int hold = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 800;
    DialogRecorder dialogs;
    TestFolder folder;
    MainWindow window(folder.path());
    // Lists as discovery fills them on a system with every renderer and plug-ins.
    parts(window).editorPage->cmbGSPlugin->addItem(QStringLiteral("GSdx 5334 (MSVC 16.00, SSE2) 0.1.16"));
    parts(window).editorPage->cmbRenderer->clear();
    pagefixture::fillRenderers(*parts(window).editorPage, true);
    parts(window).commands->openNewProfile();
    window.move(0, 0);
    window.show();
    QTimer::singleShot(hold, [&] {
        window.grab().save(out);
        for (const QString& line : pagefixture::crampedControls(parts(window).editorPage))
            qInfo("%s", qPrintable(line));
        app.quit();
    });
    return app.exec();
}
