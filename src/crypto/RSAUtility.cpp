#include "crypto/RSAUtility.h"

#include "crypto/OpenSslProviders.h"

RSAUtility::RSAUtility(const CommonUtility& util, std::string servicePublicKeyPem)
    : util_(util), servicePublicKeyPem_(std::move(servicePublicKeyPem)) {
    OpenSslProviders::load();
}
