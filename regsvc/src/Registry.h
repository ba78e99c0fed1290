#pragma once

#include <ctime>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "Answer.h"
#include "Config.h"
#include "DemoCa.h"
#include "Store.h"

// One request as the service understands it, its values already out of the envelope.
struct Call {
    std::string action;
    bool futuresEndpoint = false;
    std::optional<std::string> sessionId;
    std::map<std::string, std::string> params;
    // A value of the public-key envelope did not open. The call is answered as if the value
    // were wrong, never with a code of its own: a distinct answer would tell anyone whether
    // a ciphertext has valid PKCS#1 padding.
    bool unreadable = false;
};

// The registration service's rules: customers and sessions, the system configuration, the
// function status and the certificate life cycle. Thread-safe.
class Registry {
  public:
    Registry(const Config& config, const DemoCa& ca, Store& store);

    // Replaces "#base#" in configuration values (the service's own address).
    void setBaseUrl(const std::string& baseUrl);

    Answer handle(const Call& call);

    // The key of a session the service has issued (also after it expired, so the refusal can
    // be sealed); nothing for a session it never issued or that logged out.
    std::optional<std::string> sessionKey(const std::string& sessionId) const;

    // The service clock: real time plus an offset that tests move forward.
    std::time_t now() const;
    void advanceClock(long long seconds);

  private:
    struct Session {
        std::string customerId;
        std::string aesKey;
        std::time_t lastSeen = 0;
    };
    struct Status {
        std::string fnStatus;
        int certCount = 0;
        int effectCertCount = 0;
    };

    Answer sysCfg() const;
    Answer checkVersion(const Call& call) const;
    Answer login(const Call& call);
    Answer sessionCall(const Call& call);
    Answer fnStatus(const Customer& customer);
    Answer applyCert(const Customer& customer, const Call& call);
    Answer renewCert(const Customer& customer, const Call& call);
    Answer activeCert(const Customer& customer, const Call& call);
    Answer qryCert(const Customer& customer);
    Answer qryLastActiveCert(const Customer& customer);

    void pruneSessions();
    Status statusOf(const Customer& customer);
    CertRecord* find(const Customer& customer, const std::string& kind, const std::string& status);
    Answer issue(const Customer& customer, X509_REQ* request, const std::string& kind);
    std::optional<Answer> checkRequest(const Customer& customer, const std::string& csr,
                                       ssl::X509Req& request) const;
    Answer certificateAnswer(const CertRecord& record) const;

    const Config& config_;
    const DemoCa& ca_;
    Store& store_;
    std::string baseUrl_;
    mutable std::mutex mutex_;
    std::map<std::string, Session> sessions_;
    long long clockOffset_ = 0;
};
