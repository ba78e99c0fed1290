#include "crypto/NssStore.h"

#include <cert.h>
#include <certdb.h>
#include <openssl/crypto.h>
#include <secerr.h>
#include <sys/stat.h>

#include <atomic>
#include <ctime>
#include <filesystem>

#include "crypto/NssContext.h"
#include "crypto/StoreResult.h"
#include "crypto/nssptr.h"

// This one header of NSS lacks the C linkage block of the others.
extern "C" {
#include <utilpars.h>
}

using namespace store_result;
namespace fs = std::filesystem;

struct NssStore::Handles {
    // Declared before the database so that it is shut down after it.
    nss::Context context;
    nss::UserDb slot;
    bool readOnly = true;
};

namespace {

void wipe(std::string& secret) {
    OPENSSL_cleanse(secret.data(), secret.size());
    secret.clear();
}

bool hasDatabase(const std::string& dir) {
    std::error_code error;
    return fs::is_regular_file(dir + "/cert9.db", error);
}

// Module specification values are quoted; NSS's own escaping keeps a quote or backslash in
// a folder name from ending the value and adding parameters.
std::string moduleSpec(const std::string& dir, bool readOnly) {
    static std::atomic<unsigned> serial{0};
    nss::String escaped(NSSUTIL_Escape(("sql:" + dir).c_str(), '\''));
    if (!escaped) return {};
    // Each open database needs a token name of its own.
    std::string spec = std::string("configdir='") + escaped.get() + "' tokenDescription='store " +
                       std::to_string(++serial) + "'";
    if (readOnly) spec += " flags=readOnly";
    return spec;
}

std::string upperHex(const unsigned char* data, std::size_t length) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < length; ++i) {
        out += digits[data[i] >> 4];
        out += digits[data[i] & 0x0f];
    }
    return out;
}

std::string sha1Hex(const SECItem& der) {
    unsigned char digest[20];
    if (PK11_HashBuf(SEC_OID_SHA1, digest, der.data, static_cast<PRInt32>(der.len)) != SECSuccess) {
        return {};
    }
    return upperHex(digest, sizeof digest);
}

std::string localTime(PRTime microseconds) {
    const std::time_t moment = static_cast<std::time_t>(microseconds / PR_USEC_PER_SEC);
    std::tm local{};
    char out[16];
    if (localtime_r(&moment, &local) == nullptr ||
        std::strftime(out, sizeof out, "%Y%m%d%H%M%S", &local) != 14) {
        return {};
    }
    return out;
}

StoredCertificate describe(CERTCertificate& cert) {
    StoredCertificate stored;
    stored.sha1 = sha1Hex(cert.derCert);
    nss::String cn(CERT_GetCommonName(&cert.subject));
    if (cn) stored.cn = cn.get();
    stored.issuer = upperHex(cert.derIssuer.data, cert.derIssuer.len);
    PRTime notBefore = 0, notAfter = 0;
    if (CERT_GetCertTimes(&cert, &notBefore, &notAfter) == SECSuccess) {
        stored.notAfter = localTime(notAfter);
        stored.notBefore = notBefore / PR_USEC_PER_SEC;
    }
    stored.ca = CERT_IsCACert(&cert, nullptr) == PR_TRUE;
    return stored;
}

// A nickname no other subject uses: the base, numbered until it is free.
SECItem* uniqueNickname(std::string base, const CERTCertificate& cert) {
    if (base.empty()) {
        nss::String cn(CERT_GetCommonName(&cert.subject));
        base = cn ? cn.get() : "certificate";
    }
    std::string nickname = base;
    for (int n = 2;
         SEC_CertNicknameConflict(nickname.c_str(), &cert.derSubject, CERT_GetDefaultCertDB());
         ++n) {
        nickname = base + " #" + std::to_string(n);
    }
    // NSS takes ownership of the item.
    SECItem* item = SECITEM_AllocItem(nullptr, nullptr, static_cast<unsigned>(nickname.size() + 1));
    if (item == nullptr) return nullptr;
    item->type = siAsciiString;
    std::copy(nickname.begin(), nickname.end(), item->data);
    item->data[nickname.size()] = 0;
    item->len = static_cast<unsigned>(nickname.size());
    return item;
}

