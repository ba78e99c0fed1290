#pragma once

#include <optional>
#include <set>
#include <string>

// Debian's NSS tools (certutil, pk12util), the independent peer that makes the browser
// databases our code imports into and reads back what is in them. Passwords go through
// files, as the tools read them.
class NssTool {
  public:
    // An empty database in `dir` (made as needed); with a primary password when not empty.
    static void makeDb(const std::string& dir, const std::string& primaryPassword = "");
    // Imports a PKCS#12 file with pk12util.
    static void importPfx(const std::string& dir, const std::string& pfxPath,
                          const std::string& pfxPassword, const std::string& primaryPassword = "");
    // SHA-1 fingerprints (upper-case hex, no colons) of every certificate certutil -L lists.
    static std::multiset<std::string> fingerprints(const std::string& dir);
    // Number of private keys certutil -K lists; nothing when it could not list them.
    static std::optional<int> keyCount(const std::string& dir,
                                       const std::string& primaryPassword = "");
    // The SHA-1 fingerprint of a PEM certificate file, as openssl computes it.
    static std::string fingerprint(const std::string& pemPath);
};
