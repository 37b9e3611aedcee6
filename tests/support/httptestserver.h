#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QTcpServer>
#include <atomic>

class QTcpSocket;

// A small HTTP/1.1 server on 127.0.0.1 for tests and benchmarks: it answers
// GET requests for the paths it was given, each with its own behaviour, and
// 404 for any other path. One response per connection ("Connection: close").
// Routes are set before requests arrive; it serves from the thread it lives in.
class HttpTestServer : public QObject {
    Q_OBJECT
public:
    enum class Mode {
        Complete,  // the whole body with its Content-Length
        NoLength,  // the whole body, ended by closing the connection
        CutMidway, // Content-Length of the whole body, half of it, then the connection closes
        Stall,     // reads the request and never answers
        Trickle,   // the headers, then one byte of the body every trickleMs
        Fake400MB, // headers announcing 400 MB + 1 byte, then nothing
        Endless,   // no Content-Length, the body, then zeros for as long as the client reads
    };
    struct Route {
        int status = 200;
        QByteArray body;
        QByteArray contentType = "image/jpeg";
        QList<QPair<QByteArray, QByteArray>> headers;
        Mode mode = Mode::Complete;
    };

    explicit HttpTestServer(QObject* parent = nullptr);
    ~HttpTestServer() override;

    // Listens on 127.0.0.1 with a free port; false when it cannot.
    bool listen();
    quint16 port() const { return m_port; }
    // "http://127.0.0.1:<port>"
    QString base() const;

    // `path` as it appears in the request line, percent-encoding included.
    void setRoute(const QByteArray& path, const Route& route) { m_routes.insert(path, route); }
    void serve(const QByteArray& path, const QByteArray& body, const QByteArray& type = "image/jpeg");
    void redirect(const QByteArray& path, const QByteArray& location, int status = 302);

    // Every path requested so far, in order of arrival.
    QList<QByteArray> requested() const;
    int requestCount() const { return m_requestCount.load(); }
    // Bytes of Endless bodies the sockets have handed to the system so far.
    qint64 endlessBytesSent() const { return m_endlessBytes.load(); }
    int trickleMs = 200;

private:
    void onConnection();
    void onReadable(QTcpSocket* socket);

    QTcpServer m_server; // a child, so that it moves with the server to another thread
    quint16 m_port = 0;
    QHash<QByteArray, Route> m_routes;
    QList<QByteArray> m_requested;
    std::atomic<int> m_requestCount{0};
    std::atomic<qint64> m_endlessBytes{0};
};
