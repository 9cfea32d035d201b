// The simulated recorder as a USB gadget. See recorder_gadget.h.
#include "sim/gadget/recorder_gadget.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

namespace ib::sim::gadget {
namespace {

using namespace std::chrono_literals;

constexpr auto kPresencePoll = 20ms;
// The time the boot ROM takes to jump into the updater after its last status
// wrapper. None: leaving at once is the hardest case for the host, whose
// SG_IO call for the start command may then fail (the sg driver reports a
// detaching device even when the command completed); the host must still
// find the recorder coming back in its updater.
constexpr auto kLeaveDelay = 0ms;
constexpr auto kFailurePause = 10ms;
constexpr auto kInterruptRepeat = 20ms;
// Interrupts a thread blocked in FunctionFS I/O (its waits are interruptible).
constexpr int kInterruptSignal = SIGUSR1;

void ignoreSignal(int) {}

void installInterruptSignal() {
    struct sigaction action {};
    action.sa_handler = ignoreSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: the blocked call must return EINTR
    sigaction(kInterruptSignal, &action, nullptr);
}

std::string describe(const UsbIdentity& identity) {
    char ids[16];
    std::snprintf(ids, sizeof ids, "%04x:%04x", unsigned{identity.vendorId}, unsigned{identity.productId});
    return identity.product + " (" + ids + ")";
}

}  // namespace

RecorderGadget::RecorderGadget(RecorderModel& recorder, MisbehaviourPlan plan, std::ostream& log,
                               std::string serialNumber)
    : m_recorder(recorder), m_plan(std::move(plan)), m_log(log), m_serialNumber(std::move(serialNumber)) {}

RecorderGadget::~RecorderGadget() { stop(); }

bool RecorderGadget::start(const GadgetPlaces& places, std::string& error) {
    installInterruptSignal();
    m_gadget = ConfigfsGadget::create(places, usbIdentityOf(m_recorder, m_serialNumber), error);
    if (!m_gadget) return false;
    m_device = FunctionFsDevice::open(m_gadget->functionFsMount(), error);
    if (!m_device) {
        m_gadget.reset();
        return false;
    }
    m_transport = std::make_unique<BulkOnlyTransport>(*m_device, m_recorder, m_link);
    m_bulkThread = std::thread([this] {
        if (bindWhenOnBus()) serveCommands();
        m_bulkDone = true;
    });
    const pthread_t bulk = m_bulkThread.native_handle();
    m_controlThread = std::thread([this, bulk] {
        m_device->serveControl(m_link, [bulk] { pthread_kill(bulk, kInterruptSignal); });
        m_controlDone = true;
    });
    return true;
}

void RecorderGadget::stop() {
    m_link.stop();
    interruptUntilDone(m_bulkThread, m_bulkDone);
    interruptUntilDone(m_controlThread, m_controlDone);
    m_transport.reset();
    // Off the bus before the endpoint files close, so the host sees a clean removal.
    if (m_gadget) m_gadget->unbind();
    m_device.reset();
    m_gadget.reset();
}

void RecorderGadget::interruptUntilDone(std::thread& thread, const std::atomic<bool>& done) {
    if (!thread.joinable()) return;
    // A signal that lands just before the thread blocks is lost, so it is repeated.
    while (!done) {
        pthread_kill(thread.native_handle(), kInterruptSignal);
        std::this_thread::sleep_for(kInterruptRepeat);
    }
    thread.join();
}

void RecorderGadget::serveCommands() {
    while (!m_link.stopping()) {
        const std::uint64_t before = m_link.generation();
        const auto cbw = m_transport->receiveCommand();
        if (!cbw) {
            // A reset, an interruption or an invalid CBW; a failure that lasts must not spin.
            if (m_link.generation() == before) std::this_thread::sleep_for(kFailurePause);
            continue;
        }
        if (const auto rule = m_plan.decide(cbw->cdb())) {
            m_log << "gadget: fired: the recorder " << describe(*rule) << '\n';
            if (rule->what == Misbehaviour::Unplug) return unplug();
            holdUntilReset();
            continue;
        }
        const std::uint64_t busGeneration = m_recorder.busGeneration();
        m_transport->answer(*cbw);
        if (m_recorder.busGeneration() != busGeneration) restartOnBus();
    }
}

void RecorderGadget::restartOnBus() {
    std::this_thread::sleep_for(kLeaveDelay);
    if (!m_gadget->unbind()) return giveUp(m_gadget->lastError());
    m_log << "gadget: left the bus, the recorder restarts into its updater\n";
    bindWhenOnBus();
}

bool RecorderGadget::bindWhenOnBus() {
    while (!m_recorder.onBus()) {
        if (m_link.stopping()) return false;
        std::this_thread::sleep_for(kPresencePoll);
    }
    m_recorder.takeBusChanges();  // the host learns of them from the bus itself
    const UsbIdentity identity = usbIdentityOf(m_recorder, m_serialNumber);
    if (!m_gadget->setIdentity(identity) || !m_gadget->bind()) {
        giveUp(m_gadget->lastError());
        return false;
    }
    m_log << "gadget: on the bus as " << describe(identity) << '\n';
    return true;
}

void RecorderGadget::holdUntilReset() {
    // The command was received and is never answered: the host times out and resets the device.
    if (m_link.waitForResetAfter(m_link.generation()))
        m_log << "gadget: the host reset the device, answering again\n";
}

void RecorderGadget::unplug() {
    if (!m_gadget->unbind()) return giveUp(m_gadget->lastError());
    m_log << "gadget: off the bus until the program ends\n";
    m_link.waitUntilStopped();
}

void RecorderGadget::giveUp(const std::string& why) {
    m_log << "gadget: giving up: " << why << '\n';
    m_failed = true;
    kill(getpid(), SIGTERM);  // wakes the main thread, which waits for termination signals
}

}  // namespace ib::sim::gadget
