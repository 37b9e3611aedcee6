#pragma once

#include <QString>
#include <QStringList>

// "Restore the emulator's own settings" (the window's menu and
// --restore-emulator-settings): every backup Korvello made is put back, the plug-in
// era's four files (SettingsBackup) and the current builds' per-game files
// (GameSettingsBackup, one gamesettings folder each). Returns what was done, one
// sentence per folder; when Korvello never wrote to any of them, one sentence that
// says there is nothing to put back, which is not an error. Throws KorvelloError
// when a file cannot be put back.
QString restoreEmulatorSettings(const QString& pluginEraSettingsFolder,
                                const QStringList& gameSettingsFolders);
