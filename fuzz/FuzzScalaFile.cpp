// Any bytes as a Scala scale file: the parser must refuse with a message or give a rising scale,
// and a tuning made from it must name and measure any frequency without failing. The same bytes
// are also tried as a key name.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/dsp/Temperament.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tonavise;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    (void)KeyOfNote(text);
    const ScalaParse parsed = ParseScala(text);
    if (!parsed.scale) {
        if (parsed.error.empty()) {
            __builtin_trap();  // a refusal always says why
        }
        return 0;
    }
    const Temperament& scale = *parsed.scale;
    for (int d = 1; d < scale.size(); ++d) {
        if (!(scale.degrees[d] > scale.degrees[d - 1])) {
            __builtin_trap();
        }
    }
    for (int tonic : {0, 7}) {
        const Tuning tuning(
            scale, tonic, 440.0, tonic == 0 ? TuningAnchor::Tonic : TuningAnchor::A4);
        for (int key : {0, 39, 48, 87}) {
            (void)tuning.TargetHz(key);
        }
        for (double hz : {27.5, 261.6, 440.0, 4186.0, 0.0, -1.0}) {
            const TunedReading r = tuning.Measure(hz);
            (void)r;
        }
    }
    return 0;
}
