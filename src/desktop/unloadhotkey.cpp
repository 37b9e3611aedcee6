#include "desktop/unloadhotkey.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QTimer>
#include <QtGui/qguiapplication_platform.h>

#include <cstdlib>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

namespace {

constexpr xcb_keysym_t kKeysymU = 0x0075;                                   // XK_u
constexpr quint16 kHotKeyModifiers = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1; // Ctrl+Alt
// Caps Lock and Num Lock count as modifiers in X; the key must work with either on.
constexpr quint16 kLockVariants[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                     XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};
// The modifiers that tell Ctrl+Alt+U apart from other combinations of U.
constexpr quint16 kRelevantModifiers = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 |
                                       XCB_MOD_MASK_3 | XCB_MOD_MASK_4 | XCB_MOD_MASK_5;
const char kAtomName[] = "Close PCSX2";

xcb_connection_t* x11Connection() {
    if (!qGuiApp)
        return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_window_t rootWindow(xcb_connection_t* c) {
    const xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    return it.rem > 0 ? it.data->root : xcb_window_t(XCB_WINDOW_NONE);
}

} // namespace

UnloadHotKey::UnloadHotKey() = default;

UnloadHotKey::~UnloadHotKey() {
    unregisterKey();
}

qint32 UnloadHotKey::registerKey() {
    m_tried = true;
    xcb_connection_t* c = x11Connection();
    if (!c)
        return 0;
    if (m_grabbed)
        return m_id;

    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, sizeof kAtomName - 1, kAtomName), nullptr);
    if (atom) {
        m_id = static_cast<qint32>(atom->atom);
        std::free(atom);
    }

    m_root = rootWindow(c);
    m_keycodes.clear();
    if (xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(c)) {
        if (xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, kKeysymU)) {
            for (xcb_keycode_t* k = codes; *k != XCB_NO_SYMBOL; ++k)
                m_keycodes.append(*k);
            std::free(codes);
        }
        xcb_key_symbols_free(symbols);
    }

    setTaken(!grabAll());
    if (!m_filterInstalled) {
        qGuiApp->installNativeEventFilter(this);
        m_filterInstalled = true;
    }
    return m_id;
}

bool UnloadHotKey::grabAll() {
    xcb_connection_t* c = x11Connection();
    if (!c)
        return false;
    // The key is reported to the root window (owner_events off), whichever
    // window has the focus, also one of this program's own.
    QList<std::pair<quint8, quint16>> grabbed;
    bool refused = false;
    for (const quint8 keycode : std::as_const(m_keycodes)) {
        for (const quint16 locks : kLockVariants) {
            const xcb_void_cookie_t cookie = xcb_grab_key_checked(
                c, 0, m_root, kHotKeyModifiers | locks, keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
            if (xcb_generic_error_t* error = xcb_request_check(c, cookie)) {
                std::free(error); // held by another program
                refused = true;
            } else {
                grabbed.append({keycode, locks});
            }
        }
    }
    if (refused) {
        for (const auto& [keycode, locks] : std::as_const(grabbed))
            xcb_ungrab_key(c, keycode, m_root, kHotKeyModifiers | locks);
        xcb_flush(c);
        return false;
    }
    m_grabbed = !grabbed.isEmpty();
    return true;
}

void UnloadHotKey::setTaken(bool taken) {
    if (taken && !m_retry) {
        m_retry = std::make_unique<QTimer>();
        m_retry->setInterval(1000);
        QObject::connect(m_retry.get(), &QTimer::timeout, [this] {
            if (grabAll())
                setTaken(false);
        });
    }
    if (m_retry) {
        if (taken)
            m_retry->start();
        else
            m_retry->stop();
    }
    if (taken == m_taken)
        return;
    m_taken = taken;
    statusChanged();
}

void UnloadHotKey::unregisterKey() {
    setTaken(false);
    if (m_filterInstalled && qGuiApp) {
        qGuiApp->removeNativeEventFilter(this);
        m_filterInstalled = false;
    }
    if (!m_grabbed)
        return;
    m_grabbed = false;
    xcb_connection_t* c = x11Connection();
    if (!c)
        return;
    for (const quint8 keycode : std::as_const(m_keycodes)) {
        for (const quint16 locks : kLockVariants)
            xcb_ungrab_key(c, keycode, m_root, kHotKeyModifiers | locks);
    }
    xcb_flush(c);
}

bool UnloadHotKey::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (!m_grabbed || eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_KEY_PRESS)
        return false;
    const auto* press = reinterpret_cast<const xcb_key_press_event_t*>(event);
    if (press->event != m_root || !m_keycodes.contains(press->detail) ||
        (press->state & kRelevantModifiers) != kHotKeyModifiers)
        return false;
    if (m_handler)
        m_handler(m_id);
    return true;
}
