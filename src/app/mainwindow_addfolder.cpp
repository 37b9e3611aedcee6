// Adding a folder of disc images: the folder chooser, the worker thread with
// its progress dialog, one rebuild and one summary at the end.
#include "app/libraryimport.h"
#include "app/mainwindow.h"
#include "core/appinfo.h"
#include "core/korvelloerror.h"
#include "disc/gameindex.h"
#include "editor/editorpage.h"
#include "gamelist/gamelistfilter.h"
#include "gamelist/gamelistview.h"
#include "store/gamediscstore.h"
#include "ui/dialogs.h"

#include <QComboBox>
#include <QDir>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QTabWidget>
#include <QThread>

namespace {

// What the worker hands back to the window's thread.
struct FolderResult {
    LibraryImport::Summary summary;
    QString error; // the text of an error that ended the work, if any
};

} // namespace

void MainWindow::connectAddFolderHandlers() {
    m_addFolderButton->setToolTip(
        QStringLiteral("Add every game in a folder of disc images and its subfolders"));
    connect(m_addFolderButton, &QPushButton::clicked, this, [this] { run([this] { addFolder(); }); });
    // The editor's new mode offers it too: an empty library opens there.
    m_editorPage->btnAddFolder->setToolTip(m_addFolderButton->toolTip());
    connect(m_editorPage->btnAddFolder, &QPushButton::clicked, this,
            [this] { run([this] { addFolder(); }); });
}

void MainWindow::addFolder() {
    if (isAddingFolder())
        return;
    const QString folder =
        Dialogs::chooseFolder(this, QStringLiteral("Add the games of a folder"), QDir::homePath());
    if (!folder.isEmpty())
        addGamesOfFolder(folder);
}

void MainWindow::addGamesOfFolder(const QString& folder) {
    if (isAddingFolder())
        return;
    // The executable chosen on the editor page, or the only one found.
    const QComboBox* executables = m_editorPage->cmbPCSX2ExeFile;
    // An entry's stored form is its data where it has one (the Flatpak build), else its text.
    const auto storedForm = [executables](int i) {
        const QString stored = executables->itemData(i).toString();
        return stored.isEmpty() ? executables->itemText(i) : stored;
    };
    QString executable =
        executables->currentIndex() >= 0 &&
                executables->currentText() == executables->itemText(executables->currentIndex())
            ? storedForm(executables->currentIndex())
            : executables->currentText().trimmed();
    if (executable.isEmpty() && executables->count() == 1)
        executable = storedForm(0);
    if (executable.isEmpty())
        throw KorvelloError(
            executables->count() == 0
                ? QStringLiteral("No emulator executable is in %1").arg(m_appFolder)
                : QStringLiteral("Choose the emulator executable on the settings page first"));
    LibraryImport::Options options;
    options.databasePath = m_appFolder + QStringLiteral("db.mdb");
    options.executable = executable;
    if (!m_currentBuilds) {
        const int plugin = m_editorPage->cmbGSPlugin->currentIndex();
        options.pluginFile = m_pluginFiles.value(plugin >= 0 ? plugin : 0);
    }
    options.gameIndexPath = GameIndex::find(m_appFolder);
    if (m_currentBuilds)
        options.currentSettingsFolder = m_settingsFolder;

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
    // Cancel stops after the game at hand; the dialog stays until the worker has stored what it has.
    connect(m_folderProgress, &QProgressDialog::canceled, this, [this, cancel] {
        cancel->store(true);
        if (m_folderProgress)
            m_folderProgress->setLabelText(QStringLiteral("Cancelling: keeping the games already added..."));
    });
    for (QPushButton* b : {m_addFolderButton, m_newGameButton, m_editorPage->btnAddFolder})
        b->setEnabled(false);

    auto result = std::make_shared<FolderResult>();
    QPointer<QProgressDialog> dialog = m_folderProgress;
    auto report = [this, dialog](int done, int total, const QString& current) {
        QMetaObject::invokeMethod(
            this,
            [dialog, done, total, current] {
                if (!dialog || dialog->wasCanceled())
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
        m_editorPage->btnAddFolder->setEnabled(m_editorPage->btnNewGame->isEnabled());
        run([this, result] {
            // One rebuild for the whole folder, the first new game selected.
            if (!result->summary.added.isEmpty()) {
                loadGameList();
                m_pages->setCurrentWidget(m_gameListPage);
                const int row = findShownGame(result->summary.added.first());
                if (row >= 0)
                    selectGame(row);
            }
            QString text = LibraryImport::summaryText(result->summary);
            if (!result->error.isEmpty())
                text = QStringLiteral("The addition stopped: %1\n\n%2").arg(result->error, text);
            Dialogs::message(this, appinfo::kTitle, text,
                             result->error.isEmpty() ? QMessageBox::Information : QMessageBox::Warning);
        });
        emit folderAdded();
    });
    m_folderProgress->show();
    m_folderImport->start();
}

void MainWindow::refreshDiscInfo() {
    QHash<QString, QString> lines;
    const QHash<QString, GameDisc> discs = m_discs->all();
    for (auto it = discs.cbegin(); it != discs.cend(); ++it) {
        QStringList parts{it->serial};
        if (!it->region.isEmpty())
            parts << it->region;
        if (const QString compat = GameIndex::compatText(it->compat); !compat.isEmpty())
            parts << QStringLiteral("compatibility: %1").arg(compat);
        parts.removeAll(QString());
        if (!parts.isEmpty())
            lines.insert(it.key(), parts.join(QStringLiteral(" · ")));
    }
    m_gameGrid->filter()->setDiscLines(std::move(lines));
}