// CA certificates often come without a name; without one they would list as "(NULL)".
SECStatus PR_CALLBACK nameUnnamed(const CERTCertificate* cert, const SECItem* defaultNickname,
                                  SECItem** newNickname, void* /*arg*/) {
    *newNickname = nullptr;
    if (defaultNickname != nullptr && defaultNickname->len > 0) return SECSuccess;
    *newNickname = uniqueNickname("", *cert);
    return *newNickname != nullptr ? SECSuccess : SECFailure;
}

// Called when a nickname is missing or another subject already uses it.
SECItem* PR_CALLBACK renameOnCollision(SECItem* oldNickname, PRBool* cancel, void* arg) {
    *cancel = PR_FALSE;
    const auto* cert = static_cast<const CERTCertificate*>(arg);
    if (cert == nullptr) return nullptr;
    std::string base;
    if (oldNickname != nullptr && oldNickname->data != nullptr) {
        base.assign(reinterpret_cast<const char*>(oldNickname->data), oldNickname->len);
    }
    return uniqueNickname(base, *cert);
}

int importError(int fallback) {
    switch (PORT_GetError()) {
        case SEC_ERROR_BAD_PASSWORD:
            return kWrongPfxPassword;
        case SEC_ERROR_READ_ONLY:
            return kReadOnly;
        case SEC_ERROR_TOKEN_NOT_LOGGED_IN:
            return kNoPassword;
        default:
            return fallback;
    }
}

}  // namespace

NssStore::NssStore() = default;
NssStore::~NssStore() = default;

void NssStore::close() {
    handles_.reset();
}

int NssStore::open(const std::string& dir, Mode mode, const PasswordPrompt& prompt) {
    return openDb(dir, mode, prompt, false);
}

int NssStore::openDb(const std::string& dir, Mode mode, const PasswordPrompt& prompt,
                     bool mayCreate) {
    close();
    // Opening a folder without a database would make one, in read-write mode silently.
    if (!mayCreate && !hasDatabase(dir)) return kNoDatabase;
    auto handles = std::make_unique<Handles>();
    handles->context = NssContext::open();
    if (!handles->context) return kFailed;
    handles->readOnly = mode == Mode::ReadOnly;
    const std::string spec = moduleSpec(dir, handles->readOnly);
    if (spec.empty()) return kFailed;
    handles->slot.reset(SECMOD_OpenUserDB(spec.c_str()));
    if (!handles->slot || !PK11_IsPresent(handles->slot.get())) {
        // NSS refuses to open a database for writing that it may only read.
        if (handles->readOnly || mayCreate) return kNoDatabase;
        handles->slot.reset(SECMOD_OpenUserDB(moduleSpec(dir, true).c_str()));
        return handles->slot && PK11_IsPresent(handles->slot.get()) ? kReadOnly : kNoDatabase;
    }
    PK11SlotInfo* slot = handles->slot.get();
    if (!handles->readOnly) {
        if (PK11_IsReadOnly(slot)) return kReadOnly;
        // A database nobody has given a password yet gets the empty one, as the browsers
        // do before their first key goes in.
        if (PK11_NeedUserInit(slot) && PK11_InitPin(slot, "", "") != SECSuccess) {
            return importError(kFailed);
        }
    }
    if (PK11_NeedLogin(slot) && !PK11_IsLoggedIn(slot, nullptr) && prompt) {
        auto password = prompt();
        if (!password) return kNoPassword;
        const SECStatus status = PK11_CheckUserPassword(slot, password->c_str());
        wipe(*password);
        if (status != SECSuccess) {
            return PORT_GetError() == SEC_ERROR_BAD_PASSWORD ? kWrongPassword : kFailed;
        }
    }
    handles_ = std::move(handles);
    return kOk;
}

