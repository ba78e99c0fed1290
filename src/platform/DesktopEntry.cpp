#include "platform/DesktopEntry.h"

#include "platform/KeyFile.h"

namespace {

// Escapes of the Desktop Entry Specification's string type.
std::string unescapeString(std::string_view raw) {
    std::string out;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\' || i + 1 == raw.size()) {
            out += raw[i];
            continue;
        }
        switch (raw[++i]) {
            case 's':
                out += ' ';
                break;
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case '\\':
                out += '\\';
                break;
            default:
                out += '\\';
                out += raw[i];
        }
    }
    return out;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// %f and %F take local file names: a file address becomes its path, others pass unchanged.
std::string toFileArgument(const std::string& url) {
    const std::string prefix = "file://";
    if (url.rfind(prefix, 0) != 0) return url;
    std::string path;
    for (std::size_t i = prefix.size(); i < url.size(); ++i) {
        if (url[i] == '%' && i + 2 < url.size() && hexDigit(url[i + 1]) >= 0 &&
            hexDigit(url[i + 2]) >= 0) {
            path += static_cast<char>(hexDigit(url[i + 1]) * 16 + hexDigit(url[i + 2]));
            i += 2;
        } else {
            path += url[i];
        }
    }
    return path;
}

bool takesSingle(const std::vector<std::string>& args) {
    for (const auto& arg : args) {
        for (std::size_t i = 0; i + 1 < arg.size(); ++i) {
            if (arg[i] != '%') continue;
            if (arg[i + 1] == 'u' || arg[i + 1] == 'f') return true;
            ++i;  // skip the code, so "%%u" is not read as %u
        }
    }
    return false;
}

// The program an Exec line runs, past "env" and its NAME=value assignments (snapd writes
// "env BAMF_DESKTOP_FILE_HINT=... /snap/bin/firefox %u"); its arguments follow.
std::size_t programIndex(const std::vector<std::string>& args) {
    std::size_t i = 0;
    auto base = [](const std::string& path) { return path.substr(path.rfind('/') + 1); };
    if (i < args.size() && base(args[i]) == "env") {
        ++i;
        while (i < args.size() && args[i].find('=') != std::string::npos && args[i][0] != '-') ++i;
    }
    return i;
}

bool runsSandboxed(const std::string& exec) {
    auto args = DesktopEntry::splitExec(exec);
    if (!args) return false;
    const std::size_t at = programIndex(*args);
    if (at >= args->size()) return false;
    const std::string& program = (*args)[at];
    if (program.rfind("/snap/bin/", 0) == 0) return true;
    const std::string base = program.substr(program.rfind('/') + 1);
    return base == "flatpak" && at + 1 < args->size() && (*args)[at + 1] == "run";
}

bool takesAny(const std::vector<std::string>& args) {
    for (const auto& arg : args) {
        if (arg == "%U" || arg == "%F") return true;
    }
    return takesSingle(args);
}

}  // namespace

std::optional<DesktopEntry> DesktopEntry::parse(std::string_view text, std::string path) {
    return fromKeyFile(KeyFile::parse(text), std::move(path));
}

std::optional<DesktopEntry> DesktopEntry::load(const std::string& path) {
    auto file = KeyFile::load(path);
    if (!file) return std::nullopt;
    return fromKeyFile(*file, path);
}

std::optional<DesktopEntry> DesktopEntry::fromKeyFile(const KeyFile& file, std::string path) {
    const std::string group = "Desktop Entry";
    if (file.value(group, "Type").value_or("") != "Application") return std::nullopt;
    if (file.value(group, "Hidden").value_or("") == "true") return std::nullopt;
    auto exec = file.value(group, "Exec");
    if (!exec || exec->empty()) return std::nullopt;
    DesktopEntry entry;
    entry.path_ = std::move(path);
    entry.name_ = unescapeString(file.value(group, "Name").value_or(""));
    entry.icon_ = unescapeString(file.value(group, "Icon").value_or(""));
    entry.exec_ = unescapeString(*exec);
    entry.sandboxed_ = file.value(group, "X-SnapInstanceName").has_value() ||
                       file.value(group, "X-Flatpak").has_value() || runsSandboxed(entry.exec_);
    return entry;
}

std::optional<std::vector<std::string>> DesktopEntry::splitExec(std::string_view exec) {
    std::vector<std::string> args;
    std::string current;
    bool inArg = false;
    bool quoted = false;
    for (std::size_t i = 0; i < exec.size(); ++i) {
        char c = exec[i];
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else if (c == '\\' && i + 1 < exec.size() &&
                       std::string_view("\"`$\\").find(exec[i + 1]) != std::string_view::npos) {
                current += exec[++i];
            } else {
                current += c;
            }
        } else if (c == ' ' || c == '\t' || c == '\n') {
            if (inArg) args.push_back(std::move(current));
            current.clear();
            inArg = false;
        } else if (c == '"') {
            quoted = true;
            inArg = true;
        } else {
            current += c;
            inArg = true;
        }
    }
    if (quoted) return std::nullopt;
    if (inArg) args.push_back(std::move(current));
    if (args.empty()) return std::nullopt;
    return args;
}

std::optional<std::vector<std::vector<std::string>>> DesktopEntry::commandLines(
    const std::vector<std::string>& urls) const {
    auto args = splitExec(exec_);
    if (!args) return std::nullopt;

    auto expand = [&](const std::vector<std::string>& batch) {
        std::vector<std::string> out;
        for (const auto& arg : *args) {
            if (arg == "%U" || arg == "%F") {
                for (const auto& url : batch)
                    out.push_back(arg == "%U" ? url : toFileArgument(url));
                continue;
            }
            if (arg == "%i") {
                if (!icon_.empty()) out.insert(out.end(), {"--icon", icon_});
                continue;
            }
            std::string expanded;
            for (std::size_t i = 0; i < arg.size(); ++i) {
                if (arg[i] != '%' || i + 1 == arg.size()) {
                    expanded += arg[i];
                    continue;
                }
                switch (arg[++i]) {
                    case '%':
                        expanded += '%';
                        break;
                    case 'u':
                        if (!batch.empty()) expanded += batch.front();
                        break;
                    case 'f':
                        if (!batch.empty()) expanded += toFileArgument(batch.front());
                        break;
                    case 'c':
                        expanded += name_;
                        break;
                    case 'k':
                        expanded += path_;
                        break;
                    default:
                        break;  // deprecated and unknown codes are dropped
                }
            }
            // A field code that expanded to nothing takes no argument slot.
            if (!expanded.empty() || arg.find('%') == std::string::npos) out.push_back(expanded);
        }
        // An entry that names no place for addresses still gets them: a browser opened
        // without its page would leave the customer with nothing to do.
        if (!takesAny(*args)) out.insert(out.end(), batch.begin(), batch.end());
        return out;
    };

    std::vector<std::vector<std::string>> lines;
    if (takesSingle(*args) && urls.size() > 1) {
        for (const auto& url : urls) lines.push_back(expand({url}));
    } else {
        lines.push_back(expand(urls));
    }
    return lines;
}
