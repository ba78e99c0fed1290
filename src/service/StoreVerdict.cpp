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
    if (!lastActive) {
        // The PFX cannot be judged without the service; a store without it is behind anyway.
        verdict.behind = !local || verdict.holds == Holds::Local ? Behind::Unknown : Behind::Store;
        return verdict;
    }
    const bool pfxBehind = !local || local->sha1 != lastActive->sha1;
    const bool storeBehind = verdict.holds != Holds::LastActive;
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
    StoredCertificate cert{field("certHash"), field("cn"), field("notAfter")};
    if (cert.sha1.empty()) return std::nullopt;
    std::transform(cert.sha1.begin(), cert.sha1.end(), cert.sha1.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return cert;
}

std::string StoreVerdict::text(const std::string& storeLabel) const {
    using namespace store_text;
    const char* what[] = {kHoldsLastActive, kHoldsLocal, kHoldsOlder, kHoldsNone};
    const char* step[] = {kInAgreement, kStoreBehind, kPfxBehind, kBothBehind, kNoServiceCert};
    return storeLabel + "：" + what[static_cast<int>(holds)] + "，" +
           step[static_cast<int>(behind)];
}
