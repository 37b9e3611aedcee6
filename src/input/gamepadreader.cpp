#include "input/gamepadreader.h"

#include <SDL.h>

#include <QHash>
#include <QSet>
#include <array>
#include <chrono>

namespace {

// Only one reader talks to SDL at a time (see the class comment).
std::atomic<bool> g_reading{false};

// A stick counts as pushed past half its travel and as back once under a
// quarter: the gap keeps a stick held near the edge from flickering.
constexpr int kStickPress = 16384;
constexpr int kStickRelease = 8192;

// While a pad is open its events are fetched every 8 ms (a key repeat of 80 ms
// and a hold of a second need no more); with none, a new pad is looked for
// four times a second, which costs an idle program next to nothing.
constexpr std::chrono::milliseconds kPadPoll{8};
constexpr std::chrono::milliseconds kIdlePoll{250};

using Button = GamepadReader::Button;
constexpr int kDirections = 4; // Up, Down, Left, Right, in the enum's order

struct Pad {
    SDL_GameController* controller = nullptr;
    QSet<Button> held; // buttons other than the directions
    std::array<bool, kDirections> dpad{};
    std::array<bool, kDirections> stick{};
};

bool isDirection(Button b) {
    return b == Button::Up || b == Button::Down || b == Button::Left || b == Button::Right;
}
int directionIndex(Button b) {
    return static_cast<int>(b) - static_cast<int>(Button::Up);
}
Button direction(int index) {
    return static_cast<Button>(static_cast<int>(Button::Up) + index);
}

// SDL's controller button, or nothing for the buttons the program does not use.
std::optional<Button> buttonOf(Uint8 sdlButton) {
    switch (sdlButton) {
    case SDL_CONTROLLER_BUTTON_A:
        return Button::South;
    case SDL_CONTROLLER_BUTTON_B:
        return Button::East;
    case SDL_CONTROLLER_BUTTON_X:
        return Button::West;
    case SDL_CONTROLLER_BUTTON_Y:
        return Button::North;
    case SDL_CONTROLLER_BUTTON_BACK:
        return Button::Back;
    case SDL_CONTROLLER_BUTTON_GUIDE:
        return Button::Guide;
    case SDL_CONTROLLER_BUTTON_START:
        return Button::Start;
    case SDL_CONTROLLER_BUTTON_LEFTSHOULDER:
        return Button::LeftShoulder;
    case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER:
        return Button::RightShoulder;
    case SDL_CONTROLLER_BUTTON_DPAD_UP:
        return Button::Up;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
        return Button::Down;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
        return Button::Left;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
        return Button::Right;
    default:
        return std::nullopt;
    }
}

} // namespace

GamepadReader::GamepadReader(QObject* parent) : QObject(parent) {}

GamepadReader::~GamepadReader() {
    stop();
}

bool GamepadReader::start() {
    if (isRunning())
        return false;
    bool expected = false;
    if (!g_reading.compare_exchange_strong(expected, true))
        return false;
    {
        std::lock_guard lock(m_mutex);
        m_stop = false;
    }
    m_thread = std::thread([this] { run(); });
    return true;
}

void GamepadReader::stop() {
    if (!isRunning())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
    m_ready = false;
    g_reading = false;
}

QString GamepadReader::backStartName(int controllerType) {
    // SDL reports every pad's two middle buttons as Back and Start; their
    // printed names differ by maker and generation.
    switch (controllerType) {
    case SDL_CONTROLLER_TYPE_XBOX360:
        return QStringLiteral("Back+Start");
    case SDL_CONTROLLER_TYPE_XBOXONE:
        return QStringLiteral("View+Menu");
    case SDL_CONTROLLER_TYPE_PS4:
        return QStringLiteral("Share+Options");
    case SDL_CONTROLLER_TYPE_PS5:
        return QStringLiteral("Create+Options");
    case SDL_CONTROLLER_TYPE_NINTENDO_SWITCH_PRO:
    case SDL_CONTROLLER_TYPE_NINTENDO_SWITCH_JOYCON_LEFT:
    case SDL_CONTROLLER_TYPE_NINTENDO_SWITCH_JOYCON_RIGHT:
    case SDL_CONTROLLER_TYPE_NINTENDO_SWITCH_JOYCON_PAIR:
        return QStringLiteral("Minus+Plus");
    // The PlayStation 2 pad's own names, which most other pads print too.
    default:
        return QStringLiteral("Select+Start");
    }
}

