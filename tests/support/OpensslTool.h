#pragma once

#include <optional>
#include <string>
#include <vector>

#include "util/Types.h"

// The openssl command-line tool, the independent peer whose output our code must match.
class OpensslTool {
  public:
    // Standard output of `openssl args...` (with standard error, where -info and -verify
    // report, when `withErrors`), or nothing when it failed.
    static std::optional<std::string> run(const std::vector<std::string>& args,
                                          bool withErrors = false);

    static void writeFile(const std::string& path, const Bytes& data);
    static void writeFile(const std::string& path, const std::string& text);
    static Bytes readFile(const std::string& path);
    static std::string readText(const std::string& path);
};
