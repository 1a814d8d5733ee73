// tonavise-cli: the program's analysis and pictures from the command line.
#include <CLI/CLI.hpp>
#include <csignal>
#include <cstdlib>
#include <iostream>

#include "cli/Commands.h"
#include "engine/device/SoundSystem.h"
#include "engine/dsp/KeyTable.h"
#include "engine/dsp/Temperament.h"

namespace {

// The exit status of a command line the tool cannot take.
constexpr int kExitUsage = 2;

std::atomic<bool> interrupted{false};

// Ctrl-C ends a sound command cleanly: the devices are stopped and closed.
void OnInterrupt(int) {
    interrupted.store(true);
}

}  // namespace

namespace {

// The options of every command that names pitches: the tuning they are measured against and
// the transposing instrument whose written pitch names them.
void AddTuningOptions(CLI::App* cmd, tonavise::cli::TuningOptions& tuning) {
    cmd->add_option("--temperament",
                    tuning.temperament,
                    "The tuning the cents are measured from: equal, just, pythagorean, "
                    "meantone, werckmeister3, kirnberger3, vallotti, young2, or a Scala .scl "
                    "file; the tonic keeps its equal-tempered pitch")
        ->capture_default_str();
    cmd->add_option("--tonic", tuning.tonic, "The temperament's tonic: C, F#, Bb, ...")
        ->capture_default_str();
    cmd->add_flag("--keep-a", tuning.keepA, "Keep A4 at its frequency instead of the tonic");
    cmd->add_option("--written",
                    tuning.written,
                    "Name the notes in the written pitch of a transposing instrument: Bb, "
                    "Bb-tenor, Eb, Eb-baritone, Eb-clarinet, F, A, G, octave (C: as they sound)")
        ->capture_default_str();
}

int RunTool(int argc, char** argv) {
    using namespace tonavise::cli;
    CLI::App app{
        "Tonavise command-line tool: pitch analysis and scope pictures of sound files, and the "
        "live engine: listening, reference tone, metronome and signal generator"};
    app.require_subcommand(1);
    app.footer(
        "Exit status: 0 when the command did all it was asked, 1 when it failed or did less "
        "(the reason is on standard error), 2 for a usage error.");
    std::string soundBackend = "auto";
    app.add_option("--sound",
                   soundBackend,
                   "Sound back end: auto (the desktop's sound server when one answers, else "
                   "PortAudio), pulse or portaudio; the default comes from TONAVISE_SOUND")
        ->check(CLI::IsMember({"auto", "pulse", "portaudio"}));
    std::string inputDevice;
    std::string outputDevice;
    const auto inputOption = [&inputDevice](CLI::App* cmd) {
        cmd->add_option("--input",
                        inputDevice,
                        "Input device by its name (tonavise-cli devices lists them); default: "
                        "the system's default input");
    };
    const auto outputOption = [&outputDevice](CLI::App* cmd) {
        cmd->add_option("--output",
                        outputDevice,
                        "Output device by its name (tonavise-cli devices lists them); default: "
                        "the system's default output");
    };
    CLI::App* devicesCmd = app.add_subcommand(
        "devices",
        "List the sound system's inputs (monitors of the outputs included) and outputs as "
        "tab-separated rows: direction, name, description, default mark");

    AnalyzeOptions analyze;
    CLI::App* analyzeCmd = app.add_subcommand(
        "analyze",
        "Print the fundamental frequency, nearest key and cents of every 100 ms of WAV or MP3 "
        "files, as CSV rows file,time_s,f0_hz,key,name,cents. time_s is the end of the block; key "
        "is 0 (A0) to 87 (C8), values outside that range mean no note and leave name empty.");
    analyzeCmd->add_option("files", analyze.files, "WAV or MP3 files")->required();
    analyzeCmd->add_option("--a4", analyze.a4, "Frequency of A4 in Hz")
        ->check(CLI::Range(tonavise::kMinA4, tonavise::kMaxA4))
        ->capture_default_str();
    analyzeCmd->add_flag(
        "--log", analyze.logarithmic, "Logarithmic spectrum scaling (changes which peaks count)");
    analyzeCmd
        ->add_option("--method",
                     analyze.method,
                     "Fundamental estimate: standard (the spectrum's peaks, as the scope shows "
                     "them) or precise (periodicity refined on the partials: cents to a tenth, "
                     "empty columns where there is no pitch)")
        ->check(CLI::IsMember({"standard", "precise"}))
        ->capture_default_str();
    analyzeCmd
        ->add_option("--hop",
                     analyze.hop,
                     "With --method precise: a row every S seconds (0.01 to 0.1) from the steady "
                     "series, the newest 186 ms or as much as there is of the current note; "
                     "time_s is then the end of the newest sound used")
        ->check(CLI::Range(0.01, 0.1));
    analyzeCmd
        ->add_option("--series",
                     analyze.series,
                     "With --method precise: steady (the tuner's readings, every --hop seconds, "
                     "20 ms by default) or instant (the newest 46 ms every 10 ms, which follows a "
                     "vibrato and names a new note first)")
        ->check(CLI::IsMember({"steady", "instant"}));
    AddTuningOptions(analyzeCmd, analyze.tuning);

    SineOptions sine;
    CLI::App* sineCmd = app.add_subcommand("sine", "Write a sine tone as a PCM WAV file");
    sineCmd->add_option("-o,--output", sine.output, "WAV file to write")->required();
    sineCmd->add_option("--freq", sine.frequency, "Frequency in Hz")->capture_default_str();
    sineCmd->add_option("--seconds", sine.seconds, "Length")->capture_default_str();
    sineCmd->add_option("--amplitude", sine.amplitude, "Peak in 16-bit units")
        ->check(CLI::Range(0.0, 32767.0))
        ->capture_default_str();
    sineCmd->add_option("--rate", sine.sampleRate, "Samples per second")->capture_default_str();
    sineCmd->add_option("--channels", sine.channels, "1 or 2")->check(CLI::Range(1, 2));
    sineCmd->add_option("--bits", sine.bits, "8 or 16")->check(CLI::IsMember({8, 16}));

    RenderOptions render;
    CLI::App* renderCmd = app.add_subcommand(
        "render",
        "Draw the scope picture of a WAV or MP3 file at a given time into an image file (PNG, JPEG "
        "or BMP by the ending). The file is fed 100 ms at a time as while it plays; every block "
        "is analysed and drawn, so the 3-D history builds up as it would on screen.");
    renderCmd->add_option("file", render.file, "WAV or MP3 file")->required();
    renderCmd->add_option("-o,--output", render.output, "Image file to write")->required();
    renderCmd->add_option("--mode", render.mode, "wave, frequency or pitch")
        ->check(CLI::IsMember({"wave", "frequency", "pitch"}))
        ->capture_default_str();
    renderCmd
        ->add_option("--at",
                     render.at,
                     "Seconds into the file: the picture of the 100 ms block holding this "
                     "time (a block's end counts as inside it, as analyze's time_s)")
        ->capture_default_str();
    renderCmd
        ->add_option("--level",
                     render.level,
                     "Full scale of the vertical axis in percent: 100, 50, 20, 10, 5, 2, 1")
        ->capture_default_str();
    renderCmd
        ->add_option("--zoom",
                     render.zoom,
                     "Waveform milliseconds per division: 0.1, 0.2, 0.5, 1, 2, 5, 10, 20")
        ->capture_default_str();
    renderCmd
        ->add_option("--span", render.span, "Frequency scale width in Hz: 1000, 2000, 5000, 10000")
        ->capture_default_str();
    renderCmd
        ->add_option("--start",
                     render.start,
                     "Frequency scale left edge in Hz, a multiple of a tenth of the span")
        ->capture_default_str();
    renderCmd
        ->add_option("--key",
                     render.key,
                     "Key of the pitch scale (the note named 1 or do): 0..12 or C, Db, D, bE, "
                     "E, F, #F/bG, G, bA, A, bB, B")
        ->capture_default_str();
    renderCmd
        ->add_option("--notation",
                     render.notation,
                     "Relative names: numbered, solmisation, small, capital (or 0..3)")
        ->capture_default_str();
    renderCmd->add_flag("--three-d", render.threeD, "3-D spectrum history");
    renderCmd->add_flag("--log", render.logarithmic, "Logarithmic spectrum display");
    renderCmd->add_option("--a4", render.a4, "Frequency of A4 in Hz")
        ->check(CLI::Range(tonavise::kMinA4, tonavise::kMaxA4))
        ->capture_default_str();
    renderCmd
        ->add_option("--colors",
                     render.colors,
                     "Marked pitch lines as KEY=CODE, comma-separated: KEY 0..87 or a name "
                     "such as A4 or #C5; CODE 0 black, 1 red, 2 green, 3 yellow, 4 blue, "
                     "5 magenta, 6 cyan, 7 unmarked")
        ->delimiter(',');

    TrackOptions track;
    CLI::App* trackCmd = app.add_subcommand(
        "track",
        "Draw the pitch track of a WAV or MP3 file (how the named pitch moved, on a cents axis "
        "with a line for every key) into an image file, and optionally write its blocks as CSV "
        "rows time_s,f0_hz,key,name,cents.");
    trackCmd->add_option("file", track.file, "WAV or MP3 file")->required();
    trackCmd->add_option("-o,--output", track.output, "Image file to write")->required();
    trackCmd->add_option("--csv", track.csv, "CSV file for the blocks shown");
    trackCmd->add_option("--method", track.method, "Fundamental estimate: standard or precise")
        ->check(CLI::IsMember({"standard", "precise"}))
        ->capture_default_str();
    trackCmd->add_option("--from", track.from, "Start of the range in seconds")
        ->capture_default_str();
    trackCmd->add_option("--to", track.to, "End of the range in seconds (default: the end)");
    trackCmd->add_option("--width", track.width, "Picture width in pixels")->capture_default_str();
    trackCmd->add_option("--height", track.height, "Picture height in pixels")
        ->capture_default_str();
    trackCmd->add_option("--key", track.key, "Key of the relative names, as for render")
        ->capture_default_str();
    trackCmd->add_option("--notation", track.notation, "Relative names, as for render")
        ->capture_default_str();
    trackCmd->add_option("--a4", track.a4, "Frequency of A4 in Hz")
        ->check(CLI::Range(tonavise::kMinA4, tonavise::kMaxA4))
        ->capture_default_str();
    AddTuningOptions(trackCmd, track.tuning);

    const auto seconds = [](CLI::App* cmd, double& value) {
        cmd->add_option("--seconds", value, "How long; 0 or none: until Ctrl-C")
            ->check(CLI::Range(0.0, 86400.0));
    };
    ListenOptions listen;
    CLI::App* listenCmd = app.add_subcommand(
        "listen",
        "Capture the default input and print the analyze rows as they come (file column -, "
        "time since the start)");
    inputOption(listenCmd);
    seconds(listenCmd, listen.seconds);
    listenCmd->add_flag("--stereo", listen.stereo, "Capture two channels");
    listenCmd
        ->add_option(
            "--method", listen.method, "Fundamental estimate: standard or precise, as for analyze")
        ->check(CLI::IsMember({"standard", "precise"}))
        ->capture_default_str();
    listenCmd->add_option("--a4", listen.a4, "Frequency of A4 in Hz")
        ->check(CLI::Range(tonavise::kMinA4, tonavise::kMaxA4));
    AddTuningOptions(listenCmd, listen.tuning);

    ToneOptions tone;
    CLI::App* toneCmd = app.add_subcommand("tone", "Sound the reference tone");
    std::string toneKey = "A4";
    toneCmd
        ->add_option("--key",
                     toneKey,
                     "A note from A0 to C8 (D3, F#4, Bb3) or a key 0 (A0) to 87 (C8); 48 is A4")
        ->capture_default_str();
    outputOption(toneCmd);
    seconds(toneCmd, tone.seconds);
    toneCmd->add_option("--a4", tone.a4, "Frequency of A4 in Hz")
        ->check(CLI::Range(tonavise::kMinA4, tonavise::kMaxA4));
    toneCmd->add_flag("--drone", tone.drone, "Hold the key with its pure fifth above (3/2)");

    MetronomeOptions metronome;
    CLI::App* metronomeCmd = app.add_subcommand("metronome", "Play the metronome");
    CLI::Option* tapOption = metronomeCmd->add_flag(
        "--tap", metronome.tap, "Tap the tempo first: press Enter on every beat");
    metronomeCmd->add_option("--tempo", metronome.tempo, "Beats per minute, 20 to 400")
        ->check(CLI::Range(20, 400))
        ->excludes(tapOption);
    metronomeCmd
        ->add_option(
            "--meter",
            metronome.meter,
            "N/D (N 1 to 16 beats of the unit D: 2, 4, 8 or 16), or 1, 2, 3, 4, 3+2, 2+3, 6")
        ->capture_default_str();
    metronomeCmd->add_option(
        "--groups", metronome.groups, "The beats' groups, each one's first accented: 2+2+3");
    metronomeCmd->add_option("--accents",
                             metronome.accents,
                             "One a beat: 3 strong, 2 medium, 1 weak, 0 muted (3,1,2,1,2,1,1)");
    metronomeCmd->add_option("--subdivision", metronome.subdivision, "Clicks a beat, 1 to 4")
        ->check(CLI::Range(1, 4))
        ->capture_default_str();
    metronomeCmd->add_flag(
        "--dotted", metronome.dotted, "6/8, 9/8, 12/8: the tempo counts dotted quarters");
    metronomeCmd
        ->add_option("--swing",
                     metronome.swing,
                     "With two clicks a beat: where the second falls, 50 (straight) to 75 %")
        ->check(CLI::Range(50, 75))
        ->capture_default_str();
    metronomeCmd->add_option("--sound", metronome.sound, "click, wood or beep")
        ->capture_default_str();
    metronomeCmd->add_option("--volume", metronome.volume, "0 to 100 %")
        ->check(CLI::Range(0, 100))
        ->capture_default_str();
    metronomeCmd->add_option(
        "--trainer", metronome.trainer, "STEP,BARS,TARGET: STEP bpm faster every BARS bars");
    metronomeCmd->add_option(
        "--mute", metronome.mute, "PLAY,MUTE: PLAY bars heard, then MUTE bars silent");
    outputOption(metronomeCmd);
    seconds(metronomeCmd, metronome.seconds);

    GenerateOptions generate;
    CLI::App* generateCmd = app.add_subcommand(
        "generate", "Play the two-channel test signal; a channel not given stays silent");
    generateCmd->add_option("--left", generate.left, "HZ,PERCENT,WAVE (sine|square|triangle|saw)");
    generateCmd->add_option("--right", generate.right, "HZ,PERCENT,WAVE");
    outputOption(generateCmd);
    seconds(generateCmd, generate.seconds);

    PlayOptions play;
    CLI::App* playCmd = app.add_subcommand(
        "play",
        "Play a WAV or MP3 file and print, every 100 ms, the play position and the analysis of "
        "what the scope is fed: time_s,position_s,f0_hz,key,name,cents");
    playCmd->add_option("file", play.file, "WAV or MP3 file")->required();
    CLI::Option* fromOption =
        playCmd->add_option("--from", play.fromSeconds, "Start this many seconds into the file")
            ->check(CLI::NonNegativeNumber);
    outputOption(playCmd);
    playCmd
        ->add_option(
            "--method", play.method, "Fundamental estimate: standard or precise, as for analyze")
        ->check(CLI::IsMember({"standard", "precise"}))
        ->capture_default_str();
    seconds(playCmd, play.seconds);
    playCmd->add_option("--a4", play.a4, "Frequency of A4 in Hz")
        ->check(CLI::Range(tonavise::kMinA4, tonavise::kMaxA4));
    AddTuningOptions(playCmd, play.tuning);
    playCmd->add_option(
        "--speed", play.speed, "Speed, 0.5 to 1.5 (1: as recorded), without changing the pitch");
    playCmd->add_option("--transpose",
                        play.transpose,
                        "Transpose by this many semitones, -12 to 12, without changing the speed");
    playCmd->add_option("--loop",
                        play.loop,
                        "A,B: loop between A and B seconds into the file, from A (Ctrl-C ends)");
    playCmd->add_option(
        "--loop-gap", play.loopGap, "Seconds of silence before each repeat, 0.5 to 4");
    playCmd->add_option(
        "--trainer",
        play.trainer,
        "START,STEP,TARGET in the unit of --speed: each pass STEP faster (0.7,0.1,1.0)");

    RecordOptions record;
    CLI::App* recordCmd = app.add_subcommand(
        "record", "Record the default input as the recorder does and save it as a WAV file");
    inputOption(recordCmd);
    recordCmd->add_option("-o,--output", record.output, "WAV file to write")->required();
    recordCmd->add_option("--seconds", record.seconds, "How long to record")
        ->check(CLI::PositiveNumber)
        ->capture_default_str();
    recordCmd
        ->add_option("--time-index",
                     record.timeIndex,
                     "Maximum recording time: 0 is 30 s, 1 is 1 minute, ... 10 is 10 minutes")
        ->check(CLI::Range(0, 10))
        ->capture_default_str();
    bool noRepeat = false;
    recordCmd->add_flag("--no-repeat",
                        noRepeat,
                        "Stop when the maximum time is full (otherwise the oldest 0.1 s gives "
                        "way to the newest)");

    // Every usage error ends with 2, whatever kind the parser found; --help and --version with 0.
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? 0 : kExitUsage;
    }
    record.repeat = !noRepeat;

