#pragma once

#include <optional>
#include <string>

#include "crypto/ossl.h"
#include "util/Types.h"

// A certificate as the service delivers it: one DER X.509 certificate or a PKCS#7 bundle,
// split into the user's certificate and the CA chain that travels with it.
struct CertificateInput {
    ossl::X509Cert user;
    ossl::X509Stack chain;  // null for a single certificate

    // Reads the DER as one certificate, else as a bundle. In a bundle the user certificate
    // is the last one marked CA false; without such a mark it is the first one, which then
    // also stays in the chain.
    static std::optional<CertificateInput> decode(const Bytes& der);
};
