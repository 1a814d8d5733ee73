// listen, tone, metronome, generate, play and record on the virtual sound system.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cli/Commands.h"
#include "engine/device/VirtualSound.h"

namespace tonavise::cli {
namespace {

constexpr auto kIn = DeviceDirection::Input;
constexpr auto kOut = DeviceDirection::Output;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

TEST(ListenCommand, PrintsTheAnalysisRowsOfTheLiveInput) {
    VirtualSoundSystem system;
    const double twoPi = 8.0 * std::atan(1.0);
    system.SetInputSignal([twoPi](int64_t frame, int) {
        return 10000.0 * std::sin(twoPi * 440.0 * static_cast<double>(frame) / 44100.0);
    });
    system.StartClock(1.0);
    std::atomic<bool> stop{false};
    std::ostringstream out;
    std::ostringstream err;
    ListenOptions options;
    options.seconds = 1.5;
    EXPECT_EQ(RunListen(options, system, stop, out, err), 0);
    system.StopClock();
    EXPECT_EQ(err.str(), "");
    const auto lines = Lines(out.str());
    ASSERT_GE(lines.size(), 6u) << out.str();
    EXPECT_EQ(lines[0], "file,time_s,f0_hz,key,name,cents");
    // The newest 200 ms are analysed: from the third block on the whole window is the tone.
    const std::string& last = lines.back();
    EXPECT_EQ(last.substr(0, 2), "-,");
    EXPECT_NE(last.find(",48,A4,"), std::string::npos) << last;
    EXPECT_EQ(system.LastOpenFormat(kIn).channels, 1);
}

// An input that cannot open (no sound server yet) is said once and waited for: picked up when
// it comes, or, when it never does, the command fails saying that it heard nothing.
TEST(ListenCommand, AnInputThatCannotOpenIsWaitedForAndPickedUpWhenItComes) {
    VirtualSoundSystem system;
    system.SetInputSignal([](int64_t, int) { return 1000.0; });
    system.StartClock(1.0);
    system.SetOpenResult(kIn, kDeviceNoDriver);
    std::atomic<bool> stop{false};
    std::ostringstream out;
    std::ostringstream err;
    ListenOptions options;
    options.stereo = true;
    options.seconds = 0.5;
    EXPECT_EQ(RunListen(options, system, stop, out, err), 1);
    EXPECT_EQ(err.str(),
              "Error = 0x00000006, : No sound device is available.\n"
              "tonavise-cli: waiting for the sound input\n"
              "tonavise-cli: listened 0.0 of 0.5 s: the sound input was lost\n");

    err.str("");
    options.seconds = 4;
    std::thread server([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        system.SetOpenResult(kIn, kDeviceOk);
    });
    EXPECT_EQ(RunListen(options, system, stop, out, err), 0);
    server.join();
    system.StopClock();
    EXPECT_EQ(err.str(),
              "Error = 0x00000006, : No sound device is available.\n"
              "tonavise-cli: waiting for the sound input\n"
              "tonavise-cli: input started\n");
}

TEST(ToneCommand, SoundsTheKeyUntilTheTimeIsUp) {
    VirtualSoundSystem system;
    std::atomic<bool> stop{false};
    std::ostringstream out;
    std::ostringstream err;
    ToneOptions options;
    options.key = 49;
    options.seconds = 0.05;
    EXPECT_EQ(RunTone(options, system, stop, out, err), 0);
    EXPECT_EQ(out.str(), "tone: #A/bB4, 466.16 Hz\n");
    EXPECT_EQ(system.OpenCount(kOut), 1);
    EXPECT_FALSE(system.IsOpen(kOut)) << "stopped and closed at the end";

    // An output that cannot start is waited for, and it is said when it never started.
    system.SetOpenResult(kOut, kDeviceBadFormat);
    EXPECT_EQ(RunTone(options, system, stop, out, err), 1);
    EXPECT_EQ(err.str(),
              "Error = 0x00000020, : The sound device does not support this wave format.\n"
              "tonavise-cli: waiting for the sound output\n"
              "tonavise-cli: the sound output did not start\n");

    err.str("");
    options.seconds = 3;
    std::thread server([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        system.SetOpenResult(kOut, kDeviceOk);
    });
    EXPECT_EQ(RunTone(options, system, stop, out, err), 0);
    server.join();
    EXPECT_EQ(err.str(),
              "Error = 0x00000020, : The sound device does not support this wave format.\n"
              "tonavise-cli: waiting for the sound output\n"
              "tonavise-cli: output started\n");
}

TEST(MetronomeCommand, StartsAtTheTempoAndMeterAndRefusesAnUnknownMeter) {
    VirtualSoundSystem system;
    std::atomic<bool> stop{true};  // as after Ctrl-C: starts, then stops at once
    std::ostringstream out;
    std::ostringstream err;
    MetronomeOptions options;
    options.tempo = 77;
    options.meter = "3+2";
    EXPECT_EQ(RunMetronome(options, system, stop, out, err), 0);
    EXPECT_EQ(out.str(), "metronome: 77 bpm, meter 3+2\n");
    options.meter = "5";
    EXPECT_EQ(RunMetronome(options, system, stop, out, err), 2);
    EXPECT_NE(err.str().find("the meter must be N/D"), std::string::npos);
}

TEST(MetronomeCommand, TapReadsEnterPressesAndOneTapOrABadSubdivisionIsRefused) {
    VirtualSoundSystem system;
    std::atomic<bool> stop{true};
    std::ostringstream out;
    std::ostringstream err;
    MetronomeOptions options;
    options.tap = true;
    std::istringstream once("\n");
    options.tapInput = &once;
    EXPECT_EQ(RunMetronome(options, system, stop, out, err), 2);
    EXPECT_NE(err.str().find("tap at least twice"), std::string::npos);
    EXPECT_EQ(system.OpenCount(DeviceDirection::Output), 0) << "nothing played";
    // Lines that come at once are taps far faster than 400 bpm: the fastest tempo.
    std::istringstream many("\n\n\n\n\n\n\n\n");
    options.tapInput = &many;
    out.str("");
    EXPECT_EQ(RunMetronome(options, system, stop, out, err), 0);
    EXPECT_NE(out.str().find("metronome: 400 bpm"), std::string::npos) << out.str();
    EXPECT_EQ(many.rdbuf()->in_avail(), 2) << "six taps are read, the rest left";
    options.tap = false;
    options.subdivision = 5;
    EXPECT_EQ(RunMetronome(options, system, stop, out, err), 2);
    EXPECT_NE(err.str().find("the subdivision must be"), std::string::npos);
}

TEST(GenerateCommand, ChannelSettingsAreCheckedBeforeAnythingPlays) {
    ChannelSetting c;
    std::string error;
    EXPECT_TRUE(ParseChannelSetting("1000,50,sine", c, error));
    EXPECT_EQ(c.frequency, 1000);
    EXPECT_EQ(c.amplitude, 50);
    EXPECT_EQ(c.waveForm, 0);
    EXPECT_TRUE(ParseChannelSetting("20000,100,SAW", c, error));
    EXPECT_EQ(c.waveForm, 3);
    EXPECT_TRUE(ParseChannelSetting("1,0,2", c, error));
    EXPECT_EQ(c.waveForm, 2);
    EXPECT_TRUE(ParseChannelSetting("", c, error));
    EXPECT_EQ(c.amplitude, 0) << "no setting: silence";
    for (const char* bad : {"0,50,sine",
                            "20001,50,sine",
                            "440,101,sine",
                            "440,-1,sine",
                            "440,50,noise",
                            "440,50",
                            "440,50,sine,1",
                            "4x0,50,sine",
                            ",,"}) {
        EXPECT_FALSE(ParseChannelSetting(bad, c, error)) << bad;
        EXPECT_FALSE(error.empty());
    }

    VirtualSoundSystem system;
    std::atomic<bool> stop{false};
    std::ostringstream out;
    std::ostringstream err;
    GenerateOptions options;
    options.left = "440,150,sine";
    EXPECT_EQ(RunGenerate(options, system, stop, out, err), 2);
    EXPECT_EQ(err.str(),
              "tonavise-cli generate --left: the amplitude must be a whole percentage from 0 to "
              "100\n");
    EXPECT_EQ(system.OpenCount(kOut), 0);
}

TEST(GenerateCommand, PlaysBothChannels) {
    VirtualSoundSystem system;
    std::atomic<bool> stop{false};
    std::ostringstream out;
    std::ostringstream err;
    GenerateOptions options;
    options.left = "1000,50,sine";
    options.right = "440,25,square";
    options.seconds = 0.05;
    EXPECT_EQ(RunGenerate(options, system, stop, out, err), 0);
    EXPECT_EQ(out.str(), "generate: left 1000 Hz 50 % sine, right 440 Hz 25 % square\n");
    EXPECT_EQ(system.LastOpenFormat(kOut).channels, 2);
    EXPECT_FALSE(system.IsOpen(kOut));
}

// The input is lost while listening (the sound server went away) and comes back: stderr says
// both, the device error once; the rows go on after it; the command ends well.
TEST(ListenCommand, AnInputLostWhileListeningIsReportedAndComesBack) {
    VirtualSoundSystem system;
    const double twoPi = 8.0 * std::atan(1.0);
    system.SetInputSignal([twoPi](int64_t frame, int) {
        return 10000.0 * std::sin(twoPi * 440.0 * static_cast<double>(frame) / 44100.0);
    });
    system.StartClock(1.0);
    std::thread server([&] {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (system.FramesPassed(kIn) < 22050 && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        system.KillStream(kIn, kDeviceStreamEnded);
    });
    std::atomic<bool> stop{false};
    std::ostringstream out;
    std::ostringstream err;
    ListenOptions options;
    options.seconds = 4.5;
    EXPECT_EQ(RunListen(options, system, stop, out, err), 0);
    server.join();
    system.StopClock();
    EXPECT_EQ(err.str(),
              "Error = 0x00000028, : The sound system ended the sound stream.\n"
              "tonavise-cli: input lost\n"
              "tonavise-cli: input restored\n");
    const auto lines = Lines(out.str());
    ASSERT_GE(lines.size(), 3u);
    EXPECT_GE(std::stod(lines.back().substr(2)), 3.0) << "rows after the input came back";
    EXPECT_EQ(system.OpenCount(kIn), 2);
}

// A recording into a folder that does not exist is refused before anything is recorded.
TEST(RecordCommand, AFolderThatDoesNotExistIsRefusedBeforeRecording) {
    VirtualSoundSystem system;
    std::atomic<bool> stop{false};
    std::ostringstream out;
    std::ostringstream err;
    RecordOptions options;
    options.output = "/tonavise-no-such-folder/take.wav";
    options.seconds = 0.5;
    EXPECT_EQ(RunRecord(options, system, stop, out, err), 1);
    EXPECT_EQ(system.OpenAttempts(kIn), 0) << "nothing was recorded";
    EXPECT_EQ(err.str(),
              "tonavise-cli record: /tonavise-no-such-folder/take.wav: the folder "
              "/tonavise-no-such-folder does not exist\n");
}

// A stream that takes a while before it sounds (a sound server's first use): no row shows a
// position that is not heard, and --seconds counts the seconds played.
TEST(PlayCommand, RowsBeginWithTheSoundAndSecondsCountWhatWasPlayed) {
    const std::filesystem::path file = std::filesystem::temp_directory_path() /
                                       ("tonavise-play-" + std::to_string(::getpid()) + ".wav");
    SineOptions sine;
    sine.output = file.string();
    sine.seconds = 4.0;
    std::ostringstream sineErr;
    ASSERT_EQ(RunSine(sine, sineErr), 0);

    VirtualSoundSystem system;  // no clock yet: the output takes its buffer but does not sound
    std::thread server([&] {
        if (system.WaitForQueued(kOut, 1, std::chrono::seconds(5))) {
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
        }
        system.StartClock(1.0);
    });
    std::atomic<bool> stop{false};
    std::ostringstream out;
    std::ostringstream err;
    PlayOptions options;
    options.file = file.string();
    options.seconds = 1.0;
    EXPECT_EQ(RunPlay(options, system, stop, out, err), 0);
    server.join();
    system.StopClock();
    std::filesystem::remove(file);
    EXPECT_EQ(err.str(), "");
    const auto lines = Lines(out.str());
    ASSERT_GE(lines.size(), 5u) << out.str();
    const auto position = [](const std::string& row) {
        return std::stod(row.substr(row.find(',') + 1));
    };
    EXPECT_GT(position(lines[1]), 0.0) << "the first row is of sound";
    EXPECT_GE(position(lines.back()), 0.85) << out.str();
    EXPECT_LE(position(lines.back()), 1.25) << out.str();
}

// The practice settings: out of range is refused before anything plays; a loop plays its
// passes and --seconds counts them.
TEST(PlayCommand, PracticeSettingsAreCheckedAndALoopPlaysItsPasses) {
    const std::filesystem::path file = std::filesystem::temp_directory_path() /
                                       ("tonavise-loop-" + std::to_string(::getpid()) + ".wav");
    SineOptions sine;
    sine.output = file.string();
    sine.seconds = 3.0;
    std::ostringstream sineErr;
    ASSERT_EQ(RunSine(sine, sineErr), 0);
    VirtualSoundSystem system;
    std::atomic<bool> stop{false};
    const auto refused = [&](PlayOptions options) {
        options.file = file.string();
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(RunPlay(options, system, stop, out, err), 1);
        EXPECT_EQ(out.str(), "");
        return err.str();
    };
    PlayOptions o;
    o.speed = 2.0;
    EXPECT_EQ(refused(o), "tonavise-cli play: --speed must be between 0.5 and 1.5, not 2\n");
    o = {};
    o.transpose = -13;
    EXPECT_EQ(refused(o),
              "tonavise-cli play: --transpose must be between -12 and 12 semitones, not -13\n");
    o = {};
    o.loop = "2,1";
    EXPECT_EQ(refused(o),
              "tonavise-cli play: --loop 2,1: B (1 s) must be at least 0.1 s after A (2 s)\n");
    o.loop = "1,1";
    EXPECT_NE(refused(o).find("at least 0.1 s after A"), std::string::npos);
    o.loop = "1;2";
    EXPECT_EQ(refused(o), "tonavise-cli play: --loop 1;2: needs A,B in seconds, such as 12.5,16\n");
    o.loop = "1,9";
    EXPECT_EQ(refused(o), "tonavise-cli play: --loop 1,9: B lies past the end of the file (3 s)\n");
    o.loop = "1,2";
    o.loopGap = 9;
    EXPECT_EQ(refused(o),
              "tonavise-cli play: --loop-gap must be between 0.5 and 4 seconds, not 9\n");
    o.loopGap = 1;
    o.trainer = "0.9,0.1,0.7";
    EXPECT_EQ(
        refused(o),
        "tonavise-cli play: --trainer 0.9,0.1,0.7: the target must be faster than the start\n");
    o.trainer = "0.7,0.1";
    EXPECT_NE(refused(o).find("give START,STEP,TARGET"), std::string::npos);
    o.loop.clear();
    o.trainer = "0.7,0.1,1.0";
    EXPECT_NE(refused(o).find("give --loop A,B"), std::string::npos);

    system.StartClock(2.0);
    PlayOptions options;
    options.file = file.string();
    options.loop = "1,1.5";
    options.fromSeconds = 1.0;
    options.seconds = 1.6;
    options.speed = 0.75;
    options.transpose = -2;
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunPlay(options, system, stop, out, err), 0);
    system.StopClock();
    std::filesystem::remove(file);
    EXPECT_EQ(err.str(), "");
    const auto lines = Lines(out.str());
    ASSERT_GE(lines.size(), 10u) << out.str();
    int passes = 0;
    double last = 0;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const double position = std::stod(lines[i].substr(lines[i].find(',') + 1));
        EXPECT_GE(position, 1.0) << out.str();
        EXPECT_LE(position, 1.55) << out.str();
        passes += position < last;
        last = position;
    }
    EXPECT_GE(passes, 2) << out.str();
}

// devices lists both directions with the default marked; a known name is chosen, an unknown
// one is refused with the devices listed, and a back end that lists nothing fails, saying so.
TEST(DeviceChoice, NamesAreListedCheckedAndChosen) {
    VirtualSoundSystem system;
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunDevices(system, out, err), 1);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "tonavise-cli: virtual sees no sound devices\n");
    EXPECT_FALSE(ChooseDevices(system, "usb_mic", "", err));
    EXPECT_NE(err.str().find("lists no input devices to choose from"), std::string::npos);

    system.SetDevices(
        kIn, {{"usb_mic", "USB microphone", false}, {"out.monitor", "Monitor of Out", true}});
    system.SetDevices(kOut, {{"out", "Out", true}});
    out.str("");
    EXPECT_EQ(RunDevices(system, out, err), 0);
    EXPECT_EQ(out.str(),
              "direction\tname\tdescription\tdefault\n"
              "input\tusb_mic\tUSB microphone\t\n"
              "input\tout.monitor\tMonitor of Out\tdefault\n"
              "output\tout\tOut\tdefault\n");

    err.str("");
    EXPECT_FALSE(ChooseDevices(system, "usb", "", err));
    EXPECT_NE(err.str().find("no input device named \"usb\""), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("input\tusb_mic\tUSB microphone"), std::string::npos);
    EXPECT_EQ(system.ChosenDevice(kIn), "");
    EXPECT_FALSE(ChooseDevices(system, "", "speakers", err));

    EXPECT_TRUE(ChooseDevices(system, "usb_mic", "out", err));
    EXPECT_EQ(system.ChosenDevice(kIn), "usb_mic");
    EXPECT_EQ(system.ChosenDevice(kOut), "out");
}

}  // namespace
}  // namespace tonavise::cli
