#include <algorithm>
#include <ostream>

#include "cli/Commands.h"
#include "engine/device/SoundDevice.h"

namespace tonavise::cli {

namespace {

constexpr const char* DirectionWord(DeviceDirection direction) {
    return direction == DeviceDirection::Input ? "input" : "output";
}

void PrintDevices(DeviceDirection direction,
                  const std::vector<SoundDeviceInfo>& list,
                  std::ostream& out) {
    for (const SoundDeviceInfo& d : list) {
        out << DirectionWord(direction) << '\t' << d.name << '\t' << d.description << '\t'
            << (d.isDefault ? "default" : "") << '\n';
    }
}

// The device `name` of `direction` is chosen when the sound system has it; otherwise the
// devices it has go to err.
bool ChooseOne(DeviceFactory& devices,
               DeviceDirection direction,
               const std::string& name,
               std::ostream& err) {
    if (name.empty()) {
        return true;
    }
    const std::vector<SoundDeviceInfo> list = devices.Devices(direction);
    if (list.empty()) {
        err << "tonavise-cli: the " << devices.BackendName() << " sound back end lists no "
            << DirectionWord(direction) << " devices to choose from\n";
        return false;
    }
    const bool known = std::any_of(
        list.begin(), list.end(), [&](const SoundDeviceInfo& d) { return d.name == name; });
    if (!known) {
        err << "tonavise-cli: there is no " << DirectionWord(direction) << " device named \""
            << name << "\". The " << DirectionWord(direction) << " devices are:\n";
        PrintDevices(direction, list, err);
        return false;
    }
    devices.ChooseDevice(direction, name);
    return true;
}

}  // namespace

int RunDevices(DeviceFactory& devices, std::ostream& out, std::ostream& err) {
    const std::vector<SoundDeviceInfo> inputs = devices.Devices(DeviceDirection::Input);
    const std::vector<SoundDeviceInfo> outputs = devices.Devices(DeviceDirection::Output);
    if (inputs.empty() && outputs.empty()) {
        // The sound server's back end always lists at least its own sink and monitor: an empty
        // list means the server could not be reached, which is a failure, not a short list.
        if (devices.BackendName() == "PulseAudio") {
            err << "tonavise-cli: the sound server cannot be reached: no devices to list\n";
            return 1;
        }
        err << "tonavise-cli: " << devices.BackendName() << " sees no sound devices\n";
        return 1;
    }
    out << "direction\tname\tdescription\tdefault\n";
    PrintDevices(DeviceDirection::Input, inputs, out);
    PrintDevices(DeviceDirection::Output, outputs, out);
    return 0;
}

bool ChooseDevices(DeviceFactory& devices,
                   const std::string& input,
                   const std::string& output,
                   std::ostream& err) {
    return ChooseOne(devices, DeviceDirection::Input, input, err) &&
           ChooseOne(devices, DeviceDirection::Output, output, err);
}

}  // namespace tonavise::cli
