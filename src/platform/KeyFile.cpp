#include "platform/KeyFile.h"

#include <fstream>
#include <sstream>

namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

}  // namespace

KeyFile KeyFile::parse(std::string_view text) {
    KeyFile file;
    std::string group;
    while (!text.empty()) {
        auto eol = text.find('\n');
        std::string_view line = trim(text.substr(0, eol));
        text = eol == std::string_view::npos ? std::string_view{} : text.substr(eol + 1);
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[' && line.back() == ']') {
            group = std::string(line.substr(1, line.size() - 2));
            continue;
        }
        auto eq = line.find('=');
        if (eq == std::string_view::npos || group.empty()) continue;
        auto key = std::string(trim(line.substr(0, eq)));
        // The first occurrence of a key in a group counts; later duplicates are invalid.
        file.groups_[group].emplace(std::move(key), std::string(trim(line.substr(eq + 1))));
    }
    return file;
}

std::optional<KeyFile> KeyFile::load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return parse(text.str());
}

std::optional<std::string> KeyFile::value(const std::string& group, const std::string& key) const {
    auto g = groups_.find(group);
    if (g == groups_.end()) return std::nullopt;
    auto v = g->second.find(key);
    if (v == g->second.end()) return std::nullopt;
    return v->second;
}

std::vector<std::string> KeyFile::groups() const {
    std::vector<std::string> names;
    for (const auto& [name, keys] : groups_) names.push_back(name);
    return names;
}
