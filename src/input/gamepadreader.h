#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

// Reads gamepads through SDL2's game controller interface on a thread of its
// own and hands what happens to the thread that owns the reader, as queued
// signals. Pads may come and go at any time (hot-plug); a pad present when
// reading starts is reported as connected too.
//
// SDL is asked for its game controller part only (no video, no audio), installs
// no signal handlers, and reads the pads also while another program has the
// focus. It reads the kernel's event devices, never the raw HID ones, so a pad
// the emulator uses at the same time is not switched into another mode by us.
// Without a pad, or without access to the devices, nothing is reported and
// nothing fails.
//
// One reader reads at a time in a process: SDL's event queue is shared, and a
// second reader would take the first one's events. start() on a second reader
// returns false while the first runs.
class GamepadReader : public QObject {
    Q_OBJECT
public:
    // The buttons the program uses, named by their place on the pad (South is
    // A on an Xbox pad, Cross on a PlayStation pad). The left stick is reported
    // as the directions, as the d-pad is.
    enum class Button {
        South,
        East,
        West,
        North,
        Back,
        Guide,
        Start,
        LeftShoulder,
        RightShoulder,
        Up,
        Down,
        Left,
        Right
    };
    Q_ENUM(Button)

    explicit GamepadReader(QObject* parent = nullptr);
    ~GamepadReader() override;
    GamepadReader(const GamepadReader&) = delete;
    GamepadReader& operator=(const GamepadReader&) = delete;

    // Starts the reading thread. False when this or another reader already reads.
    bool start();
    // Ends the reading thread and gives SDL's game controller part back. Every
    // pad is reported as disconnected.
    void stop();
    bool isRunning() const { return m_thread.joinable(); }
    // True once SDL's game controller part is up on the reading thread: pads
    // attached from now on are seen. Stays false when SDL cannot start.
    bool isReady() const { return m_ready.load(); }

    // What the pad's two middle buttons (SDL's Back and Start) are called on it.
    static QString backStartName(int controllerType);

signals:
    // `pad` is SDL's instance id of the pad; `name` what the pad calls itself,
    // `backStart` what its Back and Start buttons are called ("Select+Start").
    void connected(int pad, const QString& name, const QString& backStart);
    void disconnected(int pad);
    void buttonChanged(int pad, GamepadReader::Button button, bool down);

private:
    void run();

    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false; // guarded by m_mutex
    std::atomic<bool> m_ready{false};
};
