#include "engine/live/PitchReading.h"

#include <cmath>
#include <cstdio>

#include "engine/dsp/KeyTable.h"
#include "engine/dsp/Temperament.h"

namespace tonavise {

PitchReading ReadPitch(const SpectrumFrame& frame, const KeyTable& keyTable) {
    PitchReading r;
    if (frame.pitchMethod == kPitchMethodPrecise) {
        r.precise = true;
        r.clarity = frame.precise.clarity;
        if (frame.precise.hasPitch) {
            const NearestKeyExactResult nk = keyTable.NearestKeyExact(frame.precise.hz);
            r.hasPitch = nk.key >= 0 && nk.key < kKeyCount;
            r.hz = frame.precise.hz;
            r.key = nk.key;
            r.cents = nk.cents;
        }
        return r;
    }
    const NearestKeyResult nk = keyTable.NearestKey(frame.fundamentalHz);
    r.hasPitch = nk.key >= 0 && nk.key < kKeyCount;
    r.hz = frame.fundamentalHz;
    r.key = nk.key;
    r.cents = nk.cents;
    return r;
}

void MeasureAgainst(PitchReading& reading, const Tuning& tuning) {
    if (!reading.hasPitch) {
        return;
    }
    const double cents = tuning.Measure(reading.hz).cents;
    reading.cents = reading.precise ? cents : std::trunc(cents);
}

void NameWritten(PitchReading& reading, int sounds) {
    if (reading.hasPitch) {
        reading.key -= sounds;
        reading.hasPitch = reading.key >= 0 && reading.key < kKeyCount;
    }
}

std::string PitchColumns(const PitchReading& reading, const KeyTable& keyTable) {
    char text[96];
    const std::string name(reading.hasPitch ? keyTable.LongName(reading.key) : "");
    if (!reading.precise) {
        std::snprintf(text,
                      sizeof text,
                      "%.3f,%d,%s,%d",
                      reading.hz,
                      reading.key,
                      name.c_str(),
                      static_cast<int>(reading.cents));
    } else if (reading.hasPitch) {
        // Tenths as printed; a deviation that rounds to zero prints 0.0, never -0.0.
        const double tenths = std::round(reading.cents * 10.0);
        const double cents = tenths == 0.0 ? 0.0 : tenths / 10.0;
        std::snprintf(
            text, sizeof text, "%.3f,%d,%s,%.1f", reading.hz, reading.key, name.c_str(), cents);
    } else {
        return ",,,";
    }
    return text;
}

}  // namespace tonavise
