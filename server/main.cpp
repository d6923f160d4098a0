#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "server/OfficeSimulator.h"

namespace {
volatile std::sig_atomic_t gStop = 0;
void onSignal(int) {
    gStop = 1;
}

void usage() {
    std::puts(
        "busdesk-office-sim [--host H] [--port N] [--db FILE] [--data-dir DIR] [--seed N]\n"
        "                   [--today yyyy-MM-dd [--time HH:mm:ss]] [--threads N]\n"
        "                   [--fault JSON]...   e.g. --fault '{\"method\":\"*\",\"latencyMs\":500}'\n"
        "busdesk-office-sim --version | --help");
}
}  // namespace

int main(int argc, char** argv) {
    busdesk::sim::SimOptions options;
    options.port = 8088;
    options.dbPath = "busdesk-office.db";
    options.dataDir = "busdesk-office-data";
    std::vector<std::string> faults;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto next = [&]() -> std::string {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "%s needs a value\n", a.c_str());
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--host")
            options.host = next();
        else if (a == "--port")
            options.port = std::atoi(next().c_str());
        else if (a == "--db")
            options.dbPath = next();
        else if (a == "--data-dir")
            options.dataDir = next();
        else if (a == "--seed")
            options.seed = static_cast<unsigned>(std::strtoul(next().c_str(), nullptr, 10));
        else if (a == "--today")
            options.today = next();
        else if (a == "--time")
            options.timeOfDay = next();
        else if (a == "--threads")
            options.threads = std::atoi(next().c_str());
        else if (a == "--fault")
            faults.push_back(next());
        else if (a == "--version") {
            std::printf("busdesk-office-sim %s\n", BUSDESK_APP_VERSION);
            return 0;
        } else if (a == "--help" || a == "-h") {
            usage();
            return 0;
        } else {
            std::fprintf(stderr, "unknown option %s\n", a.c_str());
            usage();
            return 2;
        }
    }
    busdesk::sim::OfficeSimulator sim(options);
    for (auto& f : faults) {
        std::error_code ec;
        auto v = boost::json::parse(f, ec);
        std::string why;
        if (ec || !sim.faults().apply(v, &why)) {
            std::fprintf(stderr, "bad --fault %s: %s\n", f.c_str(), ec ? "invalid JSON" : why.c_str());
            return 2;
        }
    }
    if (!sim.start()) {
        std::fprintf(stderr, "busdesk-office-sim: %s\n", sim.lastError().c_str());
        return 1;
    }
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::printf("busdesk-office-sim listening on %s\n", sim.baseURL().c_str());
    std::fflush(stdout);
    while (!gStop) pause();
    sim.stop();
    return 0;
}
