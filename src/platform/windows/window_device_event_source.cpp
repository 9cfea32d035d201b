// Device notifications on a message-only window. See window_device_event_source.h.
#include "platform/windows/window_device_event_source.h"

#include <windows.h>
#include <dbt.h>

#include "platform/windows/interface_class_guid.h"
#include "platform/windows/wide_text.h"

namespace ib::platform {
namespace {

const wchar_t kWindowClass[] = L"imageburner.device-events";

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DEVICECHANGE && (wParam == DBT_DEVICEARRIVAL || wParam == DBT_DEVICEREMOVECOMPLETE)) {
        const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
        auto* source = reinterpret_cast<WindowDeviceEventSource*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (header && source && header->dbch_devicetype == DBT_DEVTYP_DEVICEINTERFACE) {
            const auto* iface = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(header);
            source->deliver({static_cast<std::uint32_t>(wParam), kDeviceTypeInterface,
                             utf8FromWide(iface->dbcc_name)});
        }
        return TRUE;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

bool registerWindowClass() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kWindowClass;
    return ::RegisterClassExW(&windowClass) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool registerFor(HWND window, InterfaceClass cls) {
    DEV_BROADCAST_DEVICEINTERFACE_W filter{};
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = interfaceClassGuid(cls);
    return ::RegisterDeviceNotificationW(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE) != nullptr;
}

}  // namespace

WindowDeviceEventSource::~WindowDeviceEventSource() {
    if (!m_thread.joinable()) return;
    ::PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
    m_thread.join();
}

bool WindowDeviceEventSource::ensureWindow() {
    std::unique_lock lock(m_mutex);
    if (!m_thread.joinable()) {
        m_thread = std::thread([this] { run(); });
        m_ready.wait(lock, [this] { return m_started; });
    }
    return m_window != nullptr;
}

bool WindowDeviceEventSource::registerClass(InterfaceClass cls) {
    return ensureWindow() && registerFor(static_cast<HWND>(m_window), cls);
}

void WindowDeviceEventSource::start(Sink sink) {
    std::lock_guard lock(m_mutex);
    m_sink = std::move(sink);
}

void WindowDeviceEventSource::stop() {
    bool fromADelivery = false;
    {
        std::lock_guard lock(m_mutex);
        m_sink = nullptr;
        fromADelivery = std::this_thread::get_id() == m_thread.get_id();
    }
    // A sink that stops the source from inside a delivery cannot wait for itself.
    if (fromADelivery) return;
    std::lock_guard waitForDelivery(m_deliveryMutex);
}

void WindowDeviceEventSource::deliver(const DeviceEvent& event) {
    std::lock_guard delivering(m_deliveryMutex);
    Sink sink;
    {
        std::lock_guard lock(m_mutex);
        sink = m_sink;
    }
    if (sink) sink(event);
}

void WindowDeviceEventSource::run() {
    HWND window = nullptr;
    if (registerWindowClass())
        window = ::CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   ::GetModuleHandleW(nullptr), nullptr);
    if (window) ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    MSG message;
    ::PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // the thread's queue exists from here
    {
        std::lock_guard lock(m_mutex);
        m_window = window;
        m_threadId = ::GetCurrentThreadId();
        m_started = true;
    }
    m_ready.notify_all();
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    if (window) ::DestroyWindow(window);
}

}  // namespace ib::platform
