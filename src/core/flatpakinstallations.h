#pragma once

#include <QStringList>

// The Flatpak installations of this machine, found as flatpak itself finds
// them: the user's ($FLATPAK_USER_DIR, else $XDG_DATA_HOME/flatpak, else
// ~/.local/share/flatpak), the system's ($FLATPAK_SYSTEM_DIR, else
// /var/lib/flatpak), then the extra ones configured in
// $FLATPAK_CONFIG_DIR/installations.d (else /etc/flatpak/installations.d), in
// the order of their file names. Whether they exist is not checked.
namespace flatpakinstallations {

QStringList folders();

// Where an installed application's files are in `installation`:
// <installation>/app/<appId>/current/active/files.
QString applicationFiles(const QString& installation, const QString& appId);

} // namespace flatpakinstallations
