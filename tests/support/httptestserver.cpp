#include "support/httptestserver.h"

#include <QTcpSocket>
#include <QTimer>

HttpTestServer::HttpTestServer(QObject* parent) : QObject(parent), m_server(this) {
    connect(&m_server, &QTcpServer::newConnection, this, &HttpTestServer::onConnection);
}

HttpTestServer::~HttpTestServer() = default;

bool HttpTestServer::listen() {
    if (!m_server.listen(QHostAddress::LocalHost, 0))
        return false;
    m_port = m_server.serverPort();
    return true;
}

QString HttpTestServer::base() const {
    return QStringLiteral("http://127.0.0.1:%1").arg(m_port);
}

void HttpTestServer::serve(const QByteArray& path, const QByteArray& body, const QByteArray& type) {
    Route route;
    route.body = body;
    route.contentType = type;
    setRoute(path, route);
}

void HttpTestServer::redirect(const QByteArray& path, const QByteArray& location, int status) {
    Route route;
    route.status = status;
    route.contentType = "text/html";
    route.body = "<a href=\"" + location + "\">moved</a>";
    route.headers.append({"Location", location});
    setRoute(path, route);
}

QList<QByteArray> HttpTestServer::requested() const {
    return m_requested;
}

void HttpTestServer::onConnection() {
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadable(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void HttpTestServer::onReadable(QTcpSocket* socket) {
    if (socket->property("answered").toBool()) {
        socket->readAll();
        return;
    }
    // The request is complete at its blank line; a GET has no body.
    QByteArray request = socket->property("request").toByteArray() + socket->readAll();
    socket->setProperty("request", request);
    if (!request.contains("\r\n\r\n"))
        return;
    socket->setProperty("answered", true);
    const QList<QByteArray> first = request.left(request.indexOf("\r\n")).split(' ');
    const QByteArray path = first.size() >= 2 ? first[1] : QByteArray("/");
    m_requested.append(path);
    ++m_requestCount;

    Route route;
    if (const auto it = m_routes.constFind(path); it != m_routes.constEnd()) {
        route = *it;
    } else {
        route.status = 404;
        route.contentType = "text/html";
        route.body = "<html><body>Not Found</body></html>";
    }
    if (route.mode == Mode::Stall)
        return; // the connection stays open and silent
    static const QHash<int, QByteArray> phrases{{200, "OK"},
                                                {301, "Moved Permanently"},
                                                {302, "Found"},
                                                {307, "Temporary Redirect"},
                                                {404, "Not Found"},
                                                {410, "Gone"},
                                                {500, "Internal Server Error"},
                                                {503, "Service Unavailable"}};
    QByteArray head = "HTTP/1.1 " + QByteArray::number(route.status) + ' ' +
                      phrases.value(route.status, "Status") +
                      "\r\nConnection: close\r\nContent-Type: " + route.contentType + "\r\n";
    for (const auto& [name, value] : std::as_const(route.headers))
        head += name + ": " + value + "\r\n";
    if (route.mode == Mode::Fake400MB)
        head += "Content-Length: " + QByteArray::number((qint64(400) << 20) + 1) + "\r\n";
    else if (route.mode != Mode::NoLength && route.mode != Mode::Endless)
        head += "Content-Length: " + QByteArray::number(route.body.size()) + "\r\n";
    head += "\r\n";
    socket->write(head);

    switch (route.mode) {
    case Mode::Complete:
    case Mode::NoLength:
        socket->write(route.body);
        socket->disconnectFromHost();
        break;
    case Mode::CutMidway:
        socket->write(route.body.left(route.body.size() / 2));
        socket->disconnectFromHost();
        break;
    case Mode::Fake400MB:
    case Mode::Stall:
        break;
    case Mode::Endless: {
        // Kept a little ahead of the system's send buffer, so the client's
        // reading, not this thread, sets the pace.
        static const QByteArray zeros(256 << 10, '\0');
        const qint64 head = socket->bytesToWrite();
        socket->write(route.body);
        auto headLeft = std::make_shared<qint64>(head);
        auto topUp = [this, socket, headLeft](qint64 written) {
            const qint64 ofHead = std::min(written, *headLeft);
            *headLeft -= ofHead;
            m_endlessBytes += written - ofHead;
            while (socket->state() == QAbstractSocket::ConnectedState && socket->bytesToWrite() < (1 << 20))
                socket->write(zeros);
        };
        connect(socket, &QTcpSocket::bytesWritten, socket, topUp);
        topUp(0);
        break;
    }
    case Mode::Trickle: {
        auto* timer = new QTimer(socket);
        auto sent = std::make_shared<qsizetype>(0);
        const QByteArray body = route.body;
        connect(timer, &QTimer::timeout, socket, [socket, timer, sent, body] {
            if (*sent >= body.size()) {
                timer->stop();
                socket->disconnectFromHost();
                return;
            }
            socket->write(body.mid(*sent, 1));
            ++*sent;
        });
        timer->start(trickleMs);
        break;
    }
    }
}
