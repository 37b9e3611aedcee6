// Gamepads: moving through the game list, starting the selected game and
// clearing the search from the pad, and the pad's unload combination.
#include "app/mainwindow.h"

#include "app/programsettings.h"
#include "gamelist/gamelistview.h"
#include "input/gamepadcommands.h"
#include "input/gamepadreader.h"
#include "launch/playsessiontracker.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>

void MainWindow::connectGamepadHandlers() {
    m_gamepadReader = std::make_unique<GamepadReader>();
    m_gamepad = new GamepadCommands(this);
    // The reader's thread hands everything over as queued signals.
    connect(m_gamepadReader.get(), &GamepadReader::connected, m_gamepad, &GamepadCommands::padConnected);
    connect(m_gamepadReader.get(), &GamepadReader::disconnected, m_gamepad,
            &GamepadCommands::padDisconnected);
    connect(m_gamepadReader.get(), &GamepadReader::buttonChanged, m_gamepad, &GamepadCommands::buttonChanged);

    connect(m_gamepadAction, &QAction::toggled, this,
            [this](bool on) { run([this, on] { setGamepadEnabled(on); }); });
    connect(m_gamepad, &GamepadCommands::padsChanged, this,
            [this] { run([this] { showUnloadKeyStatus(); }); });
    connect(m_gamepad, &GamepadCommands::moved, this, [this](GamepadCommands::Move move) {
        if (!acceptsGamepadNavigation())
            return;
        // The grid's own keys, so that the pad moves exactly as the arrows and
        // Page Up/Down do (rows and columns of the grid, scrolling, the search's order).
        static constexpr Qt::Key kKeys[] = {Qt::Key_Up,    Qt::Key_Down,   Qt::Key_Left,
                                            Qt::Key_Right, Qt::Key_PageUp, Qt::Key_PageDown};
        m_gameGrid->setFocus(Qt::OtherFocusReason);
        QKeyEvent press(QEvent::KeyPress, kKeys[static_cast<int>(move)], Qt::NoModifier);
        QCoreApplication::sendEvent(m_gameGrid, &press);
    });
    connect(m_gamepad, &GamepadCommands::activated, this,
            [this] { run([this] { startGameFromGamepad(); }); });
    connect(m_gamepad, &GamepadCommands::cancelled, this, [this] {
        if (!acceptsGamepadNavigation())
            return;
        m_searchField->clear();
        m_gameGrid->setFocus(Qt::OtherFocusReason);
    });
    // Wherever the focus is, as the unload key: the emulator has it while a game runs.
    connect(m_gamepad, &GamepadCommands::unloadRequested, this,
            [this] { run([this] { endStartedEmulator(); }); });
}

void MainWindow::setUpGamepad() {
    const bool on = m_settings->gamepadEnabled();
    {
        const QSignalBlocker quiet(m_gamepadAction);
        m_gamepadAction->setChecked(on);
    }
    if (on)
        m_gamepadReader->start();
}

void MainWindow::setGamepadEnabled(bool on) {
    if (on) {
        m_gamepadReader->start();
    } else {
        // Pads that were connected are reported gone, and the label follows.
        stopGamepad();
    }
    showUnloadKeyStatus();
    m_settings->setGamepadEnabled(on);
}

void MainWindow::stopGamepad() {
    if (!m_gamepadReader)
        return;
    m_gamepadReader->stop();
    // The reader's last reports may still wait in the queue: they are dropped,
    // so that no pad and no held button outlives the reading.
    QCoreApplication::removePostedEvents(m_gamepad, QEvent::MetaCall);
    m_gamepad->forgetPads();
}

QString MainWindow::gamepadUnloadCombination() const {
    if (!m_gamepad || !m_gamepadReader->isRunning())
        return {};
    return m_gamepad->unloadCombination();
}

bool MainWindow::acceptsGamepadNavigation() const {
    return isActiveWindow() && m_pages->currentWidget() == m_gameListPage &&
           !QApplication::activePopupWidget() && !QApplication::activeModalWidget();
}

void MainWindow::startGameFromGamepad() {
    if (!acceptsGamepadNavigation() || !m_startButton->isEnabled())
        return;
    // While an emulator this program started runs, the pad belongs to the game:
    // a desktop that leaves this window active over a game just started (focus
    // stealing prevention) would otherwise restart the game on the player's
    // first press of the south button. The unload combination ends it first.
    if (m_playSessions->watchedCount() > 0)
        return;
    startSelectedGame();
}
