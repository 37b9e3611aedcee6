#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <optional>

// How the emulator's Linux builds read their files, written from their source
// for the tests: the plug-in era's GSdx reads a flat file with fscanf, the core
// and SPU2-X read sections through wxFileConfig.
namespace linuxreaders {

// GSdxApp::BuildConfigurationMap: while (fscanf(f, "%s = %s\n", key, value) != EOF)
// map[key] = value; whitespace-separated tokens, the "=" after the key token after
// blanks (or none), a failed match still stores the key with the value buffer of
// the pass before; keys compared with case, the last line of a key wins.
QMap<QByteArray, QByteArray> readGsdx(const QByteArray& bytes);

// wxFileConfig as the Linux builds use it: "[section]" headers, "key=value" lines
// with blanks around both trimmed, keys and sections compared with case (the
// default off Windows), the first line of a key in its section.
std::optional<QString> readWx(const QByteArray& bytes, const QString& section, const QString& key);

} // namespace linuxreaders
