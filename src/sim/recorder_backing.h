// Where the simulated recorder keeps what outlives a command: the storage
// areas, the command log, the RAM image and its state. In memory for unit
// tests (MemoryBacking), or a state folder shared by several processes.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "sim/area_store.h"
#include "sim/recorder_state.h"

namespace ib::sim {

// When a command-log line must be in the store: at once, or a little later with the
// lines after it (a bulk transfer's, of which a burn sends thousands).
enum class LogTiming { Now, MayWait };

class RecorderBacking {
public:
    virtual ~RecorderBacking() = default;
    virtual AreaStore& area(AreaId id) = 0;
    // One line of the command log, without its newline.
    virtual void appendLog(std::string_view line, LogTiming timing) = 0;
    // How many of the latest log lines the model keeps in memory for inspection; a
    // backing that stores the log itself needs none.
    virtual std::size_t logLinesInMemory() const = 0;
    // Bytes received by Download, appended to the RAM image; and its erasure at power-on.
    virtual void appendRam(std::span<const std::uint8_t> bytes) = 0;
    virtual void clearRam() = 0;
    // Called after every change; a backing writes only what differs from what it holds.
    virtual void saveState(const RecorderState& state) = 0;
    // The last error of keeping the state ("" when all went well), for faces to report.
    virtual std::string persistenceError() const = 0;
    // Whether the recorder's cable is in. Another program may pull and plug
    // it while this one holds the recorder; in memory it stays in.
    virtual bool cablePlugged() const { return true; }
};

}  // namespace ib::sim
