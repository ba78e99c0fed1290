#pragma once

#include <httplib.h>

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "Config.h"
#include "Registry.h"
#include "ServiceEnvelope.h"

// The HTTPS front of the service: both endpoints in the plain and session forms, the two
// envelopes, the file downloads and, only when asked for, the test-control endpoints.
class Server {
  public:
    // How the service is told to misbehave for one action (test control only).
    struct Rule {
        std::optional<std::string> rtnCode;
        std::string rtnMsg;
        std::string mode;  // "", "garble", "truncate", "trailingNewline", "drop"
        int httpStatus = 200;
        int delayMs = 0;
    };

    Server(const Config& config, Registry& registry, const ServiceEnvelope& envelope,
           bool testControl);

    // Binds (port 0 picks a free one) and returns the port, or -1.
    int bind();
    void run();
    // Ends run(); called before run() has started its loop, it waits for the loop first.
    void stop();

  private:
    void serveApi(const httplib::Request& request, httplib::Response& response);
    void serveFile(const std::string& path, bool asBig5, httplib::Response& response);
    void addTestControl();
    void record(const Call& call, const std::string& rtnCode);

    const Config& config_;
    Registry& registry_;
    const ServiceEnvelope& envelope_;
    bool testControl_;
    httplib::SSLServer server_;
    std::mutex mutex_;
    std::map<std::string, Rule> rules_;
    std::vector<std::string> requests_;  // JSON lines of what arrived (test control only)
};
