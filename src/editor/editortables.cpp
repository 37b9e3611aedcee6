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

RendererKind currentRendererKind(int number) {
    for (const CurrentRendererRow& row : kCurrentRenderers) {
        if (row.number == number)
            return row.kind;
    }
    return RendererKind::Hardware;
}

std::optional<int> linuxPluginRenderer(int stored) {
    switch (stored) {
    case 11:
    case 12:
    case 13:
        return stored;
    case 0:
    case 3:
        return 12;
    case 1:
    case 4:
    case 7:
        return 13;
    case 2:
    case 5:
        return 11;
    default:
        return std::nullopt;
    }
}

RendererSwitches kindSwitches(RendererKind kind) {
    switch (kind) {
    case RendererKind::Hardware:
        return {false, false, true};
    case RendererKind::Software:
        return {true, false, false};
    case RendererKind::Null:
        return {false, false, false};
    }
    return {};
}

QString latencyText(int milliseconds) {
    return QStringLiteral("Latency: ") + QString::number(milliseconds) + QStringLiteral(" ms (avg)");
}

} // namespace editortables
