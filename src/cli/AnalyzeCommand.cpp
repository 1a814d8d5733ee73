#include <cmath>
#include <cstdio>
#include <optional>
#include <ostream>
#include <string>
#include <utility>

#include "cli/Commands.h"
#include "cli/StreamNotifier.h"
#include "engine/audiofile/FileLoading.h"
#include "engine/core/AudioFormat.h"
#include "engine/core/Notifier.h"
#include "engine/dsp/Fft.h"
#include "engine/dsp/KeyTable.h"
#include "engine/dsp/PitchSeries.h"
#include "engine/live/CaptureStore.h"
#include "engine/live/ClipAnalysis.h"
#include "engine/live/PitchReading.h"

namespace tonavise::cli {

namespace {

// Commas and quotes in a path would break the row: quote the field as CSV does.
std::string CsvField(const std::string& s) {
    if (s.find_first_of(",\"\n") == std::string::npos) {
        return s;
    }
    std::string q = "\"";
    for (char c : s) {
        q += c;
        if (c == '"') {
            q += '"';
        }
    }
    return q + "\"";
}

// Prints one row per reading of the chosen series; time_s is the end of the newest sound used.
class SeriesRows final : public PitchSeries::Sink {
  public:
    SeriesRows(std::string field,
               bool instant,
               const KeyTable& keyTable,
               const PitchNaming& naming,
               std::ostream& out)
        : field_(std::move(field)),
          instant_(instant),
          keyTable_(keyTable),
          naming_(naming),
          out_(out) {}

    void OnInstant(const SeriesReading& r) override {
        if (instant_) {
            Print(r);
        }
    }
    void OnSteady(const SeriesReading& r) override {
        if (!instant_) {
            Print(r);
        }
    }

  private:
    void Print(const SeriesReading& r) {
        SpectrumFrame frame{};
        frame.pitchMethod = kPitchMethodPrecise;
        frame.precise = r.estimate;
        PitchReading reading = ReadPitch(frame, keyTable_);
        naming_.Apply(reading);
        char time[32];
        std::snprintf(time, sizeof time, ",%.3f,", static_cast<double>(r.endSample) / kSampleRate);
        out_ << field_ << time << PitchColumns(reading, keyTable_) << '\n';
    }

    std::string field_;
    bool instant_;
    const KeyTable& keyTable_;
    const PitchNaming& naming_;
    std::ostream& out_;
};

}  // namespace

int RunAnalyze(const AnalyzeOptions& options, std::ostream& out, std::ostream& err) {
    const std::optional<PitchNaming> naming =
        PitchNamingOf(options.tuning, options.a4, "analyze", err);
    if (!naming) {
        return 2;
    }
    const bool series = options.hop > 0.0 || !options.series.empty();
    if (series && options.method != "precise") {
        err << "tonavise-cli: analyze: --hop and --series read the precise estimate: add --method "
               "precise\n";
        return 2;
    }
    KeyTable keyTable;
    keyTable.SetA4(options.a4);
    keyTable.logarithmOption.store(options.logarithmic ? 1 : 0);
    keyTable.pitchMethod.store(options.method == "precise" ? kPitchMethodPrecise
                                                           : kPitchMethodStandard);
    Fft fft;
    if (!fft.Init(kFftSize)) {
        err << "tonavise-cli: " << kMemoryNotEnough << '\n';
        return 1;
    }
    out << "file,time_s,f0_hz,key,name,cents\n";
    int result = 0;
    for (const std::string& file : options.files) {
        LoadedClip clip;
        if (!LoadNamedFile(file, clip, err)) {
            result = 1;
            continue;
        }
        if (series) {
            const int hop = options.hop > 0.0
                                ? static_cast<int>(std::lround(options.hop * kSampleRate))
                                : PitchSeries::kSteadyHop;
            PitchSeries readings(hop);
            readings.SetRange(
                keyTable.KeyFrequency(0), keyTable.KeyFrequency(kKeyCount - 1), keyTable.GetA4());
            SeriesRows rows(CsvField(file), options.series == "instant", keyTable, *naming, out);
            if (!StreamClipThroughSeries(clip, readings, rows)) {
                err << "tonavise-cli: " << kMemoryNotEnough << '\n';
                return 1;
            }
            continue;
        }
        CaptureStore store;
        store.Create();
        store.scopeMode.store(kScopePitch);
        const std::string field = CsvField(file);
        AnalyzeClip(clip, store, fft, keyTable, [&](const BlockPitch& row) {
            char time[32];
            std::snprintf(time, sizeof time, ",%.1f,", row.timeSeconds);
            PitchReading reading = ReadPitch(store.spectrum.latest(), keyTable);
            naming->Apply(reading);
            out << field << time << PitchColumns(reading, keyTable) << '\n';
        });
    }
    return result;
}

}  // namespace tonavise::cli
