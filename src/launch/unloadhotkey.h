#pragma once

// The global unload hot key, Ctrl+Alt+U, grabbed on the X11 root window.
class UnloadHotKey {};
