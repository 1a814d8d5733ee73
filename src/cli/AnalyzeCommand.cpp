#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <ostream>

#include "cli/Commands.h"
#include "cli/StreamNotifier.h"
#include "engine/audiofile/FileLoading.h"
#include "engine/core/Notifier.h"
#include "engine/dsp/Fft.h"
#include "engine/dsp/KeyTable.h"
#include "engine/dsp/Temperament.h"
#include "engine/dsp/Transposition.h"
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

std::optional<Tuning> TuningOf(const AnalyzeOptions& options, std::ostream& err) {
    const std::optional<int> tonic = PitchClassOfName(options.tonic);
    if (!tonic) {
        err << "tonavise-cli analyze: --tonic " << options.tonic
            << ": a note name such as C, F# or Bb was expected\n";
        return std::nullopt;
    }
    std::optional<Temperament> temperament;
    const std::string& name = options.temperament;
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".scl") == 0) {
        std::ifstream in(name, std::ios::binary);
        if (!in) {
            err << "tonavise-cli analyze: " << name << ": the file cannot be read\n";
            return std::nullopt;
        }
        const std::string text((std::istreambuf_iterator<char>(in)), {});
        ScalaParse parsed = ParseScala(text);
        if (!parsed.scale) {
            err << "tonavise-cli analyze: " << name << ": " << parsed.error << '\n';
            return std::nullopt;
        }
        temperament = std::move(parsed.scale);
    } else {
        temperament = BuiltInTemperament(name);
        if (!temperament) {
            err << "tonavise-cli analyze: --temperament " << name << ": not one of";
            for (std::string_view n : BuiltInTemperamentNames()) {
                err << ' ' << n;
            }
            err << ", nor a .scl file\n";
            return std::nullopt;
        }
    }
    return Tuning(std::move(*temperament),
                  *tonic,
                  options.a4,
                  options.keepA ? TuningAnchor::A4 : TuningAnchor::Tonic);
}

}  // namespace

int RunAnalyze(const AnalyzeOptions& options, std::ostream& out, std::ostream& err) {
    const std::optional<Tuning> tuning = TuningOf(options, err);
    const std::optional<TransposingInstrument> written =
        TransposingInstrumentNamed(options.written);
    if (!written) {
        err << "tonavise-cli analyze: --written " << options.written << ": not one of";
        for (const TransposingInstrument& t : TransposingInstruments()) {
            err << ' ' << t.name;
        }
        err << '\n';
    }
    if (!tuning || !written) {
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
        CaptureStore store;
        store.Create();
        store.scopeMode.store(kScopePitch);
        const std::string field = CsvField(file);
        AnalyzeClip(clip, store, fft, keyTable, [&](const BlockPitch& row) {
            char time[32];
            std::snprintf(time, sizeof time, ",%.1f,", row.timeSeconds);
            PitchReading reading = ReadPitch(store.spectrum.latest(), keyTable);
            MeasureAgainst(reading, *tuning);
            NameWritten(reading, written->sounds);
            out << field << time << PitchColumns(reading, keyTable) << '\n';
        });
    }
    return result;
}

}  // namespace tonavise::cli
