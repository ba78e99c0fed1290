// The stand-in registration service: regsvc --config FILE [--state FILE] [--port N]
// [--test-control]. Prints "regsvc listening on https://HOST:PORT" once it accepts calls.
#include <pthread.h>

#include <csignal>
#include <cstring>
#include <iostream>
#include <string>
#include <thread>

#include "Config.h"
#include "DemoCa.h"
#include "Registry.h"
#include "Server.h"
#include "ServiceEnvelope.h"
#include "Store.h"

namespace {

bool isLoopback(const std::string& host) {
    return host == "127.0.0.1" || host == "::1" || host == "localhost";
}

int fail(const std::string& message) {
    std::cerr << "regsvc: " << message << std::endl;
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string configPath, statePath;
    int port = -1;
    bool testControl = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--config" && i + 1 < argc) {
            configPath = argv[++i];
        } else if (arg == "--state" && i + 1 < argc) {
            statePath = argv[++i];
        } else if (arg == "--port" && i + 1 < argc) {
            port = std::atoi(argv[++i]);
        } else if (arg == "--test-control") {
            testControl = true;
        } else {
            return fail("usage: regsvc --config FILE [--state FILE] [--port N] [--test-control]");
        }
    }
    std::string error;
    auto config = Config::load(configPath, error);
    if (!config) return fail(error);
    if (!statePath.empty()) config->stateFile = statePath;
    if (port >= 0) config->port = port;
    if (testControl && !isLoopback(config->host)) {
        return fail("--test-control is only allowed on a loopback address");
    }
    auto envelope = ServiceEnvelope::load(config->serviceKey);
    if (!envelope) return fail("cannot read the 2048-bit service key " + config->serviceKey);
    auto ca = DemoCa::load(config->rootCert, config->issuingCert, config->issuingKey);
    if (!ca) return fail("cannot read the CA certificates and key");
    Store store(config->stateFile);
    if (!store.load(error)) return fail(error);

    // INT and TERM are taken by one thread with sigwait rather than a handler: stopping the
    // server is no work for a signal handler. Blocked here, before any thread starts.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    Registry registry(*config, *ca, store);
    Server server(*config, registry, *envelope, testControl);
    const int bound = server.bind();
    if (bound < 0)
        return fail("cannot listen on " + config->host + ":" + std::to_string(config->port));
    // The addresses the configuration hands out are known once the port is.
    registry.setBaseUrl("https://" + config->host + ":" + std::to_string(bound));
    // Every signal is taken, not only the first: a stop never depends on when it arrives.
    std::thread([&server, stopSignals] {
        for (;;) {
            int signal = 0;
            if (sigwait(&stopSignals, &signal) == 0) server.stop();
        }
    }).detach();
    std::cout << "regsvc listening on https://" << config->host << ":" << bound << std::endl;
    server.run();
    return 0;
}
