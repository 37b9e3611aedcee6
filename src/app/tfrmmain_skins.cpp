// Skin selection on both pages.
#include "tfrmmain.h"

void TfrmMain::connectSkinHandlers() {}
void TfrmMain::SetupSkins() {}
void TfrmMain::cmbSkinsChange(QComboBox*) {}
