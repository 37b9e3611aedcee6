// The game list page: rebuild, selection, poster and caption.
#include "tfrmmain.h"

void TfrmMain::connectGameListHandlers() {}
void TfrmMain::SetIconSpacing() {}
void TfrmMain::LoadGameList() {}
void TfrmMain::SelectItem(int) {}
void TfrmMain::img2SelectItem() {}
void TfrmMain::img2Click() {}
