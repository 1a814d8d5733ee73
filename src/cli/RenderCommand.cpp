#include <QGuiApplication>
#include <QImage>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
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
#include "render/ScopeRenderer.h"
#include "render/WaveTrigger.h"

namespace tonavise::cli {

namespace {

// The key names of the "Select Key" menu, by keyIndex.
constexpr std::array<std::string_view, 12> kKeyNames = {
    "C", "Db", "D", "bE", "E", "F", "#F/bG", "G", "bA", "A", "bB", "B"};
constexpr std::array<std::string_view, 4> kNotationNames = {
    "numbered", "solmisation", "small", "capital"};

std::optional<int> ParseInt(const std::string& text, int low, int high) {
    if (text.empty() || text.size() > 9) {
        return std::nullopt;
    }
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    if (value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

template <std::size_t N>
std::optional<int> IndexOf(const std::array<std::string_view, N>& names, const std::string& text) {
    for (std::size_t i = 0; i < N; ++i) {
        if (names[i] == text) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

template <typename Table, typename Value>
std::optional<int> TableIndex(const Table& table, Value value) {
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (std::abs(double(table[i]) - double(value)) < 1e-9) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

// A key of the piano by number (0..87) or by its short name (A0, #A0, ... C8).
std::optional<int> ParsePianoKey(const std::string& text, const KeyTable& keyTable) {
    if (auto number = ParseInt(text, 0, kKeyCount - 1)) {
        return number;
    }
    for (int k = 0; k < kKeyCount; ++k) {
        if (keyTable.ShortName(k) == text) {
            return k;
        }
    }
    return std::nullopt;
}

// Turns the options into the view's state; false (with a message) when one is out of range.
bool BuildState(const RenderOptions& o,
                const KeyTable& keyTable,
                ScopeViewState& state,
                std::ostream& err) {
    const auto fail = [&err](const std::string& text) {
        err << "tonavise-cli render: " << text << '\n';
        return false;
    };
    if (o.mode == "wave") {
        state.scopeMode = kScopeWave;
    } else if (o.mode == "frequency") {
        state.scopeMode = kScopeFrequency;
    } else if (o.mode == "pitch") {
        state.scopeMode = kScopePitch;
    } else {
        return fail("--mode must be wave, frequency or pitch");
    }
    const auto level = TableIndex(levelTable, o.level);
    if (!level) {
        return fail("--level must be one of 100, 50, 20, 10, 5, 2, 1 (percent of full scale)");
    }
    state.levelIndex = *level;
    const auto zoom = TableIndex(timeDivTable, o.zoom);
    if (!zoom) {
        return fail("--zoom must be one of 0.1, 0.2, 0.5, 1, 2, 5, 10, 20 (ms per division)");
    }
    state.waveZoomIndex = *zoom;
    const auto span = TableIndex(spanTable, o.span);
    if (!span) {
        return fail("--span must be one of 1000, 2000, 5000, 10000 (Hz)");
    }
    state.spanIndex = *span;
    const int step = o.span / 10;
    if (o.start < 0 || o.start + o.span > 10000 || o.start % step != 0) {
        return fail(
            "--start must be a multiple of a tenth of the span, from 0 up to 10000 Hz "
            "minus the span");
    }
    state.startFrequency = o.start;
    const auto key = ParseKeyOption(o.key);
    if (!key) {
        return fail("--key must be 0..12 or one of C, Db, D, bE, E, F, #F/bG, G, bA, A, bB, B");
    }
    state.keyIndex = *key;
    const auto notation = ParseNotationOption(o.notation);
    if (!notation) {
        return fail("--notation must be 0..3 or numbered, solmisation, small, capital");
    }
    state.notationCounter = *notation;
    state.threeD = o.threeD;
    state.logarithmOption = o.logarithmic ? 1 : 0;
    for (const std::string& mark : o.colors) {
        const auto equals = mark.find('=');
        const auto pianoKey = equals == std::string::npos
                                  ? std::nullopt
                                  : ParsePianoKey(mark.substr(0, equals), keyTable);
        const auto code =
            equals == std::string::npos ? std::nullopt : ParseInt(mark.substr(equals + 1), 0, 7);
        if (!pianoKey || !code) {
            return fail(
                "--colors takes KEY=CODE items: KEY 0..87 or a name such as A4 or #C5, "
                "CODE 0 black, 1 red, 2 green, 3 yellow, 4 blue, 5 magenta, 6 cyan, "
                "7 unmarked; not '" +
                mark + "'");
        }
        state.pitchLineColors[static_cast<std::size_t>(*pianoKey)] = *code;
    }
    return true;
}

// The block that holds time t: block k spans k x 0.1 to (k + 1) x 0.1 s and its end counts as
// inside it, so that the time matches the time_s column of `analyze`.
int64_t BlockAt(double seconds) {
    const double tenths = std::ceil(seconds * 10.0 - 1e-9);
    return std::max<int64_t>(0, static_cast<int64_t>(tenths) - 1);
}

}  // namespace

std::optional<int> ParseKeyOption(const std::string& text) {
    auto key = IndexOf(kKeyNames, text);
    return key ? key : ParseInt(text, 0, 12);
}

std::optional<int> ParseNotationOption(const std::string& text) {
    auto notation = IndexOf(kNotationNames, text);
    return notation ? notation : ParseInt(text, 0, 3);
}

bool LoadNamedFile(const std::string& file, LoadedClip& clip, std::ostream& err) {
    StreamNotifier notifier(err, file);
    if (LoadByPath(file, clip, notifier)) {
        return true;
    }
    if (!notifier.Shown()) {
        // The player ignores such a path silently; here the user asked for this file.
        err << file << ": not a .wav or .mp3 file\n";
    }
    return false;
}

bool SavePicture(const QImage& picture,
                 const std::string& path,
                 const char* command,
                 std::ostream& err) {
    if (picture.save(QString::fromStdString(path))) {
        return true;
    }
    err << "tonavise-cli " << command << ": cannot write " << path
        << " (the ending chooses the format: .png, .jpg, .bmp)\n";
    return false;
}

std::unique_ptr<QGuiApplication> OffscreenGuiApplication() {
    // Fonts need a QGuiApplication; the tool draws off screen and needs no display.
    if (QGuiApplication::instance() != nullptr) {
        return nullptr;
    }
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static int argc = 1;
    static char name[] = "tonavise-cli";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

int RunRender(const RenderOptions& options, std::ostream& err) {
    if (!(options.a4 >= kMinA4 && options.a4 <= kMaxA4)) {
        err << "tonavise-cli render: --a4 must lie in 390..480 Hz\n";
        return 2;
    }
    if (!(options.at >= 0.0 && options.at < 1.0e7)) {
        err << "tonavise-cli render: --at must be a time in seconds from 0\n";
        return 2;
    }
    KeyTable keyTable;
    keyTable.SetA4(options.a4);
    keyTable.logarithmOption.store(options.logarithmic ? 1 : 0);
    ScopeViewState state;
    if (!BuildState(options, keyTable, state, err)) {
        return 2;
    }

    LoadedClip clip;
    if (!LoadNamedFile(options.file, clip, err)) {
        return 1;
    }
    const int64_t blocks = ClipBlockCount(clip);
    const int64_t wanted = BlockAt(options.at);
    if (wanted >= blocks) {
        err << options.file << ": --at " << options.at
            << " s is past the end (the last block ends at " << double(blocks) * 0.1 << " s)\n";
        return 1;
    }
    Fft fft;
    if (!fft.Init(kFftSize)) {
        err << "tonavise-cli: " << kMemoryNotEnough << '\n';
        return 1;
    }

    const std::unique_ptr<QGuiApplication> app = OffscreenGuiApplication();

    CaptureStore store;
    store.Create();
    store.scopeMode.store(state.scopeMode);
    state.secondTrace = ShowsSecondTrace(store.channelCount.load(), true, clip.format.channels);
    WaveTrigger trigger;
    ScopeRenderer renderer;
    AnalyzeClip(
        clip,
        store,
        fft,
        keyTable,
        [&](const BlockPitch&) {
            if (state.scopeMode == kScopeWave) {
                AlignWaveFrame(trigger, store);
            }
            const ScopeInput input{{store.channel1History, store.channel2History, trigger.waveEnd},
                                   store.spectrum.latest().spectrum};
            renderer.Draw(state, keyTable, input);
        },
        wanted);

    const DrawingSize size = DrawingSizeOf(state.scopeMode);
    const QImage picture = renderer.composeSurface().copy(0, 0, size.width, size.height);
    return SavePicture(picture, options.output, "render", err) ? 0 : 1;
}

}  // namespace tonavise::cli
