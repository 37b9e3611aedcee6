// The profile commands: Add Game, Save, Edit and Delete.
#include "appinfo.h"
#include "artworkfiles.h"
#include "asciicase.h"
#include "dialogs.h"
#include "editorpage.h"
#include "encodings.h"
#include "gamelistview.h"
#include "korvelloerror.h"
#include "pathedit.h"
#include "profilemapping.h"
#include "profilestore.h"
#include "tfrmmain.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

namespace {

const QString kNeedFieldsForAdd =
    QStringLiteral("Profile Name, CDVD ISO Path, GSDX Plugin, PCSX2 .exe file need field");
const QString kNeedFieldsForSave = QStringLiteral("Profile Name and CDVD ISO Path need field");
const QString kExists = QStringLiteral("Alredy exists");
const QString kRefusedName = QStringLiteral("Not use [ ] < > \\ / : * ? \" |");

void tell(QWidget* owner, const QString& text) {
    Dialogs::message(owner, appinfo::kTitle, text);
}

// Moves an artwork file to the new name. Never replaces a file that already has
// that name (artwork imported under the new name before Save survives), and a
// failed move leaves the file under its old name without a report.
void moveArtwork(const QString& from, const QString& to) {
    if (!QFile::exists(from))
        return;
    if (from.compare(to, Qt::CaseSensitive) != 0 && QFile::exists(to))
        return;
    QFile::rename(from, to);
}

} // namespace

void TfrmMain::connectCommandHandlers() {
    connect(pgNewGame->btnNewGame, &QPushButton::clicked, this,
            [this] { run([this] { btnNewGameClick(); }); });
    connect(pgNewGame->btnSave, &QPushButton::clicked, this, [this] { run([this] { btnSaveClick(); }); });
    connect(btnEdit, &QPushButton::clicked, this, [this] { run([this] { btnEditClick(); }); });
    connect(btnDelete, &QPushButton::clicked, this, [this] { run([this] { btnDeleteClick(); }); });
}

void TfrmMain::btnNewGameClick() {
    const QString name = enc::trimmed(pgNewGame->txtGameName->text());
    const QString isoPath = enc::trimmed(pgNewGame->txtISOPath->text());
    if (name.isEmpty() || isoPath.isEmpty() ||
        enc::trimmed(pgNewGame->cmbGSPlugin->currentText()).isEmpty() ||
        enc::trimmed(pgNewGame->cmbPCSX2ExeFile->currentText()).isEmpty()) {
        tell(this, kNeedFieldsForAdd);
        return;
    }
    if (!enc::IsValidProfileName(name)) {
        tell(this, kRefusedName);
        return;
    }
    if (DB->exists(name)) {
        tell(this, kExists);
        return;
    }
    CurGame = name;
    DB->add(profilemapping::collectForAdd(*pgNewGame, GSpg));
    LoadGameList();
    PageControl->setCurrentWidget(pgGameList);
    img2->setFocus();
    const int row = img2->findCaption(name);
    if (row >= 0)
        SelectItem(row);
}

void TfrmMain::btnSaveClick() {
    const QString name = enc::trimmed(pgNewGame->txtGameName->text());
    const QString isoPath = enc::trimmed(pgNewGame->txtISOPath->text());
    if (name.isEmpty() || isoPath.isEmpty()) {
        tell(this, kNeedFieldsForSave);
        return;
    }
    if (!enc::IsValidProfileName(name)) {
        tell(this, kRefusedName);
        return;
    }
    const bool renamed = name != CurGame;
    // A rename onto a name that another profile has would leave two rows with one
    // name (and a later Delete would remove both): refuse it before any statement.
    // Changing only the letter case of the profile's own name is still a rename.
    if (renamed && !equalAsciiNoCase(name, CurGame) && DB->exists(name)) {
        tell(this, kExists);
        return;
    }
    DB->update(CurGame, profilemapping::collectForUpdate(*pgNewGame, GSpg));
    if (renamed) {
        DB->rename(CurGame, name);
        for (const artworkfiles::Kind kind : {artworkfiles::Kind::Poster, artworkfiles::Kind::Thumbnail})
            moveArtwork(artworkfiles::path(AppFolder, kind, CurGame),
                        artworkfiles::path(AppFolder, kind, name));
        CurGame = name;
        const int selected = img2->selectedRow();
        if (selected >= 0)
            img2->setCaption(selected, name);
        setWindowTitle(progname + name);
    }
    PageControl->setCurrentWidget(pgGameList);
    img2->setFocus();
}

void TfrmMain::btnEditClick() {
    const std::optional<GameProfile> row = DB->load(CurGame);
    if (!row)
        throw KorvelloError(QStringLiteral("The profile '%1' is not in the database").arg(CurGame));
    profilemapping::load(*pgNewGame, *row, GSpg);
    pgNewGame->UpdatePosterButtons();
    PageControl->setCurrentWidget(pgNewGame);
    pgNewGame->btnNewGame->setEnabled(false);
    pgNewGame->btnSave->setEnabled(true);
}

void TfrmMain::btnDeleteClick() {
    if (CurGame.isEmpty())
        return;
    const auto answer =
        Dialogs::message(this, QStringLiteral("Warning"), QStringLiteral("Delete '%1'?").arg(CurGame),
                         QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    DB->remove(CurGame);
    for (const artworkfiles::Kind kind : {artworkfiles::Kind::Poster, artworkfiles::Kind::Thumbnail}) {
        const QString file = artworkfiles::path(AppFolder, kind, CurGame);
        if (QFile::exists(file))
            QFile::remove(file);
    }
    const int position = img2->selectedRow();
    LoadGameList();
    if (position > 0)
        SelectItem(position - 1);
    else if (img2->count() > 0)
        SelectItem(0);
}
