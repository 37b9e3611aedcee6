// Every text of every shipped skin must be readable: at least 4.5:1 against its
// background (WCAG AA for normal text), disabled text at least 3:1. Checked two
// ways: from the colour pairs that each style sheet declares, and on the real
// dialogs (file dialog, message box) and link labels with the sheet applied,
// where the colours come from Qt's own reading of the sheet.
#include "app/mainwindow.h"
#include "app/programsettings.h"
#include "app/skinmanager.h"
#include "editor/editorpage.h"
#include "support/dialogrecorder.h"
#include "support/testfolder.h"
#include "support/windowparts.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>
#include <cmath>
#include <map>

namespace {

constexpr double kText = 4.5;
constexpr double kDisabledText = 3.0;

QString shippedSkins() {
    return QStringLiteral(KORVELLO_SOURCE_DIR "/Skins");
}

double channel(double c) {
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& c) {
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// A colour with alpha as it shows over an opaque background.
QColor over(const QColor& top, const QColor& below) {
    const double a = top.alphaF();
    return QColor::fromRgbF(float(top.redF() * a + below.redF() * (1 - a)),
                            float(top.greenF() * a + below.greenF() * (1 - a)),
                            float(top.blueF() * a + below.blueF() * (1 - a)));
}

// What a label really draws: its most frequent pixel (the background) and, of
// the others, the one that stands out most from it (the core of the glyphs).
struct DrawnColours {
    QColor background;
    QColor text;
};

DrawnColours drawnColours(QWidget* widget) {
    // Taken from the window, so that what shows through the label is in it.
    QWidget* window = widget->window();
    const QImage picture = window->grab(QRect(widget->mapTo(window, QPoint()), widget->size()))
                               .toImage()
                               .convertToFormat(QImage::Format_RGB32);
    std::map<QRgb, int> counts;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            ++counts[picture.pixel(x, y)];
    QRgb background = 0;
    int most = -1;
    for (const auto& [rgb, n] : counts)
        if (n > most) {
            most = n;
            background = rgb;
        }
    DrawnColours drawn{QColor(background), QColor(background)};
    double best = 1;
    for (const auto& [rgb, n] : counts)
        if (const double k = contrast(QColor(rgb), drawn.background); k > best) {
            best = k;
            drawn.text = QColor(rgb);
        }
    return drawn;
}

// ---- Reading the colour pairs a sheet declares ----

using Declarations = std::map<QString, QString>;
using Rules = std::map<QString, Declarations>; // one entry per selector of a rule's list

Rules parseSheet(QString sheet) {
    static const QRegularExpression comment(QStringLiteral(R"(/\*.*?\*/)"),
                                            QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression rule(QStringLiteral(R"(([^{}]+)\{([^}]*)\})"));
    sheet.remove(comment);
    Rules rules;
    for (const QRegularExpressionMatch& m : rule.globalMatch(sheet)) {
        Declarations declarations;
        for (const QString& item : m.captured(2).split(u';')) {
            const qsizetype colon = item.indexOf(u':');
            if (colon > 0)
                declarations[item.left(colon).trimmed()] = item.mid(colon + 1).trimmed();
        }
        for (const QString& selector : m.captured(1).split(u','))
            for (const auto& [key, value] : declarations)
                rules[selector.simplified()][key] = value;
    }
    return rules;
}

// Every colour a value names: a plain colour, or each stop of a gradient.
QList<QColor> colours(const QString& value) {
    static const QRegularExpression colour(
        QStringLiteral(R"(#[0-9a-fA-F]{6}\b|#[0-9a-fA-F]{3}\b|rgba?\(\s*[^)]*\))"));
    QList<QColor> found;
    for (const QRegularExpressionMatch& m : colour.globalMatch(value)) {
        const QString text = m.captured(0);
        if (text.startsWith(u'#')) {
            found.append(QColor(text));
            continue;
        }
        const QStringList parts = text.mid(text.indexOf(u'(') + 1).chopped(1).split(u',');
        QColor c(parts.value(0).toInt(), parts.value(1).toInt(), parts.value(2).toInt());
        if (parts.size() == 4)
            c.setAlpha(parts.value(3).toInt());
        found.append(c);
    }
    return found;
}

// The background a rule paints: nullopt when it names none, empty when transparent.
std::optional<QList<QColor>> background(const Declarations& d) {
    auto it = d.find(QStringLiteral("background-color"));
    if (it == d.end())
        it = d.find(QStringLiteral("background"));
    if (it == d.end())
        return std::nullopt;
    if (it->second == u"transparent" || it->second == u"none")
        return QList<QColor>{};
    return colours(it->second);
}

QString withoutStates(const QString& selector) {
    static const QRegularExpression state(QStringLiteral(R"((?<!:):[a-z-]+)"));
    return QString(selector).remove(state);
}

QString withoutSubControl(const QString& selector) {
    static const QRegularExpression sub(QStringLiteral(R"(::[a-z-]+)"));
    return QString(selector).remove(sub);
}

struct Pair {
    QString where;
    QColor text;
    QColor background;
    double needed;
};

// The text-on-background pairs of a sheet. A rule with a text colour pairs it
// with its own background, else with its widget's (the selector without states
// or sub-control), and where the text stands on a transparent background, with
// the window and group box surfaces. A rule that only paints a background (a
// hover or pressed look) pairs it with the text colour of its widget. Rules of
// the disabled state need 3:1, all others 4.5:1.
QList<Pair> declaredPairs(const QString& sheet) {
    const Rules rules = parseSheet(sheet);
    auto ruleOf = [&](const QString& selector) -> const Declarations* {
        const auto it = rules.find(selector);
        return it == rules.end() ? nullptr : &it->second;
    };
    const Declarations* window = ruleOf(QStringLiteral("QDialog"));
    const std::optional<QList<QColor>> windowBackground = window ? background(*window) : std::nullopt;
    if (!windowBackground || windowBackground->isEmpty())
        return {};
    const QColor windowColour = windowBackground->first();
    QList<QColor> surfaces{windowColour};
    if (const Declarations* group = ruleOf(QStringLiteral("QGroupBox")))
        for (const QColor& c : background(*group).value_or(QList<QColor>{}))
            surfaces.append(over(c, windowColour));

    auto opaque = [&](const QList<QColor>& list) {
        QList<QColor> result;
        for (const QColor& c : list)
            result.append(over(c, windowColour));
        return result;
    };
    auto textOf = [&](const QString& selector) -> std::optional<QColor> {
        for (const QString& base : {withoutStates(selector), withoutSubControl(withoutStates(selector))}) {
            if (base == selector)
                continue;
            if (const Declarations* d = ruleOf(base); d && d->count(QStringLiteral("color")))
                return QColor(d->at(QStringLiteral("color")));
        }
        return std::nullopt;
    };
    auto backgroundOf = [&](const QString& selector) -> QList<QColor> {
        const std::optional<QList<QColor>> own = background(rules.at(selector));
        if (own && !own->isEmpty())
            return opaque(*own);
        for (const QString& base : {withoutStates(selector), withoutSubControl(withoutStates(selector))}) {
            if (base == selector)
                continue;
            const Declarations* d = ruleOf(base);
            const QList<QColor> painted = d ? background(*d).value_or(QList<QColor>{}) : QList<QColor>{};
            if (!painted.isEmpty())
                // A transparent part (a group box title) also stands on the surfaces around it.
                return opaque(painted) + (own ? surfaces : QList<QColor>{});
        }
        return surfaces;
    };

    QList<Pair> pairs;
    for (const auto& [selector, d] : rules) {
        const double needed = selector.contains(QStringLiteral(":disabled")) ? kDisabledText : kText;
        if (d.count(QStringLiteral("color"))) {
            for (const QColor& b : backgroundOf(selector))
                pairs.append({selector, QColor(d.at(QStringLiteral("color"))), b, needed});
        } else if (const auto own = background(d); own && !own->isEmpty()) {
            if (const std::optional<QColor> text = textOf(selector))
                for (const QColor& b : opaque(*own))
                    pairs.append({selector, *text, b, needed});
        }
        if (d.count(QStringLiteral("selection-color")) &&
            d.count(QStringLiteral("selection-background-color")))
            pairs.append({selector + QStringLiteral(" (selection)"),
                          QColor(d.at(QStringLiteral("selection-color"))),
                          QColor(d.at(QStringLiteral("selection-background-color"))), kText});
    }
    const QColor link = SkinManager::linkColor(sheet);
    for (const QColor& b : surfaces)
        pairs.append({QStringLiteral("link-color"), link, b, kText});
    return pairs;
}

QString describe(const Pair& p) {
    return QStringLiteral("%1: %2 on %3 is %4:1, needs %5:1")
        .arg(p.where, p.text.name(), p.background.name())
        .arg(contrast(p.text, p.background), 0, 'f', 2)
        .arg(p.needed);
}

// ---- Colours as Qt applies them to real widgets ----

QList<QColor> brushColours(const QBrush& brush, const QColor& below) {
    QList<QColor> result;
    if (const QGradient* g = brush.gradient()) {
        for (const QGradientStop& stop : g->stops())
            result.append(over(stop.second, below));
    } else if (brush.style() != Qt::NoBrush && brush.color().alpha() > 0) {
        result.append(over(brush.color(), below));
    }
    return result;
}

// The text colours that each visible widget of a dialog draws with, against the
// background it draws them on, in the normal and the disabled state.
QStringList unreadable(QWidget* dialog) {
    QStringList faults;
    const QColor windowColour = dialog->palette().color(QPalette::Window);
    const QList<QWidget*> widgets = dialog->findChildren<QWidget*>() << dialog;
    for (QWidget* w : widgets) {
        if (!w->isVisible())
            continue;
        w->ensurePolished();
        QPalette::ColorRole text = QPalette::WindowText;
        QPalette::ColorRole back = QPalette::Window;
        if (qobject_cast<QAbstractItemView*>(w) || qobject_cast<QLineEdit*>(w) ||
            qobject_cast<QComboBox*>(w)) {
            text = QPalette::Text;
            back = QPalette::Base;
        } else if (qobject_cast<QPushButton*>(w)) {
            text = QPalette::ButtonText;
            back = QPalette::Button;
        } else if (!qobject_cast<QLabel*>(w)) {
            continue;
        }
        for (const auto& [group, needed] :
             {std::pair{QPalette::Active, kText}, std::pair{QPalette::Disabled, kDisabledText}}) {
            // A label paints no background of its own: it stands on the dialog's.
            const QList<QColor> backs = qobject_cast<QLabel*>(w)
                                            ? QList<QColor>{windowColour}
                                            : brushColours(w->palette().brush(group, back), windowColour);
            const QColor fg = over(w->palette().color(group, text), windowColour);
            for (const QColor& b : backs)
                if (contrast(fg, b) < needed)
                    faults.append(QStringLiteral("%1 \"%2\" (%3): %4 on %5 is %6:1")
                                      .arg(QString::fromLatin1(w->metaObject()->className()), w->objectName(),
                                           group == QPalette::Active ? QStringLiteral("normal")
                                                                     : QStringLiteral("disabled"),
                                           fg.name(), b.name())
                                      .arg(contrast(fg, b), 0, 'f', 2));
        }
    }
    faults.removeDuplicates();
    return faults;
}

} // namespace

class TestSkinContrast : public QObject {
    Q_OBJECT
private slots:
    void cleanup() {
        qApp->setStyleSheet(QString());
        QApplication::setPalette(QPalette());
    }

    void declaredColours_data() {
        QTest::addColumn<QString>("skin");
        SkinManager engine;
        engine.SkinDirectory = shippedSkins();
        const QStringList names = engine.GetSkinNames();
        QVERIFY(!names.isEmpty());
        for (const QString& name : names)
            QTest::newRow(qPrintable(name)) << name;
    }
    void declaredColours() {
        QFETCH(QString, skin);
        SkinManager engine;
        engine.SkinDirectory = shippedSkins();
        const QList<Pair> pairs = declaredPairs(engine.styleSheet(skin));
        QVERIFY2(pairs.size() > 20, "the sheet's window, text and field colours were not found");
        QStringList faults;
        for (const Pair& p : pairs)
            if (contrast(p.text, p.background) < p.needed)
                faults.append(describe(p));
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
    }

    // The dialogs are Qt's own: their lists, headers, fields and buttons must
    // take the skin's colours, not the white of the standard look.
    void dialogs_data() { declaredColours_data(); }
    void dialogs() {
        QFETCH(QString, skin);
        SkinManager engine;
        engine.SkinDirectory = shippedSkins();
        engine.setSkinName(skin);
        engine.setActive(true);

        QTemporaryDir folder;
        QVERIFY(QDir(folder.path()).mkpath(QStringLiteral("Some folder")));
        QFile file(folder.filePath(QStringLiteral("cover.jpg")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();

        for (const QFileDialog::ViewMode mode : {QFileDialog::List, QFileDialog::Detail}) {
            QFileDialog files(nullptr, QStringLiteral("Open"), folder.path(),
                              QStringLiteral("*.jpg (*.jpg)"));
            files.setOption(QFileDialog::DontUseNativeDialog);
            files.setViewMode(mode);
            files.show();
            QVERIFY(QTest::qWaitForWindowExposed(&files));
            const QStringList faults = unreadable(&files);
            QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
        }

        QMessageBox box(QMessageBox::Warning, QStringLiteral("Warning"), QStringLiteral("Delete 'Game'?"),
                        QMessageBox::Yes | QMessageBox::No);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        const QStringList faults = unreadable(&box);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
    }

    // The main window in each skin: its links take the skin's link colour, and
    // every label of both pages (the editor's red value labels too) stands out
    // from the window and its group box by 4.5:1 (3:1 when disabled), also
    // after switching from another skin.
    void mainWindow_data() { declaredColours_data(); }
    void mainWindow() {
        QFETCH(QString, skin);
        testsupport::removeProgramSettings();
        DialogRecorder dialogs;
        TestFolder folder;
        QVERIFY(QDir(folder.path()).mkpath(QStringLiteral("Skins")));
        SkinManager shipped;
        shipped.SkinDirectory = shippedSkins();
        const QStringList names = shipped.GetSkinNames();
        for (const QString& name : names)
            QVERIFY(QFile::copy(shippedSkins() + u'/' + name + QStringLiteral(".qss"),
                                folder.file(QStringLiteral("Skins/") + name + QStringLiteral(".qss"))));
        // Start in another skin, then switch to the one under test.
        ProgramSettings().writeInt(QStringLiteral("Skin"), int((names.indexOf(skin) + 1) % names.size()));

        MainWindow w(folder.path());
        parts(w).pages->setCurrentWidget(parts(w).gameListPage);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        parts(w).skinList->setCurrentIndex(int(names.indexOf(skin)));
        emit parts(w).skinList->activated(parts(w).skinList->currentIndex());
        QCoreApplication::processEvents();

        const QColor windowColour = w.palette().color(QPalette::Window);
        const QColor link = SkinManager::linkColor(shipped.styleSheet(skin));
        QStringList faults;
        for (QWidget* page :
             {static_cast<QWidget*>(parts(w).editorPage), static_cast<QWidget*>(parts(w).gameListPage)}) {
            parts(w).pages->setCurrentWidget(page);
            QCoreApplication::processEvents();
            for (QLabel* label : page->findChildren<QLabel*>()) {
                if (!label->isVisibleTo(page) || label->text().isEmpty())
                    continue;
                // A label stands on the window, or on the group box around it.
                QList<QColor> backgrounds{windowColour};
                for (QWidget* p = label->parentWidget(); p && p != page; p = p->parentWidget())
                    if (auto* group = qobject_cast<QGroupBox*>(p))
                        backgrounds << group->palette().color(QPalette::Window);
                const bool isLink = label->text().contains(QStringLiteral("<a "));
                if (isLink && label->palette().color(QPalette::Link) != link)
                    faults.append(label->objectName() + QStringLiteral(": link colour ") +
                                  label->palette().color(QPalette::Link).name());
                // The palette alone does not say what is drawn: a rich-text label
                // may keep the colour its text was laid out with.
                if (isLink) {
                    const DrawnColours drawn = drawnColours(label);
                    if (contrast(drawn.text, drawn.background) < kText ||
                        std::abs(drawn.text.lightness() - link.lightness()) > 40)
                        faults.append(
                            QStringLiteral("%1: link drawn in %2 on %3 (%4:1), the skin's is %5")
                                .arg(label->objectName(), drawn.text.name(), drawn.background.name())
                                .arg(contrast(drawn.text, drawn.background), 0, 'f', 2)
                                .arg(link.name()));
                }
                const QPalette::ColorGroup state = label->isEnabled() ? QPalette::Active : QPalette::Disabled;
                const double needed = label->isEnabled() ? kText : kDisabledText;
                const QColor text =
                    label->palette().color(state, isLink ? QPalette::Link : QPalette::WindowText);
                for (const QColor& back : std::as_const(backgrounds))
                    if (contrast(text, over(back, windowColour)) < needed)
                        faults.append(QStringLiteral("%1 \"%2\": %3 on %4 is %5:1")
                                          .arg(label->objectName(), label->text().left(30), text.name(),
                                               over(back, windowColour).name())
                                          .arg(contrast(text, over(back, windowColour)), 0, 'f', 2));
            }
        }
        faults.removeDuplicates();
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
    }
};

QTEST_MAIN(TestSkinContrast)
#include "tst_skincontrast.moc"
