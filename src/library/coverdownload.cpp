#include "library/coverdownload.h"

#include "core/korvelloerror.h"
#include "gamelist/artwork.h"
#include "gamelist/artworkfiles.h"
#include "gamelist/artworkimport.h"
#include "gamelist/artworksource.h"
#include "gamelist/jpeg.h"
#include "gamelist/picturelimit.h"
#include "library/covertransfer.h"

#include <QFileInfo>
#include <QStringList>

struct CoverDownload::Active {
    int index = 0;
    int nextTemplate = 0;
    bool identified = false;
    CoverTemplate::Fields fields;
    QString serialError; // why the disc has no serial
    QStringList reasons; // one per template tried
    QStringList causes;  // the same without the game's own addresses, to group games by
    QString note;        // what the causes leave out about this game (why its disc has no serial)
    bool onlyNotFound = true;
    std::unique_ptr<CoverTransfer> transfer;
};

CoverDownload::CoverDownload(const QStringList& templates, Options options, QObject* parent)
    : QObject(parent), m_options(std::move(options)) {
    for (const QString& line : templates)
        if (!line.trimmed().isEmpty())
            m_templates.append(CoverTemplate(line));
    if (m_templates.isEmpty())
        throw KorvelloError(QStringLiteral("Enter at least one address, for example "
                                           "https://example.org/covers/${serial}.jpg"));
    for (const CoverTemplate& t : std::as_const(m_templates))
        m_needsSerial = m_needsSerial || t.usesSerial();
    if (m_options.maxBytes <= 0)
        m_options.maxBytes = picturelimit::kMaxBytes;
    if (m_options.maxTotalBytes <= 0)
        m_options.maxTotalBytes = picturelimit::kMaxBytes;
    m_options.parallel = std::max(1, m_options.parallel);
    // The bodies of the games fetched at once are held together until each is
    // decoded, so the total is shared out.
    m_options.maxBytes = std::min(m_options.maxBytes, m_options.maxTotalBytes / m_options.parallel);
    m_pool.setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
}

CoverDownload::~CoverDownload() {
    m_active.clear(); // aborts the transfers
    m_pool.waitForDone();
}

bool CoverDownload::hasCover(const QString& appFolder, const QString& name) {
    using artworkfiles::Kind;
    return QFileInfo::exists(artworkfiles::path(appFolder, Kind::Poster, name)) ||
           QFileInfo::exists(artworkfiles::path(appFolder, Kind::Thumbnail, name));
}

QList<CoverDownload::Game> CoverDownload::gamesToFetch(const QList<Game>& games, const QString& appFolder,
                                                       bool replaceExisting) {
    QList<Game> result;
    for (const Game& game : games)
        if (artworkfiles::hasOwnArtwork(game.name) && (replaceExisting || !hasCover(appFolder, game.name)))
            result.append(game);
    return result;
}

void CoverDownload::start(const QList<Game>& games) {
    m_games = games;
    m_reports.clear();
    m_waiting.clear();
    for (int i = 0; i < m_games.size(); ++i)
        m_waiting.enqueue(i);
    m_running = true;
    m_cancelled = false;
    // Handled from the event loop, so a caller connects to finished() even for an empty list.
    QMetaObject::invokeMethod(
        this, [this] { startMore(); }, Qt::QueuedConnection);
}

void CoverDownload::cancel() {
    if (!m_running || m_cancelled)
        return;
    m_cancelled = true;
    while (!m_waiting.isEmpty()) {
        const int index = m_waiting.dequeue();
        m_reports.append({m_games[index].name, Status::Cancelled, QString(), QString(), QString()});
    }
    // A game whose picture is being written keeps it; the others end now.
    const auto active = m_active;
    for (const auto& game : active)
        if (game->transfer || !game->identified)
            endGame(game->index, Status::Cancelled, QString());
    finishIfIdle();
}

void CoverDownload::startMore() {
    while (!m_cancelled && m_active.size() < m_options.parallel && !m_waiting.isEmpty()) {
        const int index = m_waiting.dequeue();
        auto game = std::make_shared<Active>();
        game->index = index;
        const Game& g = m_games[index];
        game->fields.title = g.name;
        game->fields.fileTitle = g.imagePath.isEmpty() ? QString() : CoverTemplate::fileTitle(g.imagePath);
        m_active.insert(index, game);
        emit gameStarted(g.name);
        if (!m_needsSerial || g.imagePath.isEmpty() || !m_options.identifySerial) {
            game->identified = true;
            if (m_needsSerial)
                game->serialError = g.imagePath.isEmpty() ? QStringLiteral("the game has no disc image")
                                                          : QStringLiteral("discs cannot be identified");
            nextTemplate(*game);
            continue;
        }
        // Reading the disc image takes a while: on the pool.
        ++m_poolTasks;
        m_pool.start([this, index, path = g.imagePath, identify = m_options.identifySerial] {
            QString serial, error;
            try {
                serial = identify(path);
            } catch (const std::exception& e) {
                error = QString::fromUtf8(e.what());
            }
            QMetaObject::invokeMethod(
                this,
                [this, index, serial, error] {
                    Active* found = poolTaskDone(index);
                    if (!found)
                        return;
                    Active& game = *found;
                    game.identified = true;
                    game.fields.serial = serial;
                    game.serialError = error;
                    nextTemplate(game);
                },
                Qt::QueuedConnection);
        });
    }
    finishIfIdle();
}

