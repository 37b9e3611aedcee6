// Adding a folder of disc images: the folder chooser, the worker thread with
// its progress dialog, one rebuild and one summary at the end.
#include "app/gamelistpage.h"

#include "core/appinfo.h"
#include "core/korvelloerror.h"
#include "ui/dialogs.h"

#include <QDir>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>

namespace {

// What the worker hands back to the window's thread.
struct FolderResult {
    LibraryImport::Summary summary;
    QString error; // the text of an error that ended the work, if any
};

} // namespace

void GameListPage::addFolder() {
    if (isAddingFolder())
        return;
    const QString folder =
        Dialogs::chooseFolder(this, QStringLiteral("Add the games of a folder"), QDir::homePath());
    if (!folder.isEmpty())
        addGamesOfFolder(folder);
}

void GameListPage::addGamesOfFolder(const QString& folder) {
    if (isAddingFolder() || !m_sources.folderImportOptions)
        return;
    // The executable and plug-in chosen on the settings page; throws when there is none.
    const LibraryImport::Options options = m_sources.folderImportOptions();

    m_folderCancel = std::make_shared<std::atomic_bool>(false);
    m_folderProgress = new QProgressDialog(QStringLiteral("Looking for disc images..."),
                                           QStringLiteral("Cancel"), 0, 0, this);
    m_folderProgress->setObjectName(QStringLiteral("addFolderProgress"));
    m_folderProgress->setWindowTitle(appinfo::kTitle);
    m_folderProgress->setWindowModality(Qt::WindowModal);
    m_folderProgress->setMinimumDuration(0);
    m_folderProgress->setAutoClose(false);
    m_folderProgress->setAutoReset(false);
    m_folderProgress->setMinimumWidth(420);
    const std::shared_ptr<std::atomic_bool> cancel = m_folderCancel;
    // Cancel stops after the game at hand; the dialog stays until the worker has stored
    // what it has. QProgressDialog's own cancel() would hide it at once, and Escape or
    // the title bar's close button would close it, while the work goes on unseen.
    disconnect(m_folderProgress, &QProgressDialog::canceled, m_folderProgress, &QProgressDialog::cancel);
    const auto stopWork = [this, cancel] {
        cancel->store(true);
        if (!m_folderProgress)
            return;
        m_folderProgress->setLabelText(QStringLiteral("Cancelling: keeping the games already added..."));
        m_folderProgress->show();
    };
    connect(m_folderProgress, &QProgressDialog::canceled, this, stopWork);
    connect(m_folderProgress, &QDialog::rejected, this, stopWork);
    for (QPushButton* b : {m_addFolderButton, m_newGameButton})
        b->setEnabled(false);
    emit folderAdditionRunning(true);

    auto result = std::make_shared<FolderResult>();
    QPointer<QProgressDialog> dialog = m_folderProgress;
    auto report = [this, dialog, cancel](int done, int total, const QString& current) {
        QMetaObject::invokeMethod(
            this,
            [dialog, cancel, done, total, current] {
                if (!dialog || cancel->load())
                    return;
                dialog->setMaximum(total);
                dialog->setValue(done);
                dialog->setLabelText(total > 0 ? QStringLiteral("Game %1 of %2\n%3")
                                                     .arg(done + 1)
                                                     .arg(total)
                                                     .arg(QDir::toNativeSeparators(current))
                                               : current);
            },
            Qt::QueuedConnection);
    };
    m_folderImport = QThread::create([options, folder, cancel, result, report] {
        try {
            result->summary = LibraryImport(options).run(folder, cancel.get(), report);
        } catch (const KorvelloError& error) {
            result->error = error.innermostText();
        } catch (const std::exception& error) {
            result->error = QString::fromLocal8Bit(error.what());
        }
    });
    connect(m_folderImport, &QThread::finished, this, [this, result] {
        m_folderImport->deleteLater();
        m_folderImport = nullptr;
        // Later, not now: a modal progress dialog's setValue() runs the event loop,
        // so this can arrive while the dialog is still inside it.
        m_folderProgress->hide();
        m_folderProgress->deleteLater();
        m_folderProgress = nullptr;
        m_addFolderButton->setEnabled(true);
        m_newGameButton->setEnabled(true);
        emit folderAdditionRunning(false);
        run([this, result] { finishFolderAddition(result->summary, result->error); });
        emit folderAdded();
    });
    m_folderProgress->show();
    m_folderImport->start();
}

void GameListPage::finishFolderAddition(const LibraryImport::Summary& summary, const QString& error) {
    // One rebuild for the whole folder, the first new game selected.
    if (!summary.added.isEmpty()) {
        loadGameList();
        emit gameListShown();
        selectGameNamed(summary.added.first());
    }
    QString text = LibraryImport::summaryText(summary);
    if (!error.isEmpty())
        text = QStringLiteral("The addition stopped: %1\n\n%2").arg(error, text);
    const bool stopped = !error.isEmpty() || !summary.stoppedBy.isEmpty();
    Dialogs::message(this, appinfo::kTitle, text, stopped ? QMessageBox::Warning : QMessageBox::Information);
}
