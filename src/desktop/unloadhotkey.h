#pragma once

#include "desktop/unloadkey.h"

#include <QAbstractNativeEventFilter>
#include <QList>
#include <memory>

class QTimer;

// The global unload hot key, Ctrl+Alt+U, as a passive key grab on the X11 root
// window through the connection Qt opened. Its identifier is the X atom of the
// text "Close PCSX2". The grab also covers Caps Lock and Num Lock being on, as
// X reports those as modifiers. Without X11 (offscreen, Wayland) nothing is
// grabbed and the key does nothing; isUnavailable says so. When another program
// (a second copy of Korvello) holds the key, it is taken: isTaken says so and
// the grab is tried again every second until the key is free.
class UnloadHotKey : public QAbstractNativeEventFilter, public UnloadKey {
public:
    UnloadHotKey();
    ~UnloadHotKey() override;
    UnloadHotKey(const UnloadHotKey&) = delete;
    UnloadHotKey& operator=(const UnloadHotKey&) = delete;

    // Called with the identifier for every press of the key while it is registered.
    void setHandler(Handler handler) override { m_handler = std::move(handler); }

    // Grabs the key. Returns its identifier, or 0 without an X11 connection.
    qint32 registerKey() override;
    // Releases the grab; the key no longer reaches the handler.
    void unregisterKey() override;
    bool isGrabbed() const override { return m_grabbed; }
    bool isUnavailable() const override { return m_tried && !m_grabbed && !m_taken; }
    bool isTaken() const override { return m_taken; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    // Grabs every variant of the key, or none: a key held by another program is
    // released again wholly, so a later try starts clean. True unless refused.
    bool grabAll();
    void setTaken(bool taken);

    Handler m_handler;
    std::unique_ptr<QTimer> m_retry;
    bool m_taken = false;
    qint32 m_id = 0;
    bool m_grabbed = false;
    bool m_tried = false; // registerKey was called at least once
    bool m_filterInstalled = false;
    quint32 m_root = 0;
    QList<quint8> m_keycodes;
};
