#include <sstream>

#include "app/HelpDeskReport.h"
#include "crypto/CryptoTest.h"
#include "support/NssTool.h"

namespace {

using HelpDeskReportTest = CryptoTest;

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// Two customers and two stores: a Firefox profile in the XDG layout holding the first
// customer's certificate, and the Chromium database holding the second customer's previous
// certificate only, which is the one problem.
TEST_F(HelpDeskReportTest, ListsEveryCustomerAndStoreAndFindsTheStoreBehindTheFile) {
    desktop.defaultHandler = "org.mozilla.Firefox";
    desktop.apps["org.mozilla.Firefox"] = {"/usr/share/applications/firefox.desktop", "Firefox", "",
                                           "", false};

    // A certificate of the customer `cn` in a PFX at `pfx`, and what the file says of it.
    auto make = [&](const std::string& cn, const std::string& serial, const std::string& pfx,
                    const std::string& pwd) {
        const Issued made = issue("/CN=" + cn, serial);
        EXPECT_EQ(rsa.savePfxFile(made.b64, made.key, pfx, pwd), 0);
        StringMap info;
        EXPECT_EQ(rsa.loadPfx(pfx, pwd, info), 0);
        info["key"] = made.key;
        return info;
    };
    const StringMap a = make("A123456789-00", "0x1A", home + "/A123456789.pfx", "Pw-a1");
    make("B223456789-00", "0x2B", home + "/old/b.pfx", "Pw-b0");
    const StringMap b = make("B223456789-00", "0x2C", home + "/certs/b.pfx", "Pw-b1");
    ASSERT_TRUE(util.saveToProperties("A123456789", home + "/A123456789.pfx", "Pw-a1"));
    ASSERT_TRUE(util.saveToProperties("B223456789", home + "/certs/b.pfx", "Pw-b1"));
    util.checkAndMakeDir(util.getPrivateKeyFolder());
    OpensslTool::writeFile(util.getPrivateKeyFolder() + "/20240101120000001.p8", a.at("key"));

    const std::string firefox = home + "/.config/mozilla/firefox";
    NssTool::makeDb(firefox + "/abc.default-release");
    OpensslTool::writeFile(firefox + "/profiles.ini",
                           std::string("[Profile0]\nName=default-release\nIsRelative=1\n"
                                       "Path=abc.default-release\nDefault=1\n"));
    NssTool::importPfx(firefox + "/abc.default-release", home + "/A123456789.pfx", "Pw-a1");
    NssTool::makeDb(home + "/.pki/nssdb");
    NssTool::importPfx(home + "/.pki/nssdb", home + "/old/b.pfx", "Pw-b0");

    std::ostringstream out;
    const int status = HelpDeskReport(desktop, std::nullopt, "1.0").write(out);
    auto validity = [](const StringMap& info) {
        auto shown = [](const std::string& s) {
            return s.substr(0, 4) + "/" + s.substr(4, 2) + "/" + s.substr(6, 2) + " " +
                   s.substr(8, 2) + ":" + s.substr(10, 2) + ":" + s.substr(12, 2);
        };
        return "  憑證效期：" + shown(info.at("notBefore")) + " 至 " + shown(info.at("notAfter"));
    };
    const std::vector<std::string> expected = {
        "Norvale證券憑證管理 檢查報告",
        "版本：1.0",
        "預設瀏覽器：Firefox",
        "",
        "身分證號：A********9",
        "  憑證檔路徑：" + home + "/A********9.pfx",
        "  檔案存在：是",
        "  僅限本人存取：是",
        "  以記錄的密碼開啟：是",
        "  憑證序號：1A",
        validity(a),
        "  簽發者：CN=Test Issuing CA, O=Test Bank, C=TW",
        "  私密金鑰快取：有相符的金鑰",
        "",
        "身分證號：B********9",
        "  憑證檔路徑：" + home + "/certs/b.pfx",
        "  檔案存在：是",
        "  僅限本人存取：是",
        "  以記錄的密碼開啟：是",
        "  憑證序號：2C",
        validity(b),
        "  簽發者：CN=Test Issuing CA, O=Test Bank, C=TW",
        "  私密金鑰快取：沒有相符的金鑰",
        "",
        "私密金鑰快取：金鑰數 1",
        "",
        "瀏覽器憑證資料庫：",
        "  Firefox（設定檔 default-release，XDG）",
        "    資料夾：" + firefox + "/abc.default-release",
        "    A********9：與憑證檔相同的憑證，含私密金鑰",
        "  Chrome/Chromium（Chromium）",
        "    資料夾：" + home + "/.pki/nssdb",
        "    B********9：與憑證檔不同的憑證，含私密金鑰",
        "",
        "發現的問題：",
        "  - B********9：Chrome/Chromium（Chromium） 中的憑證與憑證檔不同",
        "結論：發現問題 1",
    };
    EXPECT_EQ(lines(out.str()), expected) << out.str();
    EXPECT_EQ(status, 1);
    for (const std::string secret : {"A123456789", "B223456789", "Pw-a1", "Pw-b1", "PRIVATE"}) {
        EXPECT_EQ(out.str().find(secret), std::string::npos) << secret;
    }
}

}  // namespace
