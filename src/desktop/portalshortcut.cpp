#include "desktop/portalshortcut.h"

#include <QDBusMetaType>

void registerPortalShortcutTypes() {
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<PortalShortcutList>();
}
