#include "emulatorsettings/settingsrestore.h"

#include "emulatorsettings/gamesettingsbackup.h"
#include "emulatorsettings/settingsbackup.h"

QString restoreEmulatorSettings(const QString& pluginEraSettingsFolder,
                                const QStringList& gameSettingsFolders) {
    QStringList done;
    if (!pluginEraSettingsFolder.isEmpty()) {
        const SettingsBackup backup(pluginEraSettingsFolder);
        if (backup.exists())
            done << backup.restore();
    }
    for (const QString& folder : gameSettingsFolders)
        if (const QString text = GameSettingsBackup(folder).restore(); !text.isEmpty())
            done << text;
    if (done.isEmpty())
        return QStringLiteral(
            "There is nothing to put back: Korvello has not changed the emulator's settings.");
    return done.join(u' ');
}
