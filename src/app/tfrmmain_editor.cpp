// Switching between the game list and the editor page, and the editor's modes.
// The mode lives only in the enabled states of "Add Game" and "Save": new mode
// has "Add Game" on and "Save" off, edit mode the other way round.
#include "tfrmmain.h"

#include "editorpage.h"
#include "gamelistview.h"
#include "pathedit.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

void TfrmMain::connectEditorHandlers() {
    connect(btnAddGame, &QPushButton::clicked, this, [this] { run([this] { btnAddGameClick(); }); });
    connect(pgNewGame->btnGameList, &QPushButton::clicked, this,
            [this] { run([this] { btnGameListClick(); }); });
}

void TfrmMain::btnAddGameClick() {
    PageControl->setCurrentWidget(pgNewGame);
    pgNewGame->btnDefaultClick();
    pgNewGame->btnNewGame->setEnabled(true);
    pgNewGame->btnSave->setEnabled(false);
    pgNewGame->txtISOPath->setText(QString());
    pgNewGame->txtISOPath->setToolTip(QString()); // no stale hint of the last loaded path
    pgNewGame->txtGameName->clear();
    pgNewGame->UpdatePosterButtons();
}

void TfrmMain::btnGameListClick() {
    // Nothing is stored; the page keeps its values and its mode.
    PageControl->setCurrentWidget(pgGameList);
    img2->setFocus();
}
