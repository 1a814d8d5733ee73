// The tuner's analysis on the live engine: the microphone's 10 ms pieces give a steady reading
// every 20 ms of sound, named to a tenth of a cent, and the strobe moves one band a second per
// cent, from the same pieces.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <numbers>

#include "DeviceTestSupport.h"
#include "engine/device/VirtualSound.h"
#include "engine/dsp/Temperament.h"
#include "engine/live/CaptureThread.h"
#include "engine/live/LiveEngine.h"
#include "engine/live/TunerAnalysis.h"

namespace tonavise {
namespace {

using namespace std::chrono_literals;
constexpr auto kIn = DeviceDirection::Input;

TEST(TunerAnalysis, PiecesGiveAReadingEvery20msAndTheStrobeMovesOneBandASecondPerCent) {
    VirtualSoundSystem system;
    const double hz = 440.0 * std::exp2(3.9 / 1200.0);
    system.SetInputSignal([hz](int64_t frame, int) {
        return 8000.0 * std::sin(2 * std::numbers::pi * hz * static_cast<double>(frame) / 44100.0);
    });
    test::SharedNotifier notifier;
    LiveEngine engine(notifier);
    LiveEngine::Parts parts;
    parts.output = false;
    parts.recorder = false;
    parts.analysis = false;
    ASSERT_TRUE(engine.Start(&system, UiLanguage::English, parts));
    ASSERT_TRUE(engine.StartTuner());
    const TunerAnalysis& tuner = *engine.Tuner();

    // Two seconds of sound, two pieces at a time: each pair ends one steady reading. (The
    // virtual microphone captures as fast as it is asked; the analysis is let to keep up, as it
    // does with pieces 10 ms apart.)
    static_assert(2 * kPieceFrames == 882);
    ASSERT_TRUE(system.WaitForQueued(kIn, kCapturePieceCount, 5s));
    for (uint64_t piece = 1; piece <= 100; ++piece) {
        if (piece <= 60 && piece % 10 == 5) {
            // From the owner's thread while the analysis runs; a new tuning starts the bands
            // again, so not in the last 0.3 s, which are measured.
            engine.SetTunerTuning(Tuning());
        }
        ASSERT_EQ(system.Complete(kIn, 2), 2);
        ASSERT_TRUE(test::WaitUntil([&] { return tuner.steadyCount() == piece; }))
            << tuner.steadyCount() << " steady readings after " << 2 * piece << " pieces";
    }
    const auto readings = tuner.Latest();
    const TunerReading* newest = nullptr;
    const TunerReading* earlier = nullptr;
    for (std::size_t age = 0; age < readings.size(); ++age) {
        if (!readings[age].steady) {
            continue;
        }
        if (newest == nullptr) {
            newest = &readings[age];
        } else if (readings[age].endSample == newest->endSample - 15 * 882) {
            earlier = &readings[age];  // 0.3 s before
        }
    }
    ASSERT_NE(newest, nullptr);
    ASSERT_NE(earlier, nullptr);
    EXPECT_EQ(newest->endSample, 2 * 44100);
    EXPECT_NEAR(1200.0 * std::log2(newest->hz / 440.0), 3.9, 0.1);
    // 3.9 c sharp: 3.9 bands a second to the right, 1.17 in 0.3 s.
    EXPECT_NEAR(newest->strobeBands - earlier->strobeBands, 1.17, 0.12);
    EXPECT_EQ(tuner.droppedPieces(), 0u);

    engine.StopTuner();
    engine.Stop();
}

}  // namespace
}  // namespace tonavise
