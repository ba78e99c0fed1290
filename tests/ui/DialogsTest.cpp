#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>

#include "crypto/CryptoTest.h"
#include "support/FakeTextView.h"
#include "ui/ChgPfxPwdWindowController.h"
#include "ui/DepCertWindowController.h"
#include "ui/DialogHost.h"
#include "ui/LoadPfxWindowController.h"
#include "ui/PfxPasswordRules.h"
#include "ui/SavePfxWindowController.h"

namespace {

// A host that answers the file chooser from a script and records every alert, chooser and
// sheet end. Every alert a dialog shows must be the "錯誤" alert with the one button "確定".
class ScriptedDialogHost final : public DialogHost {
  public:
    void showAlert(const std::string& title, const std::string& text,
                   const std::string& button) override {
        EXPECT_EQ(title + "/" + button, "錯誤/確定");
        errors.push_back(text);
    }
    std::optional<std::string> choosePath(const PathPanel& panel) override {
        panels.push_back(panel);
        return std::exchange(answer, std::nullopt);
    }
    void endSheet(int sheetResult) override { sheetResults.push_back(sheetResult); }

    std::optional<std::string> answer;
    std::vector<std::string> errors;
    std::vector<PathPanel> panels;
    std::vector<int> sheetResults;
};

class PfxDialogs : public CryptoTest {
  protected:
    // One certificate for every case: the openssl tool takes a while to make one.
    static void SetUpTestSuite() {
        customer = issue("/CN=A123456789-00/OU=RA/O=Bank/C=TW", "0x012A");
    }
    // A PFX of the customer's certificate in the temporary home.
    std::string writePfx(const std::string& pwd) {
        const std::string path = home + "/a.pfx";
        EXPECT_EQ(rsa.savePfxFile(customer.b64, customer.key, path, pwd), 0);
        return path;
    }
    bool opens(const std::string& path, const std::string& pwd) {
        StringMap info;
        return rsa.loadPfx(path, pwd, info) == 0;
    }

