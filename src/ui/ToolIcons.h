// The toolbar images: 24 x 24 pictures drawn in code as vector shapes, so that they are sharp at
// any size and on screens with any device pixel ratio. The disabled look is drawn in greys.
#pragma once

#include <QIcon>

namespace tonavise::ui {

enum class ToolIcon {
    kNone,
    // main toolbar
    kCaptureScreen,
    kSetParameters,
    kHelp,
    // Scope bar
    kWaveShape,
    kFrequencyScale,
    kPitchScale,
    kVertZoomIn,
    kVertZoomOut,
    kHorZoomIn,
    kHorZoomOut,
    kWatchRight,
    kWatchLeft,
    kThreeD,
    kNotation,
    kPitchMarking,
    // Player bar
    kOpenFile,
    kPlay,
    kPause,
    kStop,
    kLoopA,
    kLoopB,
    kLoopClear,
    // Recorder bar
    kToneLa,
    kMetronome,
    kRecord,
    kRecordStop,
    kRecordPlay,
    kSave,
    // Assistance bar
    kSignalGenerator,
    kPrecisePitch,
    kPitchTrack,
    kTuner,
};

inline constexpr int kToolIconSize = 24;

// A null icon for kNone.
QIcon MakeToolIcon(ToolIcon icon);

// The application's window icon, drawn the same way.
QIcon MakeAppIcon();

}  // namespace tonavise::ui
