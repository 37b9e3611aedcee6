// Shows the editor page as the main window holds it (1006 by 700, Arial 10 px,
// in a page control without tabs), in new mode with the lists filled as
// discovery fills them, and saves a picture of it. A tool for looking at the
// layout under Xvfb:  xvfb-run -a -s "-screen 0 1280x1024x24" editorshot /tmp/editor.png
#include "editorpage.h"
#include "pagefixture.h"

#include <QApplication>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/editor.png");
    QWidget window;
    window.setFixedSize(1006, 700);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(10);
    window.setFont(font);
    auto* pages = new QTabWidget(&window);
    pages->setGeometry(0, 0, 1006, 700);
    pages->tabBar()->hide();
    pages->setDocumentMode(true);
    auto* page = new EditorPage(pages);
    pages->addTab(page, QStringLiteral("New/Edit Game"));
    pagefixture::fillLists(*page, true);
    page->iniPath = QStringLiteral("/opt/pcsx2/inis");
    page->btnDefaultClick();
    window.move(0, 0);
    window.show();
    QTimer::singleShot(800, [&] {
        window.grab().save(out);
        for (const QString& line : pagefixture::crampedControls(page))
            qInfo("%s", qPrintable(line));
        for (QWidget* w : page->findChildren<QWidget*>()) {
            if (w->parentWidget() == page)
                qInfo("%s at %d,%d size %dx%d, minimum %dx%d", qPrintable(w->objectName()), w->x(), w->y(),
                      w->width(), w->height(), w->minimumSizeHint().width(), w->minimumSizeHint().height());
        }
        app.quit();
    });
    return app.exec();
}
