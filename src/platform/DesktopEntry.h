#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class KeyFile;

// One application's desktop entry (Desktop Entry Specification), enough of it to show the
// application and to start it with addresses.
class DesktopEntry {
  public:
    static std::optional<DesktopEntry> parse(std::string_view text, std::string path);
    static std::optional<DesktopEntry> load(const std::string& path);

    const std::string& path() const { return path_; }
    const std::string& name() const { return name_; }
    const std::string& icon() const { return icon_; }
    const std::string& exec() const { return exec_; }
    // A snap or Flatpak package, as its entry says: an X-SnapInstanceName or X-Flatpak key,
    // or an Exec line that runs /snap/bin/... or "flatpak run".
    bool sandboxed() const { return sandboxed_; }

    // The command lines that open `urls`: one when the Exec line takes a list (%U, %F), one
    // per address when it takes a single one (%u, %f). Nothing when the Exec line is invalid.
    std::optional<std::vector<std::vector<std::string>>> commandLines(
        const std::vector<std::string>& urls) const;

    // Splits an Exec value (string escapes already removed) into arguments by the
    // Desktop Entry Specification's quoting rules; nothing when a quote is left open.
    static std::optional<std::vector<std::string>> splitExec(std::string_view exec);

  private:
    static std::optional<DesktopEntry> fromKeyFile(const KeyFile& file, std::string path);

    std::string path_;
    std::string name_;
    std::string icon_;
    std::string exec_;
    bool sandboxed_ = false;
};
