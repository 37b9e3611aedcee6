#pragma once

#include <QString>

class EditorPage;
class QComboBox;
class QWidget;
#include <QStringList>

// Helpers for the editor tests: filling the page's start-up lists as emulator
// discovery does, and picking list entries the way a user does.
namespace pagefixture {

// Renderer entries with their numbers, with or without the Direct3D10/11 ones;
// two plug-ins ("GSdx 1.0 SSE2" first), two executables.
void fillLists(EditorPage& page, bool withDirect3D10);
void fillRenderers(EditorPage& page, bool withDirect3D10);

// Controls of a shown page that are drawn smaller than they need to be
// read: captions, lists with their longest entry, fields, groups below their
// minimum size, and anything reaching outside its parent. One line each.
QStringList crampedControls(QWidget* page);

// Opens the list's popup and clicks the entry, so the list reports the pick
// as the user's (activated).
void pick(QComboBox* list, int index);

} // namespace pagefixture
