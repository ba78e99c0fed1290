#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>

#include "crypto/RSAUtility.h"
#include "support/FakeDesktop.h"
#include "support/OpensslTool.h"
#include "support/TestPki.h"
#include "ui/ChgPfxPwdWindowController.h"
#include "ui/ChgPfxPwdWindowControllerDelegate.h"
#include "ui/DialogFakes.h"
#include "ui/LoadPfxWindowController.h"
#include "ui/LoadPfxWindowControllerDelegate.h"
#include "ui/SavePfxWindowController.h"
#include "ui/SavePfxWindowControllerDelegate.h"

namespace {

// Every delegate operation, recorded as one line.
struct RecordingDelegate final : SavePfxWindowControllerDelegate,
                                 LoadPfxWindowControllerDelegate,
                                 ChgPfxPwdWindowControllerDelegate {
    void getSavePfxWindowData(const std::string& folder, const std::string& name,
                              const std::string& pwd) override {
        calls.push_back("save " + folder + " " + name + " " + pwd);
    }
    void getLoadPfxWindowData(const std::string& path, const std::string& pwd,
                              const StringMap& certInfo) override {
        calls.push_back("load " + path + " " + pwd + " " + certInfo.at("cn"));
    }
    void getChgPwdWindowData(const std::string& path, const std::string& pwd) override {
        calls.push_back("chg " + path + " " + pwd);
    }
    std::vector<std::string> calls;
};

struct Customer {
    std::string b64Cert, keyPem;
};

// One certificate for every case: the openssl tool takes a while to make one.
const Customer& customer() {
    static const Customer made = [] {
        TestPki pki;
        std::string key;
        const std::string cert =
            pki.issue(pki.newRequest("/CN=A123456789-00/OU=RA/O=Bank/C=TW", key), "0x012A");
        return Customer{pki.certBase64(cert), OpensslTool::readText(key)};
    }();
    return made;
}

class PfxDialogs : public testing::Test {
  protected:
    // A PFX of the customer's certificate in the temporary home.
    std::string writePfx(const std::string& pwd) {
        const std::string path = desktop.homePath() + "/a.pfx";
        EXPECT_EQ(RSAUtility(util).savePfxFile(customer().b64Cert, customer().keyPem, path, pwd),
                  0);
        return path;
    }
    bool opens(const std::string& path, const std::string& pwd) {
        StringMap info;
        return RSAUtility(util).loadPfx(path, pwd, info) == 0;
    }

