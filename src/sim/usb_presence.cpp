// Enumeration and notifications of the simulated recorder. See usb_presence.h.
#include "sim/usb_presence.h"

#include <chrono>

namespace ib::sim {
namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(100);

std::string product(RecorderMode mode) {
    return mode == RecorderMode::BootRom ? "USB_BOOT_ROM" : "CARD_READER";
}

}  // namespace

std::string recorderInstanceId(RecorderMode mode, const std::string& serial) {
    return "USBSTOR\\DISK&VEN_QUB&PROD_" + product(mode) + "&REV_1.00\\" + serial + "&0";
}

std::string recorderInterfaceName(RecorderMode mode, const std::string& serial) {
    return "\\\\?\\USBSTOR#DISK&VEN_QUB&PROD_" + product(mode) + "&REV_1.00#" + serial +
           "&0#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";
}

UsbStorageList SimUsbEnumerator::presentDevices() {
    UsbStorageList list;
    list.available = true;
    if (!m_bus->recorderPresent()) return list;
    m_bus->withRecorder([&list](RecorderModel& r) {
        list.instanceIds.emplace_back(recorderInstanceId(r.state().mode, r.state().serial));
        list.portPaths.push_back(r.state().portPath);
    });
    return list;
}

SimDeviceEvents::~SimDeviceEvents() { stop(); }

bool SimDeviceEvents::registerClass(InterfaceClass cls) {
    if (m_bus->withRecorder([](RecorderModel& r) { return r.state().faults.refuseEventRegistration; }))
        return false;
    std::lock_guard lock(m_mutex);
    m_classes.insert(cls);
    return true;
}

void SimDeviceEvents::setBackgroundPolling(bool enabled) {
    std::lock_guard lock(m_mutex);
    m_backgroundPolling = enabled;
}

void SimDeviceEvents::start(Sink sink) {
    stop();
    std::lock_guard lock(m_mutex);
    m_sink = std::move(sink);
    m_stopping = false;
    if (m_backgroundPolling) m_thread = std::thread([this] { pollLoop(); });
}

void SimDeviceEvents::stop() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable()) m_thread.join();
    std::lock_guard lock(m_mutex);
    m_sink = nullptr;
}

void SimDeviceEvents::pollLoop() {
    std::unique_lock lock(m_mutex);
    while (!m_wake.wait_for(lock, kPollInterval, [this] { return m_stopping; })) {
        lock.unlock();
        poll();
        lock.lock();
    }
}

void SimDeviceEvents::poll() {
    std::lock_guard delivery(m_deliveryMutex);
    const std::vector<BusChange> changes = m_bus->takeBusChanges();
    const std::string serial = m_bus->withRecorder([](RecorderModel& r) { return r.state().serial; });
    Sink sink;
    {
        std::lock_guard lock(m_mutex);
        if (!m_sink || !m_classes.contains(InterfaceClass::Disk)) return;
        sink = m_sink;
    }
    for (const BusChange& change : changes)
        sink({change.arrived ? kDeviceArrival : kDeviceRemoveComplete, kDeviceTypeInterface,
              recorderInterfaceName(change.mode, serial)});
}

}  // namespace ib::sim
