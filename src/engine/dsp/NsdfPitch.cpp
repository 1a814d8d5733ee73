#include "engine/dsp/NsdfPitch.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <numbers>

#include "engine/core/AudioFormat.h"

namespace tonavise {

namespace {

using Complex = std::complex<double>;

constexpr double kRate = kSampleRate;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

// Four-term Blackman-Harris window, applied in the frequency domain. Its sidelobes lie below
// -92 dB, so a partial's frequency is not pulled by a neighbour even 30 dB stronger once the
// neighbour is ten bins away (the frames are chosen so that partials are).
constexpr double kA0 = 0.35875;
constexpr double kA1 = 0.48829;
constexpr double kA2 = 0.14128;
constexpr double kA3 = 0.01168;

// Fundamentals up to 50 cents beyond the lowest and highest key are still named.
const double kRangeMargin = std::exp2(50.0 / 1200.0);
// A key maximum of the NSDF counts as the period when it reaches this share of the highest one:
// the first such maximum wins, so a period is preferred to its multiples.
constexpr double kKeyMaximumShare = 0.9;
// A partial counts as present from this share of the strongest of the first partials (-26 dB).
constexpr double kPartialShare = 0.05;
// Partials below this share of the strongest are taken as absent (-30 dB).
constexpr double kAbsentShare = 0.03;
// In a frame cut short, the fundamental or the second partial must reach this share of the
// strongest (-14 dB): every instrument's note has one of them, a period two to eight times a
// note's own has neither.
constexpr double kLowPartialShare = 0.2;
constexpr int kLowPartials = 2;
// Partials looked at for the octave checks.
constexpr int kPartialCount = 8;
// How close to its place a partial must lie to count in the octave checks.
constexpr double kCloseCents = 20.0;
constexpr double kCloseBelowHz = 10000.0;
// The refinement uses the lowest present partial among the first four.
constexpr int kRefinePartials = 4;
// Below this RMS (in 16-bit units) the frame is silence.
constexpr double kMinRms = 1.0;
constexpr int kMaxKeyMaxima = 256;

// The spectrum of one frame of `length` samples from a transform of fft.size() points (the
// frame zero-padded), windowed in the frequency domain: multiplying the frame by cos(q 2 pi n /
// length) shifts its spectrum by q x shift bins. Knowing the frame's first sample and the sample
// after it, the spectrum of the frame one sample later follows exactly, and with it each
// partial's phase advance over one sample: its frequency, free of the bias that interpolating
// between bins has.
class FrameSpectrum {
  public:
    FrameSpectrum(Fft& fft, int length, double first, double next)
        : re_(fft.re().data()),
          im_(fft.im().data()),
          size_(fft.size()),
          length_(length),
          shift_(fft.size() / length),
          first_(first),
          next_(next) {}

    double BinHz() const { return kRate / size_; }

    // The frequency in Hz of the partial whose peak lies at bin k.
    double Frequency(int k) const {
        const Complex advance = Windowed(k, true) * std::conj(Windowed(k, false));
        return std::arg(advance) * kRate / kTwoPi;
    }

    struct Peak {
        int bin = -1;
        double magnitude = 0.0;
    };

    // The highest local maximum of the magnitude within 50 cents (at least 1.5 bins) of hz; none
    // when the range holds only the flank of a peak outside it.
    Peak PeakNear(double hz, double cents = 50.0) const {
        Peak best;
        const double tolerance = std::max(1.5 * BinHz(), hz * (std::exp2(cents / 1200.0) - 1.0));
        const int from = std::max(2, static_cast<int>(std::floor((hz - tolerance) / BinHz())));
        const int to =
            std::min(size_ / 2 - 2, static_cast<int>(std::ceil((hz + tolerance) / BinHz())));
        if (from > to) {
            return best;
        }
        // Compared as squares: the square roots only for the one peak kept.
        double below = WindowedNorm(from - 1);
        double here = WindowedNorm(from);
        double bestSquare = 0.0;
        for (int k = from; k <= to; ++k) {
            const double above = WindowedNorm(k + 1);
            if (here > below && here > above && here > bestSquare) {
                best.bin = k;
                bestSquare = here;
            }
            below = here;
            here = above;
        }
        best.magnitude = std::sqrt(bestSquare);
        return best;
    }

