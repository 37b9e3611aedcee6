#include "support/profilefixture.h"

#include "editor/editorpage.h"

#include <QComboBox>

namespace profilefixture {

GameProfile nonDefaultProfile(const QString& name) {
    const QStringList values = {name,
                                "7",
                                "5",
                                "1280",
                                "720",
                                "3",
                                "1",
                                "2",
                                "4",
                                "2", // 0-9
                                "1",
                                "0",
                                "0",
                                "1",
                                "3",
                                "1",
                                "1",
                                "16:9",
                                "800,600",
                                "enabled", // 10-19
                                "enabled",
                                "disabled",
                                "enabled",
                                "disabled",
                                "enabled",
                                "enabled",
                                "enabled",
                                "enabled", // 20-27
                                "enabled",
                                "enabled",
                                "enabled",
                                "enabled",
                                "enabled",
                                "enabled",
                                "disabled",
                                "enabled", // 28-35
                                "enabled",
                                "enabled",
                                "60.00",
                                "49.5",
                                "3",
                                "4",
                                "1.5",
                                "0.25",
                                "3", // 36-44
                                "disabled",
                                "enabled",
                                "disabled",
                                "disabled",
                                "enabled",
                                "enabled",
                                "enabled", // 45-51
                                "enabled",
                                "disabled",
                                "disabled",
                                "disabled",
                                "enabled",
                                "enabled",
                                "disabled", // 52-58
                                "150.0",
                                "enabled",
                                "1",
                                "enabled",
                                "enabled",
                                "2",
                                "2",
                                "3", // 59-66
                                "enabled",
                                "enabled",
                                "enabled",
                                "enabled",
                                "TRUE",
                                "1",
                                "enabled",
                                "disabled", // 67-74
                                "/home/player/cards",
                                "disabled",
                                "enabled",
                                "enabled",
                                "enabled",
                                "Plugin", // 75-80
                                "/games/jak's quest.iso",
                                "disabled",
                                "4",
                                "2",
                                "3",
                                "TRUE",
                                "2",
                                "3",
                                "420", // 81-89
                                "portaudio",
                                "TRUE",
                                "TRUE",
                                "pcsx2-second.exe",
                                "--nogui --fullboot",
                                "libgsdx-b.so", // 90-95
                                "Mine1.ps2",
                                "Mine2.ps2",
                                "enabled",
                                "enabled",
                                "enabled",
                                "enabled",
                                "1",
                                "1", // 96-103
                                "enabled",
                                "enabled"}; // 104-105
    return GameProfile(values);
}

void fillLists(EditorPage& page, QStringList& pluginFiles) {
    const QList<QPair<QString, int>> renderers = {
        {"Direct3D9 (Hardware)", 0},     {"Direct3D9 (Software)", 1},     {"Direct3D9 (Null)", 2},
        {"Direct3D10/11 (Hardware)", 3}, {"Direct3D10/11 (Software)", 4}, {"Direct3D10/11 (Null)", 5},
        {"SDL 1.3 (Software)", 7}};
    for (const auto& [text, number] : renderers)
        page.cmbRenderer->addItem(text, number);
    page.cmbGSPlugin->addItem(QStringLiteral("GSdx 1.0 SSE2"));
    page.cmbGSPlugin->addItem(QStringLiteral("GSdx 1.1 AVX"));
    pluginFiles = {QStringLiteral("libgsdx-a.so"), QStringLiteral("libgsdx-b.so")};
    page.cmbPCSX2ExeFile->addItem(QStringLiteral("pcsx2.exe"));
    page.cmbPCSX2ExeFile->addItem(QStringLiteral("pcsx2-second.exe"));
}

} // namespace profilefixture
