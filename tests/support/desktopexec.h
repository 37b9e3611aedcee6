#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>

// A reader of desktop entries written from the freedesktop rules alone, so that
// tests check what the program writes against the rules rather than against the
// program's own writer.
namespace desktopexec {

// The keys of the [Desktop Entry] group, values as written (still escaped).
// Blanks around "=" are not part of the value.
QHash<QString, QString> readGroup(const QString& path);

// A string value with the general escapes undone: \s \n \t \r \\.
// nullopt for any other backslash sequence.
std::optional<QString> unescapeValue(const QString& value);

// The program and arguments a conforming launcher runs for an Exec value:
// the general escapes undone, then the command line split at blanks, quoted
// arguments unquoted ('"', '`', '$', '\' after a backslash), then "%%" read as
// "%". Reserved characters outside quotes, an open quote, a stray backslash or
// any field code other than "%%" make it nullopt, with the reason in `error`.
std::optional<QStringList> splitExec(const QString& value, QString* error = nullptr);

} // namespace desktopexec
