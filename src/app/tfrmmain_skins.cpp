// Skin selection on both pages: cmbSkins on the game list page and cmbASkins on
// the editor page always show the same skin, and "Skin" holds its position.
#include "editorpage.h"
#include "programsettings.h"
#include "skinmanager.h"
#include "tfrmmain.h"

#include <QApplication>
#include <QComboBox>

void TfrmMain::connectSkinHandlers() {
    // activated: only the user's pick runs the handler, not a selection by program.
    for (QComboBox* list : {cmbSkins, pgNewGame->cmbASkins})
        connect(list, &QComboBox::activated, this,
                [this, list] { run([this, list] { cmbSkinsChange(list); }); });
}

void TfrmMain::SetupSkins() {
    // A new application style sheet re-polishes every widget, and Qt then gives
    // widgets without a font rule the application's font rather than the one
    // they inherited from the window. With the window's font as the
    // application's font, every skin change keeps the program's font.
    QApplication::setFont(font());
    skinManager->SkinDirectory = AppFolder + QStringLiteral("Skins");
    const QStringList names = skinManager->GetSkinNames();
    cmbSkins->clear();
    cmbSkins->addItems(names);
    pgNewGame->cmbASkins->clear();
    pgNewGame->cmbASkins->addItems(names);

    const bool any = !names.isEmpty();
    cmbSkins->setEnabled(any);
    pgNewGame->cmbASkins->setEnabled(any);
    if (!any)
        return; // the engine stays off: the standard look

    // A stored position that is no longer in the list (skins removed since)
    // falls back to the first skin, and the choice is written again.
    int position = RegL->readInt(QStringLiteral("Skin")).value_or(0);
    if (position < 0 || position >= names.size())
        position = 0;
    cmbSkins->setCurrentIndex(position);
    cmbSkinsChange(cmbSkins);
    skinManager->setActive(true);
}

void TfrmMain::cmbSkinsChange(QComboBox* changed) {
    const int position = changed->currentIndex();
    if (position < 0)
        return;
    QComboBox* other = changed->objectName() == QLatin1String("cmbSkins") ? pgNewGame->cmbASkins : cmbSkins;
    other->setCurrentIndex(position);
    skinManager->setSkinName(changed->itemText(position));
    RegL->writeInt(QStringLiteral("Skin"), position);
}
