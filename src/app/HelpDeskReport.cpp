#include "app/HelpDeskReport.h"

#include <openssl/crypto.h>

#include <filesystem>
#include <ostream>
#include <set>

#include "app/ReportTexts.h"
#include "crypto/NssStore.h"
#include "crypto/PrivateKeyCache.h"
#include "crypto/RSAUtility.h"
#include "crypto/StoreResult.h"
#include "platform/Desktop.h"
#include "ui/PfxFailureSentence.h"

namespace fs = std::filesystem;
namespace t = report_text;

struct HelpDeskReport::Customer {
    std::string idno;
    std::string masked;
    std::string path;
    bool exists = false;
    bool ownerOnly = false;
    bool opened = false;
    PfxFailure cause = PfxFailure::None;
    StringMap info;  // the certificate's fields once the file opened
    bool keyCached = false;
};

namespace {

std::string entry(const StringMap& map, const std::string& key) {
    auto found = map.find(key);
    return found == map.end() ? std::string() : found->second;
}

// 14 digits of local time as the certificate tables show them.
std::string shownTime(const std::string& stamp) {
    if (stamp.size() < 14) return stamp;
    return stamp.substr(0, 4) + "/" + stamp.substr(4, 2) + "/" + stamp.substr(6, 2) + " " +
           stamp.substr(8, 2) + ":" + stamp.substr(10, 2) + ":" + stamp.substr(12, 2);
}

const char* yesNo(bool value) {
    return value ? t::kYes : t::kNo;
}

// The way the browser came: a distribution package keeps Firefox's profiles in ~/.mozilla,
// newer ones follow the XDG layout.
std::string layoutOf(const BrowserStore& store, const std::string& home) {
    switch (store.packaging) {
        case BrowserStore::Packaging::Snap:
            return "snap";
        case BrowserStore::Packaging::Flatpak:
            return "Flatpak";
        case BrowserStore::Packaging::Native:
            break;
    }
    if (store.family == BrowserStore::Family::Chromium) return "Chromium";
    return store.dir.rfind(home + "/.mozilla/", 0) == 0 ? "deb" : "XDG";
}

// ID numbers of the store's customers, in its order.
std::vector<std::string> idNumbersIn(const StringMap& store) {
    std::set<std::string> ids;
    for (const auto& [key, value] : store) {
        for (const std::string suffix : {"_PfxFileName", "_Password"}) {
            if (key.size() > suffix.size() &&
                key.compare(key.size() - suffix.size(), suffix.size(), suffix) == 0) {
                ids.insert(key.substr(0, key.size() - suffix.size()));
            }
        }
    }
    return {ids.begin(), ids.end()};
}

}  // namespace

HelpDeskReport::HelpDeskReport(Desktop& desktop, std::optional<std::string> xdgConfigHome,
                               std::string version)
    : desktop_(desktop),
      util_(desktop),
      xdgConfigHome_(std::move(xdgConfigHome)),
      version_(std::move(version)) {}

std::vector<HelpDeskReport::Customer> HelpDeskReport::customers(
    std::vector<std::string>& problems) const {
    const auto store = util_.propertiesFileToDictionary(util_.getPropertiesPath());
    if (!store) return {};
    const RSAUtility rsa(util_);
    const PrivateKeyCache cache(util_);
    const auto candidates = cache.candidates();
    std::vector<Customer> found;
    for (const auto& idno : idNumbersIn(*store)) {
        Customer c;
        c.idno = idno;
        c.masked = CommonUtility::maskIdNumber(idno);
        std::string password;
        const bool recorded = util_.loadFromProperties(idno, c.path, password);
        if (!recorded) c.path = entry(*store, idno + "_PfxFileName");
        std::error_code error;
        c.exists = fs::is_regular_file(c.path, error);
        const auto others = fs::perms::group_all | fs::perms::others_all;
        c.ownerOnly =
            c.exists && (fs::status(c.path, error).permissions() & others) == fs::perms::none;
        ossl::Pkcs12 p12;
        if (recorded && c.exists && rsa.loadPfx(c.path, password, p12, c.info) == 0) {
            c.opened = true;
            // PKCS12_parse picks the certificate only together with its key.
            EVP_PKEY* key = nullptr;
            X509* cert = nullptr;
            if (PKCS12_parse(p12.get(), password.c_str(), &key, &cert, nullptr) == 1) {
                const ossl::Pkey ownedKey(key);
                const ossl::X509Cert owned(cert);
                bool triedAny = false;
                c.keyCached = cert != nullptr && cache.find(cert, candidates, triedAny) != nullptr;
            }
        } else if (recorded && c.exists) {
            c.cause = rsa.diagnosePfx(c.path, password);
        }
        OPENSSL_cleanse(password.data(), password.size());
        if (!c.exists) {
            problems.push_back(c.masked + t::kMissing);
        } else {
            if (!c.ownerOnly) problems.push_back(c.masked + t::kNotOwnerOnly);
            if (!c.opened) problems.push_back(c.masked + t::kNotOpened);
        }
        found.push_back(std::move(c));
    }
    return found;
}

