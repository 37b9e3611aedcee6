#pragma once

#include <QString>
#include <QStringList>

// Writing values of a freedesktop desktop entry (.desktop file). Values of the
// string kinds take the general escapes (\s \n \t \r \\); the Exec key's
// arguments are quoted on top of that, and a literal "%" is written as "%%" so
// that no launcher reads it as a field code.
namespace desktopentry {

// A value for a string, localestring or iconstring key: "\" as "\\", line ends
// and tabs as \n \r \t, and a leading blank as \s (blanks around "=" are not
// part of a value). Other control characters have no escape; callers refuse them.
QString escapeValue(const QString& value);

// One argument of an Exec line, before the general escapes: "%" doubled, then
// enclosed in double quotes with '"', '`', '$' and '\' each preceded by "\".
// Every argument is quoted, whether or not it holds a reserved character.
QString quoteArgument(const QString& argument);

// The value of an Exec key that runs `program` with `arguments` exactly:
// each one quoted, joined by blanks, then escaped as a string value.
QString execValue(const QString& program, const QStringList& arguments);

// True when the text holds a character no desktop entry value can carry:
// a control character other than tab, line feed and carriage return.
bool hasUnwritableCharacter(const QString& text);

} // namespace desktopentry
