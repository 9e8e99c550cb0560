#include "sim/sim_options.h"
#include "sim/simulator.h"

#include <csignal>
#include <cstdio>
#include <iostream>

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    const sim::Options options = sim::ParseOptions(args);
    if (options.help) {
        std::cout << sim::Usage();
        return 0;
    }
    if (options.version) {
        std::cout << "meshgate2-sim " MESHGATE2_VERSION "\n";
        return 0;
    }
    if (!options.error.empty()) {
        std::cerr << "meshgate2-sim: " << options.error << "\nTry 'meshgate2-sim --help'.\n";
        return 2;
    }

    // Block the stop signals before the serving thread exists, so only sigwait below receives them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    sim::Simulator simulator(options.config);
    if (options.trace)
        simulator.SetFrameLogger(sim::TraceFrame, nullptr);
    if (!simulator.Start()) {
        std::cerr << "meshgate2-sim: " << simulator.Error() << '\n';
        return 1;
    }
    std::cout << simulator.DevicePath() << std::endl;

    int received = 0;
    sigwait(&stopSignals, &received);
    simulator.Stop();
    return 0;
}
