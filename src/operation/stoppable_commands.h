// The command object an operation talks through: it passes every command on
// to the recorder's own until a stop is requested, and from then on sends
// none, so each command fails and the operation leaves by its failure path
// with its clean-up. It keeps account of what reached the recorder and changed
// it, for the words that tell the user what an interrupted run left behind.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "device/general_storage_cmd.h"
#include "operation/stop_request.h"

namespace ib {

// What an operation changed on the recorder, in the order it happened; a
// run of like commands (sector writes to one area) is one change.
class RecorderChanges {
public:
    enum class Kind { Updater, UpdaterStart, BootSize, LowLevelFormat, Sectors, UserAreaFormat, Registers };

    // One more accepted command of `kind`, moving `count` sectors or registers,
    // to the area `where` (storage type code, area) for sector writes.
    void add(Kind kind, std::uint64_t count = 1, std::pair<std::int32_t, std::uint8_t> where = {});
    // "the updater (48 sectors), 2048 sectors of the eMMC boot area"; empty when nothing changed.
    std::string describe() const;
    // The sectors sent to be stored: the updater's and the sector writes'.
    std::uint64_t sectorsWritten() const;

private:
    struct Change {
        Kind kind;
        std::pair<std::int32_t, std::uint8_t> where;
        std::uint64_t count;
    };
    std::vector<Change> m_changes;
};

class StoppableCommands final : public GeneralStorageCmd {
public:
    StoppableCommands(GeneralStorageCmd& recorder, StopRequest stop) : m_recorder(recorder), m_stop(stop) {}

    // A new operation starts: nothing written, nothing refused, no storage selected.
    void beginOperation();
    // Whether a command was held back because a stop was requested (asked from any thread).
    bool refusedAny() const { return m_refused.load(); }
    // Whether a storage selection is in force on the recorder (ended by EndSession alone).
    bool storageSelected() const { return m_selected.has_value(); }
    const RecorderChanges& changes() const { return m_changes; }
    // Whether the recorder was told to start its updater and has not answered
    // from it since: it is off the bus, restarting, and holds nothing new.
    bool restartingIntoUpdater() const { return m_restarting; }

    std::uint32_t Open() override;
    std::uint32_t Download(std::uint32_t count, std::span<const std::uint8_t> data) override;
    std::uint32_t StartDownloaded() override;
    std::uint32_t ReadRegister(std::uint32_t address, std::uint8_t& value) override;
    std::uint32_t WriteRegister(std::uint32_t address, const std::uint8_t& value) override;
    std::uint32_t SelectStorage(std::int32_t storageType, std::uint8_t area, std::uint32_t& areaSectors) override;
    std::uint32_t ReadSectors(std::uint32_t first, std::uint32_t count, std::span<std::uint8_t> buffer) override;
    std::uint32_t WriteSectors(std::uint32_t first, std::uint32_t count,
                               std::span<const std::uint8_t> buffer) override;
    std::uint32_t SetBootSize(std::uint32_t sectors) override;
    std::uint32_t FormatUserArea() override;
    std::uint32_t Close() override { return m_recorder.Close(); }
    std::int32_t GetMode() override { return m_recorder.GetMode(); }
    std::uint32_t LowLevelFormat() override;
    std::string openRefusal() const override { return m_recorder.openRefusal(); }

private:
    // false, and the command is not sent, once a stop has been requested.
    bool mayGoOn();

    GeneralStorageCmd& m_recorder;
    StopRequest m_stop;
    std::atomic<bool> m_refused{false};
    bool m_restarting = false;
    std::optional<std::pair<std::int32_t, std::uint8_t>> m_selected;
    RecorderChanges m_changes;
};

}  // namespace ib
