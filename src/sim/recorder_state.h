// Everything the simulated recorder remembers between commands and between
// processes: mode, area sizes, selection, registers, counters, faults and the
// latency model. A state folder keeps it in recorder.ini; tests build one in code.
#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ib::sim {

enum class RecorderMode { BootRom, Updater };

// Storage type codes 0 moviNAND, 1 eSD, 2 eMMC, 3 SIF, 4 NAND; area 0 user, 1 boot.
inline constexpr std::uint8_t kStorageTypeCount = 5;
inline constexpr std::uint8_t kAreasPerType = 2;
inline constexpr std::uint8_t kMoviNand = 0;
inline constexpr std::uint8_t kSerialFlash = 3;
inline constexpr std::uint8_t kUserAreaIndex = 0;
inline constexpr std::uint8_t kBootAreaIndex = 1;

struct AreaId {
    std::uint8_t type = 0;
    std::uint8_t area = 0;
    auto operator<=>(const AreaId&) const = default;
};

// Sizes in sectors, indexed [type][area].
using AreaSizes = std::array<std::array<std::uint32_t, kAreasPerType>, kStorageTypeCount>;

inline constexpr std::uint32_t kDefaultUserSectors = 7'700'480;      // a 3.7 GB eMMC
inline constexpr std::uint32_t kDefaultBootSectors = 16'384;         // 8 MB
inline constexpr std::uint32_t kDefaultSerialFlashSectors = 32'768;  // a 16 MB serial flash
inline constexpr std::int64_t kDefaultRestartDelayMs = 1500;

// Realistic defaults; the serial flash's area 0 is a flash chip, not an eMMC.
AreaSizes defaultAreaSizes();
// Every user area `userSectors`, every boot area `bootSectors`.
AreaSizes uniformAreaSizes(std::uint32_t userSectors, std::uint32_t bootSectors);

std::string storageTypeName(std::uint8_t type);  // "moviNAND", ..., "type 7" for unknown codes

// How an injected fault fails its command: the transport breaks (on USB a
// phase error and a reset; the host's pass-through call fails), or the
// recorder answers CHECK CONDITION with HARDWARE ERROR sense through a call
// that succeeds.
enum class FaultKind { TransportFailure, CheckCondition };

// The n-th command with vendor code `code` fails, counting from when the fault
// was set; `seen` is how many such commands arrived since. A fault fires once.
struct CommandFault {
    std::uint8_t code = 0;
    std::uint32_t nth = 1;
    std::uint32_t seen = 0;
    FaultKind kind = FaultKind::TransportFailure;
    bool operator==(const CommandFault&) const = default;
};

// The program that has the recorder receives `signal` when the `nth` vendor
// command with `code` from now on arrives, as if a person pressed Ctrl+C just
// then; the command itself is carried out. Fires once; `nth` counts down.
struct HostSignal {
    std::uint8_t code = 0;
    std::uint32_t nth = 1;
    int signal = 0;
    bool operator==(const HostSignal&) const = default;
};

struct Faults {
    std::vector<CommandFault> failCommands;
    std::optional<HostSignal> signalHost;
    bool openFindsNothing = false;  // the recorder's volume does not open (still enumerated)
    bool staysAway = false;         // no return after StartDownloaded
    bool decoyNotOpening = false;   // volumes placed before the recorder, in this order
    bool decoyInquiryFormat2 = false;
    bool decoyIdentifyFails = false;
    bool refuseEventRegistration = false;  // every device-notification registration is refused
    bool operator==(const Faults&) const = default;
};

// Time a command takes: a fixed delay plus its data phase at a given rate.
struct Latency {
    std::uint64_t commandDelayUs = 0;
    std::uint64_t bandwidthBytesPerSecond = 0;  // 0: no limit
    bool operator==(const Latency&) const = default;
};

struct Counters {
    std::uint64_t downloads = 0;  // Download commands accepted
    std::uint64_t starts = 0;     // StartDownloaded commands accepted
    std::uint64_t sessions = 0;   // EndSession commands accepted
    std::uint64_t userAreaFormats = 0;
    std::uint64_t lowLevelFormats = 0;
    std::uint64_t bootSizeChanges = 0;
    bool operator==(const Counters&) const = default;
};

// Where the simulated recorder sits on the USB bus and the serial number it
// reports: its identity, the same in boot ROM and updater mode.
inline constexpr const char* kDefaultPortPath = "1-1";
inline constexpr const char* kDefaultSerial = "SIM0001";

struct RecorderState {
    RecorderMode mode = RecorderMode::BootRom;
    std::string portPath = kDefaultPortPath;
    std::string serial = kDefaultSerial;
    AreaSizes areaSectors = defaultAreaSizes();
    std::uint32_t indexTableSector = 0;  // sector of area 0 that FormatUserArea reads
    std::int64_t restartDelayMs = kDefaultRestartDelayMs;
    // Steady-clock ms until which the recorder is off the bus; none: on the bus.
    std::optional<std::int64_t> awayUntilMs;
    // The area selected last since the updater started; none after a restart or EndSession.
    std::optional<AreaId> selection;
    std::map<std::uint32_t, std::uint8_t> registers;  // written registers; others read 0
    Counters counters;
    Faults faults;
    Latency latency;
    bool operator==(const RecorderState&) const = default;

    std::uint32_t sizeOf(AreaId id) const { return areaSectors[id.type][id.area]; }
};

// Whether the recorder is still off the bus at `nowMs`, restarting into its
// updater. A time further off than a whole restart is from a clock that began
// anew (the machine was restarted since): the recorder is back.
bool restartingAt(const RecorderState& state, std::int64_t nowMs);

}  // namespace ib::sim
