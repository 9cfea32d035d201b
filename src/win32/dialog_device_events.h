// Device arrival and removal notifications on the dialog's own window: each
// class the controller asks for is registered with RegisterDeviceNotificationW
// for the dialog, in the order asked; the dialog hands its WM_DEVICECHANGE
// messages here and the interface events go to the sink on the dialog's thread.
#pragma once

#include <windows.h>

#include <vector>

#include "seams/usb_storage_enumeration.h"
#include "win32/dialog_thread.h"

namespace ib::win32 {

class DialogDeviceEvents final : public DeviceEventSource {
public:
    // `thread` names the dialog window once it exists; it must outlive this.
    explicit DialogDeviceEvents(const DialogThread& thread) : m_thread(thread) {}
    ~DialogDeviceEvents() override;
    DialogDeviceEvents(const DialogDeviceEvents&) = delete;
    DialogDeviceEvents& operator=(const DialogDeviceEvents&) = delete;

    bool registerClass(InterfaceClass cls) override;
    void start(Sink sink) override { m_sink = std::move(sink); }
    void stop() override { m_sink = nullptr; }

    // The dialog's WM_DEVICECHANGE: arrivals and removals of interfaces go to the sink.
    void onDeviceChange(WPARAM event, LPARAM data) const;

private:
    const DialogThread& m_thread;
    Sink m_sink;
    std::vector<HDEVNOTIFY> m_registrations;
};

}  // namespace ib::win32
