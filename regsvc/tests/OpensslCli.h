#pragma once

#include <optional>
#include <string>
#include <vector>

// The openssl tool for the service's tests: requests and signatures made by a third party.
class OpensslCli {
  public:
    explicit OpensslCli(std::string folder) : folder_(std::move(folder)) {}

    // Standard output, or nothing when the tool failed.
    std::optional<std::string> run(const std::vector<std::string>& args) const;
    std::string file(const std::string& name) const { return folder_ + "/" + name; }
    void write(const std::string& name, const std::string& text) const;
    std::string read(const std::string& name) const;

    // A key and a request for the subject; returns the request's body as the client sends it
    // (PEM without its armour lines, inner line breaks kept). The key goes to `<name>.key`.
    std::string request(const std::string& name, const std::string& subject) const;
    // Base64 of `openssl cms -sign -nodetach -md sha1 -noattr` over the text.
    std::string sign(const std::string& text, const std::string& certPem,
                     const std::string& keyFile) const;

  private:
    std::string folder_;
};