    static inline Issued customer;
    ScriptedDialogHost host;
};

using SaveField = SavePfxWindowView::Field;
using LoadField = LoadPfxWindowView::Field;
using ChgField = ChgPfxPwdWindowView::Field;

TEST_F(PfxDialogs, PasswordRulesReportTheFirstBrokenRuleInTheFixedOrder) {
    const StringMap allClasses{{"pfx.pwd.digit", "Y"},
                               {"pfx.pwd.UCAlpha", "Y"},
                               {"pfx.pwd.LCAlph", "Y"},
                               {"pfx.pwd.punctuation", "Y"}};
    const struct {
        StringMap cfg;
        std::string password;
        std::string expected;  // "" when the password passes
    } cases[] = {
        // Lengths come before the character classes.
        {{{"pfx.pwd.minLen", "8"}, {"pfx.pwd.digit", "Y"}}, "abc", "密碼長度不足"},
        {{{"pfx.pwd.minLen", "3"}, {"pfx.pwd.maxLen", "3"}}, "abc", ""},
        {{{"pfx.pwd.minLen", "3"}, {"pfx.pwd.maxLen", "5"}}, "abcdef", "密碼長度超過限制"},
        // Lengths count UTF-16 units: two Chinese characters are two, an emoji is two.
        {{{"pfx.pwd.minLen", "3"}}, "密碼", "密碼長度不足"},
        {{{"pfx.pwd.maxLen", "3"}}, "密😀", ""},
        {{{"pfx.pwd.maxLen", "3"}}, "密碼😀", "密碼長度超過限制"},
        // A bound that is no number imposes nothing.
        {{{"pfx.pwd.minLen", "abc"}, {"pfx.pwd.maxLen", "x9"}}, "a", ""},
        {allClasses, "abcDEF!", "憑證檔密碼必需包含數字"},
        {allClasses, "abc123!", "憑證檔密碼必需包含大寫英文字母"},
        {allClasses, "ABC123!", "憑證檔密碼必需包含小寫英文字母"},
        {allClasses, "Abc123", "憑證檔密碼必需包含特殊符號"},
        {allClasses, "Abc123!", ""},
        // Classes are ASCII: a space, a diacritic or a Chinese character is "other".
        {allClasses, "Abc 123", ""},
        {allClasses, "Äbc123", "憑證檔密碼必需包含大寫英文字母"},
        // Only "Y" turns a flag on, and lower case is read from the key without final "a".
        {{{"pfx.pwd.digit", "y"}, {"pfx.pwd.LCAlpha", "Y"}}, "ABC", ""},
        {{{"pfx.pwd.LCAlph", "Y"}}, "ABC", "憑證檔密碼必需包含小寫英文字母"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.password);
        auto violation = PfxPasswordRules::fromConfig(c.cfg).firstViolation(util, c.password);
        EXPECT_EQ(violation.value_or(""), c.expected);
    }
}

TEST_F(PfxDialogs, SaveReportsTheFirstFailedCheckAndStaysOpen) {
    const std::string path = home + "/n.pfx";
    const struct {
        std::string path, pwd, cfm, message;
    } cases[] = {
        {"", "", "", "憑證檔儲存路徑未指定!!"},
        {path, "", "", "密碼空白!!"},
        {path, "Abcdefg1", "abcdefg1", "密碼與密碼確認值不同!!"},
        {path, "abc", "abc", "密碼長度不足"},
        // No key given and none in the cache: the write fails.
        {path, "abcdefg1", "abcdefg1", "憑證檔儲存失敗，請檢查並確認您的憑證檔儲存資訊"},
    };
    FakeTextView<SavePfxWindowView> view;
    SavePfxWindowController dialog(host, view, util);
    dialog.setRules(PfxPasswordRules::fromConfig(
        {{"pfx.pwd.minLen", "8"}, {"pfx.pwd.digit", "Y"}, {"pfx.pwd.prompt", "至少8碼"}}));
    dialog.setB64Cert(customer.b64);
    dialog.windowDidLoad();
    EXPECT_EQ(view.text(SaveField::lblPromptMsg), "至少8碼");
    for (const auto& c : cases) {
        view.setText(SaveField::lblPfxFilePath, c.path);
        view.setText(SaveField::txtPfxPwd, c.pwd);
        view.setText(SaveField::txtPfxPwdCfm, c.cfm);
        host.errors.clear();
        dialog.btnOKOnClick();
        EXPECT_EQ(host.errors, std::vector<std::string>{c.message});
        EXPECT_EQ(view.text(SaveField::txtPfxPwd), c.pwd);
    }
    EXPECT_TRUE(host.sheetResults.empty());
    dialog.btnCancelOnClick();
    EXPECT_EQ(host.sheetResults, std::vector<int>{0});
    EXPECT_FALSE(dialog.result());
    EXPECT_EQ(view.text(SaveField::txtPfxPwd) + view.text(SaveField::txtPfxPwdCfm), "");
}

TEST_F(PfxDialogs, SaveIntoAChosenFolderWritesTheFileHandsItBackAndClearsThePasswords) {
    const std::string folder = home + "/certs";
    std::filesystem::create_directories(folder);
    host.answer = folder;
    FakeTextView<SavePfxWindowView> view;
    SavePfxWindowController dialog(host, view, util);
    dialog.setPfxFilePath(" \t");  // blank: the home folder, and no name: "cert.pfx"
    dialog.setB64Cert(customer.b64);
    dialog.setB64PrivateKey(customer.key);
    dialog.windowDidLoad();
    dialog.btnBrowserFilePathOnClick();
    EXPECT_EQ(host.panels.at(0).startPath, home + "/cert.pfx");
    EXPECT_TRUE(host.panels.at(0).foldersAllowed);
    EXPECT_EQ(view.text(SaveField::lblPfxFilePath), folder + "/cert.pfx");
    view.setText(SaveField::txtPfxPwd, "Pw 1");
    view.setText(SaveField::txtPfxPwdCfm, "Pw 1");
    dialog.btnOKOnClick();
    dialog.btnOKOnClick();  // a late second press changes nothing
    EXPECT_TRUE(host.errors.empty());
    EXPECT_TRUE(opens(folder + "/cert.pfx", "Pw 1"));
    const auto& r = dialog.result();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->pfxFilePath + " " + r->pfxFileName + " " + r->pfxFilePwd,
              folder + " cert.pfx Pw 1");
    EXPECT_EQ(host.sheetResults, std::vector<int>{1});
    EXPECT_EQ(view.text(SaveField::txtPfxPwd) + view.text(SaveField::txtPfxPwdCfm), "");
}

