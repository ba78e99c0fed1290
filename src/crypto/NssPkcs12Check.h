#pragma once

#include <string>

#include "util/Types.h"

// A second, independent reading of a PFX the client has written: NSS, which the browsers
// import with, decodes it in memory (no store is touched) and must find exactly one private
// key, the expected certificate as the one that key belongs to, and a key that really signs
// for that certificate.
class NssPkcs12Check {
  public:
    enum class Verdict {
        Ok,
        NoNss,              // NSS could not be initialised
        NotDecoded,         // the decoder refused the structure or one of its ciphers
        MacRejected,        // the integrity MAC did not verify under the password
        KeyCount,           // not exactly one private key
        NotTheCertificate,  // the key's certificate is missing or another one
        KeyUnreadable,      // NSS could not decrypt the key
        KeyMismatch,        // the key does not sign for the certificate
    };

    // `certDer`: the DER of the certificate the file must hold with its key.
    static Verdict check(const Bytes& pfxDer, const std::string& password, const Bytes& certDer);
    // The check's name for the log.
    static const char* name(Verdict verdict);
};