void HelpDeskReport::writeCustomer(std::ostream& out, const Customer& c) const {
    out << t::kCustomer << c.masked << "\n";
    out << t::kPfxPath << CommonUtility::maskIdNumberIn(c.path, c.idno) << "\n";
    out << t::kExists << yesNo(c.exists) << "\n";
    if (!c.exists) return;
    out << t::kOwnerOnly << yesNo(c.ownerOnly) << "\n";
    out << t::kOpens << yesNo(c.opened);
    const std::string why = pfxFailureSentence(c.cause);
    if (!why.empty()) out << "（" << why << "）";
    out << "\n";
    if (!c.opened) return;
    out << t::kSerial << entry(c.info, "serial") << "\n";
    out << t::kValidity << shownTime(entry(c.info, "notBefore")) << t::kValidityTo
        << shownTime(entry(c.info, "notAfter")) << "\n";
    out << t::kIssuer << entry(c.info, "issuer") << "\n";
    out << t::kCachedKey << (c.keyCached ? t::kKeyMatches : t::kNoKeyMatches) << "\n";
}

void HelpDeskReport::writeStore(std::ostream& out, const BrowserStore& store,
                                const std::vector<Customer>& customers,
                                std::vector<std::string>& problems) const {
    std::string label = store.browser + "（";
    if (!store.profile.empty()) label += t::kProfile + store.profile + "，";
    label += layoutOf(store, desktop_.homePath()) + "）";
    out << "  " << label << "\n" << t::kFolder << store.dir << "\n";
    NssStore nss;
    std::vector<StoredCertificate> held;
    if (nss.open(store.dir, NssStore::Mode::ReadOnly) != store_result::kOk ||
        nss.list(held) != store_result::kOk) {
        out << t::kStoreUnreadable << "\n";
        return;
    }
    const RSAUtility rsa(util_);
    bool any = false;
    for (const Customer& c : customers) {
        const std::string fileHash = entry(c.info, "certHash");
        bool same = false, other = false;
        for (const StoredCertificate& cert : held) {
            if (rsa.getCertUserIdFromCn(cert.cn) != c.idno && cert.sha1 != fileHash) continue;
            const char* relation = !c.opened               ? t::kOfCustomer
                                   : cert.sha1 == fileHash ? t::kSameAsFile
                                                           : t::kOtherThanFile;
            (cert.sha1 == fileHash ? same : other) = true;
            const bool withKey = nss.verify(cert.sha1) == store_result::kOk;
            out << "    " << c.masked << "：" << relation
                << (withKey ? t::kWithKey : t::kWithoutKey) << "\n";
            any = true;
        }
        // A store that also holds the current certificate is not behind: an import never
        // removes the older one.
        if (c.opened && other && !same)
            problems.push_back(c.masked + "：" + label + t::kStoreBehind);
    }
    if (!any) out << t::kNoCertOfCustomers << "\n";
}

std::string HelpDeskReport::defaultBrowser() const {
    const auto handler = desktop_.defaultHttpsHandler();
    if (!handler) return t::kNone;
    const auto app = desktop_.findApplication(*handler);
    return app && !app->name.empty() ? app->name : *handler;
}

std::string HelpDeskReport::clientVersion() {
    return NORVALE_VERSION;
}

int HelpDeskReport::write(std::ostream& out) const {
    out << t::kTitle << "\n"
        << t::kVersion << version_ << "\n"
        << t::kDefaultBrowser << defaultBrowser() << "\n\n";
    std::vector<std::string> problems;
    const auto found = customers(problems);
    if (found.empty()) out << t::kNoCustomer << "\n\n";
    for (const Customer& c : found) {
        writeCustomer(out, c);
        out << "\n";
    }
    out << t::kCacheCount << PrivateKeyCache(util_).candidates().size() << "\n\n";
    out << t::kStores << "\n";
    bool anyStore = false;
    for (const BrowserStore& store : BrowserStores(desktop_.homePath(), xdgConfigHome_).find()) {
        if (!store.exists) continue;
        writeStore(out, store, found, problems);
        anyStore = true;
    }
    if (!anyStore) out << t::kNoStore << "\n";
    out << "\n";
    if (problems.empty()) {
        out << t::kAllConsistent << "\n";
        return 0;
    }
    out << t::kProblems << "\n";
    for (const auto& problem : problems) out << "  - " << problem << "\n";
    out << t::kProblemCount << problems.size() << "\n";
    return 1;
}
