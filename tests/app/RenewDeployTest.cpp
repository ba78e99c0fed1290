#include <filesystem>

#include "WorkflowFixture.h"
#include "support/TestPki.h"

namespace {

namespace fs = std::filesystem;
using namespace app_text;
constexpr long long kDay = 24 * 60 * 60;

class Flows : public WorkflowFixture {
  protected:
    void dueForRenewal() {
        service.advanceClock(340 * kDay);
        vc.setBtnStatus();
        ASSERT_EQ(vc.currentFnStatus(), "01");
        take();
    }
    void store(const std::string& path, const std::string& pwd) {
        ASSERT_TRUE(lib().util().saveToProperties("A123456789", path, pwd));
    }
    // A PFX of somebody else's certificate under the customer's password.
    std::string strangersPfx() {
        TestPki pki;
        std::string key;
        const std::string pfx = home() + "/stranger.pfx";
        fs::copy_file(
            pki.pkcs12(pki.issue(pki.newRequest("/CN=stranger", key), "01"), key, "A123456789"),
            pfx, fs::copy_options::overwrite_existing);
        return pfx;
    }
};

TEST_F(Flows, RenewalAsksForTheFileWhenTheStoredOneIsWrong) {
    applyAsNewCustomer();
    dueForRenewal();
    const std::string elsewhere = home() + "/elsewhere.pfx";
    fs::rename(pfxPath(), elsewhere);
    store(home() + "/gone.pfx", "A123456789");
    vc.btnRenewOnClick();
    sheets.agree(true);
    sheets.cancel();
    EXPECT_EQ(said(), std::vector<std::string>{kRenewLoadCancelled});

    alerts.answers = {0, 0};
    vc.btnRenewOnClick();
    sheets.agree(true);
    sheets.loadPfx(strangersPfx(), "A123456789");  // not the certificate being renewed
    EXPECT_TRUE(sheets.isOpen());
    sheets.loadPfx(elsewhere, "A123456789");
    // The message names the file that signed; no backup offer or deployment on this path.
    EXPECT_EQ(said(), (std::vector<std::string>{fill(kRenewDone, elsewhere), kRenewReminder}));
    EXPECT_EQ(properties()["A123456789_PfxFileName"], pfxPath());
    EXPECT_EQ(count("renewCert"), 1);
}

TEST_F(Flows, NoRenewalOutsideItsDigits) {
    vc.setBtnStatus("03", 0, 0);
    EXPECT_TRUE(view.enabled(outlet::kBtnRenewCert));
    vc.btnRenewOnClick();
    sheets.agree(true);
    EXPECT_EQ(said(), std::vector<std::string>{kRenewNotAllowed});
    vc.btnRenewOnClick();
    sheets.agree(false);
    EXPECT_EQ(said(), std::vector<std::string>{kRenewAgreementCancelled});
}

TEST_F(Flows, LocalQueryFindsRecordsAndAsksForTheFile) {
    applyAsNewCustomer();
    fs::remove(lib().util().getPropertiesPath());
    vc.btnQryClntCertInfoOnClick();
    EXPECT_EQ(properties()["A123456789_PfxFileName"], pfxPath());

    // Another customer's entries only: the ID number opens the file; the store stays theirs.
    ASSERT_TRUE(lib().util().dictionaryToPropertiesFile({{"B223456789_PfxFileName", "/b.pfx"}},
                                                        lib().util().getPropertiesPath()));
    vc.btnQryClntCertInfoOnClick();
    EXPECT_FALSE(sheets.isOpen());
    EXPECT_EQ(properties().count("A123456789_PfxFileName"), 0u);

    // A stored password that no longer opens the file: the customer gives the right one.
    store(pfxPath(), "stale-password");
    take();
    vc.btnQryClntCertInfoOnClick();
    ASSERT_TRUE(sheets.isOpen());
    sheets.loadPfx(pfxPath(), "A123456789");
    EXPECT_EQ(storedPassword(), "A123456789");
    EXPECT_EQ(view.table(outlet::kTvClntCertInfo).size(), 5u);
    EXPECT_TRUE(said().empty());  // status 00: nothing to propose

    store(pfxPath(), "stale-password");
    vc.btnQryClntCertInfoOnClick();
    sheets.cancel();
    EXPECT_EQ(said(), std::vector<std::string>{kClntQueryCancelled});
}

// The file is re-protected but its new password cannot be recorded: the change stands, and
// the customer is told that the next start will ask for the new password.
TEST_F(Flows, PasswordChangeThatCannotBeRecordedStillCompletesAndSaysSo) {
    applyAsNewCustomer();
    const std::string store = lib().util().getPropertiesPath();
    fs::remove(store);
    fs::create_directory(store);
    vc.btnChgPfxPwdOnClick();
    sheets.changePwd("A123456789", "newpass12");
    const Journal shown = take();
    EXPECT_NE(std::find(shown.begin(), shown.end(), "dialog 錯誤|" + lib().getErrMsg(52113)),
              shown.end());
    EXPECT_EQ(shown.back(), "alert 提示訊息|" + std::string(kPwdChanged) + "|好");
    EXPECT_TRUE(lib().getClientCertInfo(pfxPath(), "newpass12", {}, {}, {}, {}));
}

TEST_F(Flows, DeploymentAsksForTheFileAndBrowsersWhenTheCurrentOneDoesNotMatch) {
    applyAsNewCustomer();
    lib().setCurrentPfxFilePath(strangersPfx());
    lib().setCurrentPfxFilePwd("A123456789");
    vc.btnDepCertOnClick();
    sheets.loadPfx(pfxPath(), "A123456789");
    sheets.chooseBrowsers(false);
    EXPECT_EQ(said(), std::vector<std::string>{kCancelled});

    lib().setCurrentPfxFilePath(strangersPfx());
    const auto before = desktop.opened.size();
    vc.btnDepCertOnClick();
    sheets.loadPfx(pfxPath(), "A123456789");
    EXPECT_EQ(sheets.directImportNote(),
              "同時直接匯入憑證至以下瀏覽器的憑證資料庫：Chrome／Chromium");
    sheets.chooseBrowsers(true);
    EXPECT_EQ(said(), std::vector<std::string>{kImported});
    EXPECT_EQ(desktop.opened.size(), before + 1);
    EXPECT_EQ(lib().getCurrentPfxFilePath(), pfxPath());
}

TEST_F(Flows, MissingFileDefersDeploymentUntilTheFileIsLoaded) {
    applyAsNewCustomer();
    const std::string moved = home() + "/moved.pfx";
    fs::rename(pfxPath(), moved);
    const auto before = desktop.opened.size();
    vc.btnDepCertOnClick();
    EXPECT_TRUE(said().empty());
    EXPECT_TRUE(vc.isDeploymentPending());

    vc.btnQryClntCertInfoOnClick();
    sheets.loadPfx(moved, "A123456789");
    EXPECT_EQ(said(), (std::vector<std::string>{kDeployExplain, kImported}));
    EXPECT_FALSE(vc.isDeploymentPending());
    EXPECT_EQ(desktop.opened.size(), before + 1);
    EXPECT_NE(desktop.logText().find("do deployCert again!"), std::string::npos);
}

// Dialogs asked for while another is open wait their turn and each completion runs: the local
// query's dialog gets a stranger's file, the waiting deployment asks for the right one, the
// proposed renewal's agreement waits for that dialog, the browser dialog for the agreement,
// and the renewal's own file dialog for the browser dialog.
TEST_F(Flows, EveryDialogAskedForWhileAnotherIsOpenOpensInTurn) {
    applyAsNewCustomer();
    dueForRenewal();
    const std::string moved = home() + "/moved.pfx";
    fs::rename(pfxPath(), moved);
    vc.btnDepCertOnClick();
    ASSERT_TRUE(vc.isDeploymentPending());
    vc.btnQryClntCertInfoOnClick();
    sheets.loadPfx(strangersPfx(), "A123456789");
    EXPECT_EQ(said(), std::vector<std::string>{kProposeRenew});
    EXPECT_EQ(sheets.openKind(), "load");
    sheets.loadPfx(moved, "A123456789");
    EXPECT_EQ(sheets.openKind(), "agreement");
    sheets.agree(true);
    EXPECT_EQ(sheets.openKind(), "browsers");
    sheets.chooseBrowsers(true);
    EXPECT_EQ(said(), (std::vector<std::string>{kImported}));
    EXPECT_EQ(sheets.openKind(), "load");
    sheets.loadPfx(moved, "A123456789");
    EXPECT_EQ(said(), (std::vector<std::string>{fill(kRenewDone, moved), kRenewReminder}));
    EXPECT_FALSE(sheets.isOpen());
    EXPECT_EQ(count("renewCert"), 1);
}

// A later start whose stored password no longer opens the file: the login leaves the next
// step to the load dialog, and the deployment it would start waits for that dialog too.
TEST_F(Flows, LoginWithAFileToLoadProposesAndDeploysAfterTheDialog) {
    applyAsNewCustomer();
    store(pfxPath(), "stale-password");
    FakeMainWindow window;
    ViewController later({window, alerts, sheets, runtime, desktop}, endpoint());
    window.texts[outlet::kTxtUserIdNo] = "A123456789";
    window.texts[outlet::kTxtSecureLoginPwd] = "demo1234";
    later.btnLoginOnClick();
    EXPECT_EQ(said(), std::vector<std::string>{kLoginDone});
    ASSERT_TRUE(sheets.isOpen());
    const auto before = desktop.opened.size();
    sheets.loadPfx(pfxPath(), "A123456789");
    EXPECT_EQ(said(), (std::vector<std::string>{kDeployExplain, kImported}));
    EXPECT_EQ(desktop.opened.size(), before + 1);
}

// After a renewal that deployed nothing, the store holds the old certificate: the local
// query says so and offers the deployment, which brings the store up to date.
TEST_F(Flows, BrowserStoreBehindARenewalIsReportedAndRedeployed) {
    applyAsNewCustomer();
    dueForRenewal();
    lib().setSysCfg("depCert.autoDeploy", "N");
    alerts.answers = {0, 0, 1};  // the two messages, no backup
    vc.btnRenewOnClick();
    sheets.agree(true);
    take();

    alerts.answers = {0, 0, 0};  // deploy again, then the two messages
    vc.btnQryClntCertInfoOnClick();
    const auto rows = view.table(outlet::kTvClntCertInfo);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(
        rows[5],
        "瀏覽器憑證="
        "Chrome／Chromium：僅有您較舊的憑證，瀏覽器中的憑證不是最新，請重新執行瀏覽器憑證安裝");
    EXPECT_EQ(said(),
              (std::vector<std::string>{kOfferRedeploy, kDeployExplain, kImportedReplacing}));
    vc.btnQryClntCertInfoOnClick();
    EXPECT_EQ(view.table(outlet::kTvClntCertInfo).back(),
              "瀏覽器憑證=Chrome／Chromium：已安裝有效憑證，與伺服器端有效憑證及本機憑證檔一致");

    // Without the direct import the query is the plain one: no store row, no extra call.
    lib().setSysCfg("depCert.directImport", "N");
    const int lookups = count("qryLastActiveCert");
    vc.btnQryClntCertInfoOnClick();
    EXPECT_EQ(view.table(outlet::kTvClntCertInfo).size(), 5u);
    EXPECT_TRUE(said().empty());
    EXPECT_EQ(count("qryLastActiveCert"), lookups);
}

}  // namespace