    const bool soundCommand = devicesCmd->parsed() || playCmd->parsed() || recordCmd->parsed() ||
                              listenCmd->parsed() || toneCmd->parsed() || metronomeCmd->parsed() ||
                              generateCmd->parsed();
    // The analysis and picture commands need no sound system.
    if (soundCommand) {
        std::signal(SIGINT, OnInterrupt);
        std::signal(SIGTERM, OnInterrupt);
        const char* variable =
            std::getenv(tonavise::kSoundBackendVariable);  // NOLINT(concurrency-mt-unsafe)
        if (app.count("--sound") == 0 && variable != nullptr && variable[0] != '\0' &&
            !tonavise::ParseSoundBackend(variable)) {
            std::cerr << "tonavise-cli: " << tonavise::kSoundBackendVariable << "=" << variable
                      << " is not auto, pulse or portaudio; the back end is chosen automatically\n";
        }
        const tonavise::SoundBackend backend = app.count("--sound") > 0
                                                   ? *tonavise::ParseSoundBackend(soundBackend)
                                                   : tonavise::SoundBackendFromEnvironment();
        const std::unique_ptr<tonavise::DeviceFactory> system = tonavise::OpenSoundSystem(backend);
        tonavise::DeviceFactory& devices = *system;
        if (devicesCmd->parsed()) {
            // The automatic choice fell back to PortAudio: the server is what was asked about.
            if (backend == tonavise::SoundBackend::Automatic &&
                devices.BackendName() == "PortAudio") {
                std::cerr << "tonavise-cli: the sound server cannot be reached: no devices to "
                             "list (--sound portaudio plays on the system's default devices)\n";
                return 1;
            }
            return RunDevices(devices, std::cout, std::cerr);
        }
        if (!ChooseDevices(devices, inputDevice, outputDevice, std::cerr)) {
            return 1;
        }
        if (playCmd->parsed()) {
            play.fromGiven = fromOption->count() > 0;
            return RunPlay(play, devices, interrupted, std::cout, std::cerr);
        }
        if (recordCmd->parsed()) {
            return RunRecord(record, devices, interrupted, std::cout, std::cerr);
        }
        if (listenCmd->parsed()) {
            return RunListen(listen, devices, interrupted, std::cout, std::cerr);
        }
        if (toneCmd->parsed()) {
            const std::optional<int> key = tonavise::KeyOfNote(toneKey);
            if (!key) {
                std::cerr << "tonavise-cli tone: --key " << toneKey
                          << ": a note from A0 to C8 such as D3 or F#4, or a key 0 to 87, was "
                             "expected\n";
                return kExitUsage;
            }
            tone.key = *key;
            return RunTone(tone, devices, interrupted, std::cout, std::cerr);
        }
        if (metronomeCmd->parsed()) {
            if (!metronome.tap && metronomeCmd->count("--tempo") == 0) {
                std::cerr << "tonavise-cli metronome: give --tempo or --tap\n";
                return kExitUsage;
            }
            metronome.tapInput = &std::cin;
            return RunMetronome(metronome, devices, interrupted, std::cout, std::cerr);
        }
        return RunGenerate(generate, devices, interrupted, std::cout, std::cerr);
    }

    if (analyzeCmd->parsed()) {
        return RunAnalyze(analyze, std::cout, std::cerr);
    }
    if (sineCmd->parsed()) {
        return RunSine(sine, std::cerr);
    }
    if (renderCmd->parsed()) {
        return RunRender(render, std::cerr);
    }
    if (trackCmd->parsed()) {
        return RunTrack(track, std::cerr);
    }
    return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
    // An exception that escapes a command (out of memory, a stream that throws) ends the tool
    // with a message and a failure code, never with an abort.
    try {
        return RunTool(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "tonavise-cli: " << e.what() << '\n';
    } catch (...) {
        std::cerr << "tonavise-cli: unexpected failure\n";
    }
    return 1;
}
