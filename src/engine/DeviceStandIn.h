// StandInWatch: an output owner's watch over the device chosen for it. When its stream dies
// because the chosen device went away (unplugged, or its module unloaded) while the sound
// system still answers, the owner reopens at once, and the open stands the default in; while the
// default stands in, the owner asks now and then whether the chosen device is back and, when it
// is, reopens on it. Both reopens are the owner's: the watch only answers when.
//
// Threads: the owner's worker thread only (it asks the sound system; never an audio thread).
#pragma once

#include "engine/SoundDevice.h"

namespace tonavise {

class StandInWatch {
  public:
    StandInWatch(DeviceFactory& devices, DeviceDirection direction)
        : devices_(devices), direction_(direction) {}

    // After each of the owner's opens: whether that open stands the default in.
    void Opened();
    // After the owner's stream died: whether it died because the chosen device went away, so
    // that the owner reopens at once instead of stopping.
    bool Gone();
    // From the owner's tick while its stream plays: whether to reopen now on the chosen device
    // (the sound system is asked at most every kAskSeconds).
    bool Back();

    static constexpr double kAskSeconds = 2.0;

  private:
    DeviceFactory& devices_;
    const DeviceDirection direction_;
    bool standingIn_ = false;
    double askAt_ = 0.0;
};

}  // namespace tonavise
