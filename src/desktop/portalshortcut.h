#pragma once

#include <QDBusArgument>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariantMap>

// One entry of the desktop portal's shortcut lists, D-Bus signature (sa{sv}):
// the shortcut's id and its properties ("description", "preferred_trigger",
// "trigger_description").
struct PortalShortcut {
    QString id;
    QVariantMap properties;
};
using PortalShortcutList = QList<PortalShortcut>;

Q_DECLARE_METATYPE(PortalShortcut)

inline QDBusArgument& operator<<(QDBusArgument& arg, const PortalShortcut& s) {
    arg.beginStructure();
    arg << s.id << s.properties;
    arg.endStructure();
    return arg;
}

inline const QDBusArgument& operator>>(const QDBusArgument& arg, PortalShortcut& s) {
    arg.beginStructure();
    arg >> s.id >> s.properties;
    arg.endStructure();
    return arg;
}

// Makes the two types known to Qt's D-Bus marshalling; safe to call repeatedly.
void registerPortalShortcutTypes();
