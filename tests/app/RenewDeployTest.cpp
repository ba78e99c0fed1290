#include <filesystem>

#include "WorkflowFixture.h"
#include "support/OpensslTool.h"

namespace {

namespace fs = std::filesystem;
using namespace app_text;

class Flows : public WorkflowFixture {};

TEST_F(Flows, LocalQueryFindsRecordsAndAsksForTheFile) {
    walk("apply");
    fs::remove(lib().util().getPropertiesPath());
    walk("query");
    EXPECT_EQ(properties()["A123456789_PfxFileName"], pfxPath());

    // Another customer's entries only: the ID number opens the file; the store stays theirs.
    ASSERT_TRUE(lib().util().dictionaryToPropertiesFile({{"B223456789_PfxFileName", "/b.pfx"}},
                                                        lib().util().getPropertiesPath()));
    walk("query");
    EXPECT_FALSE(sheets.isOpen());
    EXPECT_EQ(properties().count("A123456789_PfxFileName"), 0u);
}

// Dialogs asked for while another is open wait their turn and each completion runs: the local
// query's dialog gets a stranger's file, the waiting deployment asks for the right one, the
// proposed renewal's agreement waits for that dialog, the browser dialog for the agreement,
// and the renewal's own file dialog for the browser dialog.
TEST_F(Flows, EveryDialogAskedForWhileAnotherIsOpenOpensInTurn) {
    walk("apply due move:moved.pfx deploy");
    ASSERT_TRUE(vc.isDeploymentPending());
    walk("stranger query load:stranger.pfx");
    EXPECT_EQ(said(), Texts{kProposeRenew});
    walk("load:moved.pfx agree");
    EXPECT_EQ(sheets.directImportNote(),
              "同時直接匯入憑證至以下瀏覽器的憑證資料庫：Chrome／Chromium");
    const auto pages = desktop.opened.size();
    walk("browsers load:moved.pfx");
    EXPECT_EQ(said(), (Texts{kImported, fill(kRenewDone, "~/moved.pfx"), kRenewReminder}));
    ASSERT_EQ(desktop.opened.size(), pages + 1);
    EXPECT_FALSE(sheets.isOpen());
    EXPECT_EQ(count("renewCert"), 1);
    // The deployment's page holds the file its own dialog loaded, although the renewal took the
    // stored (stranger's) file back as current before the browsers were chosen.
    const std::string page = OpensslTool::readText(desktop.opened.back().urls.at(0).substr(7));
    EXPECT_NE(page.find("A123456789-00"), std::string::npos);
    EXPECT_EQ(page.find("stranger"), std::string::npos);
}

// After a renewal that deployed nothing, the store holds the old certificate: the local
// query says so and offers the deployment, which brings the store up to date.
TEST_F(Flows, BrowserStoreBehindARenewalIsReportedAndRedeployed) {
    walk("apply due");
    lib().setSysCfg("depCert.autoDeploy", "N");
    walk("renew agree");
    take();
    walk("query");
    const std::string row = "瀏覽器憑證=Chrome／Chromium：";
    EXPECT_EQ(view.tables[outlet::kTvClntCertInfo].back(),
              row + "僅有您較舊的憑證，瀏覽器中的憑證不是最新，請重新執行瀏覽器憑證安裝");
    EXPECT_EQ(said(), (Texts{kOfferRedeploy, kDeployExplain, kImportedReplacing}));
    walk("query");
    EXPECT_EQ(view.tables[outlet::kTvClntCertInfo].back(),
              row + "已安裝有效憑證，與伺服器端有效憑證及本機憑證檔一致");

    // Without the direct import the query is the plain one: no store row, no extra call.
    lib().setSysCfg("depCert.directImport", "N");
    const int lookups = count("qryLastActiveCert");
    walk("query");
    EXPECT_EQ(view.tables[outlet::kTvClntCertInfo].size(), 5u);
    EXPECT_TRUE(said().empty());
    EXPECT_EQ(count("qryLastActiveCert"), lookups);
}

}  // namespace
