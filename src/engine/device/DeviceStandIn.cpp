#include "engine/device/DeviceStandIn.h"

namespace tonavise {

void StandInWatch::Opened() {
    standingIn_ = !devices_.MissingDevice(direction_).empty();
    askAt_ = SteadySeconds() + kAskSeconds;
}

bool StandInWatch::Gone() {
    return devices_.ChosenIsGone(direction_);
}

bool StandInWatch::Back() {
    if (!standingIn_) {
        return false;
    }
    const double now = SteadySeconds();
    if (now < askAt_) {
        return false;
    }
    askAt_ = now + kAskSeconds;
    return devices_.ChosenIsBack(direction_);
}

}  // namespace tonavise
