// Poster and thumbnail import from the editor page.
#include "tfrmmain.h"

void TfrmMain::connectArtworkHandlers() {}
void TfrmMain::btnPosterClick(QPushButton*) {}
