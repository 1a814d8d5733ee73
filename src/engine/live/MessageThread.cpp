#include "engine/live/MessageThread.h"

namespace tonavise {

// A device's report as the message its owner handles.
Message::Message(const DeviceEvent& event) {
    switch (event.kind) {
        case DeviceEvent::Kind::Filled:
            id = MM_WIM_DATA;
            break;
        case DeviceEvent::Kind::Played:
            id = MM_WOM_DONE;
            break;
        case DeviceEvent::Kind::PlayedOut:
            id = MM_WOM_PLAYED_OUT;
            break;
        case DeviceEvent::Kind::Failed:
            id = MM_DEVICE_FAILED;
            break;
    }
    argument = BufferDone{event.device, event.header};
}

}  // namespace tonavise
