#include "app/singleinstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace {
constexpr int kConnectMs = 1000;
const QByteArray kRaise = QByteArrayLiteral("raise\n");
} // namespace

SingleInstance::SingleInstance(const QString& appFolder, QObject* parent)
    : QObject(parent), m_name(serverName(appFolder)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::serverName(const QString& appFolder) {
    const QByteArray folder = QDir::cleanPath(QDir(appFolder).absolutePath()).toUtf8();
    const QByteArray digest = QCryptographicHash::hash(folder, QCryptographicHash::Sha256).toHex().left(16);
    return QStringLiteral("korvello-%1-%2").arg(::getuid()).arg(QString::fromLatin1(digest));
}

bool SingleInstance::handOverToRunning() {
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(kConnectMs))
        return false;
    socket.write(kRaise);
    socket.waitForBytesWritten(kConnectMs);
    socket.disconnectFromServer();
    return true;
}

void SingleInstance::listen() {
    m_server = new QLocalServer(this);
    // The socket file is the user's own: other users cannot reach the window.
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket left by a start that crashed answers no one: it is replaced.
    if (!m_server->listen(m_name)) {
        QLocalServer::removeServer(m_name);
        m_server->listen(m_name);
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            // What a later start sends is read only to see that it asked to come forward.
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().contains(kRaise.trimmed()))
                    emit raiseRequested();
            });
        }
    });
}