TEST_F(PfxDialogs, LoadChecksTheFileThenHashCnSerialAndIssuerInThatOrder) {
    const std::string pfx = writePfx("pw-1");
    StringMap info;
    ASSERT_EQ(rsa.loadPfx(pfx, "pw-1", info), 0);
    std::string lowerSerial = info["serial"];
    for (char& ch : lowerSerial) ch = static_cast<char>(std::tolower(ch));
    const std::string notPfx = home + "/x.pfx";
    OpensslTool::writeFile(notPfx, std::string("not a PKCS#12 file"));
    // The fixed message first, then on a line of its own why (the causes: tests/crypto).
    const std::string wrongPwd =
        "憑證檔密碼錯誤或無法讀取憑證檔，請檢查或重新指定憑證路徑及密碼\n"
        "憑證檔密碼錯誤，請確認密碼後再試一次";
    const std::string notAPfx = "憑證檔格式錯誤或不是指定的憑證檔!!\n";
    const std::string missing = notAPfx + "指定的路徑沒有憑證檔";
    const std::string otherCustomer = "，請重新選擇憑證\n憑證檔中的憑證屬於其他客戶";
    const std::string otherCert = "，請重新選擇憑證\n憑證檔中的憑證不是此次要使用的憑證";
    const struct {
        std::string path, pwd, cn, issuer, serial, hash, message;  // "": accepted
    } cases[] = {
        {"", "pw-1", "", "", "", "", "憑證儲存路徑未指定!!"},
        {pfx, "pw-2", "", "", "", "", wrongPwd},
        {pfx + ".none", "pw-1", "", "", "", "", missing},
        {notPfx, "pw-1", "", "", "", "",
         notAPfx + "此檔案不是憑證檔，可能是其他格式的憑證、金鑰或文字檔"},
        {pfx, "pw-1", "B1", "", "", "00", "錯誤的憑證檔(憑證雜湊值錯誤)" + otherCustomer},
        {pfx, "pw-1", "B1", "", "", "", "錯誤的憑證檔(CN錯誤)" + otherCustomer},
        {pfx, "pw-1", "", "", lowerSerial, "", "錯誤的憑證檔(憑證序號錯誤)" + otherCert},
        {pfx, "pw-1", "", "CN=Other CA, O=Test Bank, C=TW", "", "",
         "錯誤的憑證檔(憑證簽發者錯誤)" + otherCert},
        {pfx, "pw-1", "A123456789-00", "C=TW,O=Test Bank,CN=Test Issuing CA", info["serial"],
         info["certHash"], ""},
    };
    FakeTextView<LoadPfxWindowView> view;
    LoadPfxWindowController dialog(host, view, util);
    dialog.windowDidLoad();
    EXPECT_EQ(view.text(LoadField::lblPfxFilePath), home);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path + " " + c.pwd + " " + c.message);
        dialog.setCnToCmp(c.cn);
        dialog.setIssuerToCmp(c.issuer);
        dialog.setHexSerialToCmp(c.serial);
        dialog.setCertHashToCmp(c.hash);
        view.setText(LoadField::lblPfxFilePath, c.path);
        view.setText(LoadField::txtPfxFilePwd, c.pwd);
        host.errors.clear();
        dialog.btnOkOnClick();
        EXPECT_EQ(host.errors, c.message.empty() ? std::vector<std::string>{}
                                                 : std::vector<std::string>{c.message});
        EXPECT_EQ(view.text(LoadField::txtPfxFilePwd), "");
        EXPECT_EQ(view.text(LoadField::lblPfxFilePath), c.path);
    }
    // Only the last case passes every check.
    const auto& r = dialog.result();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->pfxFilePath + " " + r->pfxFilePwd + " " + r->certInfo.at("cn"),
              pfx + " pw-1 A123456789-00");
    EXPECT_EQ(host.sheetResults, std::vector<int>{1});
}

