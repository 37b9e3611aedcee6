// Skin selection on both pages: m_skinList on the game list page and cmbASkins on
// the editor page always show the same skin, and "Skin" holds its position.
#include "app/mainwindow.h"
#include "app/programsettings.h"
#include "app/skinmanager.h"
#include "core/programfiles.h"
#include "editor/editorpage.h"

#include <QApplication>
#include <QComboBox>

void MainWindow::connectSkinHandlers() {
    // activated: only the user's pick runs the handler, not a selection by program.
    for (QComboBox* list : {m_skinList, m_editorPage->cmbASkins})
        connect(list, &QComboBox::activated, this,
                [this, list] { run([this, list] { applyChosenSkin(list); }); });
}

void MainWindow::setUpSkins() {
    // A new application style sheet re-polishes every widget, and Qt then gives
    // widgets without a font rule the application's font rather than the one
    // they inherited from the window. With the window's font as the
    // application's font, every skin change keeps the program's font.
    QApplication::setFont(font());
    m_skinManager->SkinDirectory =
        m_programFileFolders.isEmpty()
            ? m_appFolder + QStringLiteral("Skins")
            : programfiles::locateIn(m_programFileFolders, QStringLiteral("Skins"));
    const QStringList names = m_skinManager->GetSkinNames();
    m_skinList->clear();
    m_skinList->addItems(names);
    m_editorPage->cmbASkins->clear();
    m_editorPage->cmbASkins->addItems(names);

    const bool any = !names.isEmpty();
    m_skinList->setEnabled(any);
    m_editorPage->cmbASkins->setEnabled(any);
    if (!any)
        return; // the engine stays off: the standard look

    // A stored position that is no longer in the list (skins removed since)
    // falls back to the first skin, and the choice is written again.
    int position = m_settings->readInt(QStringLiteral("Skin")).value_or(0);
    if (position < 0 || position >= names.size())
        position = 0;
    m_skinList->setCurrentIndex(position);
    applyChosenSkin(m_skinList);
    m_skinManager->setActive(true);
}

void MainWindow::applyChosenSkin(QComboBox* changed) {
    const int position = changed->currentIndex();
    if (position < 0)
        return;
    QComboBox* other =
        changed->objectName() == QLatin1String("skinList") ? m_editorPage->cmbASkins : m_skinList;
    other->setCurrentIndex(position);
    m_skinManager->setSkinName(changed->itemText(position));
    m_settings->writeInt(QStringLiteral("Skin"), position);
}
