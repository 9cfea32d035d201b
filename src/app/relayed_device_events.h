// A device-event source that hands each event of another source to a
// deliverer, which runs its handling where the face wants it (a window on its
// own thread).
#pragma once

#include <functional>
#include <utility>

#include "seams/usb_storage_enumeration.h"

namespace ib::app {

class RelayedDeviceEvents final : public DeviceEventSource {
public:
    using Deliverer = std::function<void(std::function<void()> handle)>;
    RelayedDeviceEvents(DeviceEventSource& source, Deliverer deliver) : m_source(source), m_deliver(std::move(deliver)) {}

    bool registerClass(InterfaceClass cls) override { return m_source.registerClass(cls); }
    void start(Sink sink) override {
        m_source.start([deliver = m_deliver, sink = std::move(sink)](const DeviceEvent& event) {
            deliver([sink, event] { sink(event); });
        });
    }
    void stop() override { m_source.stop(); }

private:
    DeviceEventSource& m_source;
    Deliverer m_deliver;
};

}  // namespace ib::app
