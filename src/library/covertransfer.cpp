#include "library/covertransfer.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {

// What Qt may hold of a reply before onReadyRead() takes it: without a limit
// its network thread keeps reading into memory however long the window's
// thread is busy, and the byte limit below would only be checked afterwards.
constexpr qint64 kReadBufferBytes = qint64(256) << 10;

QString megabytes(qint64 bytes) {
    return QString::number(double(bytes) / double(1 << 20), 'f', 1) + QStringLiteral(" MB");
}

bool isWebTarget(const QUrl& url) {
    return url.isValid() &&
           (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https")) &&
           !url.host().isEmpty();
}

QString serverOf(const QUrl& url) {
    return url.port() == -1 ? url.host() : QStringLiteral("%1:%2").arg(url.host()).arg(url.port());
}

// Qt's texts for the failures a user meets most ("Connection refused") do not
// say which server: with several templates that is the first question.
QString networkReason(QNetworkReply::NetworkError error, const QUrl& url, const QString& qtText) {
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("the server %1 refused the connection").arg(serverOf(url));
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("the server %1 was not found").arg(serverOf(url));
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("the server %1 closed the connection").arg(serverOf(url));
    default:
        return qtText;
    }
}

QString seconds(int ms) {
    return QString::number(double(ms) / 1000.0, 'g', 3) + QStringLiteral(" s");
}

} // namespace

CoverTransfer::CoverTransfer(QNetworkAccessManager& network, const QUrl& url, const Limits& limits,
                             QObject* parent)
    : QObject(parent), m_url(url), m_limits(limits) {
    QNetworkRequest request(url);
    // Qt follows redirects to http and https (never from https down to http);
    // onMetaData() names a redirect elsewhere and onRedirected() a loop or too many.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(limits.maxRedirects + 1); // onRedirected() stops first
    request.setRawHeader("Accept", "image/jpeg, image/png, image/webp, image/*;q=0.8");
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Korvello"));
    m_visited.insert(url);

    m_stall.setSingleShot(true);
    m_stall.setInterval(limits.stallMs);
    m_total.setSingleShot(true);
    m_total.setInterval(limits.totalMs);
    connect(&m_stall, &QTimer::timeout, this,
            [this] { stop(QStringLiteral("no data for %1").arg(seconds(m_limits.stallMs))); });
    connect(&m_total, &QTimer::timeout, this,
            [this] { stop(QStringLiteral("not complete after %1").arg(seconds(m_limits.totalMs))); });

    m_reply = network.get(request);
    m_reply->setReadBufferSize(kReadBufferBytes);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &CoverTransfer::onMetaData);
    connect(m_reply, &QNetworkReply::readyRead, this, &CoverTransfer::onReadyRead);
    connect(m_reply, &QNetworkReply::redirected, this, &CoverTransfer::onRedirected);
    connect(m_reply, &QNetworkReply::finished, this, &CoverTransfer::onFinished);
    m_stall.start();
    m_total.start();
}

CoverTransfer::~CoverTransfer() {
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
    }
}

void CoverTransfer::abort() {
    stop(QStringLiteral("cancelled"));
}

void CoverTransfer::stop(const QString& reason) {
    if (m_done || !m_reason.isEmpty())
        return;
    m_reason = reason;
    m_stall.stop();
    m_total.stop();
    // Not from inside the reply's own signals: the reply ends once they have returned.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_reply && !m_done && !m_reply->isFinished())
                m_reply->abort(); // emits finished()
        },
        Qt::QueuedConnection);
}

bool CoverTransfer::looksLikePicture(const QByteArray& start, bool complete, bool* decided) {
    struct Signature {
        int offset;
        QByteArray bytes;
    };
    static const Signature signatures[] = {
        {0, QByteArray("\xFF\xD8\xFF", 3)},      // JPEG
        {0, QByteArray("\x89PNG\r\n\x1A\n", 8)}, // PNG
        {8, QByteArray("WEBP")},                 // WebP, after "RIFF" and the size
        {0, QByteArray("GIF8")},                 // GIF87a, GIF89a
        {0, QByteArray("BM")},                   // BMP
    };
    bool undecided = false;
    for (const Signature& s : signatures) {
        const qsizetype end = s.offset + s.bytes.size();
        if (start.size() >= end) {
            if (start.mid(s.offset, s.bytes.size()) == s.bytes &&
                (s.offset == 0 || start.startsWith("RIFF"))) {
                *decided = true;
                return true;
            }
        } else if (!complete && s.bytes.startsWith(start.mid(s.offset)) &&
                   (s.offset == 0 || QByteArray("RIFF").startsWith(start.left(4)))) {
            undecided = true; // could still match once more bytes arrive
        }
    }
    *decided = !undecided;
    return false;
}

