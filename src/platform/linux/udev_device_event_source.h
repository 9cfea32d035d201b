// Device arrival and removal notifications on Linux: a udev netlink monitor
// read on a thread of its own, its uevents turned into the Windows-form
// events that recorder recognition expects. Made by the platform factory.
#pragma once

#include <atomic>
#include <filesystem>
#include <thread>

#include "platform/linux/device_event_translator.h"
#include "platform/linux/udev_handles.h"
#include "seams/usb_storage_enumeration.h"

namespace ib::platform {

// Listen to the udev daemon's events when one runs (they come after it has
// set the device nodes' permissions), else to the kernel's own.
const char* monitorSourceFor(const std::filesystem::path& udevControlSocket);

class UdevDeviceEventSource final : public DeviceEventSource {
public:
    UdevDeviceEventSource();
    // Stops the monitor thread. Must not run inside the sink.
    ~UdevDeviceEventSource() override;
    UdevDeviceEventSource(const UdevDeviceEventSource&) = delete;
    UdevDeviceEventSource& operator=(const UdevDeviceEventSource&) = delete;

    // Creates and enables the monitor on first use and adds the class's
    // subsystems to its filter; false when any of that fails, and while
    // events are being delivered (classes are registered before start).
    bool registerClass(InterfaceClass cls) override;
    // Notes the devices present now, then delivers events from the monitor
    // thread. A second start replaces the first. Without a registered class
    // nothing is delivered.
    void start(Sink sink) override;
    // Ends delivery; from inside the sink it only asks the thread to end.
    void stop() override;

private:
    void rememberPresentDevices();
    void run(const Sink& sink);
    void deliverPending(const Sink& sink);

    UdevPtr m_udev;
    UdevMonitorPtr m_monitor;
    bool m_receiving = false;
    DeviceEventTranslator m_translator;  // the monitor thread's alone while it runs
    int m_wakeDescriptor = -1;  // eventfd that ends the monitor thread's poll
    std::atomic<bool> m_stopping{false};
    std::thread m_thread;
};

}  // namespace ib::platform
