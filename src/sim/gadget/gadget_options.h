// The command line of imageburner-sim-gadget:
//
//   imageburner-sim-gadget STATE_DIR [--udc NAME] [--name NAME] [--configfs DIR] [--functionfs DIR]
//                          [--serial SERIAL] [--stop-answering-at CODE N] [--unplug-at CODE N]
//
// SERIAL is the USB serial number (default SIM0001): printable ASCII, 1 to 126
// characters. Two gadgets on two controllers need two names and two serials.
// STATE_DIR is a simulator state folder (imageburner-cli sim init). CODE is a
// vendor command code (0x08 or 8 for WriteSectors) and N counts such commands
// from the start, as fail_command does in the state folder.
#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "sim/gadget/configfs_gadget.h"
#include "sim/gadget/misbehaviour_plan.h"

namespace ib::sim::gadget {

struct GadgetOptions {
    std::filesystem::path stateFolder;
    GadgetPlaces places;
    std::string serialNumber = kRecorderSerialNumber;
    std::vector<MisbehaviourRule> misbehaviours;
};

// Nothing, with the reason in `error`, for a missing state folder, an unknown
// option, a missing value, a number that does not read or a serial a USB
// string descriptor cannot carry.
std::optional<GadgetOptions> parseGadgetOptions(std::span<const std::string> arguments, std::string& error);

std::string gadgetUsage();

}  // namespace ib::sim::gadget