void CoverTransfer::onMetaData() {
    m_stall.start();
    const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid())
        return;
    const int code = status.toInt();
    if (code >= 300 && code < 400) {
        // A redirect that Qt would refuse itself is named here; the others are
        // looked at in onRedirected().
        const QUrl to = m_reply->url().resolved(m_reply->header(QNetworkRequest::LocationHeader).toUrl());
        if (!to.isEmpty() && !isWebTarget(to))
            stop(
                QStringLiteral("redirected to %1, which is not an http or https address").arg(to.toString()));
        return;
    }
    if (code < 200) // an interim answer; the real one follows
        return;
    if (code >= 300) {
        // The error page is not needed: the code says it all.
        const QString phrase = m_reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
        if (code == 404 || code == 410)
            m_outcome = Outcome::NotFound;
        stop(QStringLiteral("HTTP %1%2").arg(code).arg(phrase.isEmpty() ? QString() : u' ' + phrase));
        return;
    }
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() > m_limits.maxBytes)
        stop(QStringLiteral("the server announces %1, more than the %2 a picture may have")
                 .arg(megabytes(length.toLongLong()), megabytes(m_limits.maxBytes)));
}

void CoverTransfer::onRedirected(const QUrl& to) {
    m_stall.start();
    if (!isWebTarget(to)) {
        stop(QStringLiteral("redirected to %1, which is not an http or https address").arg(to.toString()));
        return;
    }
    if (m_visited.contains(to)) {
        stop(QStringLiteral("redirect loop back to %1").arg(to.toString()));
        return;
    }
    if (m_visited.size() > m_limits.maxRedirects) {
        stop(QStringLiteral("more than %1 redirects").arg(m_limits.maxRedirects));
        return;
    }
    m_visited.insert(to);
}

void CoverTransfer::onReadyRead() {
    if (!m_reason.isEmpty())
        return;
    m_stall.start();
    // One byte past the limit is enough to know the body is too large.
    const QByteArray chunk = m_reply->read(m_limits.maxBytes - m_body.size() + 1);
    if (m_body.size() + chunk.size() > m_limits.maxBytes) {
        stop(QStringLiteral("stopped after %1: more than the %2 a picture may have")
                 .arg(megabytes(m_body.size() + chunk.size()), megabytes(m_limits.maxBytes)));
        return;
    }
    m_body.append(chunk);
    if (!m_sniffed) {
        bool decided = false;
        const bool picture = looksLikePicture(m_body, false, &decided);
        if (decided && !picture) {
            const QString type = m_reply->header(QNetworkRequest::ContentTypeHeader).toString();
            stop(QStringLiteral("not a picture%1")
                     .arg(type.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(type)));
            return;
        }
        m_sniffed = decided;
    }
}

void CoverTransfer::onFinished() {
    if (m_done)
        return;
    m_stall.stop();
    m_total.stop();
    if (m_reason.isEmpty())
        onReadyRead(); // the last bytes, if any are left
    m_done = true;
    m_finalUrl = m_reply->url();
    const QNetworkReply::NetworkError error = m_reply->error();
    if (m_reason.isEmpty()) {
        const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
        bool decided = false;
        const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (error != QNetworkReply::NoError)
            m_reason = networkReason(error, m_reply->url(), m_reply->errorString());
        else if (status != 0 && (status < 200 || status >= 300))
            m_reason = QStringLiteral("HTTP %1").arg(status);
        else if (length.isValid() && m_body.size() < length.toLongLong())
            m_reason = QStringLiteral("the connection ended after %1 of %2 bytes")
                           .arg(m_body.size())
                           .arg(length.toLongLong());
        else if (m_body.isEmpty())
            m_reason = QStringLiteral("the server sent no picture");
        else if (!looksLikePicture(m_body, true, &decided))
            m_reason = QStringLiteral("not a picture");
    }
    if (m_reason.isEmpty())
        m_outcome = Outcome::Picture;
    else if (m_outcome == Outcome::Picture)
        m_outcome = Outcome::Failed;
    if (m_outcome != Outcome::Picture)
        m_body.clear();
    m_reply->disconnect(this);
    m_reply->deleteLater();
    m_reply = nullptr;
    emit finished();
}
