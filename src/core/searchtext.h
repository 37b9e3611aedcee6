#pragma once

#include <QString>
#include <QStringView>

// Text as the game search compares it: without letter case and without
// accents, so that "e" finds "É", "ß" and "ss" find each other and "Ae" finds
// "Æ". Both the names and the typed text go through fold(); a name matches when
// its folded form contains the folded typed text.
namespace searchtext {

// Compatibility decomposition (so ligatures and full-width letters fall apart),
// combining marks dropped, the few letters that carry their accent inside the
// letter itself spelled out, then full case folding.
QString fold(QStringView text);

} // namespace searchtext
