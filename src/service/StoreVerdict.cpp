#include "service/StoreVerdict.h"

#include <algorithm>
#include <cctype>

#include "service/StoreTexts.h"

namespace {

std::string customerId(const std::string& cn) {
    auto end =
        std::find_if(cn.begin(), cn.end(), [](unsigned char c) { return std::isalnum(c) == 0; });
    return std::string(cn.begin(), end);
}

}  // namespace

StoreVerdict StoreVerdict::judge(const std::vector<StoredCertificate>& held,
                                 const std::optional<StoredCertificate>& lastActive,
                                 const std::optional<StoredCertificate>& local) {
    auto holdsCert = [&](const std::optional<StoredCertificate>& cert) {
        return cert && std::any_of(held.begin(), held.end(), [&](const StoredCertificate& h) {
                   return h.sha1 == cert->sha1;
               });
    };
    const auto& reference = lastActive ? lastActive : local;
    const std::string customer = reference ? customerId(reference->cn) : "";
    const bool holdsOlder =
        !customer.empty() && std::any_of(held.begin(), held.end(), [&](const StoredCertificate& h) {
            return customerId(h.cn) == customer;
        });

    StoreVerdict verdict;
    verdict.holds = holdsCert(lastActive) ? Holds::LastActive
                    : holdsCert(local)    ? Holds::Local
                    : holdsOlder          ? Holds::Older
                                          : Holds::None;
    // The store's own copy of the certificate it holds knows its issuer and validity.
    const std::string* heldSha1 = verdict.holds == Holds::LastActive ? &lastActive->sha1
                                  : verdict.holds == Holds::Local    ? &local->sha1
                                                                     : nullptr;
    const auto own = std::find_if(held.begin(), held.end(), [&](const StoredCertificate& h) {
        return heldSha1 != nullptr && h.sha1 == *heldSha1;
    });
    verdict.olderBeside =
        own != held.end() && std::any_of(held.begin(), held.end(), [&](const auto& other) {
            return NssStore::supersedes(*own, other);
        });
    if (!lastActive) {
        // The PFX cannot be judged without the service; a store without it is behind anyway.
        verdict.behind = (!local || verdict.holds == Holds::Local) && !verdict.olderBeside
                             ? Behind::Unknown
                             : Behind::Store;
        return verdict;
    }
    const bool pfxBehind = !local || local->sha1 != lastActive->sha1;
    const bool storeBehind = verdict.holds != Holds::LastActive || verdict.olderBeside;
    verdict.behind = pfxBehind && storeBehind ? Behind::StoreAndPfx
                     : pfxBehind              ? Behind::LocalPfx
                     : storeBehind            ? Behind::Store
                                              : Behind::Nothing;
    return verdict;
}

std::optional<StoredCertificate> StoreVerdict::fromCertInfo(
    const std::optional<StringMap>& certInfo) {
    if (!certInfo) return std::nullopt;
    auto field = [&](const char* key) {
        auto it = certInfo->find(key);
        return it == certInfo->end() ? std::string{} : it->second;
    };
    StoredCertificate cert;
    cert.sha1 = field("certHash");
    cert.cn = field("cn");
    cert.notAfter = field("notAfter");
    if (cert.sha1.empty()) return std::nullopt;
    std::transform(cert.sha1.begin(), cert.sha1.end(), cert.sha1.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return cert;
}

std::string StoreVerdict::text(const std::string& storeLabel) const {
    using namespace store_text;
    const char* what[] = {kHoldsLastActive, kHoldsLocal, kHoldsOlder, kHoldsNone};
    const char* step[] = {kInAgreement, kStoreBehind, kPfxBehind, kBothBehind, kNoServiceCert};
    const bool onlyTheOlder = olderBeside && behind == Behind::Store;
    return storeLabel + "：" + what[static_cast<int>(holds)] + (olderBeside ? kAlsoOlder : "") +
           "，" + (onlyTheOlder ? kOlderBeside : step[static_cast<int>(behind)]);
}
