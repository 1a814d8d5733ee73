#include <cstdio>
#include <ostream>

#include "cli/Commands.h"
#include "cli/StreamNotifier.h"
#include "engine/CaptureStore.h"
#include "engine/ClipAnalysis.h"
#include "engine/Doreme.h"
#include "engine/Fft.h"
#include "engine/FileLoading.h"
#include "engine/Notifier.h"

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
    CDoreme doreme;
    doreme.SetA4(options.a4);
    doreme.logarithmOption.store(options.logarithmic ? 1 : 0);
    CFft fft;
    if (!fft.Init(kFftSize)) {
        err << "tonavise-cli: " << kMemoryNotEnough << '\n';
        return 1;
    }
    out << "file,time_s,f0_hz,key,name,cents\n";
    int result = 0;
    for (const std::string& file : options.files) {
        StreamNotifier notifier(err, file);
        LoadedClip clip;
        if (!LoadByPath(file, clip, notifier)) {
            if (!notifier.Shown()) {
                // The player ignores such a path silently; here the user asked for this file.
                err << file << ": not a .wav or .mp3 file\n";
            }
            result = 1;
            continue;
        }
        CaptureStore store;
        store.Create();
        store.scopeMode.store(kScopePitch);
        const std::string field = CsvField(file);
        AnalyzeClip(clip, store, fft, doreme, [&](const BlockPitch& row) {
            char line[128];
            const bool named = row.key >= 0 && row.key < kKeyCount;
            std::snprintf(line,
                          sizeof line,
                          ",%.1f,%.3f,%d,%s,%d\n",
                          row.timeSeconds,
                          row.fundamentalHz,
                          row.key,
                          named ? std::string(doreme.LongName(row.key)).c_str() : "",
                          row.cents);
            out << field << line;
        });
    }
    return result;
}

}  // namespace tonavise::cli
