// How the simulated recorder shows up among the system's USB storage devices:
// the enumeration (the recorder, with its port path, while it is on the bus, with
// instance ID "USBSTOR\DISK&VEN_QUB&PROD_USB_BOOT_ROM&REV_1.00\<serial>&0", or
// PROD_CARD_READER in updater mode) and the disk-interface arrival and removal
// notifications when it leaves at StartDownloaded, comes back, or is replugged.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

#include "seams/usb_storage_enumeration.h"
#include "sim/simulated_bus.h"

namespace ib::sim {

std::string recorderInstanceId(RecorderMode mode, const std::string& serial);
std::string recorderInterfaceName(RecorderMode mode, const std::string& serial);

class SimUsbEnumerator final : public UsbStorageEnumerator {
public:
    explicit SimUsbEnumerator(std::shared_ptr<SimulatedBus> bus) : m_bus(std::move(bus)) {}
    UsbStorageList presentDevices() override;

private:
    std::shared_ptr<SimulatedBus> m_bus;
};

// Delivers the recorder's arrivals and removals to the sink when the disk
// interface class is registered. The return after StartDownloaded is noticed
// by poll(), which start() runs every 100 ms of real time on a thread of its
// own unless background polling is turned off (tests with a ManualClock call
// poll() themselves). The sink runs without the bus lock held, so it may use
// the simulator, but it must not call poll() or stop().
class SimDeviceEvents final : public DeviceEventSource {
public:
    explicit SimDeviceEvents(std::shared_ptr<SimulatedBus> bus) : m_bus(std::move(bus)) {}
    ~SimDeviceEvents() override;

    bool registerClass(InterfaceClass cls) override;
    void start(Sink sink) override;
    void stop() override;

    // Notices a return and delivers every pending event to the sink before it
    // returns (events before start() or of unregistered classes are dropped).
    void poll();
    void setBackgroundPolling(bool enabled);

private:
    void pollLoop();

    std::shared_ptr<SimulatedBus> m_bus;
    std::mutex m_deliveryMutex;  // one delivery at a time, so poll() returns after all of it
    std::mutex m_mutex;          // guards the fields below
    std::condition_variable m_wake;
    std::set<InterfaceClass> m_classes;
    Sink m_sink;
    bool m_backgroundPolling = true;
    bool m_stopping = false;
    std::thread m_thread;
};

}  // namespace ib::sim
