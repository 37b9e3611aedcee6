#pragma once

#include <QByteArray>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

// One GET of a cover picture, with the limits a download from an address the
// user typed needs: at most kMaxRedirects redirects, each to an http or https
// address and none back to an address already visited; a body no larger than
// the limit, refused from its Content-Length header when it says so and
// otherwise stopped while streaming; a time-out when no byte arrives for the
// stall time and one for the whole transfer; and a body whose first bytes are
// not those of a picture format the artwork import reads is stopped at once.
// Emits finished() exactly once, later, from the event loop.
class CoverTransfer : public QObject {
    Q_OBJECT
public:
    struct Limits {
        qint64 maxBytes = 0;
        int stallMs = 0;
        int totalMs = 0;
        int maxRedirects = 0;
    };
    enum class Outcome { Picture, NotFound, Failed };

    CoverTransfer(QNetworkAccessManager& network, const QUrl& url, const Limits& limits,
                  QObject* parent = nullptr);
    ~CoverTransfer() override;

    void abort(); // ends the transfer as Failed with the reason "cancelled"

    Outcome outcome() const { return m_outcome; }
    // The picture's bytes (Picture), or why there is none (NotFound, Failed).
    const QByteArray& body() const { return m_body; }
    const QString& reason() const { return m_reason; }
    const QUrl& url() const { return m_url; }
    // Where the answer came from, after any redirects.
    const QUrl& finalUrl() const { return m_finalUrl; }

    // True when the first bytes are a JPEG's, PNG's, WebP's, GIF's or BMP's signature;
    // `complete`: no more bytes follow, so a short body is decided too.
    static bool looksLikePicture(const QByteArray& start, bool complete, bool* decided);

signals:
    void finished();

private:
    void onMetaData();
    void onReadyRead();
    void onRedirected(const QUrl& to);
    void onFinished();
    // Records the reason and aborts the reply; onFinished() reports it.
    void stop(const QString& reason);

    QUrl m_url;
    QUrl m_finalUrl;
    Limits m_limits;
    QNetworkReply* m_reply = nullptr;
    QTimer m_stall;
    QTimer m_total;
    QSet<QUrl> m_visited;
    QByteArray m_body;
    QString m_reason;
    bool m_sniffed = false;
    bool m_done = false;
    Outcome m_outcome = Outcome::Failed;
};
