// The udev monitor thread. See udev_device_event_source.h.
#include "platform/linux/udev_device_event_source.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string>

#include "platform/linux/usb_scsi_disk_scan.h"

namespace ib::platform {
namespace {

constexpr const char* kUdevControlSocket = "/run/udev/control";

std::string textOf(const char* text) { return text ? text : ""; }

ObservedDevice observe(udev_device* device) {
    ObservedDevice observed;
    observed.action = textOf(udev_device_get_action(device));
    observed.subsystem = textOf(udev_device_get_subsystem(device));
    observed.devtype = textOf(udev_device_get_devtype(device));
    observed.sysname = textOf(udev_device_get_sysname(device));
    observed.devpath = textOf(udev_device_get_devpath(device));
    udev_list_entry* entry;
    udev_list_entry_foreach(entry, udev_device_get_properties_list_entry(device)) {
        observed.properties.emplace(udev_list_entry_get_name(entry),
                                    textOf(udev_list_entry_get_value(entry)));
    }
    // A removed device's sysfs directory is gone; only the event itself can be read.
    if (observed.action == "remove") return observed;
    if (observed.subsystem == "block") {
        if (const auto disk = describeUsbScsiDisk(device)) observed.usbStorInstanceId = instanceIdOf(*disk);
    } else if (observed.subsystem == "usb") {
        observed.usbSerial = textOf(udev_device_get_sysattr_value(device, "serial"));
    }
    return observed;
}

void wake(int descriptor) {
    const std::uint64_t one = 1;
    while (write(descriptor, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

}  // namespace

const char* monitorSourceFor(const std::filesystem::path& udevControlSocket) {
    std::error_code ignored;
    return std::filesystem::exists(udevControlSocket, ignored) ? "udev" : "kernel";
}

UdevDeviceEventSource::UdevDeviceEventSource() = default;

UdevDeviceEventSource::~UdevDeviceEventSource() { stop(); }

bool UdevDeviceEventSource::registerClass(InterfaceClass cls) {
    // The monitor thread reads the filter and the translator without a lock.
    if (m_thread.joinable()) return false;
    if (!m_udev) m_udev.reset(udev_new());
    if (!m_udev) return false;
    if (!m_monitor) {
        m_monitor.reset(udev_monitor_new_from_netlink(m_udev.get(), monitorSourceFor(kUdevControlSocket)));
    }
    if (!m_monitor) return false;
    for (const auto& filter : subsystemFiltersOf(cls)) {
        udev_monitor* monitor = m_monitor.get();
        if (udev_monitor_filter_add_match_subsystem_devtype(monitor, filter.subsystem, filter.devtype) < 0) {
            return false;
        }
    }
    // The first class binds the socket; later ones only renew its kernel-side filter.
    const int enabled = m_receiving ? udev_monitor_filter_update(m_monitor.get())
                                    : udev_monitor_enable_receiving(m_monitor.get());
    if (enabled < 0) return false;
    m_receiving = true;
    m_translator.enable(cls);
    return true;
}

void UdevDeviceEventSource::rememberPresentDevices() {
    UdevEnumeratePtr present(udev_enumerate_new(m_udev.get()));
    if (!present) return;
    for (const auto cls : m_translator.enabledClasses()) {
        for (const auto& filter : subsystemFiltersOf(cls)) {
            udev_enumerate_add_match_subsystem(present.get(), filter.subsystem);
        }
    }
    if (udev_enumerate_scan_devices(present.get()) < 0) return;

    udev_list_entry* entry;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(present.get())) {
        UdevDevicePtr device(udev_device_new_from_syspath(m_udev.get(), udev_list_entry_get_name(entry)));
        if (!device) continue;
        m_translator.rememberPresent(observe(device.get()));  // keeps only devices of registered classes
    }
}

void UdevDeviceEventSource::start(Sink sink) {
    stop();
    if (!m_receiving) return;
    rememberPresentDevices();
    m_wakeDescriptor = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_wakeDescriptor < 0) return;
    m_stopping = false;
    m_thread = std::thread([this, sink = std::move(sink)] { run(sink); });
}

void UdevDeviceEventSource::stop() {
    if (!m_thread.joinable()) return;
    m_stopping = true;
    wake(m_wakeDescriptor);
    // Inside the sink the thread cannot be joined; it ends when the sink returns.
    if (m_thread.get_id() == std::this_thread::get_id()) return;
    m_thread.join();
    close(m_wakeDescriptor);
    m_wakeDescriptor = -1;
}

void UdevDeviceEventSource::run(const Sink& sink) {
    pollfd watched[2] = {{udev_monitor_get_fd(m_monitor.get()), POLLIN, 0}, {m_wakeDescriptor, POLLIN, 0}};
    while (!m_stopping) {
        if (poll(watched, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (watched[1].revents != 0 || (watched[0].revents & POLLNVAL) != 0) return;
        if (watched[0].revents != 0) deliverPending(sink);
    }
}

void UdevDeviceEventSource::deliverPending(const Sink& sink) {
    // The monitor socket does not block: receiving ends when it is drained.
    while (!m_stopping) {
        UdevDevicePtr device(udev_monitor_receive_device(m_monitor.get()));
        if (!device) return;
        if (const auto event = m_translator.translate(observe(device.get()))) sink(*event);
    }
}

}  // namespace ib::platform
