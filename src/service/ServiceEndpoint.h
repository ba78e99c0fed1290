#pragma once

#include <string>

// Where the registration service is and how it is trusted. The product's is compiled in
// (CMake cache variables NORVALE_SERVICE_HOST, NORVALE_SERVICE_PUBKEY, NORVALE_SERVICE_CA);
// there is no file, option or environment variable to change it at run time.
struct ServiceEndpoint {
    std::string host;            // "name" or "name:port"
    std::string publicKeyPem;    // the envelope's RSA "PUBLIC KEY"
    std::string trustAnchorPem;  // a CA for the TLS certificate; empty: the system's store

    static ServiceEndpoint compiledIn();
};
