#pragma once

#include <QRect>
#include <QString>

#include <sys/types.h>

#include <cstdint>

struct xcb_connection_t;

// A desktop on the test's private X server, set up before the application
// connects, as a user's desktop is: a real window manager (openbox) and, where
// asked, a panel that reserves the bottom edge of the screen, as a desktop's
// task bar does (a dock window with _NET_WM_STRUT). It talks to the X server
// over a connection of its own and needs no Qt application.
class X11Desktop {
public:
    X11Desktop() = default;
    ~X11Desktop();
    X11Desktop(const X11Desktop&) = delete;
    X11Desktop& operator=(const X11Desktop&) = delete;

    // Starts the window manager and waits until it manages the screen. False
    // (with the reason in error()) when it is not installed or does not come up.
    bool startWindowManager();
    // Maps a dock window `height` device pixels tall along the bottom edge and
    // waits until the window manager's work area leaves it out.
    bool addBottomPanel(int height);
    // The window manager's work area (_NET_WORKAREA), in device pixels.
    QRect workArea() const;
    QString error() const { return m_error; }

private:
    bool connect();

    xcb_connection_t* m_connection = nullptr;
    pid_t m_windowManager = 0;
    uint32_t m_panel = 0;
    QString m_error;
};
