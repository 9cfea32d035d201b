// A controller wired to an in-memory simulated recorder on a temporary
// working folder, sharing one manual clock; with helpers to build working
// folders (configuration, firmware files) and to read what landed where.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/simulator.h"
#include "support/fake_environment.h"

namespace ib::test {

struct SimRigOptions {
    sim::RecorderMode mode = sim::RecorderMode::Updater;
    bool withEvents = true;  // the simulator's own enumeration and events
    std::optional<sim::AreaSizes> areaSectors = std::nullopt;
    Clock* simClock = nullptr;  // the simulator's clock, when not the rig's own
};

class SimRig {
public:
    explicit SimRig(SimRigOptions options = {});

    // Reads `count` sectors of an area as the recorder holds them.
    std::vector<std::uint8_t> area(std::uint8_t type, std::uint8_t areaIndex, std::uint64_t first,
                                   std::uint64_t count);
    // Vendor command codes the recorder received (INQUIRY excluded), in order.
    std::vector<std::uint8_t> vendorCodes();
    // Runs an operation with the rig's view.
    std::uint32_t run(Operation op) { return rig->controller->run(op, view); }
    std::vector<std::string> seen() { return rig->port.take(); }
    const std::filesystem::path& workdir() const { return rig->workdir.path(); }
    void write(const std::string& name, const std::string& content) { rig->workdir.write(name, content); }

    ManualClock clock;
    std::unique_ptr<sim::Simulator> sim;
    std::unique_ptr<ControllerRig> rig;
    CImageBurnerDlg* controller = nullptr;
    DialogValues view;
};

// Whether a vendor command changes what the recorder holds (its storage,
// registers or boot size); loading the updater does not count.
bool changesRecorder(std::uint8_t vendorCode);

// `n` bytes of a recognisable pattern that differs per `seed`.
std::string patternBytes(std::size_t n, unsigned seed);

}  // namespace ib::test
