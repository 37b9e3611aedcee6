#pragma once

#include <QString>
#include <functional>
#include <memory>

// The global key that unloads the emulator (Ctrl+Alt+U), whatever the desktop
// does to give it to us: a key grab on X11, the desktop portal's global
// shortcuts on Wayland. The window only talks to this interface.
class UnloadKey {
public:
    using Handler = std::function<void(qint32 id)>;

    virtual ~UnloadKey() = default;

    // Called with the key's identifier on every press while it is registered.
    virtual void setHandler(Handler handler) = 0;
    // Asks for the key. Returns its identifier, or 0 when it cannot be had now.
    // A back end that asks the desktop may only learn later whether it got the
    // key; it then reports through the status handler.
    virtual qint32 registerKey() = 0;
    // Gives the key back; it no longer reaches the handler.
    virtual void unregisterKey() = 0;
    // True while presses of the key reach the handler.
    virtual bool isGrabbed() const = 0;
    // True once the back end knows that the key cannot work on this desktop.
    virtual bool isUnavailable() const = 0;
    // True while another program holds the key; the back end keeps asking for
    // it and reports through the status handler once it has it.
    virtual bool isTaken() const { return false; }
    // What the user presses, as the desktop describes it, when that is not
    // Ctrl+Alt+U (the user may have chosen another key); empty otherwise.
    virtual QString triggerDescription() const { return {}; }

    // Called whenever isGrabbed, isUnavailable or the trigger change after registerKey.
    void setStatusHandler(std::function<void()> handler) { m_statusHandler = std::move(handler); }

protected:
    void statusChanged() {
        if (m_statusHandler)
            m_statusHandler();
    }

private:
    std::function<void()> m_statusHandler;
};

// The back end for this session: the portal's global shortcuts on a Wayland
// session whose desktop offers them, the X11 key grab otherwise.
std::unique_ptr<UnloadKey> createUnloadKey();
