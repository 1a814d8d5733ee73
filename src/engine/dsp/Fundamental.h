// Fundamental frequency estimate from a magnitude spectrum: the strongest bin in the range of
// the 88 keys, reinterpreted as a harmonic when clear peaks below or above it stand in a
// small-integer ratio to it, and refined from up to three higher peaks.
// Stateless and allocation-free; runs on the analysis thread.
#pragma once

#include <span>

namespace tonavise {

// Index of the largest of s[from..to] (both included); the first of equal values wins.
int FindMaximum(std::span<const double> s, int from, int to);

// True when s[a] > 50 and s[a] is more than four times s[a - 5] and s[a + 5]. Indices whose
// neighbours fall outside s are never peaks.
bool IsPeak(std::span<const double> s, int a);

// First index passing IsPeak scanning from `from` up (down) to `to`, both included; -1 if none.
int FindPeakUpward(std::span<const double> s, int from, int to);
int FindPeakDownward(std::span<const double> s, int from, int to);

// b / i for the first ratio i / j (i = 2..7, j = 1..i-1) within 0.05 of b / a; else -1.
double HarmonicRatio(double a, double b);

// The estimate in Hz for a spectrum of fftSize / 2 bins at sampleRate, searching the bins of
// the frequencies lowHz (key 0) to highHz (key 87).
double EstimateFundamental(
    std::span<const double> s, double lowHz, double highHz, int fftSize, int sampleRate);

}  // namespace tonavise
