// Poster and thumbnail import from the editor page: "Poster and Thumbnail"
// (btnPoster) makes both pictures from a chosen JPEG, "Thumbnail only"
// (btnThumb) only the thumbnail.
#include "app/mainwindow.h"
#include "core/appinfo.h"
#include "core/numbertext.h"
#include "editor/editorpage.h"
#include "editor/spinedit.h"
#include "gamelist/artwork.h"
#include "gamelist/artworkfiles.h"
#include "gamelist/artworkimport.h"
#include "gamelist/artworksource.h"
#include "gamelist/gamelistview.h"
#include "gamelist/jpeg.h"
#include "gamelist/posterview.h"
#include "store/encodings.h"
#include "ui/dialogs.h"

#include <QLineEdit>
#include <QPushButton>

void MainWindow::connectArtworkHandlers() {
    for (QPushButton* button : {m_editorPage->btnPoster, m_editorPage->btnThumb})
        connect(button, &QPushButton::clicked, this,
                [this, button] { run([this, button] { importArtwork(button); }); });
}

void MainWindow::importArtwork(QPushButton* pressed) {
    // Pictures are only written under a name that makes files of its own in Images.
    const QString name = enc::trimmed(m_editorPage->txtGameName->text());
    if (artworkfiles::isFallbackName(name)) {
        Dialogs::message(this, appinfo::kTitle, artworkfiles::fallbackNameRefusal(name));
        return;
    }
    if (!artworkfiles::hasOwnArtwork(name)) {
        Dialogs::message(this, appinfo::kTitle, QStringLiteral("Not use [ ] < > \\ / : * ? \" |"));
        return;
    }
    const QString chosen = Dialogs::openFile(this, QStringLiteral("Open"), QStringLiteral("*.jpg (*.jpg)"));
    if (chosen.isEmpty())
        return; // cancelled

    const QString posterPath = artworkfiles::path(m_appFolder, artworkfiles::Kind::Poster, name);
    const QString thumbPath = artworkfiles::path(m_appFolder, artworkfiles::Kind::Thumbnail, name);
    // Decoded at full size once, when the first picture needs it, and shared by both.
    ArtworkSource source(chosen);

    if (pressed->objectName() == QLatin1String("btnPoster")) {
        SaveScaledJpeg(source, posterPath, 0.0, artwork::kPosterTall, artwork::kPosterWide);
        m_poster->showPicture(jpeg::decodeFile(posterPath));
    }

    const double radius = numbertext::toDouble(m_editorPage->txtBlur->text());
    SaveScaledJpeg(source, thumbPath, radius, artwork::kThumbTall, artwork::kThumbWide);

    // In edit mode the selected entry shows its new thumbnail at once; in new
    // mode it appears when the game is added and the list rebuilt.
    if (m_editorPage->btnSave->isEnabled() && m_gameGrid->selectedRow() >= 0)
        m_gameGrid->setEntryImage(m_gameGrid->selectedRow(), jpeg::decodeFile(thumbPath));
}