int NssStore::importPkcs12(const Bytes& der, const std::string& password, std::string& certSha1) {
    if (!handles_ || handles_->readOnly) return kReadOnly;
    PK11SlotInfo* slot = handles_->slot.get();
    if (PK11_NeedLogin(slot) && !PK11_IsLoggedIn(slot, nullptr)) return kNoPassword;
    if (der.empty()) return kNotPkcs12;
    auto bmp = NssContext::bmpPassword(password);
    if (!bmp) return kWrongPfxPassword;
    SECItem passwordItem{siBuffer, bmp->data(), static_cast<unsigned>(bmp->size())};
    nss::Pkcs12Decoder decoder(SEC_PKCS12DecoderStart(&passwordItem, slot, nullptr, nullptr,
                                                      nullptr, nullptr, nullptr, nullptr));
    const auto done = [&](int result) {
        OPENSSL_cleanse(bmp->data(), bmp->size());
        return result;
    };
    if (!decoder) return done(kFailed);
    // Without this the CA certificates would go to the temporary internal token.
    if (SEC_PKCS12DecoderSetTargetTokenCAs(decoder.get(), SECPKCS12TargetTokenAllCAs) !=
        SECSuccess) {
        return done(kFailed);
    }
    Bytes copy = der;  // the decoder takes a non-const buffer
    if (SEC_PKCS12DecoderUpdate(decoder.get(), copy.data(), copy.size()) != SECSuccess) {
        return done(importError(kNotPkcs12));
    }
    if (SEC_PKCS12DecoderVerify(decoder.get()) != SECSuccess) {
        return done(importError(kWrongPfxPassword));
    }
    // The decoder reuses an item's buffers for the next one.
    const SEC_PKCS12DecoderItem* item = nullptr;
    certSha1.clear();
    if (SEC_PKCS12DecoderIterateInit(decoder.get()) != SECSuccess) return done(kFailed);
    while (SEC_PKCS12DecoderIterateNext(decoder.get(), &item) == SECSuccess) {
        if (item->type == SEC_OID_PKCS12_V1_CERT_BAG_ID && item->hasKey && item->der != nullptr) {
            certSha1 = sha1Hex(*item->der);
        }
    }
    if (certSha1.empty()) return done(kNoKeyInPfx);
    if (SEC_PKCS12DecoderRenameCertNicknames(decoder.get(), nameUnnamed, nullptr) != SECSuccess ||
        SEC_PKCS12DecoderValidateBags(decoder.get(), renameOnCollision) != SECSuccess) {
        return done(importError(kFailed));
    }
    return done(SEC_PKCS12DecoderImportBags(decoder.get()) == SECSuccess ? kOk
                                                                         : importError(kFailed));
}

int NssStore::verify(const std::string& certSha1) {
    if (!handles_) return kNotVerified;
    PK11SlotInfo* slot = handles_->slot.get();
    nss::CertList certs(PK11_ListCertsInSlot(slot));
    if (!certs) return kNotVerified;
    for (auto* node = CERT_LIST_HEAD(certs.get()); !CERT_LIST_END(node, certs.get());
         node = CERT_LIST_NEXT(node)) {
        if (sha1Hex(node->cert->derCert) != certSha1) continue;
        nss::PrivateKey key(PK11_FindPrivateKeyFromCert(slot, node->cert, nullptr));
        return key ? kOk : kNotVerified;
    }
    return kNotVerified;
}

int NssStore::list(std::vector<StoredCertificate>& certificates) {
    certificates.clear();
    if (!handles_) return kNoDatabase;
    nss::CertList certs(PK11_ListCertsInSlot(handles_->slot.get()));
    if (!certs) return kOk;  // an empty store lists nothing
    for (auto* node = CERT_LIST_HEAD(certs.get()); !CERT_LIST_END(node, certs.get());
         node = CERT_LIST_NEXT(node)) {
        certificates.push_back(describe(*node->cert));
    }
    return kOk;
}

