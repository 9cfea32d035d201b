// The simulated recorder on a real USB bus: a bulk thread serves the model over
// Bulk-Only Transport, a control thread answers ep0 (SIGUSR1 interrupts both); after
// StartDownloaded it leaves the bus and returns as the updater, as a real recorder.
//
//   RecorderGadget gadget(model, plan, std::cerr, "SIM0002");
//   if (!gadget.start(places, error)) ...;
//   ... wait for a termination signal ...
//   gadget.stop();
#pragma once

#include <atomic>
#include <memory>
#include <ostream>
#include <string>
#include <thread>

#include "sim/gadget/bulk_only_transport.h"
#include "sim/gadget/configfs_gadget.h"
#include "sim/gadget/functionfs_device.h"
#include "sim/gadget/link_state.h"
#include "sim/gadget/misbehaviour_plan.h"
#include "sim/recorder_model.h"

namespace ib::sim::gadget {

class RecorderGadget {
public:
    // `serialNumber` is the USB serial number string, the same in both modes.
    RecorderGadget(RecorderModel& recorder, MisbehaviourPlan plan, std::ostream& log,
                   std::string serialNumber);
    ~RecorderGadget();
    RecorderGadget(const RecorderGadget&) = delete;
    RecorderGadget& operator=(const RecorderGadget&) = delete;

    // Makes the gadget, opens FunctionFS, starts both threads and binds as soon
    // as the recorder is on the bus. False with the reason in `error`.
    bool start(const GadgetPlaces& places, std::string& error);
    // Ends both threads and takes the gadget apart. Call from the thread that started it.
    void stop();
    // Whether the gadget had to give up (the process is sent SIGTERM then).
    bool failed() const { return m_failed; }

private:
    void serveCommands();
    // After StartDownloaded: off the bus, the updater's identity, back once the restart delay is over.
    void restartOnBus();
    bool bindWhenOnBus();
    void holdUntilReset();
    void unplug();
    void giveUp(const std::string& why);
    void interruptUntilDone(std::thread& thread, const std::atomic<bool>& done);

    RecorderModel& m_recorder;
    MisbehaviourPlan m_plan;
    std::ostream& m_log;
    const std::string m_serialNumber;
    LinkState m_link;
    std::unique_ptr<ConfigfsGadget> m_gadget;
    std::unique_ptr<FunctionFsDevice> m_device;
    std::unique_ptr<BulkOnlyTransport> m_transport;
    std::thread m_bulkThread;
    std::thread m_controlThread;
    std::atomic<bool> m_bulkDone{false};
    std::atomic<bool> m_controlDone{false};
    std::atomic<bool> m_failed{false};
};

}  // namespace ib::sim::gadget
