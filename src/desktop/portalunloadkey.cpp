#include "desktop/portalunloadkey.h"

#include "desktop/portalshortcut.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");
const QString kSessionInterface = QStringLiteral("org.freedesktop.portal.Session");
const QString kDescription = QStringLiteral("Unload the emulator");
// The trigger as portals spell it: modifiers in capitals joined by "+", then
// the key's name.
const QString kPreferredTrigger = QStringLiteral("CTRL+ALT+u");
constexpr int kCallTimeoutMs = 2000;

// The portal names request and session objects after the caller's unique bus
// name: ":1.42" becomes "1_42".
QString senderPart(const QDBusConnection& bus) {
    QString name = bus.baseService();
    if (name.startsWith(u':'))
        name.remove(0, 1);
    return name.replace(u'.', u'_');
}

QString pathText(const QVariant& value) {
    if (value.canConvert<QDBusObjectPath>())
        return value.value<QDBusObjectPath>().path();
    return value.toString();
}

} // namespace

PortalUnloadKey::PortalUnloadKey(const QDBusConnection& bus) : m_bus(bus) {
    registerPortalShortcutTypes();
}

PortalUnloadKey::~PortalUnloadKey() {
    unregisterKey();
}

bool PortalUnloadKey::isOffered(const QDBusConnection& bus) {
    if (!bus.isConnected())
        return false;
    QDBusMessage get = QDBusMessage::createMethodCall(
        kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << kInterface << QStringLiteral("version");
    const QDBusMessage reply = bus.call(get, QDBus::Block, kCallTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

qint32 PortalUnloadKey::registerKey() {
    if (m_state == State::Bound || m_state == State::CreatingSession || m_state == State::Binding)
        return kKeyId;
    if (!m_bus.isConnected()) {
        fail();
        return 0;
    }
    m_bus.connect(kService, kPath, kInterface, QStringLiteral("Activated"), this,
                  SLOT(onActivated(QDBusMessage)));
    m_bus.connect(kService, kPath, kInterface, QStringLiteral("ShortcutsChanged"), this,
                  SLOT(onShortcutsChanged(QDBusMessage)));
    QString token;
    const QString request = newRequestPath(&token);
    QVariantMap options{
        {QStringLiteral("handle_token"), token},
        {QStringLiteral("session_handle_token"), QStringLiteral("korvello%1").arg(++m_tokenCounter)}};
    setState(State::CreatingSession);
    watchRequest(request);
    callPortal(QStringLiteral("CreateSession"), {options});
    return kKeyId;
}

void PortalUnloadKey::unregisterKey() {
    unwatchRequest();
    m_bus.disconnect(kService, kPath, kInterface, QStringLiteral("Activated"), this,
                     SLOT(onActivated(QDBusMessage)));
    m_bus.disconnect(kService, kPath, kInterface, QStringLiteral("ShortcutsChanged"), this,
                     SLOT(onShortcutsChanged(QDBusMessage)));
    if (!m_session.isEmpty()) {
        // Waited for, so that the portal hears it even when the program ends right after.
        const QDBusMessage close =
            QDBusMessage::createMethodCall(kService, m_session, kSessionInterface, QStringLiteral("Close"));
        m_bus.call(close, QDBus::Block, kCallTimeoutMs);
        m_session.clear();
    }
    if (m_state != State::Failed)
        m_state = State::Idle;
}

QString PortalUnloadKey::newRequestPath(QString* token) {
    *token = QStringLiteral("korvello%1").arg(++m_tokenCounter);
    return kPath + QStringLiteral("/request/") + senderPart(m_bus) + u'/' + *token;
}

// The Response signal may come before the call's reply, so the request object
// is watched before the call is made.
void PortalUnloadKey::watchRequest(const QString& path) {
    unwatchRequest();
    m_requestPath = path;
    m_bus.connect(kService, path, kRequestInterface, QStringLiteral("Response"), this,
                  SLOT(onResponse(QDBusMessage)));
}

void PortalUnloadKey::unwatchRequest() {
    if (m_requestPath.isEmpty())
        return;
    m_bus.disconnect(kService, m_requestPath, kRequestInterface, QStringLiteral("Response"), this,
                     SLOT(onResponse(QDBusMessage)));
    m_requestPath.clear();
}

void PortalUnloadKey::callPortal(const QString& method, const QVariantList& arguments) {
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    call.setArguments(arguments);
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, &PortalUnloadKey::onCallFinished);
}

void PortalUnloadKey::onCallFinished(QDBusPendingCallWatcher* watcher) {
    watcher->deleteLater();
    const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
    if (reply.isError()) {
        fail();
        return;
    }
    // Older portals choose the request path themselves; follow theirs.
    const QString path = reply.value().path();
    if (!path.isEmpty() && path != m_requestPath &&
        (m_state == State::CreatingSession || m_state == State::Binding))
        watchRequest(path);
}

void PortalUnloadKey::onResponse(const QDBusMessage& message) {
    if (message.path() != m_requestPath)
        return;
    const QVariantList args = message.arguments();
    const uint response = args.value(0).toUInt();
    const QVariantMap results = qdbus_cast<QVariantMap>(args.value(1));
    unwatchRequest();
    // 0: success; 1: the user declined; 2: the portal refused or failed.
    if (args.size() < 2 || response != 0) {
        fail();
        return;
    }
    if (m_state == State::CreatingSession) {
        m_session = pathText(results.value(QStringLiteral("session_handle")));
        if (m_session.isEmpty()) {
            fail();
            return;
        }
        bindShortcut();
    } else if (m_state == State::Binding) {
        takeTrigger(results.value(QStringLiteral("shortcuts")));
        setState(State::Bound);
    }
}

void PortalUnloadKey::bindShortcut() {
    QString token;
    const QString request = newRequestPath(&token);
    const PortalShortcutList shortcuts{{QString::fromLatin1(kShortcutId),
                                        {{QStringLiteral("description"), kDescription},
                                         {QStringLiteral("preferred_trigger"), kPreferredTrigger}}}};
    setState(State::Binding);
    watchRequest(request);
    callPortal(QStringLiteral("BindShortcuts"),
               {QVariant::fromValue(QDBusObjectPath(m_session)), QVariant::fromValue(shortcuts), QString(),
                QVariantMap{{QStringLiteral("handle_token"), token}}});
}

// The portal reports the trigger it gave the shortcut; the user may have
// chosen another one in the desktop's settings.
void PortalUnloadKey::takeTrigger(const QVariant& shortcuts) {
    if (!shortcuts.isValid())
        return;
    const PortalShortcutList list = qdbus_cast<PortalShortcutList>(shortcuts);
    for (const PortalShortcut& s : list) {
        if (s.id != QLatin1String(kShortcutId))
            continue;
        const QString trigger =
            s.properties.value(QStringLiteral("trigger_description")).toString().trimmed();
        const QString plain = QString(trigger).remove(u' ');
        m_trigger =
            plain.compare(QStringLiteral("Ctrl+Alt+U"), Qt::CaseInsensitive) == 0 ? QString() : trigger;
    }
}

void PortalUnloadKey::onActivated(const QDBusMessage& message) {
    const QVariantList args = message.arguments();
    if (m_state != State::Bound || args.size() < 2)
        return;
    if (pathText(args.at(0)) == m_session && args.at(1).toString() == QLatin1String(kShortcutId) && m_handler)
        m_handler(kKeyId);
}

void PortalUnloadKey::onShortcutsChanged(const QDBusMessage& message) {
    const QVariantList args = message.arguments();
    if (args.size() < 2 || pathText(args.at(0)) != m_session)
        return;
    takeTrigger(args.at(1));
    statusChanged();
}

void PortalUnloadKey::fail() {
    unwatchRequest();
    setState(State::Failed);
}

void PortalUnloadKey::setState(State state) {
    if (m_state == state)
        return;
    m_state = state;
    if (state == State::Bound || state == State::Failed)
        statusChanged();
}
