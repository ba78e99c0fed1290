#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "util/Types.h"

// A certificate in a store, as the information view compares it. The fields after notAfter
// are known only for certificates read from a store.
struct StoredCertificate {
    std::string sha1;  // upper-case hex of the DER's SHA-1, as certificate records hold it
    std::string cn;
    std::string notAfter;     // local time, yyyyMMddHHmmss
    std::string issuer;       // hex of the issuer's DER name; compared, never shown
    long long notBefore = 0;  // seconds since the epoch
    bool ca = false;
};

// What a direct import did to one store.
struct StoreImport {
    int rc = 1;                   // a code of crypto/StoreResult.h
    std::string certSha1;         // the certificate that came with its key
    int removed = 0;              // superseded certificates taken out, with their keys
    bool supersededLeft = false;  // superseded certificates that could not be taken out
};

// A browser's NSS certificate database ("sql:" folder), opened through a private NSS context
// of its own, so that several stores can be handled in one process beside any other NSS user.
// Results are the codes of crypto/StoreResult.h.
class NssStore {
  public:
    // Asks the customer for the store's primary password; nothing when they cancel.
    using PasswordPrompt = std::function<std::optional<std::string>()>;
    enum class Mode { ReadOnly, ReadWrite };

    NssStore();
    ~NssStore();
    NssStore(const NssStore&) = delete;
    NssStore& operator=(const NssStore&) = delete;

    // Opens an existing database (never makes one) and logs in with the primary password
    // when the store has one; without a prompt it stays logged out, which hides the keys.
    [[nodiscard]] int open(const std::string& dir, Mode mode, const PasswordPrompt& prompt = {});
    void close();

    // Imports key, certificate and CA certificates. A certificate already there with its
    // key is left alone, and nothing already in the store is removed. `certSha1` is the
    // hash of the certificate that came with its key.
    [[nodiscard]] int importPkcs12(const Bytes& der, const std::string& password,
                                   std::string& certSha1);
    // kOk when the certificate and its private key are both in this store.
    [[nodiscard]] int verify(const std::string& certSha1);
    [[nodiscard]] int list(std::vector<StoredCertificate>& certificates);
    // Takes out of this store every certificate that the one with this hash supersedes,
    // each with its private key unless that key is also the newer one's. kOk once none is
    // left; `removed` counts those taken out. No other store may be open in the process
    // meanwhile: NSS deletes a certificate from every database that holds it.
    [[nodiscard]] int removeSuperseded(const std::string& certSha1, int& removed);

    // True when `newer` replaces `older` for the browsers: the same certificate holder (the
    // whole common name, so that one person's certificates for different accounts never
    // touch) from the same issuer, valid from a later moment. CA certificates are never
    // superseded.
    static bool supersedes(const StoredCertificate& newer, const StoredCertificate& older);

    // Makes an empty database with an empty primary password, as Chromium does on first
    // use; an existing database is left as it is.
    [[nodiscard]] static int create(const std::string& dir);
    // Imports, then opens the store again and verifies; once the new certificate is there
    // with its key, takes out the certificates it supersedes. The prompt is asked at most
    // once; its answer lives only for this call.
    [[nodiscard]] static StoreImport importAndVerify(const std::string& dir, const Bytes& der,
                                                     const std::string& password,
                                                     const PasswordPrompt& prompt);

  private:
    struct Handles;
    int openDb(const std::string& dir, Mode mode, const PasswordPrompt& prompt, bool mayCreate);

    std::unique_ptr<Handles> handles_;
};
