// listen, tone, metronome and generate on the virtual sound system.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "engine/VirtualSound.h"

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

TEST(ListenCommand, AnInputThatCannotOpenPrintsTheErrorBoxText) {
    VirtualSoundSystem system;
    system.SetOpenResult(kIn, kDeviceNoDriver);
    std::atomic<bool> stop{false};
    std::ostringstream out;
    std::ostringstream err;
    ListenOptions options;
    options.stereo = true;
    EXPECT_EQ(RunListen(options, system, stop, out, err), 1);
    EXPECT_EQ(err.str(), "Error = 0x00000006, : No sound device is available.\n");
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

    system.SetOpenResult(kOut, kDeviceBadFormat);
    EXPECT_EQ(RunTone(options, system, stop, out, err), 1);
    EXPECT_EQ(err.str(),
              "Error = 0x00000020, : The sound device does not support this wave format.\n");
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
    EXPECT_NE(err.str().find("the meter must be one of"), std::string::npos);
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

}  // namespace
}  // namespace tonavise::cli
