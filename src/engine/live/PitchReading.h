// What a tuner shows of one published analysis: the standard estimate, or the precise one when
// the pass computed it (KeyTable::pitchMethod set to kPitchMethodPrecise). The view's tuner, the
// command-line rows and the tests read the pitch through these, so all show the same.
//
// Pure functions; any thread.
#pragma once

#include <string>

#include "engine/live/SpectrumExchange.h"

namespace tonavise {

class KeyTable;

struct PitchReading {
    bool hasPitch = false;  // standard: the nearest key lies in 0..87; precise: a pitch was found
    bool precise = false;   // which estimate this is
    double hz = 0.0;
    int key = 0;           // standard: may lie outside 0..87 (no note)
    double cents = 0.0;    // standard: whole cents, truncated; precise: to a fraction of a cent
    double clarity = 0.0;  // precise only: 0..1
};

PitchReading ReadPitch(const SpectrumFrame& frame, const KeyTable& keyTable);

// The columns "f0_hz,key,name,cents" of the analyze and listen rows: the standard estimate with
// three decimals and whole cents (the key printed even outside 0..87, with an empty name); the
// precise one with cents to a tenth, and all four empty where there is no pitch.
std::string PitchColumns(const PitchReading& reading, const KeyTable& keyTable);

}  // namespace tonavise
