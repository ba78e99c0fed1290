#pragma once

#include <string>
#include <vector>

#include "crypto/ossl.h"
#include "util/CommonUtility.h"

// The folder of private keys that wait for their certificates: which files a lookup tries,
// and which of them holds the key of a given certificate.
class PrivateKeyCache {
  public:
    explicit PrivateKeyCache(const CommonUtility& util) : util_(util) {}

    // Paths of the files named by a 17-digit time stamp and ".p8", in name order.
    std::vector<std::string> candidates() const;

    // The key of the first candidate whose public half is the certificate's. `triedAny` tells
    // whether any candidate had text to try. Unreadable, damaged and foreign files are skipped.
    ossl::Pkey find(X509* cert, const std::vector<std::string>& candidates, bool& triedAny) const;

  private:
    const CommonUtility& util_;
};
