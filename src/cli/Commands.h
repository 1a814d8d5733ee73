// The subcommands of tonavise-cli. Each returns the process exit code.
#pragma once

#include <atomic>
#include <iosfwd>
#include <istream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/PitchNaming.h"

class QGuiApplication;
class QImage;

namespace tonavise {
class DeviceFactory;
struct LoadedClip;
}  // namespace tonavise

namespace tonavise::cli {

struct AnalyzeOptions {
    std::vector<std::string> files;
    double a4 = 440.0;
    bool logarithmic = false;
    std::string method = "standard";  // or "precise"
    TuningOptions tuning;
    // With the precise method: rows of the steady series `hop` seconds apart (0: one row per
    // 100 ms block, as the live analysis), or of the instantaneous series ("instant", every
    // 10 ms).
    double hop = 0.0;
    std::string series;  // "steady", "instant", or empty: steady when hop is set
};

// Prints "file,time_s,f0_hz,key,name,cents" rows for every 100 ms block of every file. A
// refused file's message goes to err; the result is 1 when any file was refused. With method
// "precise" the pitch is the precise estimate: cents to a tenth, and f0_hz, key, name and cents
// empty where there is no pitch.
int RunAnalyze(const AnalyzeOptions& options, std::ostream& out, std::ostream& err);

struct SineOptions {
    std::string output;
    double frequency = 440.0;
    double seconds = 3.0;
    double amplitude = 16000.0;
    int sampleRate = 44100;
    int channels = 1;
    int bits = 16;
};

// Writes a sine tone as a PCM WAV file.
int RunSine(const SineOptions& options, std::ostream& err);

struct RenderOptions {
    std::string file;
    std::string output;
    std::string mode = "pitch";  // wave, frequency or pitch
    double at = 0.0;             // seconds into the file
    int level = 10;              // full scale in percent: 100, 50, 20, 10, 5, 2, 1
    double zoom = 1.0;           // waveform milliseconds per division: 0.1 ... 20
    int span = 5000;             // frequency scale hertz: 1000, 2000, 5000, 10000
    int start = 0;               // frequency scale hertz at the left edge
    std::string key = "C";       // 0..12 or a key name: C, Db, D, bE, E, F, #F/bG, G, bA, A, bB, B
    std::string notation = "numbered";  // 0..3 or numbered, solmisation, small, capital
    bool threeD = false;
    bool logarithmic = false;
    double a4 = 440.0;
    std::vector<std::string> colors;  // KEY=CODE: key 0..87 or a name such as A4, code 0..7
};

// Feeds the file block by block as the live program does while it plays it, draws every block
// and writes the picture of the block at `at` (the block that holds that time; a block's end
// counts as inside it), cut to the mode's picture size. Bad options and unreadable files give a
// message on err and a non-zero result.
int RunRender(const RenderOptions& options, std::ostream& err);

// --key (0..12 or C, Db, ... B) and --notation (0..3 or numbered, solmisation, small, capital)
// of the pictures; nothing for any other text.
std::optional<int> ParseKeyOption(const std::string& text);
std::optional<int> ParseNotationOption(const std::string& text);
// The application that fonts need, on the off-screen platform unless one is chosen; null when
// one exists already.
std::unique_ptr<QGuiApplication> OffscreenGuiApplication();

// Loads a WAV or MP3 file the user named; false with the reason on err (the loading's own
// message, or that the file is neither).
bool LoadNamedFile(const std::string& file, LoadedClip& clip, std::ostream& err);
// Writes a picture in the format its ending chooses; false with a message on err naming it.
bool SavePicture(const QImage& picture,
                 const std::string& path,
                 const char* command,
                 std::ostream& err);

struct TrackOptions {
    std::string file;
    std::string output;               // the picture: PNG, JPEG or BMP by the ending
    std::string csv;                  // the blocks as rows, when given
    std::string method = "standard";  // or "precise"
    double from = 0.0;                // seconds
    double to = -1.0;                 // seconds; below 0: the end of the file
    int width = 1000;
    int height = 500;
    std::string key = "C";
    std::string notation = "numbered";
    double a4 = 440.0;
    TuningOptions tuning;
};

// Analyses the file as analyze does and draws the pitch track of [from, to] into an image file
// and, with csv, writes the blocks of that range as time_s,f0_hz,key,name,cents rows. Bad options
// give exit code 2, an unreadable file or an unwritable output 1, with the message on err.
int RunTrack(const TrackOptions& options, std::ostream& err);

// Lists the sound system's inputs and outputs as tab-separated rows
// direction,name,description,default (a header row first). Returns 0.
int RunDevices(DeviceFactory& devices, std::ostream& out, std::ostream& err);

// Chooses the named devices (empty: the default) for the commands that follow. False, with the
// devices that exist listed on err, when a name is not one of the sound system's devices.
bool ChooseDevices(DeviceFactory& devices,
                   const std::string& input,
                   const std::string& output,
                   std::ostream& err);

// The sound commands run the program's own threads on the chosen devices of `devices`. Each
// runs for `seconds` (0: until `stop` is set, by Ctrl-C) and returns 0, or 1 when a device
// cannot be opened (the device error box's text goes to err).

struct ListenOptions {
    double seconds = 0.0;
    bool stereo = false;
    double a4 = 440.0;
    std::string method = "standard";  // or "precise"
    TuningOptions tuning;
};

// Captures the default input through the capture thread and the analysis thread and prints the
// rows of `analyze` as they come, with file "-" and the time since the start.
int RunListen(const ListenOptions& options,
              DeviceFactory& devices,
              const std::atomic<bool>& stop,
              std::ostream& out,
              std::ostream& err);

struct ToneOptions {
    int key = 48;  // A4
    double seconds = 0.0;
    double a4 = 440.0;
    bool drone = false;  // the key with its pure fifth above
};

// Sounds the reference tone through the tone and metronome thread.
int RunTone(const ToneOptions& options,
            DeviceFactory& devices,
            const std::atomic<bool>& stop,
            std::ostream& out,
            std::ostream& err);

struct MetronomeOptions {
    int tempo = 120;
    std::string meter = "4";
    std::string groups;   // "2+2+3"; empty: the meter's usual grouping
    std::string accents;  // "3,1,2,1,2,1,1"; empty: from the groups
    int subdivision = 1;  // clicks a beat, 1..4
    bool dotted = false;  // 6/8, 9/8, 12/8: the tempo counts dotted quarters
    int swing = 50;       // a two-click beat's second click, % of the beat
    std::string sound = "click";
    int volume = 100;     // %
    std::string trainer;  // "STEP,BARS,TARGET"
    std::string mute;     // "PLAY,MUTE"
    double seconds = 0.0;
    // Tap the tempo first: one line of `tapInput` (Enter) a beat, until its end or six taps.
    bool tap = false;
    std::istream* tapInput = nullptr;
};

// The tempo tapped as lines of `in`, each line's arrival a tap, read until the input ends or
// TapTempo::kTapsKept taps have come; 0 when fewer than two taps make up the last series.
int ReadTappedTempo(std::istream& in);

// Plays the metronome through the tone and metronome thread.
int RunMetronome(const MetronomeOptions& options,
                 DeviceFactory& devices,
                 const std::atomic<bool>& stop,
                 std::ostream& out,
                 std::ostream& err);

struct GenerateOptions {
    std::string left;  // "HZ,PERCENT,WAVE"; empty: silence
    std::string right;
    double seconds = 0.0;
};

// One channel of the signal generator, parsed from "HZ,PERCENT,WAVE" (WAVE: sine, square,
// triangle, saw, or 0..3).
struct ChannelSetting {
    int frequency = 440;
    int amplitude = 0;
    int waveForm = 0;
};
// Empty text: silence. Otherwise false, with the reason in `error`, when the text is not valid.
bool ParseChannelSetting(const std::string& text, ChannelSetting& setting, std::string& error);

// Plays the two-channel test signal through the signal generator thread.
int RunGenerate(const GenerateOptions& options,
                DeviceFactory& devices,
                const std::atomic<bool>& stop,
                std::ostream& out,
                std::ostream& err);

struct PlayOptions {
    std::string file;
    double fromSeconds = 0.0;
    double seconds = 0.0;  // 0: to the end
    double a4 = 440.0;
    double speed = 1.0;               // 0.5 ... 1.5, without changing the pitch
    int transpose = 0;                // semitones, -12 ... 12, without changing the speed
    std::string loop;                 // "A,B" in seconds, or empty
    bool fromGiven = false;           // --from was given: a loop starts there instead of at A
    double loopGap = 0.0;             // seconds of silence before each repeat; 0: none
    std::string trainer;              // "START,STEP,TARGET" in the unit of speed, or empty
    std::string method = "standard";  // or "precise"
    TuningOptions tuning;
};

// Plays a WAV or MP3 file through the file player thread and prints, every 100 ms, the play
// position and the analysis of what the player fed to the scope:
// time_s,position_s,f0_hz,key,name,cents. The position is the file's time of what is heard;
// the speed, transpose and loop are the practice player's. A speed, transpose or loop out of
// range is refused with a message on err before anything plays; --seconds counts seconds of
// the file played, loop passes included.
int RunPlay(const PlayOptions& options,
            DeviceFactory& devices,
            const std::atomic<bool>& stop,
            std::ostream& out,
            std::ostream& err);

// The --loop argument "A,B" in seconds: nullopt (with the reason in `problem`) when it is not
// two numbers, A is negative, or B is not at least the shortest loop after A.
struct LoopSeconds {
    double a = 0.0;
    double b = 0.0;
};
std::optional<LoopSeconds> ParseLoopOption(const std::string& text, std::string& problem);
struct RecordOptions {
    std::string output;
    double seconds = 5.0;
    int timeIndex = 1;  // the recording-time table: 0 is 30 s, 1 is 1 minute ... 10 is 10 minutes
    bool repeat = true;
};

// Records the default input through the capture thread into the recording store and saves it
// as a 16-bit mono 44100 Hz WAV file.
int RunRecord(const RecordOptions& options,
              DeviceFactory& devices,
              const std::atomic<bool>& stop,
              std::ostream& out,
              std::ostream& err);

}  // namespace tonavise::cli
