#pragma once

#include <optional>
#include <string>

#include "crypto/nssptr.h"
#include "util/Types.h"

// How the client opens NSS: a private context of its own, without any database, so that it
// can be used beside any other NSS user in the process, with the PKCS#12 ciphers of the
// customers' files enabled.
class NssContext {
  public:
    // Null when NSS cannot be initialised.
    static nss::Context open();
    // The process's own context for work in memory, opened on first use and shut down at
    // exit: opening NSS costs more than a whole reading of a PFX. Null without NSS.
    static NSSInitContext* shared();
    // A PKCS#12 password as NSS takes it: a BMPString (UTF-16 big-endian) with its terminating
    // zero character; nothing for text that is not UTF-8.
    static std::optional<Bytes> bmpPassword(const std::string& utf8);
};
