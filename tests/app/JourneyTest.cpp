#include <filesystem>

#include "WorkflowFixture.h"
#include "support/NssTool.h"

namespace {

namespace fs = std::filesystem;
using namespace app_text;
constexpr long long kDay = 24 * 60 * 60;

class Journey : public WorkflowFixture {};

// One customer from the first start to the logout: every workflow of the main window once.
TEST_F(Journey, ApplyBackUpDeployQueryChangeReloadRenewAndLogOut) {
    vc.viewDidLoad();
    vc.viewDidAppear();
    EXPECT_EQ(view.title, "Norvale證券憑證管理 V1.0");
    take();

    login("  a123456789\t");
    EXPECT_EQ(view.text(outlet::kTxtUserIdNo), "A123456789");
    EXPECT_EQ(view.text(outlet::kBtnLogin), kLogout);
    EXPECT_FALSE(view.enabled(outlet::kTxtUserIdNo));
    const Journal started = take();
    const Journal expected = {"step " + std::string(kStepLogin),
                              "timer 300",
                              "watch",
                              "timer 5",
                              "alert 提示訊息|登入作業已完成|好",
                              "step " + std::string(kStepFnStatus),
                              "alert 確認資訊|直接開始憑證申請??|好,取消",
                              "sheet agreement"};
    EXPECT_EQ(started, expected);

    // Apply: the file at the default path with the ID number as password, then a backup.
    fs::create_directory(home() + "/usb");
    runtime.folder = home() + "/usb";
    sheets.agree(true);
    EXPECT_EQ(said(), (std::vector<std::string>{fill(kApplyDone, pfxPath()), kApplyReminder,
                                                kBackupOffer, kDeployExplain, kImported}));
    const std::string store = home() + "/.pki/nssdb";
    EXPECT_EQ(NssTool::fingerprints(store).size(), 1u);  // the service sends no chain here
    EXPECT_EQ(NssTool::keyCount(store), 1);
    const auto ownerOnly = fs::perms::owner_read | fs::perms::owner_write;
    EXPECT_EQ(fs::status(pfxPath()).permissions(), ownerOnly);
    EXPECT_EQ(fs::status(home() + "/usb/Norvale.pfx").permissions(), ownerOnly);
    EXPECT_EQ(lib().util().getFile(home() + "/usb/Norvale.pfx"), lib().util().getFile(pfxPath()));
    EXPECT_EQ(properties()["A123456789_PfxFileName"], pfxPath());
    EXPECT_EQ(storedPassword(), "A123456789");
    ASSERT_EQ(desktop.opened.size(), 1u);
    EXPECT_EQ(desktop.opened[0].appPath, "/apps/chrome.desktop");
    EXPECT_EQ(vc.currentFnStatus(), "00");

    // Both tables from one click.
    vc.btnQryClntCertInfoOnClick();
    EXPECT_TRUE(said().empty());
    const auto server = view.table(outlet::kTvSvrCertInfo);
    ASSERT_EQ(server.size(), 7u);
    EXPECT_EQ(server[0], "身分證號=A123456789");
    EXPECT_EQ(server[1], "CN=A123456789-00");
    EXPECT_EQ(server[6], "憑證安裝=已完成安裝");
    const auto local = view.table(outlet::kTvClntCertInfo);
    ASSERT_EQ(local.size(), 6u);  // the five fields and the browser store's line
    EXPECT_EQ(local[5],
              "瀏覽器憑證=Chrome／Chromium：已安裝有效憑證，與伺服器端有效憑證及本機憑證檔一致");
    EXPECT_EQ(local[2], server[2]);  // the same serial on both sides
    EXPECT_TRUE(local[3].find("憑證效期(起)=20") == 0 && local[3].find('/') != std::string::npos)
        << local[3];

    // A new password for the file, then the file chosen again with it.
    vc.btnChgPfxPwdOnClick();
    sheets.changePwd("A123456789", "newpass12");
    EXPECT_EQ(said(), std::vector<std::string>{kPwdChanged});
    vc.btnBrowsePfxFileOnClick();
    sheets.loadPfx(pfxPath(), "newpass12");
    EXPECT_EQ(said(), std::vector<std::string>{kSelectDone});
    EXPECT_EQ(storedPassword(), "newpass12");

    // Renewal once due, signed with the moved file that only the store names. The new file
    // cannot be written at first: the save dialog offers the issued certificate, the
    // customer declines, and the next renewal finishes it at the default path under the ID
    // number.
    service.advanceClock(340 * kDay);
    vc.setBtnStatus();
    EXPECT_TRUE(view.enabled(outlet::kBtnRenewCert));
    const std::string moved = home() + "/moved.pfx";
    fs::rename(pfxPath(), moved);
    ASSERT_TRUE(lib().util().saveToProperties("A123456789", moved, "newpass12"));
    fs::create_directory(pfxPath());
    take();
    vc.btnRenewOnClick();
    sheets.agree(true);
    EXPECT_EQ(said(), std::vector<std::string>{kRenewSaveFailed});
    ASSERT_EQ(sheets.openKind(), "save");
    sheets.cancel();
    EXPECT_EQ(said(), std::vector<std::string>{kRenewSaveCancelled});
    EXPECT_EQ(count("activeCert"), 1);  // the application's only
    fs::remove(pfxPath());
    vc.setBtnStatus();
    EXPECT_EQ(vc.currentFnStatus(), "02");
    take();
    alerts.answers = {0, 0, 1};  // the two messages, then no backup
    vc.btnRenewOnClick();
    sheets.agree(true);
    EXPECT_EQ(said(), (std::vector<std::string>{fill(kRenewDone, pfxPath()), kRenewReminder,
                                                kBackupOffer, kDeployExplain, kImportedReplacing}));
    EXPECT_EQ(NssTool::fingerprints(store).size(), 1u);  // the renewed one alone, with its key
    EXPECT_EQ(NssTool::keyCount(store), 1);
    EXPECT_EQ(storedPassword(), "A123456789");
    EXPECT_EQ(vc.currentFnStatus(), "00");
    EXPECT_EQ(desktop.opened.size(), 2u);

    vc.btnLoginOnClick();
    EXPECT_EQ(said(), std::vector<std::string>{kLogoutQuestion});
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

TEST_F(NoDefaultPath, SaveDialogChecksCancelsAndThenWritesWhereChosen) {
    alerts.answers = {0, 0};
    login();
    sheets.agree(true);
    sheets.savePfx("abc", "abc");
    ASSERT_TRUE(sheets.isOpen());
    sheets.cancel();
    EXPECT_EQ(take().back(), "alert 提示訊息|" + std::string(kSaveCancelled) + "|好");
    EXPECT_EQ(count("activeCert"), 0);

    // The application is still pending; its key waited in the private key cache.
    vc.setBtnStatus();
    EXPECT_EQ(vc.currentFnStatus().substr(0, 1), "2");
    vc.btnApplyCertOnClick();
    sheets.agree(true);
    sheets.savePfx("abcd1234", "abcd1234");
    const std::string written = lib().getCurrentPfxFilePath().value_or("");
    const auto shown = said();
    ASSERT_GE(shown.size(), 2u);
    EXPECT_EQ(shown[0], fill(kApplyDone, fs::path(written).parent_path().string()));
    EXPECT_TRUE(lib().getClientCertInfo(written, "abcd1234", {}, {}, {}, {}));
    EXPECT_TRUE(properties().empty());
    EXPECT_EQ(count("activeCert"), 1);
}

// Failures on the way of an application: what is still done and what is not.
TEST_F(Journey, FailedExportStopsBeforeActivationAndFailedActivationStillRefreshes) {
    fs::create_directory(pfxPath());  // a folder where the file should go
    alerts.answers = {0, 0};
    login();
    take();
    sheets.agree(true);
    EXPECT_EQ(said(), (std::vector<std::string>{kSaveFailed}));
    // The issued certificate is offered in the save dialog; declined, it stays unfinished.
    ASSERT_EQ(sheets.openKind(), "save");
    sheets.cancel();
    EXPECT_EQ(said(), (std::vector<std::string>{kSaveCancelled}));
    EXPECT_EQ(count("activeCert"), 0);
    fs::remove(pfxPath());

    service.setRule("activeCert", R"({"rtnCode": "5701", "rtnMsg": "x"})");
    vc.btnApplyCertOnClick();
    sheets.agree(true);
    const auto shown = said();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown[0], kApplyFailed);
    EXPECT_NE(std::find(shown.begin(), shown.end(), kBackupOffer), shown.end());
    EXPECT_TRUE(fs::exists(pfxPath()));
}

// A template that puts the file on a desktop that does not exist yet: the folder is made
// owner-only, and the application and a renewal write there. A renewal whose file cannot be
// written there ends in the file the customer chooses, and the timers wait while the
// customer is in that dialog's chooser.
class DesktopTemplate : public WorkflowFixture {
  protected:
    DesktopTemplate()
        : WorkflowFixture({{"sysCfg", R"({"default.macPfxFilePath": "#desktop#\\",
            "default.pfxFileName": "#userId#_#custType#.pfx", "depCert.autoDeploy": "N",
            "pfx.pwd.minLen": "8"})"}}) {}
    std::string onDesktop() const { return desktop.desktopPath() + "/A123456789_S.pfx"; }
    std::string serialIn(const std::string& pfx, const std::string& pwd) const {
        auto info = lib().getClientCertInfo(pfx, pwd, {}, {}, {}, {});
        return info ? (*info)["serial"] : "none";
    }
    void renew() {
        service.advanceClock(340 * kDay);
        vc.setBtnStatus();
        ASSERT_EQ(vc.currentFnStatus(), "01");
        take();
        vc.btnRenewOnClick();
        sheets.agree(true);
    }
    void apply() {
        alerts.answers = {0, 0, 0, 0, 1};  // login, proposal, the two messages, no backup
        login();
        sheets.agree(true);
        take();
    }
};

TEST_F(DesktopTemplate, ApplicationAndRenewalWriteThere) {
    apply();
    EXPECT_EQ(lib().getSysCfg("env.userPfxFilePath"), onDesktop());
    EXPECT_EQ(fs::status(desktop.desktopPath()).permissions(), fs::perms::owner_all);
    const std::string applied = serialIn(onDesktop(), "A123456789");
    ASSERT_NE(applied, "none");

    alerts.answers = {0, 0, 1};
    renew();
    EXPECT_EQ(said(), (std::vector<std::string>{fill(kRenewDone, onDesktop()), kRenewReminder,
                                                kBackupOffer}));
    EXPECT_NE(serialIn(onDesktop(), "A123456789"), applied);
}

TEST_F(DesktopTemplate, RenewalThatCannotWriteThereEndsInTheFileChosen) {
    apply();
    // The desktop file cannot be replaced (a folder took its name); the old one signs.
    const std::string old = home() + "/old.pfx";
    const std::string applied = serialIn(onDesktop(), "A123456789");
    fs::rename(onDesktop(), old);
    fs::create_directory(onDesktop());
    ASSERT_TRUE(lib().util().saveToProperties("A123456789", old, "A123456789"));
    renew();
    EXPECT_EQ(said(), std::vector<std::string>{kRenewSaveFailed});
    ASSERT_EQ(sheets.openKind(), "save");

    // Six minutes in the chooser: no keep-alive and no idle logout under it, one keep-alive
    // right after, and no logout, since choosing was the customer's activity.
    sheets.whileChoosing = [this] {
        const auto before = journal.size();
        runtime.advance(360);
        EXPECT_EQ(journal.size(), before) << journal.back();
    };
    const std::string chosen = home() + "/chosen.pfx";
    alerts.answers = {0, 0};
    sheets.savePfx("renew1234", "renew1234", chosen);
    EXPECT_EQ(runtime.quits, 0);
    const Journal after = take();
    EXPECT_EQ(std::count(after.begin(), after.end(), "step " + std::string(kStepKeepAlive)), 1);
    const std::string renewed = serialIn(chosen, "renew1234");
    EXPECT_NE(renewed, "none");
    EXPECT_NE(renewed, applied);
    EXPECT_EQ(properties()["A123456789_PfxFileName"], chosen);
    EXPECT_EQ(storedPassword(), "renew1234");
    vc.setBtnStatus();
    EXPECT_EQ(vc.currentFnStatus(), "00");
}

}  // namespace
