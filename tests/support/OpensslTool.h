#pragma once

#include <optional>
#include <string>
#include <vector>

#include "util/Types.h"

// The openssl command-line tool, the independent peer whose output our code must match.
class OpensslTool {
  public:
    // Standard output of `openssl args...`, or nothing when it failed.
    static std::optional<std::string> run(const std::vector<std::string>& args);
    // Standard output and error together; what -info and -verify report goes to the latter.
    static std::optional<std::string> runAll(const std::vector<std::string>& args);

    static void writeFile(const std::string& path, const Bytes& data);
    static void writeFile(const std::string& path, const std::string& text);
    static Bytes readFile(const std::string& path);
};
