// Poster and thumbnail import from the editor page: "Poster and Thumbnail"
// (btnPoster) makes both pictures from a chosen picture, "Thumbnail only"
// (btnThumb) only the thumbnail. The import runs on a worker thread, so a
// large photo does not freeze the window; its result is applied on the
// window's thread.
#include "app/gamelistpage.h"
#include "app/profilecommands.h"
#include "app/programsettings.h"
#include "core/appinfo.h"
#include "core/asciicase.h"
#include "editor/editorpage.h"
#include "editor/spinedit.h"
#include "gamelist/artworkfiles.h"
#include "gamelist/artworkimportjob.h"
#include "store/encodings.h"
#include "store/profilestore.h"
#include "ui/dialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <exception>

namespace {

// Imports that end sooner keep the normal cursor: a flash of the busy one would only distract.
constexpr int kBusyCursorDelayMs = 500;
const QString kPictureFolderKey = QStringLiteral("PictureFolder");

} // namespace

void ProfileCommands::importArtwork(QPushButton* pressed) {
    if (m_artworkImport)
        return; // one import at a time; the buttons are disabled meanwhile
    // Pictures are only written under a name that makes files of its own in Images.
    const QString name = enc::trimmed(m_editor->txtGameName->text());
    if (artworkfiles::isFallbackName(name)) {
        Dialogs::message(m_window, appinfo::kTitle, artworkfiles::fallbackNameRefusal(name));
        return;
    }
    if (!artworkfiles::hasOwnArtwork(name)) {
        Dialogs::message(m_window, appinfo::kTitle, enc::ProfileNameRule());
        return;
    }
    // Pictures are named after the profile: under the name of another profile
    // they would replace that game's poster and thumbnail. Refused as Add and
    // Save refuse that name, before the user picks a picture.
    const bool editMode = m_editor->btnSave->isEnabled();
    const bool ownName = editMode && equalAsciiNoCase(name, m_gameList->currentGame());
    if (!ownName && m_stores.profiles.exists(name)) {
        Dialogs::message(m_window, appinfo::kTitle, QStringLiteral("Alredy exists"));
        return;
    }
    // Patterns match without letter case in the file dialog.
    // The dialog opens where the last picture was chosen, the home folder the first time.
    const QString chosen =
        Dialogs::openFile(m_window, QStringLiteral("Open"),
                          QStringLiteral("Pictures (*.jpg *.jpeg *.png *.webp);;All files (*)"),
                          m_stores.settings.readText(kPictureFolderKey).value_or(QDir::homePath()));
    if (chosen.isEmpty())
        return; // cancelled
    m_stores.settings.writeText(kPictureFolderKey, QFileInfo(chosen).absolutePath());

    ArtworkImportJob::Request request;
    request.source = chosen;
    if (pressed->objectName() == QLatin1String("btnPoster"))
        request.posterPath = artworkfiles::path(m_setup.appFolder, artworkfiles::Kind::Poster, name);
    request.thumbPath = artworkfiles::path(m_setup.appFolder, artworkfiles::Kind::Thumbnail, name);
    request.blurText = m_editor->txtBlur->text();
    // In edit mode the game selected now shows the new thumbnail when the
    // import ends, if it is still there by then.
    const QString game = editMode ? m_gameList->currentGame() : QString();

    auto job = std::make_shared<ArtworkImportJob>(request);
    m_artworkImport = QThread::create([job] { job->run(); });
    m_artworkImport->setParent(this);
    m_editor->btnPoster->setEnabled(false);
    m_editor->btnThumb->setEnabled(false);
    QThread* const thread = m_artworkImport;
    connect(thread, &QThread::finished, this, [this, job, game] { finishArtworkImport(job, game); });
    QTimer::singleShot(kBusyCursorDelayMs, this, [this, thread] {
        if (m_artworkImport == thread && !m_busyCursor) {
            QGuiApplication::setOverrideCursor(Qt::BusyCursor);
            m_busyCursor = true;
        }
    });
    thread->start();
}

void ProfileCommands::finishArtworkImport(const std::shared_ptr<ArtworkImportJob>& job, const QString& game) {
    m_artworkImport->deleteLater();
    m_artworkImport = nullptr;
    if (m_busyCursor) {
        QGuiApplication::restoreOverrideCursor();
        m_busyCursor = false;
    }
    m_editor->UpdatePosterButtons();

    const ArtworkImportJob::Outcome& outcome = job->outcome();
    // In new mode the thumbnail appears when the game is added and the list rebuilt.
    m_gameList->showArtwork(game, outcome.poster, outcome.thumb);
    if (outcome.error)
        run([&] { std::rethrow_exception(outcome.error); });
    emit artworkImportFinished();
}