  private:
    // std::norm(Windowed(k, false)), the taps read straight from the transform where none
    // wraps around its ends (every bin but a few at 0 Hz): the peak searches read hundreds of
    // bins per estimate.
    double WindowedNorm(int k) const {
        const int s = shift_;
        if (k - 3 * s < 0 || k + 3 * s >= size_) {
            return std::norm(Windowed(k, false));
        }
        const auto part = [k, s](const double* x) {
            return kA0 * x[k] - 0.5 * kA1 * (x[k - s] + x[k + s]) +
                   0.5 * kA2 * (x[k - 2 * s] + x[k + 2 * s]) -
                   0.5 * kA3 * (x[k - 3 * s] + x[k + 3 * s]);
        };
        const double re = part(re_);
        const double im = part(im_);
        return re * re + im * im;
    }

    Complex Raw(int k) const {
        k += k < 0 ? size_ : (k >= size_ ? -size_ : 0);  // the taps reach a few bins past the ends
        return {re_[k], im_[k]};
    }

    // Bin k of the frame one sample later: drop the first sample, add the next, advance phase.
    Complex Later(int k) const {
        const int m = k + (k < 0 ? size_ : (k >= size_ ? -size_ : 0));
        // The transforms' sizes are powers of two.
        const double wrap = static_cast<double>((static_cast<int64_t>(m) * length_) & (size_ - 1));
        const Complex added = next_ * std::polar(1.0, -kTwoPi * wrap / size_);
        return std::polar(1.0, kTwoPi * m / size_) * (Raw(k) - first_ + added);
    }

    Complex Tap(int k, bool later) const { return later ? Later(k) : Raw(k); }

    Complex Windowed(int k, bool later) const {
        const int s = shift_;
        return kA0 * Tap(k, later) - 0.5 * kA1 * (Tap(k - s, later) + Tap(k + s, later)) +
               0.5 * kA2 * (Tap(k - 2 * s, later) + Tap(k + 2 * s, later)) -
               0.5 * kA3 * (Tap(k - 3 * s, later) + Tap(k + 3 * s, later));
    }

