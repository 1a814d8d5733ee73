// track: the pitch track of a sound file, drawn by the program's own pitch-track renderer.
#include <QGuiApplication>
#include <QImage>
#include <cmath>
#include <fstream>
#include <ostream>
#include <vector>

#include "cli/Commands.h"
#include "cli/StreamNotifier.h"
#include "engine/audiofile/FileLoading.h"
#include "engine/core/Notifier.h"
#include "engine/dsp/Fft.h"
#include "engine/dsp/KeyTable.h"
#include "engine/live/CaptureStore.h"
#include "engine/live/ClipAnalysis.h"
#include "engine/live/PitchReading.h"
#include "render/PitchTrack.h"

namespace tonavise::cli {

int RunTrack(const TrackOptions& options, std::ostream& err) {
    const auto fail = [&](const char* text) {
        err << "tonavise-cli track: " << text << '\n';
        return 2;
    };
    const auto key = ParseKeyOption(options.key);
    if (!key) {
        return fail("--key must be 0..12 or one of C, Db, D, bE, E, F, #F/bG, G, bA, A, bB, B");
    }
    const auto notation = ParseNotationOption(options.notation);
    if (!notation) {
        return fail("--notation must be 0..3 or numbered, solmisation, small, capital");
    }
    const std::optional<PitchNaming> naming =
        PitchNamingOf(options.tuning, options.a4, "track", err);
    if (!naming) {
        return 2;
    }
    if (options.width < 320 || options.width > 8000 || options.height < 160 ||
        options.height > 8000) {
        return fail("--width must be 320..8000 and --height 160..8000 pixels");
    }
    if (!(options.from >= 0) || (options.to >= 0 && !(options.to > options.from))) {
        return fail("--from must be 0 or more and --to after it");
    }

    KeyTable keyTable;
    keyTable.SetA4(options.a4);
    keyTable.pitchMethod.store(options.method == "precise" ? kPitchMethodPrecise
                                                           : kPitchMethodStandard);
    LoadedClip clip;
    if (!LoadNamedFile(options.file, clip, err)) {
        return 1;
    }
    const double length = static_cast<double>(ClipBlockCount(clip)) * 0.1;
    const double to = options.to < 0 ? length : std::min(options.to, length);
    if (!(to > options.from)) {
        err << options.file << ": --from " << options.from << " s is past the end (" << length
            << " s)\n";
        return 1;
    }
    Fft fft;
    if (!fft.Init(kFftSize)) {
        err << "tonavise-cli: " << kMemoryNotEnough << '\n';
        return 1;
    }

    std::ofstream csv;
    if (!options.csv.empty()) {
        csv.open(options.csv);
        if (!csv) {
            err << "tonavise-cli track: cannot write " << options.csv << '\n';
            return 1;
        }
        csv << "time_s,f0_hz,key,name,cents\n";
    }
    CaptureStore store;
    store.Create();
    store.scopeMode.store(kScopePitch);
    std::vector<TrackPoint> points;
    points.reserve(static_cast<std::size_t>((to - options.from) * 10) + 2);
    const auto lastBlock = static_cast<int64_t>(std::ceil(to * 10 - 1e-9)) - 1;
    AnalyzeClip(
        clip,
        store,
        fft,
        keyTable,
        [&](const BlockPitch& row) {
            // A block belongs to the range when its end lies in it (its time_s, as in analyze).
            if (row.timeSeconds < options.from + 0.1 - 1e-9) {
                return;
            }
            PitchReading reading = ReadPitch(store.spectrum.latest(), keyTable);
            points.push_back({row.timeSeconds, reading.hasPitch ? reading.hz : 0.0});
            if (csv.is_open()) {
                char time[32];
                std::snprintf(time, sizeof time, "%.1f,", row.timeSeconds);
                naming->Apply(reading);
                csv << time << PitchColumns(reading, keyTable) << '\n';
            }
        },
        lastBlock);
    if (csv.is_open()) {
        csv.close();
        if (!csv) {
            err << "tonavise-cli track: cannot write " << options.csv << '\n';
            return 1;
        }
    }

    const std::unique_ptr<QGuiApplication> app = OffscreenGuiApplication();
    PitchTrackView view;
    view.fromSeconds = options.from;
    view.toSeconds = to;
    view.keyIndex = *key;
    view.notationCounter = *notation;
    view.emptyNote = QStringLiteral("no pitched sound");
    KeyRangeFollower range;
    view.keys = range.Update(points, keyTable.a4Frequency.load());
    QImage picture(options.width, options.height, QImage::Format_RGB32);
    DrawPitchTrack(picture, keyTable, points, view);
    return SavePicture(picture, options.output, "track", err) ? 0 : 1;
}

}  // namespace tonavise::cli
