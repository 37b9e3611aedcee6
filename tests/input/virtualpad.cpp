#include "input/virtualpad.h"

#include <QtTest>

VirtualPad::VirtualPad() {
    // The hints the program's reader sets: the first to start SDL's event part
    // decides whether signal handlers are installed.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_JOYSTICK_HIDAPI, "0");
    m_sdl = SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0;
    if (!m_sdl)
        m_error = QString::fromUtf8(SDL_GetError());
}

VirtualPad::~VirtualPad() {
    unplug();
    if (m_sdl)
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

bool VirtualPad::plug() {
    if (!m_sdl || m_joystick)
        return m_joystick != nullptr;
    SDL_VirtualJoystickDesc desc;
    SDL_zero(desc);
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.button_mask = (1u << SDL_CONTROLLER_BUTTON_MAX) - 1;
    desc.axis_mask = (1u << SDL_CONTROLLER_AXIS_MAX) - 1;
    desc.name = "Korvello test pad";
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    if (index < 0 || !(m_joystick = SDL_JoystickOpen(index))) {
        m_error = QString::fromUtf8(SDL_GetError());
        return false;
    }
    // Triggers rest at their lowest value, not in the middle.
    SDL_JoystickSetVirtualAxis(m_joystick, SDL_CONTROLLER_AXIS_TRIGGERLEFT, SDL_JOYSTICK_AXIS_MIN);
    SDL_JoystickSetVirtualAxis(m_joystick, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, SDL_JOYSTICK_AXIS_MIN);
    return true;
}

void VirtualPad::unplug() {
    if (!m_joystick)
        return;
    const int index = deviceIndex();
    SDL_JoystickClose(m_joystick);
    m_joystick = nullptr;
    if (index >= 0)
        SDL_JoystickDetachVirtual(index);
}

bool VirtualPad::isGameController() const {
    const int index = deviceIndex();
    return index >= 0 && SDL_IsGameController(index);
}

int VirtualPad::deviceIndex() const {
    if (!m_joystick)
        return -1;
    const SDL_JoystickID id = SDL_JoystickInstanceID(m_joystick);
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
        if (SDL_JoystickGetDeviceInstanceID(i) == id)
            return i;
    return -1;
}

void VirtualPad::setButton(SDL_GameControllerButton button, bool down) {
    if (m_joystick)
        SDL_JoystickSetVirtualButton(m_joystick, button, down ? 1 : 0);
}

void VirtualPad::setAxis(SDL_GameControllerAxis axis, int value) {
    if (m_joystick)
        SDL_JoystickSetVirtualAxis(m_joystick, axis, static_cast<Sint16>(value));
}

void VirtualPad::tap(SDL_GameControllerButton button, int holdMs) {
    setButton(button, true);
    QTest::qWait(holdMs);
    setButton(button, false);
    QTest::qWait(60);
}
