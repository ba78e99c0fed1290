#include "service/BrowserDeployment.h"

#include <openssl/crypto.h>

#include <algorithm>
#include <map>

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

namespace {

using Outcome = BrowserDeployment::Outcome;

std::vector<Outcome> importInto(const std::vector<BrowserStore>& stores, const Bytes& pkcs12,
                                const std::string& password,
                                const BrowserDeployment::PasswordPrompt& prompt) {
    std::vector<Outcome> outcomes;
    for (const auto& store : stores) {
        StoreImport result;
        // Firefox makes its database when it first starts with a profile; we do not.
        result.rc = store.family == Family::Chromium && !store.exists ? NssStore::create(store.dir)
                                                                      : store_result::kOk;
        if (result.rc == store_result::kOk) {
            auto ask = [&]() { return prompt(store); };
            result = NssStore::importAndVerify(store.dir, pkcs12, password, ask);
        }
        outcomes.push_back({store, result, store_text::importLine(store, result)});
    }
    return outcomes;
}

}  // namespace

std::vector<Outcome> BrowserDeployment::deploy(const std::vector<BrowserStore>& targets,
                                               const Bytes& pkcs12, const std::string& password,
                                               const PasswordPrompt& prompt, const Runner& run) {
    const Runner runHere = [](const std::function<void()>& work) { work(); };
    const Runner& runner = run ? run : runHere;
    std::vector<Outcome> outcomes;
    std::vector<BrowserStore> locked;
    runner([&] {
        outcomes = importInto(targets, pkcs12, password, [&locked](const BrowserStore& store) {
            locked.push_back(store);
            return std::optional<std::string>();
        });
    });
    if (locked.empty()) return outcomes;

    std::vector<BrowserStore> answered;
    std::map<std::string, std::string> answers;  // by store folder
    for (const auto& store : locked) {
        auto answer = prompt ? prompt(store) : std::nullopt;
        if (!answer) continue;  // stays "未輸入主要密碼"
        answered.push_back(store);
        answers[store.dir] = *answer;
        OPENSSL_cleanse(answer->data(), answer->size());
    }
    std::vector<Outcome> again;
    if (!answered.empty()) {
        runner([&] {
            again = importInto(answered, pkcs12, password, [&answers](const BrowserStore& store) {
                return std::optional(answers.at(store.dir));
            });
        });
    }
    for (auto& [dir, answer] : answers) OPENSSL_cleanse(answer.data(), answer.size());
    for (auto& outcome : outcomes) {
        auto it = std::find_if(again.begin(), again.end(),
                               [&](const Outcome& o) { return o.store.dir == outcome.store.dir; });
        if (it != again.end()) outcome = std::move(*it);
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