bool NssStore::supersedes(const StoredCertificate& newer, const StoredCertificate& older) {
    return !older.ca && older.sha1 != newer.sha1 && !newer.cn.empty() && older.cn == newer.cn &&
           !newer.issuer.empty() && older.issuer == newer.issuer &&
           older.notBefore < newer.notBefore;
}

int NssStore::removeSuperseded(const std::string& certSha1, int& removed) {
    removed = 0;
    if (!handles_ || handles_->readOnly) return kReadOnly;
    PK11SlotInfo* slot = handles_->slot.get();
    nss::CertList certs(PK11_ListCertsInSlot(slot));
    if (!certs) return kNotVerified;
    CERTCertificate* newer = nullptr;
    for (auto* node = CERT_LIST_HEAD(certs.get()); !CERT_LIST_END(node, certs.get());
         node = CERT_LIST_NEXT(node)) {
        if (sha1Hex(node->cert->derCert) == certSha1) newer = node->cert;
    }
    if (newer == nullptr) return kNotVerified;
    const StoredCertificate current = describe(*newer);
    int rc = kOk;
    for (auto* node = CERT_LIST_HEAD(certs.get()); !CERT_LIST_END(node, certs.get());
         node = CERT_LIST_NEXT(node)) {
        CERTCertificate* older = node->cert;
        if (!supersedes(current, describe(*older))) continue;
        // A certificate issued again for the same key must not take the newer one's key.
        const bool ownKey =
            SECITEM_ItemsAreEqual(&older->derPublicKey, &newer->derPublicKey) == PR_FALSE;
        nss::PrivateKey key(ownKey ? PK11_FindPrivateKeyFromCert(slot, older, nullptr) : nullptr);
        // With its trust, from every database open in this process that holds it: callers
        // deploy into one store at a time.
        if (SEC_DeletePermCertificate(older) != SECSuccess) {
            rc = importError(kFailed);
            continue;
        }
        ++removed;
        // NSS keeps a key that another certificate in the store still uses; a key left
        // behind is never presented without its certificate.
        if (key) (void)PK11_DeleteTokenPrivateKey(key.release(), PR_FALSE);
    }
    return rc;
}

int NssStore::create(const std::string& dir) {
    if (hasDatabase(dir)) return kOk;
    // The browsers keep these folders to the user alone.
    fs::path made;
    for (const auto& part : fs::path(dir)) {
        made /= part;
        std::error_code error;
        if (!fs::is_directory(made, error) && ::mkdir(made.c_str(), 0700) != 0) {
            return kCannotCreate;
        }
    }
    NssStore store;
    const int rc = store.openDb(dir, Mode::ReadWrite, {}, true);
    return rc == kOk && hasDatabase(dir) ? kOk : (rc == kOk ? kCannotCreate : rc);
}

StoreImport NssStore::importAndVerify(const std::string& dir, const Bytes& der,
                                      const std::string& password, const PasswordPrompt& prompt) {
    std::optional<std::string> answer;
    bool asked = false;
    const PasswordPrompt once = [&]() {
        if (!asked && prompt) answer = prompt();
        asked = true;
        return answer;
    };
    StoreImport result;
    NssStore store;
    result.rc = store.open(dir, Mode::ReadWrite, once);
    if (result.rc == kOk) result.rc = store.importPkcs12(der, password, result.certSha1);
    store.close();
    // Read back from the files, not from what the import session still holds.
    if (result.rc == kOk) result.rc = store.open(dir, Mode::ReadWrite, once);
    if (result.rc == kOk) result.rc = store.verify(result.certSha1);
    if (result.rc == kOk) {
        result.supersededLeft = store.removeSuperseded(result.certSha1, result.removed) != kOk;
        // Nothing taken out may have cost the new certificate its key.
        result.rc = store.verify(result.certSha1);
    }
    store.close();
    if (answer) wipe(*answer);
    return result;
}
