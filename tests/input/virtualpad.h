#pragma once

#include <SDL.h>

#include <QString>

// A gamepad made with SDL's virtual joystick interface, for tests: no device
// needed. It describes itself as a game controller with every button and axis,
// which lets SDL map it (virtual button i is controller button i). The pad's
// own hold on SDL's joystick part keeps it alive while a reader stops and starts.
//
// Make it before the reader starts, or plug it only while the reader is known
// to run: SDL's set-up is not to be raced from two threads.
class VirtualPad {
public:
    VirtualPad();
    ~VirtualPad();
    VirtualPad(const VirtualPad&) = delete;
    VirtualPad& operator=(const VirtualPad&) = delete;

    // Attaches the pad; false (see error()) when SDL refuses.
    bool plug();
    void unplug();
    bool isPlugged() const { return m_joystick != nullptr; }
    // SDL sees a game controller in it (a mapping exists).
    bool isGameController() const;
    void setButton(SDL_GameControllerButton button, bool down);
    void setAxis(SDL_GameControllerAxis axis, int value);
    // Presses and releases the button, letting the program see both.
    void tap(SDL_GameControllerButton button, int holdMs = 60);
    QString error() const { return m_error; }

private:
    int deviceIndex() const;

    bool m_sdl = false;
    SDL_Joystick* m_joystick = nullptr;
    QString m_error;
};
