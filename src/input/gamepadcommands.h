#pragma once

#include "input/gamepadreader.h"

#include <QMap>
#include <QObject>
#include <QSet>
#include <QString>

class QTimer;

// What the program does with a gamepad's buttons, without any window: the
// directions and the shoulder buttons move with the key repeat a keyboard
// has, the south button activates, the east button cancels, and Back with
// Start held together on one pad for a second asks to unload the emulator.
//
// Repeat: a move comes at the press, again after kRepeatDelayMs, then every
// kRepeatIntervalMs while the button is held. Only the button pressed last
// repeats, as on a keyboard; releasing it ends the repeat.
//
// Unload: the combination is asked of one pad (two pads' halves do not count),
// comes once per hold, and never from a shorter press. Back and Start do
// nothing else here, so a short press of either, or of both, which a game
// may use, is only the game's.
class GamepadCommands : public QObject {
    Q_OBJECT
public:
    enum class Move { Up, Down, Left, Right, PageUp, PageDown };
    Q_ENUM(Move)

    static constexpr int kRepeatDelayMs = 400;
    static constexpr int kRepeatIntervalMs = 80;
    static constexpr int kUnloadHoldMs = 1000;

    explicit GamepadCommands(QObject* parent = nullptr);

    // What the first connected pad calls Back and Start ("Select+Start"); empty without a pad.
    QString unloadCombination() const;
    int padCount() const { return static_cast<int>(m_pads.size()); }

    void padConnected(int pad, const QString& name, const QString& backStart);
    // Whatever the pad held is let go: no repeat and no unload outlive it.
    void padDisconnected(int pad);
    void buttonChanged(int pad, GamepadReader::Button button, bool down);
    // Forgets every pad and what it held, as when reading stops.
    void forgetPads();

signals:
    void moved(GamepadCommands::Move move);
    void activated();
    void cancelled();
    void unloadRequested();
    // A pad came or went.
    void padsChanged();

private:
    void startRepeat(int pad, GamepadReader::Button button, Move move);
    void stopRepeat();
    void updateUnloadHold(int pad);

    struct PadState {
        QString backStart;
        QSet<GamepadReader::Button> held;
    };
    QMap<int, PadState> m_pads; // by SDL's instance id: the oldest pad first
    QTimer* m_repeat;
    int m_repeatPad = -1;
    GamepadReader::Button m_repeatButton = GamepadReader::Button::Up;
    Move m_repeatMove = Move::Up;
    QTimer* m_unloadHold;
    int m_holdPad = -1; // the pad whose combination is being held, -1 when none
};
