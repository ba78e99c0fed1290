#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

// The base directories of the XDG Base Directory specification, read from an environment
// that tests can replace.
class XdgPaths {
  public:
    using Env = std::function<std::optional<std::string>(const std::string&)>;

    // Reads the process environment.
    XdgPaths();
    explicit XdgPaths(Env env);

    std::string home() const;
    std::string configHome() const;
    std::vector<std::string> configDirs() const;
    std::string dataHome() const;
    std::vector<std::string> dataDirs() const;
    // XDG_CURRENT_DESKTOP, lower-cased, in order.
    std::vector<std::string> currentDesktops() const;
    // Application folders in lookup order: user data first, then system, then the places
    // Flatpak and snap export their entries to when the session did not add them.
    std::vector<std::string> applicationDirs() const;

  private:
    std::string dirOr(const std::string& var, const std::string& fallback) const;
    std::vector<std::string> listOr(const std::string& var, const std::string& fallback) const;

    Env env_;
};
