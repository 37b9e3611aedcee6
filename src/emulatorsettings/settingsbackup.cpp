#include "emulatorsettings/settingsbackup.h"

#include "core/boundedread.h"
#include "core/korvelloerror.h"
#include "ini/iniwriter.h"
#include "ini/settingsfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace {

const QString kBackupName = QStringLiteral("Korvello backup");

// "a, b and c"
QString joined(const QStringList& names) {
    if (names.size() <= 1)
        return names.join(QString());
    return names.mid(0, names.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") + names.last();
}

QByteArray readWhole(const QString& path) {
    BoundedRead in = BoundedRead::read(path, kMaxSettingsFileBytes);
    if (!in.bytes)
        throw KorvelloError(
            QStringLiteral("Cannot read %1: %2")
                .arg(path, in.missing() ? QStringLiteral("No such file or directory") : in.error));
    return std::move(*in.bytes);
}

} // namespace

SettingsBackup::SettingsBackup(QString settingsFolder) : m_folder(std::move(settingsFolder)) {
    while (m_folder.size() > 1 && m_folder.endsWith(u'/'))
        m_folder.chop(1);
}

const QStringList& SettingsBackup::fileNames() {
    static const QStringList names{QStringLiteral("PCSX2_ui.ini"), QStringLiteral("PCSX2_vm.ini"),
                                   QStringLiteral("GSdx.ini"), QStringLiteral("SPU2-X.ini")};
    return names;
}

QString SettingsBackup::backupFolder() const {
    return m_folder + u'/' + kBackupName;
}

bool SettingsBackup::exists() const {
    return QFileInfo(backupFolder()).isDir();
}

QString SettingsBackup::ensure() const {
    if (exists() || !QFileInfo(m_folder).isDir())
        return {};
    // Copied into a hidden folder first: the backup appears whole or not at all.
    QTemporaryDir staging(m_folder + QStringLiteral("/.korvello-backup-XXXXXX"));
    if (!staging.isValid())
        throw KorvelloError(QStringLiteral("Cannot keep the emulator's settings in %1: %2")
                                .arg(m_folder, staging.errorString()));
    QStringList kept;
    for (const QString& name : fileNames()) {
        const QString source = resolveIniFile(m_folder + u'/' + name);
        if (!QFileInfo(source).isFile())
            continue;
        const QString fileName = QFileInfo(source).fileName();
        QFile out(staging.filePath(fileName));
        const QByteArray bytes = readWhole(source);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.flush())
            throw KorvelloError(QStringLiteral("Cannot keep the emulator's settings in %1: %2")
                                    .arg(backupFolder(), out.errorString()));
        out.close();
        // The copy keeps the file's time, so the user can tell it for theirs.
        out.open(QIODevice::ReadWrite);
        out.setFileTime(QFileInfo(source).lastModified(), QFileDevice::FileModificationTime);
        kept.append(fileName);
    }
    if (!QDir().rename(staging.path(), backupFolder()))
        throw KorvelloError(QStringLiteral("Cannot keep the emulator's settings in %1").arg(backupFolder()));
    staging.setAutoRemove(false);
    // Nothing of the user's is changed by a Start into an empty folder: no need to say so.
    if (kept.isEmpty())
        return {};
    return QStringLiteral("Your emulator settings (%1) were copied to %2 before Korvello first wrote them; "
                          "\"Restore the emulator's own settings\" puts them back.")
        .arg(joined(kept), backupFolder());
}

QString SettingsBackup::restore() const {
    if (!exists())
        throw KorvelloError(
            QStringLiteral(
                "There is no backup of the emulator's settings in %1: Korvello has not written there")
                .arg(m_folder));
    const QDir backup(backupFolder());
    // Only files the backup made itself are put back: a link placed in the
    // backup (or as the backup) would copy whatever it leads to into the
    // emulator's settings.
    if (QFileInfo(backupFolder()).isSymLink())
        throw KorvelloError(
            QStringLiteral("%1 is a link, not Korvello's backup: nothing was put back").arg(backupFolder()));
    for (const QString& name : fileNames())
        if (QFileInfo(resolveIniFile(backup.filePath(name))).isSymLink())
            throw KorvelloError(QStringLiteral("%1 is a link, not a kept file: nothing was put back")
                                    .arg(resolveIniFile(backup.filePath(name))));
    // Every kept file is written beside its target first; only then are they renamed into place.
    std::vector<std::unique_ptr<QSaveFile>> staged;
    QStringList restored;
    QStringList removed;
    QStringList toRemove;
    for (const QString& name : fileNames()) {
        const QString kept = resolveIniFile(backup.filePath(name));
        const QString target = resolveIniFile(m_folder + u'/' + name);
        if (!QFileInfo(kept).isFile()) {
            if (QFileInfo(target).isFile())
                toRemove.append(target);
            continue;
        }
        // The target keeps the name the emulator's file had when it was kept.
        const QString path =
            QFileInfo(target).isFile() ? target : m_folder + u'/' + QFileInfo(kept).fileName();
        const QByteArray bytes = readWhole(kept);
        auto out = std::make_unique<QSaveFile>(path);
        if (!out->open(QIODevice::WriteOnly) || out->write(bytes) != bytes.size())
            throw KorvelloError(QStringLiteral("Cannot put back %1: %2").arg(path, out->errorString()));
        staged.push_back(std::move(out));
        restored.append(QFileInfo(path).fileName());
    }
    for (const std::unique_ptr<QSaveFile>& out : staged) {
        if (!out->commit())
            throw KorvelloError(
                QStringLiteral("Cannot put back %1: %2").arg(out->fileName(), out->errorString()));
    }
    for (const QString& path : toRemove) {
        if (!QFile::remove(path))
            throw KorvelloError(QStringLiteral("Cannot remove %1, which Korvello wrote").arg(path));
        removed.append(QFileInfo(path).fileName());
    }
    QString text =
        restored.isEmpty()
            ? QStringLiteral("No settings file was kept in %1").arg(backupFolder())
            : QStringLiteral("Put back %1 in %2 from %3").arg(joined(restored), m_folder, kBackupName);
    if (!removed.isEmpty())
        text += QStringLiteral("; removed %1, which did not exist before Korvello's first Start")
                    .arg(joined(removed));
    return text + u'.';
}
