#pragma once

#include <optional>
#include <set>
#include <string>

// Debian's NSS tools (certutil, pk12util), the independent peer that makes the browser
// databases our code imports into and reads back what is in them. Passwords go through
// files, as the tools read them. Fingerprints are SHA-1, upper-case hex without colons.
class NssTool {
  public:
    // An empty database in `dir`; with a primary password when one is given.
    static void makeDb(const std::string& dir, const std::string& primaryPassword = "");
    static void importPfx(const std::string& dir, const std::string& pfxPath,
                          const std::string& pfxPassword);
    // Every certificate certutil -L lists.
    static std::multiset<std::string> fingerprints(const std::string& dir);
    // The private keys certutil -K lists; nothing when it lists none or cannot.
    static std::optional<int> keyCount(const std::string& dir, const std::string& password = "");
    // A PEM certificate file's, as openssl computes it.
    static std::string fingerprint(const std::string& pemPath);
};
