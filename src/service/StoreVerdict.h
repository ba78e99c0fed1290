#pragma once

#include <optional>
#include <string>
#include <vector>

#include "crypto/NssStore.h"
#include "util/Types.h"

// The three-way check of one browser store: does it hold the service's last active
// certificate, the local PFX's, an older one of the customer or none, and which of the three
// is behind. Certificates are told apart by their SHA-1 hash; the customer by the ID number
// that starts the common name. A store that still holds a certificate the current one
// supersedes is behind too: the browser may present either.
struct StoreVerdict {
    enum class Holds { LastActive, Local, Older, None };
    enum class Behind {
        Nothing,      // all three agree
        Store,        // deploy again
        LocalPfx,     // load the right PFX
        StoreAndPfx,  // load the right PFX, then deploy again
        Unknown,      // without the service's certificate only the PFX could be compared
    };

    Holds holds = Holds::None;
    Behind behind = Behind::Unknown;
    bool olderBeside = false;  // a superseded certificate is there beside the one it holds

    static StoreVerdict judge(const std::vector<StoredCertificate>& held,
                              const std::optional<StoredCertificate>& lastActive,
                              const std::optional<StoredCertificate>& local);
    // A certificate record ("certHash", "cn", "notAfter"), as the service and the PFX reader
    // give them; nothing when absent or without a hash.
    static std::optional<StoredCertificate> fromCertInfo(const std::optional<StringMap>& certInfo);

    // "<store label>：<what it holds>，<who is behind and the step>".
    std::string text(const std::string& storeLabel) const;
};
