// How the controller follows the recorder's arrival and removal.
#include "device/recorder_discovery.h"
#include "app/image_burner_controller.h"
#include "operation/status_texts.h"

namespace ib {

bool CImageBurnerDlg::registerDeviceNotifications() {
    for (InterfaceClass cls :
         {InterfaceClass::UsbDevice, InterfaceClass::Disk, InterfaceClass::Hid, InterfaceClass::NdisLan}) {
        if (!m_env.deviceEvents.registerClass(cls)) {
            messageBox("Can't register device notification");
            return false;
        }
    }
    m_env.deviceEvents.start([this](const DeviceEvent& e) {
        // Decided here, as the event arrives: by the time a face handles it on
        // its own thread, a worker may have switched the events back on.
        const DeviceEventAdmission admitted = admitDeviceEvent();
        if (!m_env.deliverDeviceEvent) {
            onDeviceChange(e.eventType, &e, admitted);
            return;
        }
        m_env.deliverDeviceEvent([this, e, admitted] { onDeviceChange(e.eventType, &e, admitted); });
    });
    return true;
}

DeviceEventAdmission CImageBurnerDlg::admitDeviceEvent() const {
    return DeviceEventAdmission{m_deviceEventsEnabled != 0, busy()};
}

int CImageBurnerDlg::onDeviceChange(std::uint32_t eventType, const DeviceEvent* data) {
    return onDeviceChange(eventType, data, admitDeviceEvent());
}

int CImageBurnerDlg::onDeviceChange(std::uint32_t eventType, const DeviceEvent* data, DeviceEventAdmission admitted) {
    if (eventType != kDeviceArrival && eventType != kDeviceRemoveComplete) return 0;
    if (!data || data->deviceType != kDeviceTypeInterface) return 0;
    if (!admitted.enabled) return 0;
    // The first four characters are the interface path's prefix.
    const std::string_view name = data->interfaceName;
    if (MatchDeviceName(name.size() > 4 ? name.substr(4) : std::string_view{}) < 0) return 0;

    // A running operation owns the status line and the buttons: an event
    // during it may only take the buttons away.
    const bool operationRunning = admitted.operationRunning || busy();
    if (eventType == kDeviceArrival) {
        if (operationRunning) return 0;
        enableOperationButtons(true);
        setProgressTextColour(kGreen);
        setProgress(text::kRecorderReady, 0, kGrey, kGrey);
        return 0;
    }
    enableOperationButtons(false);
    if (m_keepStatusOnRemoval != 1 && !operationRunning) {
        setProgressTextColour(kGreen);
        setProgress(text::kRecorderNotFound, 0, kGrey, kGrey);
    }
    m_keepStatusOnRemoval = 0;
    return 0;
}

}  // namespace ib
