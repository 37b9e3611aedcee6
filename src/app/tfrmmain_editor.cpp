// Switching between the game list and the editor page, and the editor's modes.
#include "tfrmmain.h"

void TfrmMain::connectEditorHandlers() {}
void TfrmMain::btnAddGameClick() {}
void TfrmMain::btnGameListClick() {}
