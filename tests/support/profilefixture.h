#pragma once

#include "store/gameprofile.h"

class EditorPage;
#include <QStringList>

// A profile in which every column differs from the whole-profile default, and
// the editor lists that it needs (two plug-ins, two executables, the full
// renderer list). The preset box is off, so loading keeps every stored value.
namespace profilefixture {

GameProfile nonDefaultProfile(const QString& name = QStringLiteral("Jak's Quest [PAL]"));

// Fills the renderer, plug-in and executable lists as discovery would, and pluginFiles.
void fillLists(EditorPage& page, QStringList& pluginFiles);

} // namespace profilefixture
