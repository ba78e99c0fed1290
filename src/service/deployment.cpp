#include <map>

#include "platform/BundleIds.h"
#include "service/ServiceResult.h"
#include "service/ZOLTLib.h"
#include "util/TextCodec.h"

using namespace service_result;

namespace {

// Browser names as the configuration writes them; those without an identifier select nothing.
const std::vector<std::pair<std::string, std::string>>& browserNames() {
    static const std::vector<std::pair<std::string, std::string>> names{
        {"Safari", bundle_id::kSafari},   {"Chrome", bundle_id::kChrome},
        {"FireFox", bundle_id::kFirefox}, {"Internet Explorer", ""},
        {"Microsoft Edge", ""},           {"Chrome64", ""}};
    return names;
}

std::vector<std::string> splitCommas(const std::string& text) {
    std::vector<std::string> tokens;
    std::size_t start = 0;
    for (;;) {
        auto comma = text.find(',', start);
        tokens.push_back(text.substr(start, comma == std::string::npos ? comma : comma - start));
        if (comma == std::string::npos) return tokens;
        start = comma + 1;
    }
}

void selectFirst(std::vector<StringMap>& browsers, const std::string& key,
                 const std::string& value) {
    for (auto& browser : browsers) {
        if (browser[key] == value) {
            browser["selected"] = "Y";
            return;
        }
    }
}

void selectToken(std::vector<StringMap>& browsers, const std::string& token) {
    if (token == "DEFAULT") {
        selectFirst(browsers, "defaultBrowser", "Y");
        return;
    }
    for (const auto& [name, bundleId] : browserNames()) {
        if (name == token && !bundleId.empty()) selectFirst(browsers, "bundleId", bundleId);
    }
}

// A value inside a double-quoted JavaScript string: nothing in it may end the string, the
// statement or the script element. Every "<" is escaped, not only the one of "</": "<!--"
// followed by "<script" would put the rest of the page's script into the HTML parser's
// double-escaped state.
std::string jsString(const std::string& value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '\\' || c == '"') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '<') {
            out += "\\x3C";
        } else if (value.compare(i, 3, "\xe2\x80\xa8") == 0 ||
                   value.compare(i, 3, "\xe2\x80\xa9") == 0) {
            out += value[i + 2] == '\xa8' ? "\\u2028" : "\\u2029";
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

std::string replaceAllLiteral(std::string text, const std::string& from, const std::string& to) {
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

}  // namespace

std::vector<StringMap> ZOLTLib::getDefaultSelectedBrowserInfo() {
    auto selection = getSysCfg("depCert.selectedBrowser");
    const auto tokens = selection ? splitCommas(*selection) : std::vector<std::string>{};
    auto browsers = util_.getBrowserInfo();
    for (auto& browser : browsers) browser["selected"] = "N";
    if (getSysCfg("depCert.mode") == "M") {
        for (const auto& token : tokens) {
            if (token == "ALL") {
                for (auto& browser : browsers) browser["selected"] = "Y";
                break;
            }
            selectToken(browsers, token);
        }
    } else {
        for (const auto& token : tokens) {
            if (token == "ALL") continue;
            selectToken(browsers, token);
            break;
        }
    }
    return browsers;
}

std::string ZOLTLib::certificateBlock(const StringMap& certInfo, const std::string& b64P12Cert,
                                      const std::string& b64X509Cert) {
    auto field = [&](const char* key) {
        auto it = certInfo.find(key);
        return it == certInfo.end() ? std::string{} : it->second;
    };
    const std::pair<const char*, std::string> members[] = {{"cn", field("cn")},
                                                           {"serial", field("serial")},
                                                           {"issuer", field("issuer")},
                                                           {"subject", field("subject")},
                                                           {"notBefore", field("notBefore")},
                                                           {"notAfter", field("notAfter")},
                                                           {"certfinger", field("certHash")},
                                                           {"b64P12Cert", b64P12Cert},
                                                           {"certb64", b64X509Cert}};
    std::string block = "var certInfo={\n";
    for (const auto& [name, value] : members) {
        block += std::string("\"") + name + "\":\"" + jsString(value) + "\",\n";
    }
    return block + "};";
}

std::string ZOLTLib::fillTemplate(const std::string& templateText, const std::string& block) {
    // Inserted literally: "$" and "\" in a value are not replacement syntax.
    return replaceAllLiteral(templateText, "#importCertInfo#", block);
}

// Browsers from snap and Flatpak packages may not read the hidden folder ~/.voxa: they get
// their page in the download folder, which both sandboxes may read. Earlier pages go from
// both folders.
int ZOLTLib::deployCert(const std::string& pfxFilePath, const std::string& pfxFilePwd,
                        const std::vector<StringMap>& browserInfo) {
    if (browserInfo.empty()) return kDeployFailed;
    auto address = getSysCfg("depCert.templateUrl");
    auto templateBytes = address ? util_.httpDownload(*address) : std::nullopt;
    if (!templateBytes || templateBytes->empty()) return kDeployFailed;
    auto page = TextCodec::big5ToUtf8(*templateBytes);
    if (!page) return kDeployFailed;

    std::string b64Cert, b64P12;
    StringMap certInfo;
    if (int rc = rsa().loadPfx(pfxFilePath, pfxFilePwd, b64Cert, b64P12, certInfo); rc != 0) {
        return rc;
    }
    *page = fillTemplate(*page, certificateBlock(certInfo, b64P12, b64Cert));

    const std::string hidden = util_.getUserHomePath() + "/.voxa";
    const std::string downloads = util_.desktop().downloadPath();
    const char* pagePattern = "^VOXADepCert\\.[0-9]+\\.html$";
    util_.removeFile(hidden, pagePattern);
    util_.removeFile(downloads, pagePattern);
    const std::string name =
        "VOXADepCert." + util_.getCurrentTimeStr("yyyyMMddHHmmssSSS") + ".html";

    // Each browser's page address; a page is written once per folder.
    std::vector<std::pair<std::optional<AppInfo>, std::string>> targets;
    std::map<std::string, std::string> urlByFolder;
    for (const auto& browser : browserInfo) {
        auto bundleId = browser.find("bundleId");
        auto app = bundleId == browser.end() ? std::nullopt
                                             : util_.desktop().findApplication(bundleId->second);
        std::string url;
        if (app) {
            const std::string& folder = app->sandboxed ? downloads : hidden;
            auto written = urlByFolder.find(folder);
            if (written == urlByFolder.end()) {
                // A page that could not be written would open as an error in every browser.
                if (!util_.saveFile(folder + "/" + name, *page)) return kDeployFailed;
                written = urlByFolder.emplace(folder, "file:///" + folder + "/" + name).first;
            }
            url = written->second;
        }
        targets.emplace_back(std::move(app), std::move(url));
    }

    bool allOpened = true;
    for (const auto& [app, url] : targets) {
        if (!app || !util_.desktop().openUrls({url}, app->path)) {
            util_.log("do deployCert again!");
            allOpened = false;
        }
    }
    return allOpened ? kOk : kDeployFailed;
}
