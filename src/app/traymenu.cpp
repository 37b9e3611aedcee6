#include "app/traymenu.h"

#include <QMenu>
#include <QSignalBlocker>
#include <QSystemTrayIcon>
#include <QWidget>

TrayMenu::TrayMenu(const QIcon& icon, const QString& toolTip, QWidget* window) : QObject(window) {
    m_menu = new QMenu(window);
    m_menu->setObjectName(QStringLiteral("trayMenu"));
    QAction* restore = m_menu->addAction(QStringLiteral("Restore the emulator's own settings"));
    restore->setObjectName(QStringLiteral("restoreEmulatorSettingsAction"));
    connect(restore, &QAction::triggered, this, &TrayMenu::restoreSettingsRequested);
    m_gamepadAction = m_menu->addAction(QStringLiteral("Use gamepad"));
    m_gamepadAction->setObjectName(QStringLiteral("gamepadAction"));
    m_gamepadAction->setCheckable(true);
    connect(m_gamepadAction, &QAction::toggled, this, &TrayMenu::gamepadToggled);
    QAction* exit = m_menu->addAction(QStringLiteral("Exit"));
    exit->setObjectName(QStringLiteral("exitAction"));
    connect(exit, &QAction::triggered, this, &TrayMenu::exitRequested);

    m_icon = new QSystemTrayIcon(icon, window);
    m_icon->setObjectName(QStringLiteral("trayIcon"));
    m_icon->setToolTip(toolTip);
    m_icon->setContextMenu(m_menu);
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            emit iconClicked();
    });
    m_icon->show();
}

void TrayMenu::popup(const QPoint& globalPos) {
    m_menu->popup(globalPos);
}

void TrayMenu::showGamepadEnabled(bool on) {
    const QSignalBlocker quiet(m_gamepadAction);
    m_gamepadAction->setChecked(on);
}

void TrayMenu::hideIcon() {
    m_icon->hide();
}
