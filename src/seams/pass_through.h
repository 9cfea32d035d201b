// The seam between the vendor command layer and whatever carries SCSI command
// blocks to a volume: the operating system's pass-through for a real recorder,
// or the simulated recorder in tests and demos. Nothing above this seam knows
// which one it talks to.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace ib {

enum class DataDirection { None, In, Out };

// How the carrier moves the data: through a zeroed area of its own, copied
// to or from `data` (short replies, probing), or straight from the caller's
// buffer (bulk transfers). Carriers without that choice treat both alike.
enum class TransferKind { Buffered, Direct };

// One command block with its data phase. `data` is written by the device for
// In, read for Out, and empty for None.
struct ScsiRequest {
    std::span<const std::uint8_t> cdb;  // 6 or 16 bytes
    DataDirection direction = DataDirection::None;
    std::span<std::uint8_t> data;
    unsigned timeoutSeconds = 0;
    TransferKind kind = TransferKind::Buffered;
};

// What came back besides the data. `completed` is the pass-through call's own
// verdict (false: the call failed, the device timed out, was reset or left the
// bus); when it is true, the device answered with `status` and, for CHECK
// CONDITION, `sense`, which the command layer judges (a device that refused
// the command answers CHECK CONDITION through a call that succeeds).
struct ScsiOutcome {
    bool completed = false;
    std::uint8_t status = 0;
    std::vector<std::uint8_t> sense;
    std::size_t transferred = 0;  // bytes actually moved, when the carrier knows
    // When the call failed: the system's own words for why, where it gave any
    // (kept for the log, so that a failure on a real machine can be told apart).
    std::string callFailure;
};

// Whether the storage behind a handle may be written now.
enum class StorageWrites {
    Ready,
    Mounted,  // the system has a file system of it mounted; unmounting it can make it ready
    Refused,  // held otherwise (another program, a lock the system would not give)
};

// An open volume. Closing is destruction, so no handle can leak.
class VolumeHandle {
public:
    virtual ~VolumeHandle() = default;
    // Sends one command; the outcome's `completed` is false when the call failed.
    virtual ScsiOutcome send(const ScsiRequest& request) = 0;
    // What keeps the recorder behind the volume for this program, null when
    // the carrier keeps nothing. Kept past the handle, it keeps other programs
    // out while the recorder leaves the bus and comes back.
    virtual std::shared_ptr<const void> recorderClaim() const { return nullptr; }
    // Called before the program first writes the storage behind this handle:
    // makes sure no file system of the system's sits on it while sectors are
    // written underneath (a mounted partition is refused, or the volume is
    // taken from the system for as long as the handle is open). Anything but
    // Ready sets `whyNot`, in words a person can act on: writing must not go ahead.
    [[nodiscard]] virtual StorageWrites prepareStorageWrites(std::string& /*whyNot*/) { return StorageWrites::Ready; }
    // After a Mounted answer, and only when the user agreed: unmounts the
    // storage's file systems the way the user at the seat may without root.
    // false with `whyNot` when it could not (a carrier that mounts nothing has no way).
    [[nodiscard]] virtual bool unmountStorage(std::string& whyNot) {
        whyNot = "this volume cannot be unmounted by the program";
        return false;
    }
};

// The candidate volumes, addressed by drive letter 'D' to 'Z' like the volumes
// a Windows machine gives USB disks.
class VolumeProvider {
public:
    virtual ~VolumeProvider() = default;
    // Opens the volume for reading and writing. Returns null when there is no
    // volume at that letter or it cannot be opened; `whyNot`, when given,
    // receives a one-line reason a person can act on (missing permission, ...).
    virtual std::unique_ptr<VolumeHandle> openVolume(char letter, std::string* whyNot = nullptr) = 0;
    // A short human-readable name of the volume behind a letter ("" for none),
    // used by diagnostics only.
    virtual std::string volumeName(char letter) const = 0;
    // The USB port path of the device behind a letter, as the latest list of
    // volumes has it (a scan's first letter takes a fresh list); "" when
    // there is none or the system does not tell. Opens nothing.
    virtual std::string volumePort(char /*letter*/) const { return ""; }
};

}  // namespace ib
