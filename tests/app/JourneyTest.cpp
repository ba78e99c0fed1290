#include <filesystem>
#include <regex>

#include "WorkflowFixture.h"

namespace {

namespace fs = std::filesystem;
using namespace app_text;
using F = WorkflowFixture;

class Journey : public WorkflowFixture {};

// One customer from the first start to the logout: every workflow of the main window once.
TEST_F(Journey, ApplyBackUpDeployQueryChangeReloadRenewAndLogOut) {
    vc.viewDidLoad();
    vc.viewDidAppear();
    EXPECT_EQ(view.title, "Norvale證券憑證管理 V1.0");
    take();
    login("  a123456789\t");
    EXPECT_EQ(view.text(outlet::kTxtUserIdNo), "A123456789");
    EXPECT_EQ(take(),
              (Journal{"step " + std::string(kStepLogin), "timer 300", "watch", "timer 5",
                       "alert 提示訊息|登入作業已完成|好", "step " + std::string(kStepFnStatus),
                       "alert 確認資訊|直接開始憑證申請??|好,取消", "sheet agreement"}));

    // Apply: the file at the default path with the ID number as password, then a backup.
    walk("folder:usb");
    runtime.folder = home() + "/usb";
    walk("agree query");
    EXPECT_EQ(said(), (Texts{fill(kApplyDone, "~/A123456789_S.pfx"), kApplyReminder, kBackupOffer,
                             kDeployExplain, kImported}));
    const std::string backup = home() + "/usb/Norvale.pfx";
    EXPECT_EQ(fs::status(backup).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(properties()["A123456789_PfxFileName"], pfxPath());
    EXPECT_EQ(storedPassword(), "A123456789");
    ASSERT_EQ(desktop.opened.size(), 1u);
    EXPECT_EQ(desktop.opened[0].appPath, "/apps/chrome.desktop");
    const Texts server = view.tables[outlet::kTvSvrCertInfo];
    ASSERT_EQ(server.size(), 7u);
    EXPECT_EQ(server[0] + " " + server[1] + " " + server[6],
              "身分證號=A123456789 CN=A123456789-00 憑證安裝=已完成安裝");
    EXPECT_TRUE(
        std::regex_match(server[3], std::regex(R"(憑證效期\(起\)=20\d\d/\d\d/\d\d [\d:]{8})")))
        << server[3];
    Texts local(server.begin(), server.begin() + 5);  // the same certificate on both sides
    local.push_back(
        "瀏覽器憑證=Chrome／Chromium：已安裝有效憑證，與伺服器端有效憑證及本機憑證檔一致");
    EXPECT_EQ(view.tables[outlet::kTvClntCertInfo], local);

    // A new password for the file, then the file chosen again with it.
    walk("change newpwd:newpass12");
    vc.btnBrowsePfxFileOnClick();
    sheets.loadPfx(pfxPath(), "newpass12");
    EXPECT_EQ(said(), (Texts{kPwdChanged, kSelectDone}));
    EXPECT_EQ(storedPassword(), "newpass12");

    // Renewal once due, signed with the moved file that only the store names. The new file
    // cannot be written at first: the save dialog offers the issued certificate, the
    // customer declines, and the next renewal finishes it at the default path under the ID
    // number.
    walk("due move:moved.pfx folder:A123456789_S.pfx");
    store(home() + "/moved.pfx", "newpass12");
    walk("renew agree cancel");
    EXPECT_EQ(said(), (Texts{kRenewSaveFailed, kRenewSaveCancelled}));
    fs::remove(pfxPath());
    vc.setBtnStatus();
    EXPECT_EQ(vc.currentFnStatus(), "02");
    take();
    alerts.answers = {0, 0, 1};  // the two messages, then no backup
    walk("renew agree");
    EXPECT_EQ(said(), (Texts{fill(kRenewDone, "~/A123456789_S.pfx"), kRenewReminder, kBackupOffer,
                             kDeployExplain, kImportedReplacing}));
    EXPECT_EQ(storedPassword(), "A123456789");
    EXPECT_EQ(vc.currentFnStatus(), "00");

    walk("login");
    EXPECT_EQ(said(), Texts{kLogoutQuestion});
    EXPECT_EQ(runtime.quits, 1);  // the current version started without quitting
    EXPECT_EQ(count("doLogout"), 1);
    EXPECT_EQ(runtime.deepest, 1);
}

// Without a configured default path the save dialog asks; its answer is not stored.
class NoDefaultPath : public WorkflowFixture {
  protected:
    NoDefaultPath()
        : WorkflowFixture({{"sysCfg", R"({"depCert.templateUrl": "#base#/files/template.html",
            "depCert.autoDeploy": "Y", "pfx.pwd.minLen": "8", "pfx.pwd.digit": "Y"})"}}) {}
};

TEST_F(NoDefaultPath, SaveDialogCancelsAndThenWritesWhereChosen) {
    walk("login agree cancel");
    EXPECT_EQ(said(), (Texts{kLoginDone, kProposeApply, kSaveCancelled}));
    EXPECT_EQ(count("activeCert"), 0);

    // The application is still pending; its key waited in the private key cache.
    vc.setBtnStatus();
    EXPECT_EQ(vc.currentFnStatus().substr(0, 1), "2");
    vc.btnApplyCertOnClick();
    walk("agree");
    sheets.savePfx("abcd1234");  // as long as the shortest password allowed
    const std::string written = lib().getCurrentPfxFilePath().value_or("");
    EXPECT_EQ(said(), (Texts{fill(kApplyDone, "~"), kApplyReminder}));
    EXPECT_TRUE(lib().getClientCertInfo(written, "abcd1234", {}, {}, {}, {}));
    EXPECT_TRUE(properties().empty());
    EXPECT_EQ(count("activeCert"), 1);
}

// A template that puts the file on a desktop that does not exist yet: the folder is made
// owner-only and the application writes there. A renewal whose file cannot be written there
// ends in the file the customer chooses, and the timers wait while the customer is in that
// dialog's chooser.
class DesktopTemplate : public WorkflowFixture {
  protected:
    DesktopTemplate()
        : WorkflowFixture({{"sysCfg", R"({"default.macPfxFilePath": "#desktop#\\",
            "default.pfxFileName": "#userId#_#custType#.pfx", "depCert.autoDeploy": "N",
            "pfx.pwd.minLen": "8"})"}}) {}
};

TEST_F(DesktopTemplate, ApplicationWritesThereARenewalThatCannotEndsInTheFileChosen) {
    walk("apply");
    const std::string onDesktop = desktop.desktopPath() + "/A123456789_S.pfx";
    EXPECT_EQ(fs::status(desktop.desktopPath()).permissions(), fs::perms::owner_all);
    // A folder took the file's name; the old file, moved, signs.
    fs::rename(onDesktop, home() + "/old.pfx");
    fs::create_directory(onDesktop);
    walk("store:old.pfx due renew agree");
    EXPECT_EQ(said(), Texts{kRenewSaveFailed});

    // Six minutes in the chooser: no keep-alive and no idle logout under it, one keep-alive
    // right after, and no logout, since choosing was the customer's activity.
    sheets.whileChoosing = [this] {
        const auto before = journal.size();
        runtime.advance(360);
        EXPECT_EQ(journal.size(), before) << journal.back();
    };
    const std::string chosen = home() + "/chosen.pfx";
    sheets.savePfx("renew1234", chosen);
    EXPECT_EQ(runtime.quits, 0);
    const Journal after = take();
    EXPECT_EQ(std::count(after.begin(), after.end(), "step " + std::string(kStepKeepAlive)), 1);
    const auto renewed = lib().getClientCertInfo(chosen, "renew1234", {}, {}, {}, {});
    const auto old = lib().getClientCertInfo(home() + "/old.pfx", "A123456789", {}, {}, {}, {});
    ASSERT_TRUE(renewed && old);
    EXPECT_NE(renewed->at("serial"), old->at("serial"));
    EXPECT_EQ(properties()["A123456789_PfxFileName"], chosen);
    EXPECT_EQ(storedPassword(), "renew1234");
    vc.setBtnStatus();
    EXPECT_EQ(vc.currentFnStatus(), "00");
}

// A walk through one workflow: the customer's steps, what the customer is told on the way
// (alerts and dialog errors, the home folder as "~") and how often the service was asked.
struct Walk {
    const char* name;
    const char* steps;
    Texts said;
    std::map<std::string, int> calls = {};
};
void PrintTo(const Walk& walk, std::ostream* out) {
    *out << walk.steps;
}

const std::vector<Walk> kWalks = {
    {"RenewalOutsideItsDigits", "status:03 renew agree", {kRenewNotAllowed}},
    {"RenewalAgreementDeclined", "renew cancel", {kRenewAgreementCancelled}},  // no dialog left
    // The issued certificate is offered in the save dialog; declined, it stays unfinished.
    {"ApplicationFileCannotBeWritten",
     "folder:A123456789_S.pfx login agree cancel",
     {kLoginDone, kProposeApply, kSaveFailed, kSaveCancelled},
     {{"activeCert", 0}}},
    // The file is already written: the backup and the deployment are still offered.
    {"ApplicationActivationRefused",
     "refuse:activeCert login agree",
     {kLoginDone, kProposeApply, kApplyFailed, kBackupOffer, kDeployExplain, F::kImported},
     {{"activeCert", 1}}},
    {"RenewalStoredFileGoneLoadCancelled",
     "apply due move:elsewhere.pfx store:gone.pfx renew agree cancel",
     {kRenewLoadCancelled},
     {{"renewCert", 0}}},
    // Somebody else's file is refused; the message names the file that signed, and this path
    // has no backup offer or deployment.
    {"RenewalSignedWithTheFileChosen",
     "apply due move:elsewhere.pfx store:gone.pfx stranger renew agree load:stranger.pfx "
     "load:elsewhere.pfx",
     {"錯誤的憑證檔(CN錯誤)，請重新選擇憑證\n憑證檔中的憑證屬於其他客戶",
      fill(kRenewDone, "~/elsewhere.pfx"), kRenewReminder},
     {{"renewCert", 1}}},
    {"LocalQueryStalePasswordCancelled", "apply stale query cancel", {kClntQueryCancelled}},
    {"DeploymentOfAStrangersFileBrowsersDeclined",
     "apply stranger current:stranger.pfx deploy load:A123456789_S.pfx cancel",
     {kCancelled}},
    // The file is re-protected but its new password cannot be recorded: the change stands,
    // and the customer is told that the next start will ask for the new password.
    {"PasswordChangeThatCannotBeRecorded",
     "apply unrecordable change newpwd:newpass12",
     {"憑證檔密碼已變更，但新密碼無法記錄。下次開啟憑證檔時，請輸入新密碼。", kPwdChanged}},
};

class Walks : public WorkflowFixture, public testing::WithParamInterface<Walk> {};

TEST_P(Walks, TellTheCustomerAndAskTheService) {
    walk(GetParam().steps);
    EXPECT_EQ(said(), GetParam().said);
    for (const auto& [action, times] : GetParam().calls) EXPECT_EQ(count(action), times) << action;
}

INSTANTIATE_TEST_SUITE_P(Workflow, Walks, testing::ValuesIn(kWalks),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Journey, ErrorMessagesFallBackToTheCode) {
    vc.showErrMsg(0, "");  // no error, no message
    vc.showErrMsg(12345, "");
    vc.showErrMsg(0, "服務說明");
    vc.showErrMsg(52303, "");
    EXPECT_EQ(said(), (Texts{"不明的錯誤(錯誤代碼 12345)", "服務說明", lib().getErrMsg(52303)}));
}

// A later start whose stored password no longer opens the file: the customer gives the right
// one, which is recorded, and the deployment the login would start waits for that dialog.
TEST_F(Journey, LaterLoginWithAFileToLoadDeploysAfterTheDialog) {
    walk("apply stale");
    FakeMainWindow window;
    ViewController later({window, alerts, sheets, runtime, desktop}, endpoint());
    login(window, later);
    walk("load:A123456789_S.pfx");
    EXPECT_EQ(said(), (Texts{kLoginDone, kDeployExplain, kImported}));
    EXPECT_EQ(storedPassword(), "A123456789");
    EXPECT_EQ(window.tables[outlet::kTvClntCertInfo].size(), 5u);
}

}  // namespace
