#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/BrowserStores.h"
#include "service/StoreVerdict.h"
#include "util/Types.h"

// The direct import that goes with a deployment: the PKCS#12 goes into every store of the
// chosen browsers, each store is verified, and each gets one line for the customer. Also the
// three-way check of the information view over the same stores.
class BrowserDeployment {
  public:
    // Asks for the primary password of the store; nothing when the customer cancels.
    using PasswordPrompt = std::function<std::optional<std::string>(const BrowserStore&)>;
    // Runs the work, on another thread or not, and returns once it has ended.
    using Runner = std::function<void(const std::function<void()>&)>;

    struct Outcome {
        BrowserStore store;
        StoreImport result;
        std::string line;  // "已安裝至 Firefox（設定檔 default-release）" or why not
    };
    struct Check {
        BrowserStore store;
        std::optional<StoreVerdict> verdict;  // nothing when the store could not be read
        std::string line;
    };

    // The stores a direct import for these browsers (bundle identifiers) reaches: every
    // Firefox profile; the Chromium-family databases that exist or belong to a sandboxed
    // browser, and the shared one when it exists or no sandboxed Chromium was found.
    static std::vector<BrowserStore> targets(const std::vector<BrowserStore>& found,
                                             const std::vector<std::string>& bundleIds);

    // Imports into each target, making a missing Chromium-family database first. All work
    // on the stores goes through `run` (right here when empty), while `prompt` is asked on
    // the caller's thread between two runs: the first imports into every store that wants
    // no primary password and notes the others, the second imports into those with the
    // answers, which are wiped after it.
    static std::vector<Outcome> deploy(const std::vector<BrowserStore>& targets,
                                       const Bytes& pkcs12, const std::string& password,
                                       const PasswordPrompt& prompt, const Runner& run = {});
    // The outcomes as one message, a line per store.
    static std::string message(const std::vector<Outcome>& outcomes);

    // Reads each store (no password needed: certificates are public) and judges it.
    static std::vector<Check> check(const std::vector<BrowserStore>& stores,
                                    const std::optional<StringMap>& lastActiveCertInfo,
                                    const std::optional<StringMap>& localCertInfo);
};
