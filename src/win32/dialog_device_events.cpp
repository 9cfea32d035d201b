#include "win32/dialog_device_events.h"

#include <dbt.h>

#include "platform/windows/interface_class_guid.h"
#include "platform/windows/wide_text.h"

namespace ib::win32 {

DialogDeviceEvents::~DialogDeviceEvents() {
    for (HDEVNOTIFY registration : m_registrations) ::UnregisterDeviceNotification(registration);
}

bool DialogDeviceEvents::registerClass(InterfaceClass cls) {
    DEV_BROADCAST_DEVICEINTERFACE_W filter{};
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = platform::interfaceClassGuid(cls);
    HDEVNOTIFY registration = ::RegisterDeviceNotificationW(m_thread.window(), &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    if (!registration) return false;
    m_registrations.push_back(registration);
    return true;
}

void DialogDeviceEvents::onDeviceChange(WPARAM event, LPARAM data) const {
    if (event != DBT_DEVICEARRIVAL && event != DBT_DEVICEREMOVECOMPLETE) return;
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
    if (!m_sink || !header || header->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE) return;
    const auto* iface = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(header);
    const Sink sink = m_sink;  // the sink may stop the source while it runs
    sink({static_cast<std::uint32_t>(event), kDeviceTypeInterface, platform::utf8FromWide(iface->dbcc_name)});
}

}  // namespace ib::win32