TEST_F(PfxDialogs, ChangeReportsTheFirstFailureEmptiesAllPasswordsAndKeepsTheFile) {
    const std::string pfx = writePfx("Old-1");
    const struct {
        std::string path, oldPwd, newPwd, cfm, message;
    } cases[] = {
        {"", "Old-1", "New-12345", "New-12345", "憑證儲存路徑未指定"},
        // The comparison comes before the length rule.
        {pfx, "Old-1", "abc", "abd", "新密碼與新密碼確認不同"},
        {pfx, "Old-1", "abcde", "abcde", "密碼長度不足"},
        // Refused even where no rule would: the file would be open to anyone.
        {pfx, "Old-1", "", "", "密碼空白!!"},
        {pfx, "wrong", "New-12345", "New-12345",
         "密碼變更失敗，請檢查並確認您的憑證資訊及舊密碼正確後，再重新嘗試變更"},
    };
    FakeTextView<ChgPfxPwdWindowView> view;
    ChgPfxPwdWindowController dialog(host, view, util);
    dialog.setRules(PfxPasswordRules::fromConfig({{"pfx.pwd.minLen", "8"}}));
    dialog.windowDidLoad();
    for (const auto& c : cases) {
        dialog.setPfxFilePath(c.path);
        view.setText(ChgField::txtOldPwd, c.oldPwd);
        view.setText(ChgField::txtNewPwd, c.newPwd);
        view.setText(ChgField::txtNewPwdCfm, c.cfm);
        host.errors.clear();
        dialog.btnOkOnClick();
        EXPECT_EQ(host.errors, std::vector<std::string>{c.message});
        EXPECT_EQ(view.text(ChgField::txtOldPwd) + view.text(ChgField::txtNewPwd) +
                      view.text(ChgField::txtNewPwdCfm),
                  "");
    }
    EXPECT_TRUE(opens(pfx, "Old-1"));
    dialog.btnCancelOnClick();
    EXPECT_EQ(host.sheetResults, std::vector<int>{0});
    EXPECT_FALSE(dialog.result());
}

using Button = DepCertWindowView::Button;

// Draws nothing; keeps what is shown and selected, keyed by the button's index.
struct FakeBrowserView final : DepCertWindowView {
    void showBrowserButton(Button b, const std::string&, const std::string& title) override {
        titles[static_cast<int>(b)] = title;
    }
    void hideBrowserButton(Button b) override { titles.erase(static_cast<int>(b)); }
    void setBrowserButtonSelected(Button b, bool on) override {
        bordered[static_cast<int>(b)] = on;
    }
    void setDirectImportNote(const std::string&) override {}
    std::map<int, std::string> titles;
    std::map<int, bool> bordered;
};

StringMap browser(const std::string& bundleId, const std::string& name, const char* selected) {
    return {{"bundleId", bundleId}, {"name", name}, {"path", "/p/" + name}, {"selected", selected}};
}

TEST(DepCertWindow, ClicksFollowTheModeAndOkListsSafariChromeFirefox) {
    const auto safari = browser("com.apple.Safari", "Safari", "N");
    const auto chrome = browser("com.google.Chrome", "Chrome", "N");
    const auto firefoxOn = browser("org.mozilla.Firefox", "Firefox", "Y");
    const auto other = browser("com.example.Other", "Other", "Y");
    const Button sf = Button::imgBtnSafari, ch = Button::imgBtnChrome, ff = Button::imgBtnFireFox;
    const struct {
        std::string mode;
        std::vector<StringMap> browsers;
        std::vector<Button> clicks;
        std::size_t shown;
        std::string handedBack;  // "" when OK must report that nothing is selected
    } cases[] = {
        {"S", {safari, chrome}, {sf, ch}, 2, "Chrome "},
        {"S", {safari, chrome}, {ch, ch}, 2, "Chrome "},
        {"M", {firefoxOn, chrome, safari}, {ch, sf}, 3, "Safari Chrome Firefox "},
        {"M", {firefoxOn, chrome}, {ff}, 2, ""},
        // Any other mode keeps the initial selection; a hidden button does not react.
        {"X", {firefoxOn, chrome}, {ch, ff}, 2, "Firefox "},
        {"M", {chrome}, {sf}, 1, ""},
        {"M", {other}, {}, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode + " -> " + c.handedBack);
        ScriptedDialogHost host;
        FakeBrowserView view;
        DepCertWindowController dialog(host, view);
        dialog.setSelectMode(c.mode);
        dialog.setBrowsersInfo(c.browsers);
        dialog.windowDidLoad();
        EXPECT_EQ(view.titles.size(), c.shown);
        for (auto click : c.clicks) dialog.imgBtnOnClick(click);
        dialog.btnOkOnClick();
        int borders = 0;
        for (const auto& [button, on] : view.bordered) borders += on;
        EXPECT_EQ(borders, std::count(c.handedBack.begin(), c.handedBack.end(), ' '));
        const bool none = c.handedBack.empty();
        EXPECT_EQ(host.errors, none ? std::vector<std::string>{"未選擇任何目的瀏覽器"}
                                    : std::vector<std::string>{});
        std::string names;
        for (const auto& record :
             dialog.result() ? dialog.result()->browsersInfo : std::vector<StringMap>{})
            names += record.at("name") + " ";
        EXPECT_EQ(names, c.handedBack);
        EXPECT_EQ(host.sheetResults, none ? std::vector<int>{} : std::vector<int>{1});
    }
}

}  // namespace
