#pragma once

class QWidget;

// The main window has no task-bar button: it asks the window manager to skip the
// task bar (_NET_WM_STATE_SKIP_TASKBAR); the tray icon brings it back. Without
// X11 (offscreen, Wayland) this does nothing.
namespace taskbar {
void skipTaskBar(QWidget* window);
// Whether the window's _NET_WM_STATE property holds _NET_WM_STATE_SKIP_TASKBAR.
bool isSkippingTaskBar(QWidget* window);
} // namespace taskbar
