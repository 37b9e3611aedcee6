#include "editor/pathedit.h"

#include "core/korvelloerror.h"
#include "ui/dialogs.h"
#include "ui/errorreport.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>
#include <QValidator>

namespace {

// Limits what the user types to kMaxLength characters without cutting a longer
// text that the program put there: such a text may still be shortened, never
// lengthened.
class LengthLimit : public QValidator {
public:
    explicit LengthLimit(QObject* parent) : QValidator(parent) {}
    void allowAtLeast(qsizetype length) { m_allowed = std::max<qsizetype>(PathEdit::kMaxLength, length); }
    State validate(QString& input, int&) const override {
        if (input.size() > m_allowed)
            return Invalid;
        m_allowed = std::max<qsizetype>(PathEdit::kMaxLength, input.size());
        return Acceptable;
    }

private:
    mutable qsizetype m_allowed = PathEdit::kMaxLength;
};

} // namespace

PathEdit::PathEdit(Mode mode, QWidget* parent) : QWidget(parent), m_mode(mode) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("edit"));
    m_limit = new LengthLimit(m_edit);
    m_edit->setValidator(m_limit);
    m_browse = new QToolButton(this);
    m_browse->setObjectName(QStringLiteral("browse"));
    m_browse->setText(QStringLiteral("..."));
    m_browse->setFocusPolicy(Qt::TabFocus);
    row->addWidget(m_edit, 1);
    row->addWidget(m_browse);
    setFocusProxy(m_edit);
    connect(m_edit, &QLineEdit::textChanged, this, &PathEdit::textChanged);
    connect(m_browse, &QToolButton::clicked, this,
            [this] { ErrorReport::guard(this, [this] { browse(); }); });
}

QString PathEdit::text() const {
    return m_edit->text();
}

void PathEdit::setText(const QString& text) {
    static_cast<LengthLimit*>(m_limit)->allowAtLeast(text.size());
    m_edit->setText(text);
}

QString PathEdit::qtFilter(const QString& filter) {
    const QStringList parts = filter.split(u'|');
    QStringList choices;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString title = parts.at(i).trimmed();
        QStringList patterns = parts.at(i + 1).split(u';', Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            pattern = pattern.trimmed();
            if (pattern == QLatin1String("*.*"))
                pattern = QStringLiteral("*");
        }
        // The title may already name its patterns, "All files (*.*)"; Qt reads the
        // last parenthesis as the pattern list, so that part of the title goes.
        const QString named = QStringLiteral(" (") + parts.at(i + 1).trimmed() + u')';
        if (title.endsWith(named))
            title.chop(named.size());
        choices.append(title + QStringLiteral(" (") + patterns.join(u' ') + u')');
    }
    return choices.join(QStringLiteral(";;"));
}

void PathEdit::browse() {
    QString chosen;
    if (m_mode == Mode::File) {
        const QFileInfo current(text());
        const QString folder =
            !text().isEmpty() && current.dir().exists() ? current.absolutePath() : m_startFolder;
        chosen = Dialogs::openFile(window(), QStringLiteral("Open"), qtFilter(m_filter), folder);
    } else {
        const QString folder = !text().isEmpty() && QFileInfo(text()).isDir() ? text() : m_startFolder;
        chosen = Dialogs::chooseFolder(window(), QStringLiteral("Select folder"), folder);
    }
    if (chosen.isEmpty())
        return;
    chosen = QDir::toNativeSeparators(chosen);
    if (chosen.size() > kMaxLength)
        throw KorvelloError(
            QStringLiteral("The chosen path is longer than %1 characters: %2").arg(kMaxLength).arg(chosen));
    setText(chosen);
    emit pathChosen(chosen);
}
