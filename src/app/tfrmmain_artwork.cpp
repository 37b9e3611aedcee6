// Poster and thumbnail import from the editor page: "Poster and Thumbnail"
// (btnPoster) makes both pictures from a chosen JPEG, "Thumbnail only"
// (btnThumb) only the thumbnail.
#include "artwork.h"
#include "artworkfiles.h"
#include "artworkimport.h"
#include "artworksource.h"
#include "dialogs.h"
#include "editorpage.h"
#include "encodings.h"
#include "gamelistview.h"
#include "jpeg.h"
#include "numbertext.h"
#include "posterview.h"
#include "spinedit.h"
#include "tfrmmain.h"

#include <QLineEdit>
#include <QPushButton>

void TfrmMain::connectArtworkHandlers() {
    for (QPushButton* button : {pgNewGame->btnPoster, pgNewGame->btnThumb})
        connect(button, &QPushButton::clicked, this,
                [this, button] { run([this, button] { btnPosterClick(button); }); });
}

void TfrmMain::btnPosterClick(QPushButton* pressed) {
    const QString chosen = Dialogs::openFile(this, QStringLiteral("Open"), QStringLiteral("*.jpg (*.jpg)"));
    if (chosen.isEmpty())
        return; // cancelled

    const QString name = enc::trimmed(pgNewGame->txtGameName->text());
    const QString posterPath = artworkfiles::path(AppFolder, artworkfiles::Kind::Poster, name);
    const QString thumbPath = artworkfiles::path(AppFolder, artworkfiles::Kind::Thumbnail, name);
    // Decoded at full size once, when the first picture needs it, and shared by both.
    ArtworkSource source(chosen);

    if (pressed->objectName() == QLatin1String("btnPoster")) {
        SaveScaledJpeg(source, posterPath, 0.0, artwork::kPosterTall, artwork::kPosterWide);
        image1->showPicture(jpeg::decodeFile(posterPath));
    }

    const double radius = numbertext::toDouble(pgNewGame->txtBlur->text());
    SaveScaledJpeg(source, thumbPath, radius, artwork::kThumbTall, artwork::kThumbWide);

    // In edit mode the selected entry shows its new thumbnail at once; in new
    // mode it appears when the game is added and the list rebuilt.
    if (pgNewGame->btnSave->isEnabled() && img2->selectedRow() >= 0)
        img2->setEntryImage(img2->selectedRow(), jpeg::decodeFile(thumbPath));
}
