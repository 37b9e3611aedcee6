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
