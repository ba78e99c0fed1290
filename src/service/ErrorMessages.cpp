#include "service/ErrorMessages.h"

std::map<std::string, std::string> ErrorMessages::parse(const std::string& text) {
    std::map<std::string, std::string> table;
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        auto eq = line.find('=');
        if (line.empty() || line.front() == '#' || eq == std::string::npos) continue;
        table[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return table;
}

std::string ErrorMessages::lookup(int code) {
    static const auto table = parse(tableText());
    const std::string key = std::to_string(code);
    auto it = table.find(key);
    return it == table.end() ? key : it->second;
}
