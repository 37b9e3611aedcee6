// Switching between the game list and the editor page, and the editor's modes.
// The mode lives only in the enabled states of "Add Game" and "Save": new mode
// has "Add Game" on and "Save" off, edit mode the other way round.
#include "app/mainwindow.h"

#include "editor/editorpage.h"
#include "editor/pathedit.h"
#include "gamelist/gamelistview.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

void MainWindow::connectEditorHandlers() {
    connect(m_newGameButton, &QPushButton::clicked, this, [this] { run([this] { openNewProfile(); }); });
    connect(m_editorPage->btnGameList, &QPushButton::clicked, this,
            [this] { run([this] { showGameList(); }); });
}

void MainWindow::openNewProfile() {
    m_pages->setCurrentWidget(m_editorPage);
    m_editorPage->btnDefaultClick();
    if (m_currentBuilds)
        m_pluginFiles = {QString()}; // a new profile of this mode has no plug-in file
    m_editorPage->btnNewGame->setEnabled(true);
    m_editorPage->btnSave->setEnabled(false);
    m_editorPage->txtISOPath->setText(QString());
    m_editorPage->txtISOPath->setToolTip(QString()); // no stale hint of the last loaded path
    m_editorPage->txtGameName->clear();
    m_editorPage->UpdatePosterButtons();
}

void MainWindow::showGameList() {
    // Nothing is stored; the page keeps its values and its mode.
    m_pages->setCurrentWidget(m_gameListPage);
    m_gameGrid->setFocus();
}
