// "Download covers...": covers for the whole library from the user's own
// address templates. The dialog edits the choices, CoverDownload fetches and
// writes the pictures without blocking the window, and the grid shows each
// cover as it arrives; one summary ends the download.
#include "app/coverdownloaddialog.h"
#include "app/gamelistpage.h"
#include "app/programsettings.h"
#include "disc/discidentity.h"
#include "gamelist/artworkfiles.h"
#include "gamelist/gamelistview.h"
#include "gamelist/jpeg.h"
#include "gamelist/posterview.h"
#include "launch/currentbuild.h"
#include "store/columntable.h"
#include "store/profilestore.h"
#include "ui/dialogs.h"

namespace {

const QString kTemplatesKey = QStringLiteral("CoverTemplates");
const QString kTitle = QStringLiteral("Download covers");

} // namespace

void GameListPage::setCoverTimeouts(int stallMs, int totalMs) {
    m_coverStallMs = stallMs;
    m_coverTotalMs = totalMs;
}

void GameListPage::openCoverDownload() {
    if (!m_coverDialog) {
        m_coverDialog = new CoverDownloadDialog(window());
        // The window stays visible and repaints, but the library cannot change under the download.
        m_coverDialog->setWindowModality(Qt::WindowModal);
        connect(m_coverDialog, &CoverDownloadDialog::startRequested, this,
                [this] { run([this] { startCoverDownload(); }); });
        connect(m_coverDialog, &CoverDownloadDialog::cancelRequested, this, [this] {
            if (m_coverDownload)
                m_coverDownload->cancel();
        });
    }
    if (m_coverDialog->isVisible()) {
        m_coverDialog->raise();
        return;
    }
    const QString stored = m_stores.settings.readText(kTemplatesKey).value_or(QString());
    m_coverDialog->setTemplates(stored.split(u'\n', Qt::SkipEmptyParts));
    m_coverDialog->show();
}

void GameListPage::startCoverDownload() {
    if (m_coverDownload)
        return;
    const QStringList templates = m_coverDialog->templates();
    CoverDownload::Options options;
    options.appFolder = m_setup.appFolder;
    options.replaceExisting = m_coverDialog->replaceExisting();
    if (m_coverStallMs > 0)
        options.stallMs = m_coverStallMs;
    if (m_coverTotalMs > 0)
        options.totalMs = m_coverTotalMs;
    // The thumbnail gets the blur an import would give it now.
    options.blurRadius = m_sources.thumbnailBlur ? m_sources.thumbnailBlur() : 0.0;
    // ${serial}: read from the disc image; the current builds' game list cache
    // ("<data folder>/cache/gamelist.cache") knows the formats that cannot be read here.
    const QString gameListCache =
        m_setup.currentBuilds ? currentbuild::gameListCachePath(m_setup.settingsFolder) : QString();
    options.identifySerial = [gameListCache](const QString& imagePath) {
        return disc::identify(imagePath, gameListCache).serial;
    };
    // Checks the templates before anything is remembered or fetched.
    auto download = std::make_unique<CoverDownload>(templates, options, this);
    m_stores.settings.writeText(kTemplatesKey, templates.join(u'\n'));

    QList<CoverDownload::Game> games;
    for (const QString& name : m_stores.profiles.listNames()) {
        const std::optional<GameProfile> profile = m_stores.profiles.load(name);
        games.append({name, profile ? profile->value(col::PCSX2CurrentIso) : QString()});
    }
    games = CoverDownload::gamesToFetch(games, m_setup.appFolder, options.replaceExisting);
    if (games.isEmpty()) {
        Dialogs::message(m_coverDialog, kTitle,
                         options.replaceExisting
                             ? QStringLiteral("There are no games to fetch covers for.")
                             : QStringLiteral("Every game has a cover already. Choose \"All games\" to "
                                              "replace them."));
        return;
    }

    m_coverDownload = download.release();
    m_coverDialog->showProgress(games.size());
    connect(m_coverDownload, &CoverDownload::gameStarted, this, [this](const QString& name) {
        m_coverDialog->setProgress(m_coverDownload->done(), m_coverDownload->total(), name);
    });
    connect(m_coverDownload, &CoverDownload::gameFinished, this,
            [this](const CoverDownload::Report& report, const QImage& thumbnail) {
                run([&] { showArrivedCover(report, thumbnail); });
            });
    connect(m_coverDownload, &CoverDownload::finished, this,
            [this] { run([this] { finishCoverDownload(); }); });
    m_coverDownload->start(games);
}

void GameListPage::showArrivedCover(const CoverDownload::Report& report, const QImage& thumbnail) {
    m_coverDialog->setProgress(m_coverDownload->done(), m_coverDownload->total(), report.name);
    if (thumbnail.isNull())
        return;
    const int row = m_gameGrid->findCaption(report.name);
    if (row >= 0)
        m_gameGrid->setEntryImage(row, thumbnail);
    if (report.name == m_currentGame)
        m_poster->showPicture(
            jpeg::decodeFile(artworkfiles::path(m_setup.appFolder, artworkfiles::Kind::Poster, report.name)));
}

void GameListPage::finishCoverDownload() {
    const QList<CoverDownload::Report> reports = m_coverDownload->reports();
    m_coverDownload->deleteLater();
    m_coverDownload = nullptr;
    m_coverDialog->hide();
    m_coverDialog->deleteLater(); // the next download starts from a fresh dialog
    m_coverDialog = nullptr;
    Dialogs::messageWithDetails(window(), kTitle, CoverDownload::summary(reports),
                                CoverDownload::summaryDetails(reports));
    emit coverDownloadFinished();
}
