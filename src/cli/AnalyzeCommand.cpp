#include <cstdio>
#include <optional>
#include <ostream>

#include "cli/Commands.h"
#include "cli/StreamNotifier.h"
#include "engine/audiofile/FileLoading.h"
#include "engine/core/Notifier.h"
#include "engine/dsp/Fft.h"
#include "engine/dsp/KeyTable.h"
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

}  // namespace

int RunAnalyze(const AnalyzeOptions& options, std::ostream& out, std::ostream& err) {
    const std::optional<PitchNaming> naming =
        PitchNamingOf(options.tuning, options.a4, "analyze", err);
    if (!naming) {
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
            naming->Apply(reading);
            out << field << time << PitchColumns(reading, keyTable) << '\n';
        });
    }
    return result;
}

}  // namespace tonavise::cli
