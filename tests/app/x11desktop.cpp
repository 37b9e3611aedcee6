#include "x11desktop.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>

#include <xcb/xcb.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

xcb_window_t rootWindow(xcb_connection_t* c) {
    return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
}

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(strlen(name)), name), nullptr);
    const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return a;
}

// The 32-bit values of a property of the root window.
QList<uint32_t> rootProperty(xcb_connection_t* c, const char* name, xcb_atom_t type) {
    QList<uint32_t> values;
    xcb_get_property_reply_t* reply =
        xcb_get_property_reply(c, xcb_get_property(c, 0, rootWindow(c), atom(c, name), type, 0, 64), nullptr);
    if (reply && reply->format == 32) {
        const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(reply));
        for (int i = 0; i < xcb_get_property_value_length(reply) / 4; ++i)
            values.append(data[i]);
    }
    free(reply);
    return values;
}

// Waits up to ten seconds for `done`.
template <typename F> bool waitFor(F done) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > 10000)
            return false;
        usleep(50 * 1000);
    }
    return true;
}

} // namespace

X11Desktop::~X11Desktop() {
    if (m_connection) {
        if (m_panel)
            xcb_destroy_window(m_connection, m_panel);
        xcb_disconnect(m_connection);
    }
    if (m_windowManager > 0) {
        ::kill(m_windowManager, SIGKILL);
        waitpid(m_windowManager, nullptr, 0);
    }
}

bool X11Desktop::connect() {
    if (m_connection)
        return true;
    m_connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(m_connection)) {
        xcb_disconnect(m_connection);
        m_connection = nullptr;
        m_error = QStringLiteral("no X server");
        return false;
    }
    return true;
}

bool X11Desktop::startWindowManager() {
    const QByteArray program = QFile::encodeName(QStandardPaths::findExecutable(QStringLiteral("openbox")));
    if (program.isEmpty()) {
        m_error = QStringLiteral("openbox is not installed (scripts/install-deps.sh --test installs it)");
        return false;
    }
    if (!connect())
        return false;
    // No session manager: only the window manager itself.
    char* argv[] = {const_cast<char*>(program.constData()), const_cast<char*>("--sm-disable"), nullptr};
    if (posix_spawn(&m_windowManager, program.constData(), nullptr, nullptr, argv, environ) != 0) {
        m_error = QStringLiteral("openbox did not start");
        return false;
    }
    if (!waitFor([this] {
            return !rootProperty(m_connection, "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW).isEmpty() &&
                   !workArea().isEmpty();
        })) {
        m_error = QStringLiteral("openbox did not take the screen");
        return false;
    }
    return true;
}

bool X11Desktop::addBottomPanel(int height) {
    if (!connect())
        return false;
    xcb_connection_t* c = m_connection;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const uint16_t width = screen->width_in_pixels;
    const int16_t top = static_cast<int16_t>(screen->height_in_pixels - height);
    m_panel = xcb_generate_id(c);
    const uint32_t background = screen->black_pixel;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, m_panel, screen->root, 0, top, width,
                      static_cast<uint16_t>(height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL, &background);
    const xcb_atom_t dock = atom(c, "_NET_WM_WINDOW_TYPE_DOCK");
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, m_panel, atom(c, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32,
                        1, &dock);
    const uint32_t strut[4] = {0, 0, 0, static_cast<uint32_t>(height)};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, m_panel, atom(c, "_NET_WM_STRUT"), XCB_ATOM_CARDINAL, 32, 4,
                        strut);
    const uint32_t partial[12] = {
        0, 0, 0, static_cast<uint32_t>(height), 0, 0, 0, 0, 0, 0, 0, uint32_t(width - 1)};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, m_panel, atom(c, "_NET_WM_STRUT_PARTIAL"),
                        XCB_ATOM_CARDINAL, 32, 12, partial);
    // Where the program put it, as a real panel asks: without these hints openbox centres a
    // new window, and the panel would cover the middle of the screen (and of every picture).
    uint32_t hints[18] = {};
    hints[0] = 1 | 2 | 4 | 8; // USPosition, USSize, PPosition, PSize
    hints[1] = 0;
    hints[2] = static_cast<uint32_t>(top);
    hints[3] = width;
    hints[4] = static_cast<uint32_t>(height);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, m_panel, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS,
                        32, 18, hints);
    xcb_map_window(c, m_panel);
    xcb_flush(c);
    if (!waitFor([this, top] { return !workArea().isEmpty() && workArea().bottom() < top; })) {
        m_error = QStringLiteral("the window manager's work area does not leave the panel out");
        return false;
    }
    return true;
}

QRect X11Desktop::workArea() const {
    if (!m_connection)
        return {};
    const QList<uint32_t> area = rootProperty(m_connection, "_NET_WORKAREA", XCB_ATOM_CARDINAL);
    if (area.size() < 4)
        return {};
    return QRect(int(area[0]), int(area[1]), int(area[2]), int(area[3]));
}