    const double* re_;
    const double* im_;
    int size_;
    int length_;
    int shift_;
    double first_;
    double next_;
};

// The sum of term(0) .. term(count - 1) in four running sums: one sum waits for each addition
// before the next, four keep the processor's adders busy and let the compiler use vector
// registers. (The order of the additions changes the last bits, which no reading depends on.)
template <class Term>
double FourLaneSum(int count, Term term) {
    double s0 = 0.0;
    double s1 = 0.0;
    double s2 = 0.0;
    double s3 = 0.0;
    int n = 0;
    for (; n + 4 <= count; n += 4) {
        s0 += term(n);
        s1 += term(n + 1);
        s2 += term(n + 2);
        s3 += term(n + 3);
    }
    for (; n < count; ++n) {
        s0 += term(n);
    }
    return (s0 + s1) + (s2 + s3);
}

double Dot(const double* a, const double* b, int count) {
    return FourLaneSum(count, [a, b](int n) { return a[n] * b[n]; });
}

double Sum(const double* a, int count) {
    return FourLaneSum(count, [a](int n) { return a[n]; });
}

// Magnitudes of the first kPartialCount partials of f (0 where absent or above 0.45 x rate).
using Partials = std::array<double, kPartialCount + 1>;  // index 1..kPartialCount

double StrongestPartial(const FrameSpectrum& spectrum, double f, Partials& a) {
    a.fill(0.0);
    double strongest = 0.0;
    for (int j = 1; j <= kPartialCount && j * f < 0.45 * kRate; ++j) {
        a[j] = spectrum.PeakNear(j * f).magnitude;
        strongest = std::max(strongest, a[j]);
    }
    return strongest;
}

}  // namespace

NsdfPitchEstimator::NsdfPitchEstimator() = default;
NsdfPitchEstimator::~NsdfPitchEstimator() = default;

bool NsdfPitchEstimator::Init() {
    if (ready_) {
        return true;
    }
    try {
        input_.assign(kInputLength, 0.0);
        frame_.assign(kInputLength, 0.0);
        nsdf_.assign(kShortFrame / 2 + 2, 0.0);
        shiftedRe_.assign(kLongFrame / 2, 0.0);
        shiftedIm_.assign(kLongFrame / 2, 0.0);
        power_.assign(kLongFrame, 0.0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    ready_ = shortFft_.Init(2 * kShortFrame) && workFft_.Init(kLongFrame) &&
             frameFft_[0].Init(2 * kMinFrame) && nsdfFft_[0].Init(2 * kMinFrame) &&
             frameFft_[1].Init(4 * kMinFrame) && nsdfFft_[1].Init(4 * kMinFrame);
    return ready_;
}

void NsdfPitchEstimator::LoadMono(std::span<const int16_t> history, int newest) {
    if (!ready_) {
        return;
    }
    const std::size_t n = std::min<std::size_t>(history.size(), kInputLength);
    if (newest < kInputLength && n >= static_cast<std::size_t>(std::max(newest, 0))) {
        const int16_t* src = history.data() + (history.size() - newest);
        std::copy_n(src, newest, input_.end() - newest);
        return;
    }
    const std::size_t pad = kInputLength - n;
    std::fill_n(input_.begin(), pad, 0.0);
    const int16_t* src = history.data() + (history.size() - n);
    for (std::size_t i = 0; i < n; ++i) {
        input_[pad + i] = src[i];
    }
}

void NsdfPitchEstimator::LoadStereo(std::span<const int16_t> left, std::span<const int16_t> right) {
    if (!ready_) {
        return;
    }
    const std::size_t n =
        std::min({left.size(), right.size(), static_cast<std::size_t>(kInputLength)});
    const std::size_t pad = kInputLength - n;
    std::fill_n(input_.begin(), pad, 0.0);
    const int16_t* l = left.data() + (left.size() - n);
    const int16_t* r = right.data() + (right.size() - n);
    for (std::size_t i = 0; i < n; ++i) {
        input_[pad + i] = 0.5 * (l[i] + r[i]);
    }
}

double NsdfPitchEstimator::TransformFrame(Fft& fft, int length) {
    const double energy = PrepareFrame(length);
    fft.LoadReal(std::span<const double>(frame_.data(), static_cast<std::size_t>(length)));
    fft.Transform();
    return energy;
}

double NsdfPitchEstimator::PrepareFrame(int length) {
    const int start = kInputLength - length - 1;
    const double mean = Sum(input_.data() + start, length + 1) / (length + 1);
    for (int i = 0; i <= length; ++i) {
        frame_[i] = input_[start + i] - mean;
    }
    return Dot(frame_.data(), frame_.data(), length);
}

void NsdfPitchEstimator::ComputeNsdf(
    Fft& spectrum, Fft& work, double energy, int length, int maxLag) {
    // The autocorrelation is the transform of the power spectrum; the frame is padded to
    // twice its length, so the circular correlation equals the linear one at every lag used.
    const double* xr = spectrum.re().data();
    const double* xi = spectrum.im().data();
    const int size = work.size();
    for (int k = 0; k < size; ++k) {
        power_[k] = xr[k] * xr[k] + xi[k] * xi[k];
    }
    work.LoadReal(std::span<const double>(power_.data(), static_cast<std::size_t>(size)));
    work.Transform();
    const std::span<const double> r = work.re();
    const double scale = 1.0 / size;
    // m(tau): the energy of the two overlapping parts compared at lag tau.
    double m = 2.0 * energy;
    for (int tau = 0; tau <= maxLag + 1; ++tau) {
        const double n = m > 1e-9 ? 2.0 * r[tau] * scale / m : 0.0;
        nsdf_[tau] = std::clamp(n, -1.0, 1.0);
        const double a = frame_[length - 1 - tau];
        const double b = frame_[tau];
        m -= a * a + b * b;
    }
}

double NsdfPitchEstimator::FollowPartial(double hz, double f0, int length, double* share) {
    // Windows long enough to keep the neighbouring partials (f0 apart) out of the Hann window's
    // main lobe, half overlapped: consecutive phases then differ by less than half a turn for
    // any deviation up to f0 / 8 from hz.
    const int window = std::clamp(static_cast<int>(std::ceil(8.0 * kRate / f0)), 16, length / 2);
    const int hop = window / 2;
    if (share != nullptr) {
        *share = 0.0;
    }
    if (length - window < hop) {
        return hz;
    }
    // Each window's sum of the frame shifted down by hz, where the partial turns slowly and
    // everything else fast: the shift by e^(-i step (start + n)) is e^(-i step start) times the
    // window's own e^(-i step n), so the window and its shift are one table, and each window is
    // a real frame against that complex table. The table's rotations by products (plain
    // arithmetic on the parts: std::complex's product guards against infinities that cannot
    // occur here, at several times the cost) err by a few ulps, which do not matter.
    const double step = -kTwoPi * hz / kRate;
    const double hannStep = kTwoPi / window;
    const double turnRe = std::cos(step);
    const double turnIm = std::sin(step);
    const double hannTurnRe = std::cos(hannStep);
    const double hannTurnIm = std::sin(hannStep);
    double rotorRe = 1.0;
    double rotorIm = 0.0;
    double cosRe = std::cos(0.5 * hannStep);
    double cosIm = std::sin(0.5 * hannStep);
    for (int n = 0; n < window; ++n) {
        const double hann = 0.5 - 0.5 * cosRe;
        shiftedRe_[n] = hann * rotorRe;
        shiftedIm_[n] = hann * rotorIm;
        double re = rotorRe * turnRe - rotorIm * turnIm;
        rotorIm = rotorRe * turnIm + rotorIm * turnRe;
        rotorRe = re;
        re = cosRe * hannTurnRe - cosIm * hannTurnIm;
        cosIm = cosRe * hannTurnIm + cosIm * hannTurnRe;
        cosRe = re;
    }
    // Phase steps between consecutive windows, weighted by the partial's strength in both.
    Complex previous;
    double turned = 0.0;
    double weight = 0.0;
    double magnitudes = 0.0;
    int windows = 0;
    const double* wr = shiftedRe_.data();
    const double* wi = shiftedIm_.data();
    for (int start = 0; start + window <= length; start += hop) {
        const double* x = frame_.data() + start;
        const Complex z =
            Complex(Dot(wr, x, window), Dot(wi, x, window)) * std::polar(1.0, step * start);
        magnitudes += std::abs(z);
        ++windows;
        if (start > 0) {
            const double w = std::abs(z) * std::abs(previous);
            turned += w * std::arg(z * std::conj(previous));
            weight += w;
        }
        previous = z;
    }
    if (share != nullptr) {
        // A partial of amplitude A gives |z| = A x window / 4 in each window, and a power of
        // A^2 / 2 beside the frame's mean square.
        const double squares = Dot(frame_.data(), frame_.data(), length);
        const double amplitude = 4.0 * magnitudes / (windows * static_cast<double>(window));
        *share = squares > 0.0 ? 0.5 * amplitude * amplitude / (squares / length) : 0.0;
    }
    if (!(weight > 0.0)) {
        return hz;
    }
    return hz + turned / weight * kRate / (kTwoPi * hop);
}

double NsdfPitchEstimator::ClarityAt(double lag, int length) const {
    if (!ready_ || !(lag >= 1.0)) {
        return -1.0;
    }
    length = std::min(length, kInputLength);
    const int whole = static_cast<int>(lag);
    // x[n] against x[n + tau] over the newest `length` samples, their mean m removed:
    // sum (a - m)(b - m) = sum ab - m (sum a + sum b) + count m^2, and alike for the squares.
    // The samples are whole numbers, so the sums of their products are exact.
    const double* x = input_.data() + (kInputLength - length);
    const double mean = Sum(x, length) / length;
    double best = -1.0;
    for (int tau = whole; tau <= whole + 1 && tau < length; ++tau) {
        const int count = length - tau;
        const double sums = Sum(x, count) + Sum(x + tau, count);
        const double cross = Dot(x, x + tau, count) - mean * sums + count * mean * mean;
        const double squares = Dot(x, x, count) + Dot(x + tau, x + tau, count) - 2.0 * mean * sums +
                               2.0 * count * mean * mean;
        if (squares > 0.0) {
            best = std::max(best, 2.0 * cross / squares);
        }
    }
    return best;
}

PitchEstimate NsdfPitchEstimator::Estimate(double lowHz, double highHz, int usable) {
    PitchEstimate none;
    held_ = Held{};
    if (!ready_ || !(lowHz > 0.0) || !(highHz > lowHz) || !std::isfinite(highHz) ||
        usable < kMinFrame + 1) {
        return none;
    }
    // The longest frame within the usable samples, with its pair of transforms.
    const int length = ShortFrameFor(usable);
    const int size = length / kMinFrame;  // 1, 2 or 4
    Fft* frameFft = size == 4 ? &shortFft_ : &frameFft_[size - 1];
    Fft* nsdfFft = size == 4 ? &workFft_ : &nsdfFft_[size - 1];
    const bool longAllowed = usable >= kInputLength;
    const double lowest = lowHz / kRangeMargin;
    const double highest = std::min(highHz * kRangeMargin, 0.45 * kRate);
    const int maxLag = std::min(length / 2, static_cast<int>(std::ceil(kRate / lowest)) + 1);

    const double energy = TransformFrame(*frameFft, length);
    if (energy < length * kMinRms * kMinRms) {
        return none;
    }
    const FrameSpectrum shortSpectrum(*frameFft, length, frame_[0], frame_[length]);
    ComputeNsdf(*frameFft, *nsdfFft, energy, length, maxLag);

    // Key maxima: the highest point of each positive lobe after the first negative one.
    struct KeyMaximum {
        double lag;
        double value;
    };
    std::array<KeyMaximum, kMaxKeyMaxima> maxima{};
    int count = 0;
    double highestValue = 0.0;
    int tau = 1;
    while (tau <= maxLag && nsdf_[tau] > 0.0) {
        ++tau;
    }
    int best = -1;
    for (; tau <= maxLag && count < kMaxKeyMaxima; ++tau) {
        if (nsdf_[tau] > 0.0) {
            if (best < 0 || nsdf_[tau] > nsdf_[best]) {
                best = tau;
            }
        }
        const bool lobeEnds = nsdf_[tau] <= 0.0 || tau == maxLag;
        if (best >= 0 && lobeEnds) {
            if (best < maxLag) {
                // Parabola through the maximum and its neighbours.
                const double a = nsdf_[best - 1];
                const double c = nsdf_[best];
                const double d = nsdf_[best + 1];
                const double curve = a - 2.0 * c + d;
                double shift = curve < 0.0 ? std::clamp(0.5 * (a - d) / curve, -0.5, 0.5) : 0.0;
                const double value = std::min(1.0, c - 0.25 * (a - d) * shift);
                maxima[count++] = {best + shift, value};
                highestValue = std::max(highestValue, value);
            }
            best = -1;
        }
    }
    if (count == 0) {
        return none;
    }
    const KeyMaximum* period = nullptr;
    for (int i = 0; i < count; ++i) {
        if (maxima[i].value >= kKeyMaximumShare * highestValue) {
            period = &maxima[i];
            break;
        }
    }
    PitchEstimate result;
    result.clarity = std::clamp(period->value, 0.0, 1.0);
    if (result.clarity < kMinClarity) {
        return result;
    }
    double lag = period->lag;
    double f = kRate / lag;

    // Octave and harmonic checks on the partials. Notes below A2 are looked at on the long
    // frame, where their partials stand ten bins apart or more.
    const FrameSpectrum* spectrum = &shortSpectrum;
    FrameSpectrum longSpectrum = shortSpectrum;
    bool longFrame = false;
    const auto useLongFrame = [&] {
        if (!longFrame && longAllowed) {
            TransformFrame(workFft_, kLongFrame);
            longSpectrum = FrameSpectrum(workFft_, kLongFrame, frame_[0], frame_[kLongFrame]);
            spectrum = &longSpectrum;
            longFrame = true;
        }
    };
    if (f < kLongFrameBelowHz) {
        useLongFrame();
    }
    Partials a{};
    double strongest = StrongestPartial(*spectrum, f, a);
    if (strongest <= 0.0) {
        return result;
    }
    // A period taken twice or three times too long: every partial that is not a multiple of m
    // is missing, so the sound repeats m times faster.
    for (int m = 2; m <= 3; ++m) {
        if (f * m > highest) {
            break;
        }
        // Only partials close to their place and below 10 kHz count here: the aliases of a tone
        // that is not band-limited (a square wave made sample by sample) scatter over the
        // spectrum, most densely at the top.
        double between = 0.0;
        for (int j = 1; j <= kPartialCount && j * f < kCloseBelowHz; ++j) {
            if (j % m != 0) {
                between = std::max(between, spectrum->PeakNear(j * f, kCloseCents).magnitude);
            }
        }
        if (between < kAbsentShare * strongest) {
            f *= m;
            lag /= m;
            strongest = StrongestPartial(*spectrum, f, a);
            break;
        }
    }
    // A period taken for a half or a third of the true one, as with a weak fundamental under a
    // strong second harmonic: the spectrum has clear partials between those of f, and the sound
    // repeats at the longer period too.
    for (int m = 2; m <= 3; ++m) {
        if (f / m < lowest || std::lround(m * lag) > maxLag) {
            continue;
        }
        double between = 0.0;
        for (int j = 1; j < 2 * m && j * f / m < kCloseBelowHz; ++j) {
            if (j % m != 0) {
                between = std::max(between, spectrum->PeakNear(j * f / m, kCloseCents).magnitude);
            }
        }
        if (between >= kPartialShare * strongest && nsdf_[std::lround(m * lag)] >= kMinClarity) {
            f /= m;
            lag *= m;
            if (f < kLongFrameBelowHz) {
                useLongFrame();
            }
            strongest = StrongestPartial(*spectrum, f, a);
            break;
        }
    }

    // Refinement: the lowest clearly present partial, first by its phase advance over one
    // sample at the peak (exact for a steady tone, but the window weights the frame's middle),
    // then by following its phase through the whole frame, which gives the frame's mean: the
    // centre of a vibrato or of an ensemble's spread, not where the vibrato was at mid-frame.
    // A frame cut short to a note just begun may hold the end of the note before as well: two
    // notes sounding together repeat at a common period far below both (E5 with F♯5 at E2), and
    // the attack of a note can repeat at a multiple of its period; in both, the lowest partials
    // of the long period are missing, and its octave checks cannot tell (the short frame's wide
    // window leaks about -20 dB between partials). Such a fundamental is no pitch.
    if (!longAllowed) {
        bool low = false;
        for (int j = 1; j <= kLowPartials; ++j) {
            low = low || (a[j] >= kLowPartialShare * strongest && a[j] > 0.0);
        }
        if (!low) {
            return result;
        }
    }
    for (int j = 1; j <= kRefinePartials; ++j) {
        if (a[j] >= kPartialShare * strongest && a[j] > 0.0) {
            const FrameSpectrum::Peak peak = spectrum->PeakNear(j * f);
            if (peak.bin < 0) {
                break;
            }
            const double partial = spectrum->Frequency(peak.bin);
            if (!(partial > j * f / kRangeMargin && partial < j * f * kRangeMargin)) {
                break;
            }
            const int followed = longFrame ? kLongFrame : length;
            double share = 0.0;
            const double mean = FollowPartial(partial, f, followed, &share) / j;
            if (mean > f / kRangeMargin && mean < f * kRangeMargin) {
                f = mean;
                if (share > 0.0) {
                    held_ = Held{f, j, followed, length, longAllowed, share, result.clarity};
                }
            }
            break;
        }
    }
    if (!std::isfinite(f) || f < lowest || f > highest) {
        held_ = Held{};
        return result;
    }
    result.hz = f;
    result.hasPitch = true;
    return result;
}

int NsdfPitchEstimator::ShortFrameFor(int usable) {
    int length = kShortFrame;
    while (length > kMinFrame && usable < length + 1) {
        length /= 2;
    }
    return length;
}

PitchEstimate NsdfPitchEstimator::EstimateHeld(int usable) {
    // The partial's share may waver with a vibrato or a bow's pressure; below 70 % of what it
    // was, the sound is no longer the note the full estimate measured (a new note that has
    // filled a sixth of the frame brings it there).
    constexpr double kKeptShare = 0.7;
    PitchEstimate none;
    if (!ready_ || held_.partial == 0 || usable < kMinFrame + 1 ||
        ShortFrameFor(usable) != held_.shortFrame || (usable >= kInputLength) != held_.whole) {
        return none;
    }
    const double energy = PrepareFrame(held_.length);
    if (energy < held_.length * kMinRms * kMinRms) {
        held_ = Held{};
        return none;
    }
    const int j = held_.partial;
    double share = 0.0;
    const double f = FollowPartial(j * held_.hz, held_.hz, held_.length, &share) / j;
    if (!(share >= kKeptShare * held_.share) || !(f > held_.hz / kRangeMargin) ||
        !(f < held_.hz * kRangeMargin)) {
        held_ = Held{};
        return none;
    }
    held_.hz = f;
    PitchEstimate result;
    result.hz = f;
    result.clarity = held_.clarity;
    result.hasPitch = true;
    return result;
}

}  // namespace tonavise
