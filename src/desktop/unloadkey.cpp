#include "desktop/unloadkey.h"

#include "desktop/portalunloadkey.h"
#include "desktop/unloadhotkey.h"

#include <QGuiApplication>

namespace {

// A Wayland session: X11 key grabs there only see keys while an X11 window has
// the focus, so the portal is asked first.
bool isWaylandSession() {
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           QGuiApplication::platformName() == QLatin1String("wayland");
}

} // namespace

std::unique_ptr<UnloadKey> createUnloadKey() {
    if (isWaylandSession() && PortalUnloadKey::isOffered(QDBusConnection::sessionBus()))
        return std::make_unique<PortalUnloadKey>();
    return std::make_unique<UnloadHotKey>();
}
