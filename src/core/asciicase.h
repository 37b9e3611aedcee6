#pragma once

#include <QStringView>

// Text equality with the ASCII letters compared without case and every other
// character unchanged: how INI sections and keys, process names and the
// database's NOCASE names are matched.
bool equalAsciiNoCase(QStringView a, QStringView b);
