// The real message boxes that the dialog seam shows: the whole title fits the
// title bar, texts are plain text, warnings and errors carry their icon, and Enter presses the
// default button that the caller chose.
#include "ui/dialogs.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

namespace {

// The width of a title in a title bar: window managers draw it in a bold font
// larger than the program's 10-pixel one, beside an icon and their buttons.
int titleBarWidth(const QString& title) {
    QFont font;
    font.setPixelSize(14);
    font.setBold(true);
    return QFontMetrics(font).horizontalAdvance(title) + 100;
}

} // namespace

class TestMessageBox : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        // The program's own small font, as the main window sets it.
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(10);
        QApplication::setFont(font);
    }

    void wholeTitleAndIcon_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QMessageBox::Icon>("icon");
        QTest::newRow("short text, program title") << "Korvello (Tessaly)"
                                                   << "Alredy exists" << QMessageBox::NoIcon;
        QTest::newRow("warning") << "Warning"
                                 << "Delete 'Ico'?" << QMessageBox::Warning;
        QTest::newRow("error") << "Korvello (Tessaly)"
                               << "The emulator \"/opt/pcsx2/pcsx2.exe\" does not exist."
                               << QMessageBox::Critical;
        // Texts come from files (a damaged entry of the thumbnail cache, a
        // file name): what looks like markup is shown as it is.
        QTest::newRow("text that looks like markup")
            << "Korvello (Tessaly)"
            << "<b>Not a JPEG</b> file: <a href=\"x\">thumb_<Ico>.jpg</a>" << QMessageBox::Critical;
    }
    void wholeTitleAndIcon() {
        QFETCH(QString, title);
        QFETCH(QString, text);
        QFETCH(QMessageBox::Icon, icon);
        const std::unique_ptr<QMessageBox> box = Dialogs::makeMessageBox(
            nullptr, {Dialogs::Kind::Message, title, text, icon, QMessageBox::Ok, {}, {}, {}});
        box->show();
        QVERIFY(QTest::qWaitForWindowExposed(box.get()));
        QVERIFY2(box->width() >= titleBarWidth(title), qPrintable(QString::number(box->width())));
        QCOMPARE(box->windowTitle(), title);
        // The whole text, on a label at least as wide as the text needs.
        QLabel* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        QVERIFY(label);
        QCOMPARE(label->text(), text);
        QCOMPARE(label->textFormat(), Qt::PlainText);
        QVERIFY(label->width() >= label->fontMetrics().horizontalAdvance(text));
        QLabel* iconLabel = box->findChild<QLabel*>(QStringLiteral("qt_msgboxex_icon_label"));
        if (icon == QMessageBox::NoIcon) {
            QVERIFY(!iconLabel || !iconLabel->isVisible() || iconLabel->pixmap().isNull());
        } else {
            QVERIFY(iconLabel && iconLabel->isVisible());
            QVERIFY(!iconLabel->pixmap().isNull());
        }
    }

    // Enter presses the chosen default: for the Delete question, "No".
    void enterPressesTheDefault_data() {
        QTest::addColumn<QMessageBox::StandardButton>("defaultButton");
        QTest::newRow("No") << QMessageBox::No;
        QTest::newRow("Yes") << QMessageBox::Yes;
    }
    void enterPressesTheDefault() {
        QFETCH(QMessageBox::StandardButton, defaultButton);
        QTimer::singleShot(0, [] {
            QWidget* box = QApplication::activeModalWidget();
            QVERIFY(box);
            QTest::keyClick(box, Qt::Key_Return);
        });
        const QMessageBox::StandardButton answer =
            Dialogs::message(nullptr, QStringLiteral("Warning"), QStringLiteral("Delete 'Ico'?"),
                             QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No, defaultButton);
        QCOMPARE(answer, defaultButton);
    }

    // A summary that names hundreds of games keeps them in the details area,
    // which scrolls: the box, details open, still fits a 1366 x 768 screen.
    void longDetailsFitASmallScreen() {
        QStringList lines;
        for (int i = 0; i < 400; ++i)
            lines << QStringLiteral("    A game with a rather long name, number %1 (USA) (En,Fr,De,Es,It)")
                         .arg(i);
        Dialogs::Request request{Dialogs::Kind::Message,
                                 QStringLiteral("Download covers"),
                                 QStringLiteral("Covers downloaded: 0\nNot found: 0\nFailed: 400"),
                                 QMessageBox::NoIcon,
                                 QMessageBox::Ok,
                                 {},
                                 {},
                                 lines.join(u'\n')};
        const std::unique_ptr<QMessageBox> box = Dialogs::makeMessageBox(nullptr, request);
        box->show();
        QVERIFY(QTest::qWaitForWindowExposed(box.get()));
        QAbstractButton* showDetails = nullptr;
        for (QAbstractButton* button : box->buttons())
            if (box->buttonRole(button) == QMessageBox::ActionRole)
                showDetails = button;
        QVERIFY(showDetails);
        showDetails->click();
        QTRY_VERIFY(box->findChild<QTextEdit*>() && box->findChild<QTextEdit*>()->isVisible());
        QTextEdit* details = box->findChild<QTextEdit*>();
        QCOMPARE(details->toPlainText(), lines.join(u'\n'));
        QVERIFY(details->verticalScrollBar()->maximum() > 0); // it scrolls rather than grows
        QTRY_VERIFY2(box->frameGeometry().height() <= 768 - 40 && box->frameGeometry().width() <= 1366,
                     qPrintable(QStringLiteral("%1 x %2").arg(box->width()).arg(box->height())));
    }
};

QTEST_MAIN(TestMessageBox)
#include "tst_messagebox.moc"
