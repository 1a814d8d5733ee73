#include "engine/dsp/Fundamental.h"

#include <algorithm>
#include <cmath>

namespace tonavise {

int FindMaximum(std::span<const double> s, int from, int to) {
    int r = from;
    for (int a = from; a <= to; ++a) {
        if (s[r] < s[a]) {
            r = a;
        }
    }
    return r;
}

bool IsPeak(std::span<const double> s, int a) {
    if (a < 5 || static_cast<std::size_t>(a) + 5 >= s.size()) {
        return false;
    }
    return s[a] > 50 && s[a] > 4 * s[a + 5] && s[a] > 4 * s[a - 5];
}

int FindPeakUpward(std::span<const double> s, int from, int to) {
    for (int a = from; a <= to; ++a) {
        if (IsPeak(s, a)) {
            return a;
        }
    }
    return -1;
}

int FindPeakDownward(std::span<const double> s, int from, int to) {
    for (int a = from; a >= to; --a) {
        if (IsPeak(s, a)) {
            return a;
        }
    }
    return -1;
}

double HarmonicRatio(double a, double b) {
    const double q = b / a;
    for (int i = 2; i <= 7; ++i) {
        for (int j = 1; j < i; ++j) {
            if (std::fabs(static_cast<double>(i) / j - q) < 0.05) {
                return b / i;
            }
        }
    }
    return -1;
}

double EstimateFundamental(
    std::span<const double> s, double lowHz, double highHz, int fftSize, int sampleRate) {
    const int last = static_cast<int>(s.size()) - 1;
    // The key range never leaves the spectrum, whatever A4 was set to.
    const int lo = std::clamp(static_cast<int>(lowHz * fftSize / sampleRate), 0, last);
    const int hi = std::clamp(static_cast<int>(highHz * fftSize / sampleRate), lo, last);

    const int e = FindMaximum(s, lo, hi);
    const int up = FindPeakUpward(s, e + 5, hi);
    const int down = FindPeakDownward(s, e - 5, lo);

    double h = e;
    if (down != -1) {
        const double r = HarmonicRatio(down, e);
        if (r > 0) {
            h = r;
        }
    }
    if (up != -1) {
        double r = HarmonicRatio(h, up);
        if (r > 0) {
            h = r;
        }
        const int up2 = FindPeakUpward(s, up + 5, hi);
        if (up2 > 0) {
            r = HarmonicRatio(h, up2);
            if (r > 0) {
                h = r;
            }
            const int up3 = FindPeakUpward(s, up2 + 5, hi);
            if (up3 > 0) {
                r = HarmonicRatio(h, up3);
                if (r > 0) {
                    h = r;
                }
            }
        }
    }
    return h * sampleRate / fftSize;
}

}  // namespace tonavise
