// The signal generator's values kept for the program's run (not saved between runs): what its
// dialog shows when it is made, written by the dialog's Exit.
#pragma once

#include <cstdint>

namespace tonavise::ui {

struct SignalSettings {
    int32_t ampLeft = 25;    // percent
    int32_t freqLeft = 440;  // hertz
    int32_t waveLeft = 0;    // 0 sine, 1 square, 2 triangle, 3 saw
    int32_t ampRight = 25;
    int32_t freqRight = 440;
    int32_t waveRight = 0;
};

}  // namespace tonavise::ui
