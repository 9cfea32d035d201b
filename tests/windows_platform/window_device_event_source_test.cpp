// The owner of a device-event sink may go away as soon as stop() returns: a
// delivery in progress has ended by then.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/windows/window_device_event_source.h"

namespace ib::platform {
namespace {

TEST(WindowDeviceEventSource, StopWaitsForADeliveryInProgress) {
    WindowDeviceEventSource source;
    std::atomic<bool> entered = false;
    std::atomic<bool> finished = false;
    source.start([&](const DeviceEvent&) {
        entered = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        finished = true;
    });
    std::thread window([&] { source.deliver({}); });
    while (!entered) std::this_thread::yield();
    source.stop();
    EXPECT_TRUE(finished);
    window.join();
}

}  // namespace
}  // namespace ib::platform
