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
class Tuning;

struct PitchReading {
    bool hasPitch = false;  // standard: the nearest key lies in 0..87; precise: a pitch was found
    bool precise = false;   // which estimate this is
    double hz = 0.0;
    int key = 0;           // standard: may lie outside 0..87 (no note)
    double cents = 0.0;    // standard: whole cents, truncated; precise: to a fraction of a cent
    double clarity = 0.0;  // precise only: 0..1
};

PitchReading ReadPitch(const SpectrumFrame& frame, const KeyTable& keyTable);

// The reading measured against a tuning: the nearest key still names it, the cents are taken
// from that key's target in the tuning (whole cents, truncated, for the standard estimate).
void MeasureAgainst(PitchReading& reading, const Tuning& tuning);
// The reading named in the written pitch of an instrument that sounds `sounds` semitones from
// its written note (B-flat: -2, so concert C4 is named D4).
void NameWritten(PitchReading& reading, int sounds);

// The columns "f0_hz,key,name,cents" of the analyze and listen rows: the standard estimate with
// three decimals and whole cents (the key printed even outside 0..87, with an empty name); the
// precise one with cents to a tenth, and all four empty where there is no pitch.
std::string PitchColumns(const PitchReading& reading, const KeyTable& keyTable);

}  // namespace tonavise
