#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The key file format shared by desktop entries and mimeapps.list: [Group] headers,
// key=value lines, '#' comments. Values are kept raw (escapes are the reader's business,
// since they depend on the key's type).
class KeyFile {
  public:
    static KeyFile parse(std::string_view text);
    static std::optional<KeyFile> load(const std::string& path);

    std::optional<std::string> value(const std::string& group, const std::string& key) const;
    // The names of the groups, sorted.
    std::vector<std::string> groups() const;

  private:
    std::map<std::string, std::map<std::string, std::string>> groups_;
};
