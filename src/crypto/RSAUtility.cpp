#include "crypto/RSAUtility.h"

#include "crypto/OpenSslProviders.h"

RSAUtility::RSAUtility(const CommonUtility& util, const std::string& servicePublicKeyPem)
    : RSAUtility(util,
                 servicePublicKeyPem.empty() ? nullptr : readServiceKey(servicePublicKeyPem)) {}

RSAUtility::RSAUtility(const CommonUtility& util, std::shared_ptr<EVP_PKEY> serviceKey)
    : util_(util), serviceKey_(std::move(serviceKey)) {
    OpenSslProviders::load();
}
