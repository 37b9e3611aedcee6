#include "emulatorsettings/currentconfigwriter.h"

#include "core/korvelloerror.h"
#include "emulatorsettings/currentmapping.h"
#include "ini/inidocument.h"
#include "ini/inivalues.h"

#include <QDir>
#include <QFileInfo>

QList<IniAssignment> currentAssignments(const GameProfile& profile, CurrentGeneration generation) {
    QList<IniAssignment> assignments;
    for (const CurrentKey& key : kCurrentKeys) {
        if (!key.readBy(generation))
            continue;
        if (const std::optional<QString> value = currentValue(key, profile))
            assignments.append({QString::fromLatin1(key.section), QString::fromLatin1(key.key), *value});
    }
    return assignments;
}

void writeCurrentGameSettings(const GameProfile& profile, const QString& gameSettingsFile,
                              CurrentGeneration generation) {
    // Every value is made before the file is read, so a bad value changes nothing.
    QList<std::pair<const CurrentKey*, QString>> rows;
    for (const CurrentKey& key : kCurrentKeys) {
        if (!key.readBy(generation))
            continue;
        if (const std::optional<QString> value = currentValue(key, profile))
            rows.append({&key, *value});
    }
    // The emulator creates "gamesettings" at its first start (EmuFolders::EnsureFoldersExist); a
    // Start before that creates it here.
    const QString folder = QFileInfo(gameSettingsFile).path();
    if (!QDir().mkpath(folder))
        throw KorvelloError(QStringLiteral("Unable to write to %1").arg(gameSettingsFile));
    IniDocument doc = IniDocument::open(gameSettingsFile);
    for (const auto& [key, value] : rows)
        doc.checkValue(QString::fromLatin1(key->key), value, false);
    const IniValues existing = IniValues::fromBytes(doc.text().bytes());
    for (const auto& [key, value] : rows) {
        const QString section = QString::fromLatin1(key->section);
        const QString name = QString::fromLatin1(key->key);
        const std::optional<QString> have = existing.value(section, name);
        if (have && sameCurrentValue(key->rule, *have, value))
            continue;
        doc.setValue(section, name, value);
    }
    doc.save();
}
