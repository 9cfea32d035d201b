// The recorders present on the machine, each named by where it sits: its USB
// port path, with the serial number it reports, the mode its instance ID
// shows, its drive letter and whether another program holds it. A bench with
// several recorders chooses one of them by port or serial before any command
// is sent.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "seams/pass_through.h"
#include "seams/usb_storage_enumeration.h"

namespace ib {

enum class ListedMode { BootRom, Updater, CardReader };

struct RecorderEntry {
    std::string portPath;  // "1-2.3"; "" when the system does not tell
    std::string serial;    // "" when the recorder reports none
    ListedMode mode = ListedMode::BootRom;
    char letter = 0;       // 0 when no drive letter is on its port
    // The in-use message when another program holds it, "" when none does,
    // nullopt when the list did not look.
    std::optional<std::string> heldBy;
    bool operator==(const RecorderEntry&) const = default;
};

// "boot ROM", "updater", "card reader".
std::string_view listedModeName(ListedMode mode);

// The serial number in an instance ID ("...\SIM0002&0" gives "SIM0002"); ""
// when the ID carries a name the system made up instead.
std::string serialOfInstanceId(std::string_view instanceId);

// Whether listing looks for the program that holds each recorder, which opens
// its volume for a moment (nothing is sent). A look that repeats while this
// program's own runs take recorders skips it, as it could meet a run opening.
enum class HolderCheck { Look, Skip };

// The recorders in a device list, one per port, in enumeration order, without
// their volumes.
std::vector<RecorderEntry> recordersIn(const UsbStorageList& list);

// Every present recorder, one per port, in enumeration order.
std::vector<RecorderEntry> listRecorders(UsbStorageEnumerator& devices, VolumeProvider& volumes,
                                         HolderCheck holders = HolderCheck::Look);

// Fills in `heldBy` of a recorder listed with its letter: opens its volume
// for a moment (nothing is sent) to see whether another program holds it.
void lookForHolder(VolumeProvider& volumes, RecorderEntry& recorder);

// The recorders `pattern` names: the one on that port, else those whose
// serial starts with it.
std::vector<RecorderEntry> recordersNamed(const std::vector<RecorderEntry>& recorders, std::string_view pattern);

// Whether `pattern` takes in the recorder: its port, a hub port above it
// ("1-2" takes in "1-2.3"), or the start of its serial.
bool recorderWithin(const RecorderEntry& recorder, std::string_view pattern);

}  // namespace ib
