// The machine-wide recorder lock on Windows: named from the recorder's USB
// port in the Global\ namespace, held by one holder at a time, who is named.
#include <gtest/gtest.h>

#include <windows.h>

#include "platform/windows/recorder_lock_object.h"

namespace ib::platform {
namespace {

TEST(RecorderLockObject, IsNamedFromThePortInTheMachineWideNamespace) {
    EXPECT_EQ(recorderLockObjectName("PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(2)"),
              L"Global\\imageburner-recorder-PCIROOT_0__PCI_1400__USBROOT_0__USB_2_");
    EXPECT_EQ(recorderLockObjectName("a\\b"), L"Global\\imageburner-recorder-a_b");
}

TEST(RecorderLockObject, OneHolderAtATimeNamedToTheNext) {
    const std::string port = "test-port-" + std::to_string(::GetCurrentProcessId());
    auto first = recorderLockObject(port);
    ASSERT_EQ(first->take(), std::nullopt);
    EXPECT_EQ(recorderLockObject(port)->take(), static_cast<long>(::GetCurrentProcessId()));
    EXPECT_EQ(recorderLockObject(port + "-other")->take(), std::nullopt);
    first.reset();
    EXPECT_EQ(recorderLockObject(port)->take(), std::nullopt);
}

}  // namespace
}  // namespace ib::platform
