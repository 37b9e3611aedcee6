// The game list page: rebuild, selection, poster and caption.
#include "artworkfiles.h"
#include "editorpage.h"
#include "gamelistview.h"
#include "jpeg.h"
#include "posterview.h"
#include "profilestore.h"
#include "tfrmmain.h"

#include <QItemSelectionModel>
#include <QPushButton>

void TfrmMain::connectGameListHandlers() {
    connect(img2->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { run([this] { img2SelectItem(); }); });
    connect(img2, &GameListView::mouseClicked, this, [this] { run([this] { img2Click(); }); });
    connect(img2, &GameListView::mouseDoubleClicked, this, [this] { run([this] { btnStartClick(); }); });
}

void TfrmMain::SetIconSpacing() {
    img2->setIconSpacing(109, 0);
}

void TfrmMain::LoadGameList() {
    img2->clear();                             // 1
    const QStringList names = DB->listNames(); // 2 and 4: the store closes its query
    for (const QString& name : names)          // 3
        img2->addEntry(name, jpeg::decodeFile(artworkfiles::pathOrFallback(
                                 AppFolder, artworkfiles::Kind::Thumbnail, name)));
    const int n = img2->count();
    if (n == 0) // 5
        btnAddGameClick();
    for (QPushButton* button : {btnStart, btnDelete, pgNewGame->btnSave, btnEdit, pgNewGame->btnGameList})
        button->setEnabled(n >= 1); // 6
}

void TfrmMain::SelectItem(int position) {
    if (position >= 0 && position < img2->count())
        img2->selectRow(position);
}

void TfrmMain::img2SelectItem() {
    const int row = img2->selectedRow();
    // A change that leaves nothing selected keeps the current game, caption and poster.
    if (img2->count() == 0 || row < 0)
        return;
    CurGame = img2->caption(row);
    setWindowTitle(progname + CurGame);
    image1->showPicture(
        jpeg::decodeFile(artworkfiles::pathOrFallback(AppFolder, artworkfiles::Kind::Poster, CurGame)));
}

void TfrmMain::img2Click() {
    // A click on empty space leaves nothing selected: the entry with the focus mark is selected again.
    if (img2->selectedRow() < 0 && img2->count() > 0)
        SelectItem(img2->focusedRow());
}
