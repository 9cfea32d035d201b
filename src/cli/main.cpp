// Entry point of imageburner-cli.
#include <iostream>

#include "cli/cli.h"
#include "platform/stop_signals.h"

int main(int argc, char** argv) {
    const ib::platform::StopSignals signals = ib::platform::installStopSignals();
    return ib::cli::run(argc, argv, std::cout, std::cerr, 
                           ib::cli::StopRequests{ib::StopRequest(signals.requested),
                                                 ib::StopRequest(signals.requestedAgain), ib::platform::holdSecondStop});
}
