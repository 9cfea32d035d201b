// imageburner-sim-gadget: a state folder's simulated recorder as a real USB disk
// (configfs + FunctionFS; command line in gadget_options.h) until SIGTERM or SIGINT.
// Needs root, configfs mounted, libcomposite, usb_f_fs and a UDC driver loaded.
#include <signal.h>

#include <iostream>
#include <string>
#include <vector>

#include "seams/clock.h"
#include "sim/gadget/gadget_options.h"
#include "sim/gadget/recorder_gadget.h"
#include "sim/state_folder.h"

namespace {

sigset_t terminationSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGHUP);
    return signals;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace ib::sim;
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    std::string error;
    const auto options = gadget::parseGadgetOptions(arguments, error);
    if (!options) {
        std::cerr << "imageburner-sim-gadget: " << error << '\n' << gadget::gadgetUsage();
        return 2;
    }

    // Blocked before any thread starts, so only the main thread's sigwait takes them.
    const sigset_t signals = terminationSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    StateFolder::Opened opened = StateFolder::open(options->stateFolder, error);
    if (!opened.folder) {
        std::cerr << "imageburner-sim-gadget: " << error << '\n';
        return 1;
    }
    ib::SystemClock clock;
    RecorderModel recorder(std::move(opened.state), std::move(opened.ram), *opened.folder, clock);
    gadget::MisbehaviourPlan plan;
    for (const auto& rule : options->misbehaviours) {
        plan.add(rule);
        std::cerr << "gadget: armed: the recorder " << gadget::describe(rule) << '\n';
    }

    gadget::RecorderGadget recorderGadget(recorder, std::move(plan), std::cerr, options->serialNumber);
    if (!recorderGadget.start(options->places, error)) {
        std::cerr << "imageburner-sim-gadget: " << error << '\n';
        return 1;
    }
    int signal = 0;
    sigwait(&signals, &signal);
    recorderGadget.stop();
    if (const std::string persistence = recorder.persistenceError(); !persistence.empty()) {
        std::cerr << "imageburner-sim-gadget: the state folder was not kept: " << persistence << '\n';
        return 1;
    }
    std::cerr << "gadget: stopped\n";
    return recorderGadget.failed() ? 1 : 0;
}
