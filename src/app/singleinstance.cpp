#include "app/singleinstance.h"

#include "app/mainwindow.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

#include <unistd.h>

namespace {
constexpr int kConnectMs = 1000;
const QByteArray kRaise = QByteArrayLiteral("raise\n");
const QByteArray kLibrary = QByteArrayLiteral("library\n");
} // namespace

SingleInstance::SingleInstance(const QString& appFolder, QObject* parent)
    : QObject(parent), m_name(serverName(appFolder)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::serverName(const QString& appFolder) {
    // The same folder reached through a link is the same window.
    const QString real = QFileInfo(appFolder).canonicalFilePath();
    const QString path = real.isEmpty() ? QDir::cleanPath(QDir(appFolder).absolutePath()) : real;
    const QByteArray digest =
        QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    // Never the shared temporary folder, where another user could bind the name first and
    // keep the window from opening: the runtime folder is the user's alone (Qt makes one,
    // mode 0700, when the desktop gives none, and refuses one another user owns).
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    const QFileInfo folder(runtime);
    if (runtime.isEmpty() || !folder.isDir() || folder.ownerId() != ::getuid() ||
        (folder.permissions() & (QFileDevice::WriteGroup | QFileDevice::WriteOther)))
        return {};
    return runtime + QStringLiteral("/korvello-%1-%2").arg(::getuid()).arg(QString::fromLatin1(digest));
}

namespace {

// Says `message` to the window listening on `name`; false when none listens.
bool say(const QString& name, const QByteArray& message) {
    if (name.isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(kConnectMs))
        return false;
    socket.write(message);
    socket.waitForBytesWritten(kConnectMs);
    socket.disconnectFromServer();
    return true;
}

} // namespace

bool SingleInstance::handOverToRunning() {
    // No private place for the socket: every start opens its window.
    return say(m_name, kRaise);
}

namespace {

QtMessageHandler g_previousHandler = nullptr;

// Qt's notice that the desktop gave no runtime folder: the window says it when it
// opens; a command that only tells the window something keeps its output clean.
void withoutRuntimeNotice(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
        return;
    if (g_previousHandler)
        g_previousHandler(type, context, text);
}

} // namespace

void SingleInstance::tellLibraryChanged(const QString& appFolder) {
    g_previousHandler = qInstallMessageHandler(withoutRuntimeNotice);
    const QString name = serverName(appFolder);
    qInstallMessageHandler(g_previousHandler);
    // No window runs: it reads the library when it opens.
    say(name, kLibrary);
}

void SingleInstance::serve(MainWindow& window) {
    connect(this, &SingleInstance::raiseRequested, &window, [&window] { window.restoreFromTray(); });
    connect(this, &SingleInstance::libraryChanged, &window, [&window] { window.showLibraryChanges(); });
}

void SingleInstance::listen() {
    if (m_name.isEmpty())
        return;
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
                const QByteArray said = socket->read(64);
                if (said.contains(kRaise.trimmed()))
                    emit raiseRequested();
                else if (said.contains(kLibrary.trimmed()))
                    emit libraryChanged();
            });
        }
    });
}
