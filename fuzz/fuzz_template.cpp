// The deployment page: the template as the service sends it (Big5) and the certificate's
// values, separated by 0 bytes (template, then cn, serial, issuer, subject, notBefore,
// notAfter, certHash, the PKCS#12 and the certificate). Each value must stay inside its
// JavaScript string: nothing in it may end the string or the script, no "<" may reach the
// HTML parser, and the string must read back as the value.
#include "FuzzDesktop.h"
#include "service/ZOLTLib.h"
#include "util/TextCodec.h"

namespace {

// Reads a double-quoted JavaScript string literal that starts at `at` (on the quote) with the
// escapes the block uses; moves `at` past its closing quote.
std::optional<std::string> readJsString(const std::string& text, std::size_t& at) {
    if (at >= text.size() || text[at] != '"') return std::nullopt;
    std::string value;
    for (++at; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '"') {
            ++at;
            return value;
        }
        if (c == '\n' || c == '\r' || c == '<') return std::nullopt;
        if (text.compare(at, 3, "\xe2\x80\xa8") == 0 || text.compare(at, 3, "\xe2\x80\xa9") == 0) {
            return std::nullopt;
        }
        if (c != '\\') {
            value += c;
            continue;
        }
        if (++at >= text.size()) return std::nullopt;
        switch (text[at]) {
            case '\\':
            case '"':
                value += text[at];
                break;
            case 'n':
                value += '\n';
                break;
            case 'r':
                value += '\r';
                break;
            case 'x':
                if (text.compare(at, 3, "x3C") != 0) return std::nullopt;
                value += '<';
                at += 2;
                break;
            case 'u':
                if (text.compare(at, 5, "u2028") == 0) {
                    value += "\xe2\x80\xa8";
                } else if (text.compare(at, 5, "u2029") == 0) {
                    value += "\xe2\x80\xa9";
                } else {
                    return std::nullopt;
                }
                at += 4;
                break;
            default:
                return std::nullopt;  // the block writes no other escape
        }
    }
    return std::nullopt;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> parts;
    std::string part;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0 && parts.size() < 9) {
            parts.push_back(std::move(part));
            part.clear();
        } else {
            part += static_cast<char>(data[i]);
        }
    }
    parts.push_back(std::move(part));
    parts.resize(10);
    auto templateText = TextCodec::big5ToUtf8(parts[0]);
    if (!templateText) return 0;
    const char* keys[] = {"cn", "serial", "issuer", "subject", "notBefore", "notAfter", "certHash"};
    StringMap certInfo;
    for (int i = 0; i < 7; ++i) certInfo[keys[i]] = parts[i + 1];

    const std::string block = ZOLTLib::certificateBlock(certInfo, parts[8], parts[9]);
    const char* names[] = {"cn",       "serial",     "issuer",     "subject", "notBefore",
                           "notAfter", "certfinger", "b64P12Cert", "certb64"};
    std::size_t at = 0;
    const std::string head = "var certInfo={\n";
    if (block.compare(0, head.size(), head) != 0) fuzz::fail("block head");
    at = head.size();
    for (int i = 0; i < 9; ++i) {
        const std::string name = std::string("\"") + names[i] + "\":";
        if (block.compare(at, name.size(), name) != 0) fuzz::fail("member name");
        at += name.size();
        auto value = readJsString(block, at);
        if (!value || *value != parts[i + 1]) fuzz::fail("a value left its string");
        if (block.compare(at, 2, ",\n") != 0) fuzz::fail("member end");
        at += 2;
    }
    if (block.substr(at) != "};") fuzz::fail("block end");

    const std::string page = ZOLTLib::fillTemplate(*templateText, block);
    std::size_t placeholders = 0;
    for (auto p = templateText->find("#importCertInfo#"); p != std::string::npos;
         p = templateText->find("#importCertInfo#", p + 16)) {
        ++placeholders;
    }
    if (page.size() != templateText->size() + placeholders * (block.size() - 16)) {
        fuzz::fail("the page is not the template with the block");
    }
    TextCodec::utf8ToBig5(page);  // as the page is written
    return 0;
}
