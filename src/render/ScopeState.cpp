#include "render/ScopeState.h"

#include <algorithm>

namespace tonavise {

namespace {

template <typename Table>
auto At(const Table& table, int32_t index) {
    return table[static_cast<std::size_t>(
        std::clamp<int32_t>(index, 0, int32_t(table.size()) - 1))];
}

}  // namespace

int32_t FullScale(const ScopeViewState& state) {
    return At(levelTable, state.levelIndex);
}

double MsPerDivision(const ScopeViewState& state) {
    return At(timeDivTable, state.waveZoomIndex);
}

int32_t Span(const ScopeViewState& state) {
    return At(spanTable, state.spanIndex);
}

}  // namespace tonavise