void CoverDownload::nextTemplate(Active& game) {
    while (game.nextTemplate < m_templates.size()) {
        const CoverTemplate& t = m_templates[game.nextTemplate++];
        if (t.usesSerial() && game.fields.serial.isEmpty()) {
            game.onlyNotFound = false;
            game.reasons.append(QStringLiteral("no serial for %1 (not identified: %2)")
                                    .arg(t.text(), game.serialError.isEmpty()
                                                       ? QStringLiteral("no serial found")
                                                       : game.serialError));
            // Grouped as one cause; why each disc was not identified is the game's own note.
            game.causes.append(
                QStringLiteral("no serial for %1 (the disc was not identified)").arg(t.text()));
            if (!game.serialError.isEmpty())
                game.note = game.serialError;
            continue;
        }
        QUrl url;
        try {
            url = t.expand(game.fields);
        } catch (const KorvelloError& e) {
            game.onlyNotFound = false;
            game.reasons.append(e.text());
            game.causes.append(e.text());
            continue;
        }
        CoverTransfer::Limits limits{m_options.maxBytes, m_options.stallMs, m_options.totalMs,
                                     m_options.maxRedirects};
        game.transfer = std::make_unique<CoverTransfer>(m_network, url, limits);
        const int index = game.index;
        connect(game.transfer.get(), &CoverTransfer::finished, this, [this, index] {
            const auto it = m_active.find(index);
            if (it != m_active.end())
                transferEnded(**it);
        });
        return;
    }
    const int index = game.index;
    const QString cause = game.causes.join(QStringLiteral("; "));
    const QString note = game.note;
    if (game.onlyNotFound && !game.reasons.isEmpty())
        endGame(index, Status::NotFound, game.reasons.join(QStringLiteral("; ")), {}, cause, note);
    else
        endGame(index, Status::Failed, game.reasons.join(QStringLiteral("; ")), {}, cause, note);
}

void CoverDownload::transferEnded(Active& game) {
    // Deleted from the event loop: this runs inside the transfer's own signal.
    CoverTransfer* transfer = game.transfer.release();
    transfer->deleteLater();
    const QString address = transfer->url().toString();
    if (m_cancelled)
        return;
    if (transfer->outcome() != CoverTransfer::Outcome::Picture) {
        if (transfer->outcome() != CoverTransfer::Outcome::NotFound)
            game.onlyNotFound = false;
        game.reasons.append(QStringLiteral("%1: %2").arg(address, transfer->reason()));
        game.causes.append(
            QStringLiteral("%1: %2").arg(m_templates[game.nextTemplate - 1].text(), transfer->reason()));
        nextTemplate(game);
        return;
    }
    // Decoded completely before anything is written: a picture that fails here
    // leaves the game's files as they are.
    const QString name = m_games[game.index].name;
    const QString poster = artworkfiles::path(m_options.appFolder, artworkfiles::Kind::Poster, name);
    const QString thumb = artworkfiles::path(m_options.appFolder, artworkfiles::Kind::Thumbnail, name);
    const int index = game.index;
    // The picture's own address, after redirects; replaced by the reason if the picture fails.
    game.reasons.append(transfer->finalUrl().toString());
    ++m_poolTasks;
    m_pool.start([this, index, body = transfer->body(), address, poster, thumb, radius = m_options.blurRadius,
                  replace = m_options.replaceExisting, folder = m_options.appFolder, name] {
        QImage written;
        QString error;
        try {
            ArtworkSource source(
                body, address,
                {{artwork::kPosterTall, artwork::kPosterWide}, {artwork::kThumbTall, artwork::kThumbWide}});
            source.stretched({artwork::kPosterTall, artwork::kPosterWide}); // decodes both
            if (!replace && hasCover(folder, name))
                throw KorvelloError(QStringLiteral("the game got a cover meanwhile; it is kept"));
            SaveScaledJpeg(source, poster, 0.0, artwork::kPosterTall, artwork::kPosterWide);
            SaveScaledJpeg(source, thumb, radius, artwork::kThumbTall, artwork::kThumbWide);
            written = jpeg::decodeFile(thumb);
        } catch (const std::exception& e) {
            error = QString::fromUtf8(e.what());
        }
        QMetaObject::invokeMethod(
            this, [this, index, written, error] { pictureSaved(index, written, error); },
            Qt::QueuedConnection);
    });
}

