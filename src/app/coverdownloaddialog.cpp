#include "app/coverdownloaddialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

CoverDownloadDialog::CoverDownloadDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("coverDownloadDialog"));
    setWindowTitle(QStringLiteral("Download covers"));
    m_pages = new QStackedWidget(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);

    // The choices.
    auto* setup = new QWidget(m_pages);
    auto* setupLayout = new QVBoxLayout(setup);
    setupLayout->setContentsMargins(0, 0, 0, 0);
    // One placeholder a line, so none is broken across lines.
    auto* label = new QLabel(QStringLiteral("Cover addresses, one per line, tried in order until one gives a "
                                            "picture. In each address:<br>"
                                            "<b>${serial}</b> is the disc's serial (SLUS-20946),<br>"
                                            "<b>${title}</b> the game's name here,<br>"
                                            "<b>${filetitle}</b> the disc image's file name without its "
                                            "extension."),
                             setup);
    label->setWordWrap(true);
    label->setTextFormat(Qt::RichText);
    m_templates = new QPlainTextEdit(setup);
    m_templates->setObjectName(QStringLiteral("coverTemplates"));
    m_templates->setAccessibleName(QStringLiteral("Cover addresses"));
    m_templates->setPlaceholderText(QStringLiteral("https://example.org/covers/${serial}.jpg"));
    m_templates->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_templates->setMinimumSize(520, 120);
    label->setBuddy(m_templates);
    m_onlyMissing = new QRadioButton(QStringLiteral("Only games without a cover"), setup);
    m_onlyMissing->setObjectName(QStringLiteral("coversOnlyMissing"));
    m_onlyMissing->setChecked(true);
    m_all = new QRadioButton(QStringLiteral("All games (a new picture replaces the cover)"), setup);
    m_all->setObjectName(QStringLiteral("coversAll"));
    auto* buttons = new QDialogButtonBox(setup);
    m_start = buttons->addButton(QStringLiteral("Start"), QDialogButtonBox::AcceptRole);
    m_start->setObjectName(QStringLiteral("coversStart"));
    m_start->setDefault(true);
    QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    cancel->setObjectName(QStringLiteral("coversClose"));
    setupLayout->addWidget(label);
    setupLayout->addWidget(m_templates, 1);
    setupLayout->addWidget(m_onlyMissing);
    setupLayout->addWidget(m_all);
    setupLayout->addWidget(buttons);
    m_pages->addWidget(setup);
    connect(m_start, &QPushButton::clicked, this, &CoverDownloadDialog::startRequested);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    // Start needs at least one address.
    auto updateStart = [this] { m_start->setEnabled(!templates().isEmpty()); };
    connect(m_templates, &QPlainTextEdit::textChanged, this, updateStart);
    updateStart();

    // The progress.
    auto* progress = new QWidget(m_pages);
    auto* progressLayout = new QVBoxLayout(progress);
    progressLayout->setContentsMargins(0, 0, 0, 0);
    m_count = new QLabel(progress);
    m_count->setObjectName(QStringLiteral("coversCount"));
    m_progress = new QProgressBar(progress);
    m_progress->setObjectName(QStringLiteral("coversProgress"));
    m_progress->setAccessibleName(QStringLiteral("Covers done"));
    m_current = new QLabel(progress);
    m_current->setObjectName(QStringLiteral("coversCurrent"));
    m_current->setTextFormat(Qt::PlainText);
    auto* progressButtons = new QDialogButtonBox(progress);
    m_cancelDownload = progressButtons->addButton(QDialogButtonBox::Cancel);
    m_cancelDownload->setObjectName(QStringLiteral("coversCancel"));
    progressLayout->addStretch();
    progressLayout->addWidget(m_count);
    progressLayout->addWidget(m_progress);
    progressLayout->addWidget(m_current);
    progressLayout->addStretch();
    progressLayout->addWidget(progressButtons);
    m_pages->addWidget(progress);
    connect(m_cancelDownload, &QPushButton::clicked, this, &CoverDownloadDialog::cancelRequested);
}

void CoverDownloadDialog::setTemplates(const QStringList& templates) {
    m_templates->setPlainText(templates.join(u'\n'));
}

QStringList CoverDownloadDialog::templates() const {
    QStringList lines;
    for (const QString& line : m_templates->toPlainText().split(u'\n')) {
        const QString t = line.trimmed();
        if (!t.isEmpty())
            lines.append(t);
    }
    return lines;
}

bool CoverDownloadDialog::replaceExisting() const {
    return m_all->isChecked();
}

void CoverDownloadDialog::showProgress(int total) {
    m_pages->setCurrentIndex(1);
    setProgress(0, total, QString());
    m_cancelDownload->setEnabled(true);
    m_cancelDownload->setFocus();
}

void CoverDownloadDialog::setProgress(int done, int total, const QString& currentGame) {
    m_progress->setRange(0, std::max(total, 1));
    m_progress->setValue(done);
    m_count->setText(QStringLiteral("%1 of %2 games done").arg(done).arg(total));
    m_current->setText(currentGame.isEmpty() ? QString() : QStringLiteral("Fetching: %1").arg(currentGame));
}

bool CoverDownloadDialog::isShowingProgress() const {
    return m_pages->currentIndex() == 1;
}

void CoverDownloadDialog::reject() {
    // While downloading, closing the dialog cancels; the window closes it at the end.
    if (isShowingProgress()) {
        m_cancelDownload->setEnabled(false);
        emit cancelRequested();
        return;
    }
    QDialog::reject();
}
