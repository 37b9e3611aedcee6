#pragma once

#include <QObject>

class QAction;
class QIcon;
class QMenu;
class QPoint;
class QSystemTrayIcon;
class QWidget;

// The tray icon and the menu it shares with the game list page: "Restore the
// emulator's own settings", "Use gamepad" and "Exit". The icon brings the
// window back; the window has no task-bar button.
class TrayMenu : public QObject {
    Q_OBJECT
public:
    TrayMenu(const QIcon& icon, const QString& toolTip, QWidget* window);

    // Opens the menu at a place on the screen (the page's own menu).
    void popup(const QPoint& globalPos);
    // Shows the gamepad switch as on or off without reporting it.
    void showGamepadEnabled(bool on);
    void hideIcon();

signals:
    void restoreSettingsRequested();
    void gamepadToggled(bool on);
    void exitRequested();
    // A click on the tray icon.
    void iconClicked();

private:
    QMenu* m_menu = nullptr;
    QAction* m_gamepadAction = nullptr;
    QSystemTrayIcon* m_icon = nullptr;
};
