// The result of the precise pitch estimate, as the analysis publishes it beside the standard
// estimate.
#pragma once

namespace tonavise {

struct PitchEstimate {
    double hz = 0.0;       // the fundamental; 0 when !hasPitch
    double clarity = 0.0;  // 0..1: how periodic the newest sound is (NSDF height at the period)
    bool hasPitch = false;
};

}  // namespace tonavise
