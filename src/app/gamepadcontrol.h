#pragma once

#include "input/gamepadcommands.h"

#include <QObject>
#include <memory>

class GamepadReader;
class ProgramSettings;

// Gamepad input for the window: the reader on its own thread and the commands
// it makes (moves with key repeat, south, east, the held unload combination),
// switched on and off by "Use gamepad" and remembered in the settings. What a
// command does is the window's: it listens to the signals of commands().
class GamepadControl : public QObject {
    Q_OBJECT
public:
    GamepadControl(ProgramSettings& settings, QObject* parent);
    ~GamepadControl() override;

    const GamepadCommands* commands() const { return m_commands; }
    // Whether input is switched on in the settings.
    bool isEnabledInSettings() const;
    // Starts reading when the settings switch it on.
    void startIfEnabled();
    // The switch: kept in the settings; reading starts or stops at once.
    void setEnabled(bool on);
    // Stops reading; pads that were connected are reported gone.
    void stop();
    // What to hold on the connected pad to unload ("Select+Start"); empty
    // without a pad or with gamepad input off.
    QString unloadCombination() const;

private:
    ProgramSettings& m_settings;
    std::unique_ptr<GamepadReader> m_reader;
    GamepadCommands* m_commands = nullptr;
};
