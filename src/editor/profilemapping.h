#pragma once

#include "store/gameprofile.h"

#include <QStringList>

class EditorPage;

// Moves a game profile between the editor page and a row of table db.
// Driven by one table of bindings (column, control, text form), kept in the
// order in which loading sets the controls, because loading runs the editor's
// rules at fixed points and the order of those calls matters.
namespace profilemapping {

// The 106 values of a new profile, for the add statement. Throws KorvelloError
// when a framerate adjustment is not a number or no graphics plug-in is chosen.
GameProfile collectForAdd(const EditorPage& page, const QStringList& pluginFiles);

// Columns 1 to 105 for the update statement (column 0 is left empty): the same
// as for add, except the custom resolution, skip-draw and window size, which are
// trimmed, and the memory card folder, whose doubled backslashes become single.
GameProfile collectForUpdate(const EditorPage& page, const QStringList& pluginFiles);

// Sets every control from the row and runs the editor's rules at their points.
// Throws KorvelloError at the first N or 01 column that is not an integer, or a
// window size with fewer than two parts; the controls set before stay set.
void load(EditorPage& page, const GameProfile& row, const QStringList& pluginFiles);

// Column positions in the order in which load() sets them (each exactly once).
QList<int> loadOrder();

} // namespace profilemapping
