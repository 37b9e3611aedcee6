// Switching between the game list and the editor page, and the editor's modes.
// The mode lives only in the enabled states of "Add Game" and "Save": new mode
// has "Add Game" on and "Save" off, edit mode the other way round.
#include "app/mainwindow.h"

#include "app/programsettings.h"

#include "core/appinfo.h"
#include "editor/editorpage.h"
#include "editor/pathedit.h"
#include "editor/spinedit.h"
#include "gamelist/gamelistview.h"
#include "ui/dialogs.h"

#include <QAbstractSlider>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

namespace {
const QString kDiscImageFolderKey = QStringLiteral("DiscImageFolder");
}

void MainWindow::connectEditorHandlers() {
    connect(m_newGameButton, &QPushButton::clicked, this, [this] { run([this] { openNewProfile(); }); });
    connect(m_editorPage->btnGameList, &QPushButton::clicked, this,
            [this] { run([this] { showGameList(); }); });
    // The disc image dialog opens where the last disc image was chosen.
    m_editorPage->txtISOPath->setStartFolder(m_settings->readText(kDiscImageFolderKey).value_or(QString()));
    connect(m_editorPage->txtISOPath, &PathEdit::pathChosen, this, [this](const QString& path) {
        run([this, &path] {
            const QString folder = QFileInfo(path).absolutePath();
            m_editorPage->txtISOPath->setStartFolder(folder);
            m_settings->writeText(kDiscImageFolderKey, folder);
        });
    });
}

void MainWindow::openNewProfile() {
    m_pages->setCurrentWidget(m_editorPage);
    m_editorPage->btnDefaultClick();
    if (m_currentBuilds)
        m_pluginFiles = {QString()}; // a new profile of this mode has no plug-in file
    m_editorPage->btnNewGame->setEnabled(true);
    m_editorPage->btnSave->setEnabled(false);
    m_editorPage->btnAddFolder->setEnabled(!isAddingFolder());
    m_editorPage->txtISOPath->setText(QString());
    m_editorPage->txtISOPath->setToolTip(QString()); // no stale hint of the last loaded path
    m_editorPage->txtGameName->clear();
    m_editorPage->UpdatePosterButtons();
}

QString MainWindow::editorValues() const {
    // The skin list and the blur radius belong to no profile.
    const QList<const QWidget*> unstored{m_editorPage->cmbASkins, m_editorPage->txtBlur};
    auto isUnstored = [&](const QWidget* w) {
        for (; w && w != m_editorPage; w = w->parentWidget())
            if (unstored.contains(w))
                return true;
        return false;
    };
    QStringList values;
    for (const QWidget* w : m_editorPage->findChildren<QWidget*>()) {
        if (isUnstored(w))
            continue;
        if (const auto* edit = qobject_cast<const QLineEdit*>(w))
            values << edit->text();
        else if (const auto* box = qobject_cast<const QCheckBox*>(w))
            values << QString::number(box->checkState());
        else if (const auto* button = qobject_cast<const QAbstractButton*>(w);
                 button && button->isCheckable())
            values << QString::number(button->isChecked());
        else if (const auto* list = qobject_cast<const QComboBox*>(w))
            values << QString::number(list->currentIndex()) + list->currentText();
        else if (const auto* slider = qobject_cast<const QAbstractSlider*>(w))
            values << QString::number(slider->value());
    }
    return values.join(QChar(0));
}

void MainWindow::showGameList() {
    // Leaving a loaded profile's changes behind loses them: the user confirms it.
    if (m_editorPage->btnSave->isEnabled() && editorValues() != m_loadedValues) {
        const auto answer = Dialogs::message(
            this, appinfo::kTitle, QStringLiteral("Discard the changes to '%1'?").arg(m_currentGame),
            QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes)
            return;
    }
    // Nothing is stored; the page keeps its values and its mode.
    m_pages->setCurrentWidget(m_gameListPage);
    m_gameGrid->setFocus();
}