void GamepadReader::run() {
    // Hints are read when the subsystem starts, so they are set first. SDL would
    // otherwise catch SIGINT and SIGTERM for the whole program, drop pad events
    // while none of its (nonexistent) windows has the focus, and open PlayStation
    // and Switch pads through hidraw, where it sends them mode and light reports
    // that the emulator reading the same pad does not expect.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    SDL_SetHint(SDL_HINT_JOYSTICK_HIDAPI, "0");
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0)
        return; // no pads for this program: everything else works without them
    m_ready = true;

    QHash<SDL_JoystickID, Pad> pads;
    auto setDirection = [this](SDL_JoystickID id, Pad& pad, int index, bool fromStick, bool down) {
        std::array<bool, kDirections>& own = fromStick ? pad.stick : pad.dpad;
        const std::array<bool, kDirections>& other = fromStick ? pad.dpad : pad.stick;
        if (own[index] == down)
            return;
        own[index] = down;
        // The direction is held while the d-pad or the stick holds it.
        if (!other[index])
            emit buttonChanged(id, direction(index), down);
    };
    auto setStick = [&](SDL_JoystickID id, Pad& pad, int negative, int positive, int value) {
        for (const auto& [index, beyond] : {std::pair{negative, -value}, std::pair{positive, value}}) {
            if (beyond >= kStickPress)
                setDirection(id, pad, index, true, true);
            else if (beyond < kStickRelease)
                setDirection(id, pad, index, true, false);
        }
    };
    auto closePad = [&](SDL_JoystickID id) {
        auto it = pads.find(id);
        if (it == pads.end())
            return;
        SDL_GameControllerClose(it->controller);
        pads.erase(it);
        emit disconnected(id);
    };

    for (;;) {
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
            switch (event.type) {
            case SDL_CONTROLLERDEVICEADDED: {
                SDL_GameController* controller = SDL_GameControllerOpen(event.cdevice.which);
                if (!controller)
                    break;
                const SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
                if (pads.contains(id)) { // reported once at start-up and once more as added
                    SDL_GameControllerClose(controller);
                    break;
                }
                pads.insert(id, Pad{controller, {}, {}, {}});
                emit connected(id, QString::fromUtf8(SDL_GameControllerName(controller)),
                               backStartName(SDL_GameControllerGetType(controller)));
                break;
            }
            case SDL_CONTROLLERDEVICEREMOVED:
                closePad(event.cdevice.which);
                break;
            case SDL_CONTROLLERBUTTONDOWN:
            case SDL_CONTROLLERBUTTONUP: {
                auto it = pads.find(event.cbutton.which);
                const std::optional<Button> button = buttonOf(event.cbutton.button);
                if (it == pads.end() || !button)
                    break;
                const bool down = event.type == SDL_CONTROLLERBUTTONDOWN;
                if (isDirection(*button)) {
                    setDirection(it.key(), *it, directionIndex(*button), false, down);
                } else if (it->held.contains(*button) != down) {
                    // Only changes are passed on: SDL reports a press twice when its game
                    // controller part was restarted while its joystick part stayed up.
                    if (down)
                        it->held.insert(*button);
                    else
                        it->held.remove(*button);
                    emit buttonChanged(it.key(), *button, down);
                }
                break;
            }
            case SDL_CONTROLLERAXISMOTION: {
                auto it = pads.find(event.caxis.which);
                if (it == pads.end())
                    break;
                if (event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX)
                    setStick(it.key(), *it, directionIndex(Button::Left), directionIndex(Button::Right),
                             event.caxis.value);
                else if (event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY)
                    setStick(it.key(), *it, directionIndex(Button::Up), directionIndex(Button::Down),
                             event.caxis.value);
                break;
            }
            default:
                break;
            }
        }
        std::unique_lock lock(m_mutex);
        if (m_wake.wait_for(lock, pads.isEmpty() ? kIdlePoll : kPadPoll, [this] { return m_stop; }))
            break;
    }

    const QList<SDL_JoystickID> open = pads.keys();
    for (SDL_JoystickID id : open)
        closePad(id);
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}
