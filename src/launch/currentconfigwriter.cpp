#include "launch/currentconfigwriter.h"

#include "launch/currentbuild.h"
#include "launch/currentmapping.h"

QList<IniAssignment> currentAssignments(const GameProfile& profile) {
    QList<IniAssignment> assignments;
    for (const CurrentKey& key : kCurrentKeys) {
        if (const std::optional<QString> value = currentValue(key, profile))
            assignments.append({QString::fromLatin1(key.section), QString::fromLatin1(key.key), *value});
    }
    return assignments;
}

void writeCurrentEmulatorConfig(const GameProfile& profile, const QString& settingsFolder) {
    // Every value is made before the file is read, so a bad value changes nothing.
    const QList<IniAssignment> assignments = currentAssignments(profile);
    const QString folder = settingsFolder.endsWith(u'/') ? settingsFolder : settingsFolder + u'/';
    WriteIniValues(folder + QString::fromLatin1(currentbuild::kSettingsFile), assignments);
}
