#include "ini/iniwriter.h"

#include "core/korvelloerror.h"
#include "ini/inidocument.h"

#include <QDir>
#include <QFileInfo>

QString resolveIniFile(const QString& path) {
    const QFileInfo info(path);
    if (info.exists())
        return path;
    const QDir folder = info.absoluteDir();
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& name : names) {
        if (name.compare(info.fileName(), Qt::CaseInsensitive) == 0)
            return info.path() + u'/' + name;
    }
    return path;
}

void WriteIniValue(const QString& path, const QString& section, const QString& key, const QString& value) {
    WriteIniValues(path, {IniAssignment{section, key, value}});
}

void WriteIniValues(const QString& path, const QList<IniAssignment>& assignments) {
    IniDocument doc = IniDocument::open(path);
    for (const IniAssignment& a : assignments)
        doc.checkValue(a.key, a.value, false);
    for (const IniAssignment& a : assignments)
        doc.setValue(a.section, a.key, a.value);
    doc.save();
}

void ReplaceKeyLine(const QString& key, const QString& value, const QString& path) {
    IniDocument doc = IniDocument::open(path);
    doc.replaceKeyLine(key, value);
    if (const QString reason = doc.commit(); !reason.isEmpty())
        throw KorvelloError(QStringLiteral("Cannot create file \"%1\". %2").arg(doc.path(), reason));
}
