// Device arrival and removal notifications on Windows: a message-only window,
// owned by a thread of the source's own, registered with
// RegisterDeviceNotificationW for each interface class; WM_DEVICECHANGE
// interface events go to the sink with the interface name in UTF-8.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

#include "seams/usb_storage_enumeration.h"

namespace ib::platform {

class WindowDeviceEventSource final : public DeviceEventSource {
public:
    WindowDeviceEventSource() = default;
    ~WindowDeviceEventSource() override;
    WindowDeviceEventSource(const WindowDeviceEventSource&) = delete;
    WindowDeviceEventSource& operator=(const WindowDeviceEventSource&) = delete;

    // Creates the window (and its thread) on first use and registers it for
    // the class; false when either is refused.
    bool registerClass(InterfaceClass cls) override;
    // Events of the registered classes go to `sink` from the window's thread.
    void start(Sink sink) override;
    // Ends delivery and waits for one in progress, so that the sink's owner may
    // go away once it returns; the window lives on until destruction.
    void stop() override;

    // The window procedure's way back to the sink.
    void deliver(const DeviceEvent& event);

private:
    bool ensureWindow();
    void run();

    std::mutex m_mutex;          // guards the sink and the window's start
    std::mutex m_deliveryMutex;  // held while the sink runs
    std::condition_variable m_ready;
    Sink m_sink;
    std::thread m_thread;
    bool m_started = false;
    void* m_window = nullptr;  // HWND; null when it could not be made
    unsigned long m_threadId = 0;
};

}  // namespace ib::platform
