#pragma once

#include "library/covertemplate.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QNetworkAccessManager>
#include <QObject>
#include <QQueue>
#include <QString>
#include <QThreadPool>
#include <functional>
#include <memory>

class CoverTransfer;

// Covers for many games in one go, from the user's own address templates. For
// each game the templates are tried in order until one gives a picture. A few
// games are fetched at a time; everything runs from the event loop of the
// thread the object lives on, which only starts transfers and collects their
// bytes: identifying discs and decoding, scaling and writing pictures run on
// a pool of threads of its own. Each picture takes the path of an imported
// one (ArtworkSource, SaveScaledJpeg: content sniffing, the picture size
// limit, EXIF orientation, the blur, poster and thumbnail each written by
// rename), and nothing is written for a picture that does not decode
// completely. Every game ends in one Report.
class CoverDownload : public QObject {
    Q_OBJECT
public:
    struct Game {
        QString name;      // the profile's name: ${title}, and the artwork files' name
        QString imagePath; // the disc image: ${filetitle} and, identified, ${serial}
    };
    enum class Status { Downloaded, NotFound, Failed, Cancelled };
    struct Report {
        QString name;
        Status status = Status::Failed;
        QString detail; // the address of the picture, or the reasons, one per template tried
        // The reasons with each address given as the template it came from:
        // games that failed the same way have the same cause.
        QString cause;
        QString note; // what the cause leaves out about this game, such as why its disc has no serial
    };
    struct Options {
        QString appFolder; // ends in "/"; the pictures go to its Images folder
        bool replaceExisting = false;
        double blurRadius = 0.0;
        int parallel = 4;    // games fetched at a time
        qint64 maxBytes = 0; // one picture's bytes; 0: the picture limit's byte count
        // Bytes all the transfers running at once may hold together; each
        // transfer gets its share. 0: the picture limit's byte count.
        qint64 maxTotalBytes = 0;
        int stallMs = 20'000; // no byte for this long ends a transfer
        int totalMs = 60'000; // a transfer may take this long at most
        int maxRedirects = 5;
        // The disc's serial for ${serial}; throws KorvelloError when the disc
        // cannot be identified. Runs on the pool. Unset: no game has a serial.
        std::function<QString(const QString& imagePath)> identifySerial;
    };

    // Throws KorvelloError for a template that cannot work (CoverTemplate) or an empty list.
    CoverDownload(const QStringList& templates, Options options, QObject* parent = nullptr);
    ~CoverDownload() override;

    // True when the game has a poster or a thumbnail of its own.
    static bool hasCover(const QString& appFolder, const QString& name);
    // The games a download handles: with replaceExisting all games that can
    // have pictures of their own, otherwise those of them without a cover.
    static QList<Game> gamesToFetch(const QList<Game>& games, const QString& appFolder, bool replaceExisting);

    void start(const QList<Game>& games);
    // Stops every transfer; games not finished end as Cancelled. finished() follows
    // once pictures being written are done.
    void cancel();
    bool isRunning() const { return m_running; }

    int total() const { return m_games.size(); }
    int done() const { return m_reports.size(); }
    const QList<Report>& reports() const { return m_reports; }
    // One short text for the end: counts of downloaded, not found and failed
    // games, then one line for each cause, with the number of its games.
    static QString summary(const QList<Report>& reports, int maxGroups = 5);
    // Every game not found or failed, named under its cause; games that failed
    // the same way are one group.
    static QString summaryDetails(const QList<Report>& reports);

signals:
    // A game's first transfer is starting.
    void gameStarted(const QString& name);
    // A game has ended; `thumbnail` is the thumbnail as written, null unless downloaded.
    void gameFinished(const CoverDownload::Report& report, const QImage& thumbnail);
    void finished();

private:
    struct Active;
    void startMore();
    void nextTemplate(Active& game);
    void transferEnded(Active& game);
    void pictureSaved(int index, const QImage& thumbnail, const QString& error);
    // A worker's result for game `index` came back: the game, or nothing when it has ended.
    Active* poolTaskDone(int index);
    void endGame(int index, Status status, QString detail, const QImage& thumbnail = {}, QString cause = {},
                 QString note = {});
    void finishIfIdle();

    QList<CoverTemplate> m_templates;
    Options m_options;
    bool m_needsSerial = false;
    QList<Game> m_games;
    QQueue<int> m_waiting;
    QHash<int, std::shared_ptr<Active>> m_active;
    QList<Report> m_reports;
    QNetworkAccessManager m_network;
    QThreadPool m_pool;
    int m_poolTasks = 0;
    bool m_running = false;
    bool m_cancelled = false;
};
