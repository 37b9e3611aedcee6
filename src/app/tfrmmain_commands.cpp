// The profile commands: Add Game, Save, Edit and Delete.
#include "tfrmmain.h"

void TfrmMain::connectCommandHandlers() {}
void TfrmMain::btnNewGameClick() {}
void TfrmMain::btnSaveClick() {}
void TfrmMain::btnEditClick() {}
void TfrmMain::btnDeleteClick() {}
