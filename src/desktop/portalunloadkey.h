#pragma once

#include "desktop/unloadkey.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>

class QDBusMessage;
class QDBusPendingCallWatcher;

// The unload key on Wayland desktops, through the desktop portal's global
// shortcuts (org.freedesktop.portal.GlobalShortcuts): registerKey opens a
// portal session and binds the shortcut "unload-emulator" with Ctrl+Alt+U as
// its preferred trigger; the portal's Activated signal for it calls the
// handler. The portal answers each request later, through a Response signal
// on a request object, so the outcome arrives through the status handler.
// unregisterKey closes the session, which releases the shortcut.
class PortalUnloadKey : public QObject, public UnloadKey {
    Q_OBJECT
public:
    // The identifier handed to the handler; the portal has no numeric one.
    static constexpr qint32 kKeyId = 1;
    static constexpr const char* kShortcutId = "unload-emulator";

    explicit PortalUnloadKey(const QDBusConnection& bus = QDBusConnection::sessionBus());
    ~PortalUnloadKey() override;

    // True when the bus has a desktop portal that offers global shortcuts.
    // Starts the portal if the bus can activate it; waits at most two seconds.
    static bool isOffered(const QDBusConnection& bus);

    void setHandler(Handler handler) override { m_handler = std::move(handler); }
    qint32 registerKey() override;
    void unregisterKey() override;
    bool isGrabbed() const override { return m_state == State::Bound; }
    bool isUnavailable() const override { return m_state == State::Failed; }
    QString triggerDescription() const override { return m_trigger; }

private slots:
    void onResponse(const QDBusMessage& message);
    void onActivated(const QDBusMessage& message);
    void onShortcutsChanged(const QDBusMessage& message);

private:
    enum class State { Idle, CreatingSession, Binding, Bound, Failed };

    QString newRequestPath(QString* token);
    void watchRequest(const QString& path);
    void unwatchRequest();
    void callPortal(const QString& method, const QVariantList& arguments);
    void onCallFinished(QDBusPendingCallWatcher* watcher);
    void bindShortcut();
    void takeTrigger(const QVariant& shortcuts);
    void fail();
    void setState(State state);

    QDBusConnection m_bus;
    Handler m_handler;
    State m_state = State::Idle;
    QString m_session;     // object path of our portal session, "" when none
    QString m_requestPath; // the request whose Response we wait for
    QString m_trigger;     // the portal's description of the trigger, when not Ctrl+Alt+U
    int m_tokenCounter = 0;
};