CoverDownload::Active* CoverDownload::poolTaskDone(int index) {
    --m_poolTasks;
    const auto it = m_active.find(index);
    if (it == m_active.end()) {
        // The game was ended (cancelled) while the task ran: the download may be done now.
        finishIfIdle();
        return nullptr;
    }
    return it->get();
}

void CoverDownload::pictureSaved(int index, const QImage& thumbnail, const QString& error) {
    Active* found = poolTaskDone(index);
    if (!found)
        return;
    Active& game = *found;
    if (error.isEmpty()) {
        endGame(index, Status::Downloaded, game.reasons.last(), thumbnail);
        return;
    }
    game.onlyNotFound = false;
    game.reasons.last() = error;
    game.causes.append(error);
    if (m_cancelled)
        endGame(index, Status::Cancelled, QString());
    else
        nextTemplate(game);
}

void CoverDownload::endGame(int index, Status status, QString detail, const QImage& thumbnail, QString cause,
                            QString note) {
    // Made before the game's state goes: `detail` may come from it.
    const Report report{m_games[index].name, status, std::move(detail), std::move(cause), std::move(note)};
    m_active.remove(index); // a running transfer is aborted with it
    m_reports.append(report);
    emit gameFinished(report, thumbnail);
    if (!m_cancelled)
        QMetaObject::invokeMethod(
            this, [this] { startMore(); }, Qt::QueuedConnection);
    else
        finishIfIdle();
}

void CoverDownload::finishIfIdle() {
    if (!m_running || m_poolTasks > 0 || !m_active.isEmpty() || (!m_waiting.isEmpty() && !m_cancelled))
        return;
    m_running = false;
    emit finished();
}

namespace {

struct CauseGroup {
    CoverDownload::Status status;
    QString cause;
    QStringList names; // each with its note, when it has one
};

// Games that ended the same way, in the order their first game ended.
QList<CauseGroup> groupByCause(const QList<CoverDownload::Report>& reports) {
    QList<CauseGroup> groups;
    QHash<QPair<int, QString>, qsizetype> found;
    for (const CoverDownload::Report& r : reports) {
        if (r.status != CoverDownload::Status::NotFound && r.status != CoverDownload::Status::Failed)
            continue;
        const QString cause = r.cause.isEmpty() ? r.detail : r.cause;
        const QString named = r.note.isEmpty() ? r.name : QStringLiteral("%1: %2").arg(r.name, r.note);
        const QPair<int, QString> key{int(r.status), cause};
        const auto it = found.constFind(key);
        if (it != found.constEnd()) {
            groups[*it].names.append(named);
            continue;
        }
        found.insert(key, groups.size());
        groups.append({r.status, cause, {named}});
    }
    return groups;
}

QString groupLine(const CauseGroup& group) {
    const QString games = group.names.size() == 1 ? QStringLiteral("1 game")
                                                  : QStringLiteral("%1 games").arg(group.names.size());
    const QString how = group.status == CoverDownload::Status::NotFound ? QStringLiteral("not found")
                                                                        : QStringLiteral("failed");
    return QStringLiteral("%1 %2: %3").arg(games, how, group.cause);
}

} // namespace

QString CoverDownload::summary(const QList<Report>& reports, int maxGroups) {
    int downloaded = 0, notFound = 0, failed = 0, cancelled = 0;
    for (const Report& r : reports) {
        switch (r.status) {
        case Status::Downloaded:
            ++downloaded;
            break;
        case Status::NotFound:
            ++notFound;
            break;
        case Status::Failed:
            ++failed;
            break;
        case Status::Cancelled:
            ++cancelled;
            break;
        }
    }
    QString text = QStringLiteral("Covers downloaded: %1\nNot found: %2\nFailed: %3")
                       .arg(downloaded)
                       .arg(notFound)
                       .arg(failed);
    if (cancelled > 0)
        text += QStringLiteral("\nCancelled before their cover: %1").arg(cancelled);
    const QList<CauseGroup> groups = groupByCause(reports);
    if (!groups.isEmpty()) {
        text += u'\n';
        const int shown = int(std::min<qsizetype>(groups.size(), maxGroups));
        for (int i = 0; i < shown; ++i)
            text += u'\n' + groupLine(groups[i]);
        if (groups.size() > shown)
            text += QStringLiteral("\n... and %1 more reasons").arg(groups.size() - shown);
        text += QStringLiteral("\n\nThe details name every game and why it has no new cover.");
    }
    return text;
}

QString CoverDownload::summaryDetails(const QList<Report>& reports) {
    QStringList lines;
    for (const CauseGroup& group : groupByCause(reports)) {
        if (!lines.isEmpty())
            lines.append(QString());
        lines.append(groupLine(group));
        for (const QString& name : group.names)
            lines.append(QStringLiteral("    ") + name);
    }
    return lines.join(u'\n');
}
