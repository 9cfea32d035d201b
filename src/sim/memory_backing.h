// The in-memory backing of the simulated recorder, for unit tests: areas in
// memory; the RAM image and state are kept by the model itself, and so are the
// latest kRecentCommandLines lines of the command log (more than any test sends),
// so nothing more is stored here.
#pragma once

#include <array>

#include "sim/memory_area_store.h"
#include "sim/recorder_backing.h"

namespace ib::sim {

class MemoryBacking final : public RecorderBacking {
public:
    static constexpr std::size_t kRecentCommandLines = 100'000;

    AreaStore& area(AreaId id) override { return m_areas[id.type][id.area]; }
    void appendLog(std::string_view, LogTiming) override {}
    std::size_t logLinesInMemory() const override { return kRecentCommandLines; }
    void appendRam(std::span<const std::uint8_t>) override {}
    void clearRam() override {}
    void saveState(const RecorderState&) override {}
    std::string persistenceError() const override { return {}; }

private:
    std::array<std::array<MemoryAreaStore, kAreasPerType>, kStorageTypeCount> m_areas;
};

}  // namespace ib::sim
