#include "service/BrowserDeployment.h"

#include <algorithm>

#include "crypto/NssStore.h"
#include "crypto/StoreResult.h"
#include "platform/BundleIds.h"
#include "service/StoreTexts.h"

using Family = BrowserStore::Family;

std::vector<BrowserStore> BrowserDeployment::targets(const std::vector<BrowserStore>& found,
                                                     const std::vector<std::string>& bundleIds) {
    auto chosen = [&](const char* bundleId) {
        return std::find(bundleIds.begin(), bundleIds.end(), bundleId) != bundleIds.end();
    };
    const bool firefox = chosen(bundle_id::kFirefox);
    const bool chromium = chosen(bundle_id::kChrome);
    // The shared database of a Chromium that is not sandboxed would only be made for nothing
    // when the chosen Chromium runs in a sandbox of its own.
    const bool sandboxedChromium = std::any_of(found.begin(), found.end(), [](const auto& s) {
        return s.family == Family::Chromium && s.sandboxed();
    });
    std::vector<BrowserStore> stores;
    for (const auto& store : found) {
        const bool take =
            store.family == Family::Firefox
                ? firefox
                : chromium && (store.sandboxed() || store.exists || !sandboxedChromium);
        if (take) stores.push_back(store);
    }
    return stores;
}

std::vector<BrowserDeployment::Outcome> BrowserDeployment::deploy(
    const std::vector<BrowserStore>& targets, const Bytes& pkcs12, const std::string& password,
    const PasswordPrompt& prompt) {
    std::vector<Outcome> outcomes;
    for (const auto& store : targets) {
        int rc = store_result::kOk;
        // Firefox makes its database when it first starts with a profile; we do not.
        if (store.family == Family::Chromium && !store.exists) rc = NssStore::create(store.dir);
        if (rc == store_result::kOk) {
            std::string sha1;
            auto ask = [&]() { return prompt ? prompt(store) : std::nullopt; };
            rc = NssStore::importAndVerify(store.dir, pkcs12, password, ask, sha1);
        }
        outcomes.push_back({store, rc, store_text::importLine(store, rc)});
    }
    return outcomes;
}

std::string BrowserDeployment::message(const std::vector<Outcome>& outcomes) {
    std::string text;
    for (const auto& outcome : outcomes) text += (text.empty() ? "" : "\n") + outcome.line;
    return text;
}

std::vector<BrowserDeployment::Check> BrowserDeployment::check(
    const std::vector<BrowserStore>& stores, const std::optional<StringMap>& lastActiveCertInfo,
    const std::optional<StringMap>& localCertInfo) {
    const auto lastActive = StoreVerdict::fromCertInfo(lastActiveCertInfo);
    const auto local = StoreVerdict::fromCertInfo(localCertInfo);
    std::vector<Check> checks;
    for (const auto& store : stores) {
        std::vector<StoredCertificate> held;
        NssStore nss;
        int rc = store.exists ? nss.open(store.dir, NssStore::Mode::ReadOnly)
                              : store_result::kOk;  // no database yet holds nothing
        if (rc == store_result::kOk && store.exists) rc = nss.list(held);
        const std::string label = store_text::label(store);
        if (rc != store_result::kOk) {
            checks.push_back({store, std::nullopt, label + "：" + store_text::kUnreadable});
            continue;
        }
        const auto verdict = StoreVerdict::judge(held, lastActive, local);
        checks.push_back({store, verdict, verdict.text(label)});
    }
    return checks;
}
