#include "input/gamepadcommands.h"

#include <QTimer>
#include <optional>

using Button = GamepadReader::Button;

namespace {
std::optional<GamepadCommands::Move> moveOf(Button button) {
    switch (button) {
    case Button::Up:
        return GamepadCommands::Move::Up;
    case Button::Down:
        return GamepadCommands::Move::Down;
    case Button::Left:
        return GamepadCommands::Move::Left;
    case Button::Right:
        return GamepadCommands::Move::Right;
    case Button::LeftShoulder:
        return GamepadCommands::Move::PageUp;
    case Button::RightShoulder:
        return GamepadCommands::Move::PageDown;
    default:
        return std::nullopt;
    }
}
} // namespace

GamepadCommands::GamepadCommands(QObject* parent)
    : QObject(parent), m_repeat(new QTimer(this)), m_unloadHold(new QTimer(this)) {
    // Precise timers: a coarse one may fire up to 5 % early, and a hold of a
    // second must not end the emulator before its second is up.
    m_repeat->setTimerType(Qt::PreciseTimer);
    m_unloadHold->setTimerType(Qt::PreciseTimer);
    m_unloadHold->setSingleShot(true);
    m_unloadHold->setInterval(kUnloadHoldMs);
    connect(m_repeat, &QTimer::timeout, this, [this] {
        m_repeat->setInterval(kRepeatIntervalMs);
        emit moved(m_repeatMove);
    });
    connect(m_unloadHold, &QTimer::timeout, this, [this] { emit unloadRequested(); });
}

QString GamepadCommands::unloadCombination() const {
    return m_pads.isEmpty() ? QString() : m_pads.first().backStart;
}

void GamepadCommands::padConnected(int pad, const QString& /*name*/, const QString& backStart) {
    m_pads.insert(pad, PadState{backStart, {}});
    emit padsChanged();
}

void GamepadCommands::padDisconnected(int pad) {
    if (!m_pads.remove(pad))
        return;
    if (m_repeatPad == pad)
        stopRepeat();
    if (m_holdPad == pad)
        updateUnloadHold(pad);
    emit padsChanged();
}

void GamepadCommands::forgetPads() {
    stopRepeat();
    m_unloadHold->stop();
    m_holdPad = -1;
    if (m_pads.isEmpty())
        return;
    m_pads.clear();
    emit padsChanged();
}

void GamepadCommands::buttonChanged(int pad, Button button, bool down) {
    auto it = m_pads.find(pad);
    if (it == m_pads.end())
        return; // a late event of a pad already gone
    if (down == it->held.contains(button))
        return;
    if (down)
        it->held.insert(button);
    else
        it->held.remove(button);

    if (const std::optional<Move> move = moveOf(button)) {
        if (down)
            startRepeat(pad, button, *move);
        else if (m_repeatPad == pad && m_repeatButton == button)
            stopRepeat();
    } else if (button == Button::South && down) {
        emit activated();
    } else if (button == Button::East && down) {
        emit cancelled();
    } else if (button == Button::Back || button == Button::Start) {
        updateUnloadHold(pad);
    }
}

void GamepadCommands::startRepeat(int pad, Button button, Move move) {
    m_repeatPad = pad;
    m_repeatButton = button;
    m_repeatMove = move;
    m_repeat->start(kRepeatDelayMs);
    emit moved(move);
}

void GamepadCommands::stopRepeat() {
    m_repeat->stop();
    m_repeatPad = -1;
}

void GamepadCommands::updateUnloadHold(int pad) {
    const auto it = m_pads.constFind(pad);
    const bool held =
        it != m_pads.cend() && it->held.contains(Button::Back) && it->held.contains(Button::Start);
    if (held) {
        // Another pad already holding its combination keeps its own count.
        if (m_holdPad < 0) {
            m_holdPad = pad;
            m_unloadHold->start();
        }
    } else if (m_holdPad == pad) {
        m_unloadHold->stop();
        m_holdPad = -1;
    }
}