    FakeDesktop desktop;
    CommonUtility util{desktop};
    ScriptedDialogHost host;
    RecordingDelegate delegate;
};

using SaveField = SavePfxWindowView::Field;
using LoadField = LoadPfxWindowView::Field;
using ChgField = ChgPfxPwdWindowView::Field;

TEST_F(PfxDialogs, SaveReportsTheFirstFailedCheckAndStaysOpen) {
    const std::string path = desktop.homePath() + "/n.pfx";
    const struct {
        std::string path, pwd, cfm, message;
    } cases[] = {
        {"", "", "", "憑證檔儲存路徑未指定!!"},
        {path, "", "", "密碼空白!!"},
        {path, "Abcdefg1", "abcdefg1", "密碼與密碼確認值不同!!"},
        {path, "abc", "abc", "密碼長度不足"},
        {path, "abcdefgh", "abcdefgh", "憑證檔密碼必需包含數字"},
        // No key given and none in the cache: the write fails.
        {path, "abcdefg1", "abcdefg1", "憑證檔儲存失敗，請檢查並確認您的憑證檔儲存資訊"},
    };
    FakeTextView<SavePfxWindowView> view;
    SavePfxWindowController dialog(delegate, host, view, util);
    dialog.setRules(PfxPasswordRules::fromConfig(
        {{"pfx.pwd.minLen", "8"}, {"pfx.pwd.digit", "Y"}, {"pfx.pwd.prompt", "至少8碼"}}));
    dialog.setB64Cert(customer().b64Cert);
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
    EXPECT_TRUE(delegate.calls.empty());
    EXPECT_EQ(view.text(SaveField::txtPfxPwd) + view.text(SaveField::txtPfxPwdCfm), "");
}

TEST_F(PfxDialogs, SaveIntoAChosenFolderWritesTheFileHandsItBackAndClearsThePasswords) {
    const std::string folder = desktop.homePath() + "/certs";
    std::filesystem::create_directories(folder);
    host.answers = {folder};
    FakeTextView<SavePfxWindowView> view;
    SavePfxWindowController dialog(delegate, host, view, util);
    dialog.setPfxFilePath(" \t");  // blank: the home folder, and no name: "cert.pfx"
    dialog.setB64Cert(customer().b64Cert);
    dialog.setB64PrivateKey(customer().keyPem);
    dialog.windowDidLoad();
    dialog.btnBrowserFilePathOnClick();
    EXPECT_EQ(host.panels.at(0).startPath, desktop.homePath() + "/cert.pfx");
    EXPECT_TRUE(host.panels.at(0).foldersAllowed);
    EXPECT_EQ(view.text(SaveField::lblPfxFilePath), folder + "/cert.pfx");
    view.setText(SaveField::txtPfxPwd, "Pw 1");
    view.setText(SaveField::txtPfxPwdCfm, "Pw 1");
    dialog.btnOKOnClick();
    dialog.btnOKOnClick();  // a late second press changes nothing
    EXPECT_TRUE(host.errors.empty());
    EXPECT_TRUE(opens(folder + "/cert.pfx", "Pw 1"));
    EXPECT_EQ(delegate.calls, std::vector<std::string>{"save " + folder + " cert.pfx Pw 1"});
    EXPECT_EQ(host.sheetResults, std::vector<int>{1});
    EXPECT_EQ(view.text(SaveField::txtPfxPwd) + view.text(SaveField::txtPfxPwdCfm), "");
}

TEST_F(PfxDialogs, LoadChecksTheFileThenHashCnSerialAndIssuerInThatOrder) {
    const std::string pfx = writePfx("pw-1");
    StringMap info;
    ASSERT_EQ(RSAUtility(util).loadPfx(pfx, "pw-1", info), 0);
    std::string lowerSerial = info["serial"];
    for (char& ch : lowerSerial) ch = static_cast<char>(std::tolower(ch));
    const std::string notPfx = desktop.homePath() + "/x.pfx";
    OpensslTool::writeFile(notPfx, std::string("not a PKCS#12 file"));
    const std::string wrongPwd = "憑證檔密碼錯誤或無法讀取憑證檔，請檢查或重新指定憑證路徑及密碼";
    const std::string notAPfx = "憑證檔格式錯誤或不是指定的憑證檔!!";
    const struct {
        std::string path, pwd, cn, issuer, serial, hash, message;  // "": accepted
    } cases[] = {
        {"", "pw-1", "", "", "", "", "憑證儲存路徑未指定!!"},
        {pfx, "pw-2", "", "", "", "", wrongPwd},
        {pfx, "", "", "", "", "", wrongPwd},
        {pfx + ".none", "pw-1", "", "", "", "", notAPfx},
        {desktop.homePath(), "pw-1", "", "", "", "", notAPfx},
        {notPfx, "pw-1", "", "", "", "", notAPfx},
        {pfx, "pw-1", "B1", "", "", "00", "錯誤的憑證檔(憑證雜湊值錯誤)，請重新選擇憑證"},
        {pfx, "pw-1", "B1", "", "", "", "錯誤的憑證檔(CN錯誤)，請重新選擇憑證"},
        {pfx, "pw-1", "", "", lowerSerial, "", "錯誤的憑證檔(憑證序號錯誤)，請重新選擇憑證"},
        {pfx, "pw-1", "", "CN=Other CA, O=Test Bank, C=TW", "", "",
         "錯誤的憑證檔(憑證簽發者錯誤)，請重新選擇憑證"},
        {pfx, "pw-1", "A123456789-00", "C=TW,O=Test Bank,CN=Test Issuing CA", info["serial"],
         info["certHash"], ""},
    };
    FakeTextView<LoadPfxWindowView> view;
    LoadPfxWindowController dialog(delegate, host, view, util);
    dialog.windowDidLoad();
    EXPECT_EQ(view.text(LoadField::lblPfxFilePath), desktop.homePath());
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
    EXPECT_EQ(delegate.calls, std::vector<std::string>{"load " + pfx + " pw-1 A123456789-00"});
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
    ChgPfxPwdWindowController dialog(delegate, host, view, util);
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
    EXPECT_TRUE(delegate.calls.empty());
}

}  // namespace
