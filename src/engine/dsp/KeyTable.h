// The pitch model: the reference A4, the 88-key table from A0 (key 0) to C8 (key 87) in equal
// temperament, key names, nearest key with cents, and the relative note names of the pitch scale.
// It also carries two view options that several threads read: the logarithmic display option
// and the pitch line colour of every key.
//
// Threads: the user-interface thread writes (SetA4, options, colours); the analysis and tone
// threads read key frequencies without a lock. Every shared value is an atomic, so a reader
// during a rebuild sees each key either from the old or from the new A4.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string_view>

namespace tonavise {

inline constexpr int kKeyCount = 88;
inline constexpr int kKeyA4 = 48;
inline constexpr int32_t kColorUnmarked = 7;
// The A4s a tuning may use: from a low baroque 392 Hz (and below) to a high 466 Hz (and above).
inline constexpr double kMinA4 = 390.0;
inline constexpr double kMaxA4 = 480.0;

// Which fundamental estimate names the pitch (the "PitchMethod" setting).
inline constexpr int32_t kPitchMethodStandard = 0;  // peaks of the spectrum and their ratios
inline constexpr int32_t kPitchMethodPrecise = 1;   // NsdfPitchEstimator, beside the standard one

// The interval from b up to a in cents (negative when a is lower).
double Cents(double a, double b);

// Relative note names of the pitch scale: four notations (numbered, solmisation, small letters,
// capital letters) by twelve pitch classes counted from degree "6"/"la"; ":" marks a black key.
extern const std::array<std::array<std::string_view, 12>, 4> relativeNoteNames;

// The relative name of key k in the given notation counter (taken mod 4) and key (0..11, the
// pitch class of degree "1" counted from C).
std::string_view RelativeNoteName(int key, int notationCounter, int keyIndex);

// The nearest key with the deviation not truncated: cents in -50..+50 (exactly +50 names the
// upper key with -50).
struct NearestKeyExactResult {
    int key = 0;  // may lie outside 0..87: callers treat that as no note
    double cents = 0.0;
};

struct NearestKeyResult {
    int key = 0;    // may lie outside 0..87: callers treat that as no note
    int cents = 0;  // -50..+49 inside the table
};

class KeyTable {
  public:
    KeyTable();
    virtual ~KeyTable() = default;
    KeyTable(const KeyTable&) = delete;
    KeyTable& operator=(const KeyTable&) = delete;

    void SetA4(double hz);
    double GetA4() const { return a4Frequency.load(std::memory_order_relaxed); }
    void Rebuild();

    // Frequency of key k; k outside 0..87 is clamped to the table.
    double KeyFrequency(int k) const;
    // Names of key k; "#G0" below the table and "#C8" above it.
    std::string_view ShortName(int k) const;
    std::string_view LongName(int k) const;

    NearestKeyResult NearestKey(double hz) const;
    // For the precise estimate, whose readout shows tenths of a cent.
    NearestKeyExactResult NearestKeyExact(double hz) const;

    void SaveColors();
    void RestoreColors();

    std::atomic<double> a4Frequency{440.0};
    std::atomic<int32_t> logarithmOption{0};
    // kPitchMethodStandard or kPitchMethodPrecise; read by the analysis at every pass.
    std::atomic<int32_t> pitchMethod{kPitchMethodStandard};
    std::array<std::atomic<int32_t>, kKeyCount> pitchLineColors;
    std::array<int32_t, kKeyCount> pitchLineBackup{};  // user-interface thread only

  private:
    std::array<std::atomic<double>, kKeyCount> frequency_;
};

}  // namespace tonavise
