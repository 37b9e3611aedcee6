// Emulator discovery, Start and the unload hot key.
#include "tfrmmain.h"

void TfrmMain::connectLaunchHandlers() {}
void TfrmMain::DeriveEmulatorFolders() {}
void TfrmMain::FillRendererList() {}
void TfrmMain::FillExeList() {}
void TfrmMain::ScanGSPlugins() {}
void TfrmMain::SetUnloadHotKey(bool) {}
void TfrmMain::btnStartClick() {}
void TfrmMain::WMHotKey(qint32) {}
