#include "app/gamepadcontrol.h"

#include "app/programsettings.h"
#include "input/gamepadreader.h"

#include <QCoreApplication>
#include <QEvent>

GamepadControl::GamepadControl(ProgramSettings& settings, QObject* parent)
    : QObject(parent), m_settings(settings), m_reader(std::make_unique<GamepadReader>()),
      m_commands(new GamepadCommands(this)) {
    // The reader's thread hands everything over as queued signals.
    connect(m_reader.get(), &GamepadReader::connected, m_commands, &GamepadCommands::padConnected);
    connect(m_reader.get(), &GamepadReader::disconnected, m_commands, &GamepadCommands::padDisconnected);
    connect(m_reader.get(), &GamepadReader::buttonChanged, m_commands, &GamepadCommands::buttonChanged);
}

GamepadControl::~GamepadControl() {
    stop();
}

bool GamepadControl::isEnabledInSettings() const {
    return m_settings.gamepadEnabled();
}

void GamepadControl::startIfEnabled() {
    if (m_settings.gamepadEnabled())
        m_reader->start();
}

void GamepadControl::setEnabled(bool on) {
    if (on)
        m_reader->start();
    else
        stop();
    m_settings.setGamepadEnabled(on);
}

void GamepadControl::stop() {
    m_reader->stop();
    // The reader's last reports may still wait in the queue: they are dropped,
    // so that no pad and no held button outlives the reading.
    QCoreApplication::removePostedEvents(m_commands, QEvent::MetaCall);
    m_commands->forgetPads();
}

QString GamepadControl::unloadCombination() const {
    if (!m_reader->isRunning())
        return {};
    return m_commands->unloadCombination();
}
