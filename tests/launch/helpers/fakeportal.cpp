// A stand-in for the desktop portal's global shortcuts, for tests on a private
// session bus. It owns org.freedesktop.portal.Desktop, answers CreateSession and
// BindShortcuts with the portal's Request/Response pattern, records what was
// bound and whether the session was closed, and emits Activated on request.
// The test steers it through the object /control (interface org.korvello.FakePortal):
//   Configure(s mode, s trigger)  mode "accept" or "refuse"; trigger: the
//                                 trigger_description to report ("" = "Ctrl+Alt+U")
//   Activate()                    emits Activated for the bound shortcut
//   Record() -> a{sv}             what it saw
#include "desktop/portalshortcut.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QDateTime>
#include <QTimer>
#include <cstdio>

namespace {

const QString kRoot = QStringLiteral("/org/freedesktop/portal/desktop");

class FakePortal : public QDBusVirtualObject {
public:
    explicit FakePortal(QDBusConnection bus) : m_bus(bus) {}

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& m, const QDBusConnection&) override {
        const QString iface = m.interface();
        const QString member = m.member();
        if (iface == QLatin1String("org.freedesktop.DBus.Properties") && member == QLatin1String("Get"))
            return reply(m, {QVariant::fromValue(QDBusVariant(uint(1)))});
        if (iface == QLatin1String("org.freedesktop.portal.GlobalShortcuts") &&
            member == QLatin1String("CreateSession"))
            return createSession(m);
        if (iface == QLatin1String("org.freedesktop.portal.GlobalShortcuts") &&
            member == QLatin1String("BindShortcuts"))
            return bindShortcuts(m);
        if (iface == QLatin1String("org.freedesktop.portal.Session") && member == QLatin1String("Close")) {
            if (m.path() == m_session)
                m_closed = true;
            return reply(m, {});
        }
        if (iface == QLatin1String("org.korvello.FakePortal"))
            return control(m);
        m_bus.send(m.createErrorReply(QDBusError::UnknownMethod, member));
        return true;
    }

private:
    bool reply(const QDBusMessage& m, const QVariantList& args) {
        m_bus.send(m.createReply(args));
        return true;
    }

    static QString senderPart(const QDBusMessage& m) {
        QString s = m.service();
        if (s.startsWith(u':'))
            s.remove(0, 1);
        return s.replace(u'.', u'_');
    }

    // Answers on the request object after the method's reply, as the portal does.
    void respond(const QDBusMessage& m, const QString& request, uint code, const QVariantMap& results) {
        const QString caller = m.service();
        QTimer::singleShot(20, [this, caller, request, code, results] {
            QDBusMessage signal = QDBusMessage::createTargetedSignal(
                caller, request, QStringLiteral("org.freedesktop.portal.Request"),
                QStringLiteral("Response"));
            signal << code << results;
            m_bus.send(signal);
        });
    }

    bool createSession(const QDBusMessage& m) {
        const QVariantMap options = qdbus_cast<QVariantMap>(m.arguments().value(0));
        const QString request = kRoot + QStringLiteral("/request/") + senderPart(m) + u'/' +
                                options.value(QStringLiteral("handle_token")).toString();
        m_session = kRoot + QStringLiteral("/session/") + senderPart(m) + u'/' +
                    options.value(QStringLiteral("session_handle_token")).toString();
        m_closed = false;
        ++m_sessions;
        reply(m, {QVariant::fromValue(QDBusObjectPath(request))});
        respond(m, request, 0, {{QStringLiteral("session_handle"), m_session}});
        return true;
    }

    bool bindShortcuts(const QDBusMessage& m) {
        const QVariantList args = m.arguments();
        m_boundSession = qdbus_cast<QDBusObjectPath>(args.value(0)).path();
        const PortalShortcutList shortcuts = qdbus_cast<PortalShortcutList>(args.value(1));
        const QVariantMap options = qdbus_cast<QVariantMap>(args.value(3));
        const QString request = kRoot + QStringLiteral("/request/") + senderPart(m) + u'/' +
                                options.value(QStringLiteral("handle_token")).toString();
        PortalShortcutList answer;
        for (const PortalShortcut& s : shortcuts) {
            m_id = s.id;
            m_description = s.properties.value(QStringLiteral("description")).toString();
            m_preferred = s.properties.value(QStringLiteral("preferred_trigger")).toString();
            answer.append({s.id,
                           {{QStringLiteral("description"), m_description},
                            {QStringLiteral("trigger_description"),
                             m_trigger.isEmpty() ? QStringLiteral("Ctrl+Alt+U") : m_trigger}}});
        }
        reply(m, {QVariant::fromValue(QDBusObjectPath(request))});
        if (m_mode == QLatin1String("refuse"))
            respond(m, request, 2, {});
        else
            respond(m, request, 0, {{QStringLiteral("shortcuts"), QVariant::fromValue(answer)}});
        return true;
    }

    bool control(const QDBusMessage& m) {
        const QVariantList args = m.arguments();
        if (m.member() == QLatin1String("Configure")) {
            m_mode = args.value(0).toString();
            m_trigger = args.value(1).toString();
            return reply(m, {});
        }
        if (m.member() == QLatin1String("Activate")) {
            QDBusMessage signal = QDBusMessage::createSignal(
                kRoot, QStringLiteral("org.freedesktop.portal.GlobalShortcuts"), QStringLiteral("Activated"));
            signal << QVariant::fromValue(QDBusObjectPath(m_session)) << m_id
                   << qulonglong(QDateTime::currentMSecsSinceEpoch()) << QVariantMap();
            m_bus.send(signal);
            return reply(m, {});
        }
        if (m.member() == QLatin1String("Record")) {
            const QVariantMap record{{QStringLiteral("id"), m_id},
                                     {QStringLiteral("description"), m_description},
                                     {QStringLiteral("preferred_trigger"), m_preferred},
                                     {QStringLiteral("session"), m_session},
                                     {QStringLiteral("bound_session"), m_boundSession},
                                     {QStringLiteral("sessions"), m_sessions},
                                     {QStringLiteral("closed"), m_closed}};
            return reply(m, {record});
        }
        m_bus.send(m.createErrorReply(QDBusError::UnknownMethod, m.member()));
        return true;
    }

    QDBusConnection m_bus;
    QString m_mode = QStringLiteral("accept");
    QString m_trigger;
    QString m_session, m_boundSession, m_id, m_description, m_preferred;
    int m_sessions = 0;
    bool m_closed = false;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    registerPortalShortcutTypes();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "fakeportal: no session bus\n");
        return 1;
    }
    FakePortal portal(bus);
    if (!bus.registerVirtualObject(kRoot, &portal, QDBusConnection::SubPath) ||
        !bus.registerVirtualObject(QStringLiteral("/control"), &portal) ||
        !bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop"))) {
        std::fprintf(stderr, "fakeportal: cannot register on the bus\n");
        return 1;
    }
    return app.exec();
}
