#include "editor/editortables.h"

namespace editortables {

RendererSwitches rendererSwitches(std::optional<int> number) {
    if (!number)
        return {};
    for (const RendererRow& row : kRenderers) {
        if (row.number == *number)
            return row.switches;
    }
    return {};
}

QString latencyText(int milliseconds) {
    return QStringLiteral("Latency: ") + QString::number(milliseconds) + QStringLiteral(" ms (avg)");
}

} // namespace editortables
