#pragma once

#include <sys/types.h>

#include <map>
#include <string>

// The stand-in service as a child process on a free loopback port, with test control on, the
// demo keys, and its own temporary state. For the service's tests and the client's.
class RegsvcProcess {
  public:
    // `overrides`: top-level configuration keys replaced by the given JSON texts, such as
    // {"sessionIdleSeconds", "60"} or {"bundleChain", "true"}.
    explicit RegsvcProcess(const std::map<std::string, std::string>& overrides = {});
    ~RegsvcProcess();
    RegsvcProcess(const RegsvcProcess&) = delete;
    RegsvcProcess& operator=(const RegsvcProcess&) = delete;

    // Stops the service and starts it again on the same state file (and a new port).
    void restart();
    // Asks the service to end and waits; one that has not ended after five seconds is killed.
    // True when it ended by itself, cleanly.
    bool stop();

    int port() const { return port_; }
    std::string baseUrl() const;  // https://127.0.0.1:PORT
    std::string stockBase() const { return baseUrl() + "/PLOVR_STK/api/"; }
    std::string futuresBase() const { return baseUrl() + "/PLOVR_FT/api/"; }
    // The demo material the client is built with by default.
    static std::string demoFile(const std::string& name);
    std::string trustAnchorPem() const;
    std::string servicePublicKeyPem() const;

    // Test control: how an action misbehaves (a JSON object text without "action"), the
    // clock, the requests received (a JSON array text), and a reset of rules and log.
    void setRule(const std::string& action, const std::string& ruleJson);
    void advanceClock(long long seconds);
    std::string requests();
    void reset();

  private:
    void start();
    void control(const std::string& path, const std::string& body);

    std::string dir_;
    std::string configPath_;
    pid_t pid_ = -1;
    int port_ = 0;
};
