#include <filesystem>
#include <random>
#include <set>

#include "WorkflowFixture.h"
#include "app/IdNumber.h"
#include "app/IdleWatch.h"

namespace {

namespace fs = std::filesystem;
using namespace app_text;

class Session : public WorkflowFixture {};

class OutdatedClient : public WorkflowFixture {
  protected:
    OutdatedClient() : WorkflowFixture({{"acceptedVersions", R"(["9.9"])"}}) {}
};

TEST_F(OutdatedClient, DownloadsOpensTheInstallerAndQuitsButADeadServiceOnlySaysSo) {
    vc.viewDidLoad();
    EXPECT_EQ(said(), (std::vector<std::string>{kOutdated, kDownloaded}));
    ASSERT_EQ(desktop.openedFiles.size(), 1u);
    EXPECT_GT(fs::file_size(desktop.openedFiles[0]), 0u);
    EXPECT_EQ(runtime.quits, 1);
    vc.viewDidAppear();  // the window that still appears asks nothing more of the service
    EXPECT_TRUE(take().empty());

    ViewController dead({view, alerts, sheets, runtime, desktop},
                        {"127.0.0.1:1", service.servicePublicKeyPem(), service.trustAnchorPem()});
    alerts.answers = {0, 1};  // 重試, then 結束
    dead.viewDidLoad();
    EXPECT_EQ(said(), (std::vector<std::string>{kServiceUnreachable, kServiceUnreachable}));
    EXPECT_EQ(desktop.openedFiles.size(), 1u);
    EXPECT_EQ(runtime.quits, 2);
}

TEST_F(Session, LoginReadsTheVisibleFieldAndReportsRefusals) {
    struct Case {
        std::string id;
        bool plainShown;
        std::string plain, secure;
        std::string said;               // "" when logged in, "*" for the service's own words
        const char* refusal = nullptr;  // the service's answer instead of its own
    };
    const std::vector<Case> cases = {
        {" \t ", false, "", "demo1234", kIdEmpty},
        {"A123456789", false, "demo1234", "wrong", "*"},
        {"A123456789", false, "", "demo1234", kLoginFailed, R"({"rtnCode": "9001"})"},
        {"A123456789", true, "demo1234", "wrong", ""},
    };
    for (const auto& c : cases) {
        if (c.refusal) service.setRule("doLogin", c.refusal);
        view.texts[outlet::kTxtUserIdNo] = c.id;
        view.checked[outlet::kChkShowPwdPlainText] = c.plainShown;
        view.texts[outlet::kTxtLoginPwd] = c.plain;
        view.texts[outlet::kTxtSecureLoginPwd] = c.secure;
        alerts.answers = {0, 1};  // dismiss, then decline any proposal
        vc.btnLoginOnClick();
        if (c.refusal) service.reset();
        const auto shown = said();
        ASSERT_FALSE(shown.empty()) << c.id;
        if (c.said.empty()) {
            EXPECT_EQ(shown[0], kLoginDone);
        } else if (c.said == "*") {
            EXPECT_NE(shown[0], kLoginDone);  // the service's own words
            EXPECT_EQ(shown.size(), 1u);
        } else {
            EXPECT_EQ(shown, std::vector<std::string>{c.said});
        }
        EXPECT_EQ(vc.isUserLogin(), c.said.empty()) << c.id << "/" << c.secure;
        EXPECT_EQ(view.text(outlet::kBtnLogin), c.said.empty() ? kLogout : kLogin);
        // Locked only once logged in.
        EXPECT_EQ(view.enabled.count(outlet::kTxtUserIdNo) == 0, !c.said.empty()) << c.id;
    }
}

TEST_F(Session, StatusDecidesButtonsAndProposal) {
    struct Case {
        std::string fn;
        int certs, effective;
        bool apply, renew, query, change;
        std::string proposal;
    };
    const std::vector<Case> cases = {
        {"10", 0, 0, true, false, false, false, kProposeApply},
        {"20", 1, 0, true, false, true, false, kProposeApplyUnfinished},
        {"21", 1, 1, true, true, true, true, kProposeApplyUnfinished},
        {"01", 1, 1, false, true, true, true, kProposeRenew},
        {"02", 1, 1, false, true, true, true, kProposeRenewUnfinished},
        {"00", 1, 1, false, false, true, true, ""},
        {"03", 0, 0, false, true, false, false, ""},
        {"0", 1, 0, false, false, true, false, ""},
    };
    for (const auto& c : cases) {
        FakeMainWindow window;
        ScriptedSheets dialogs(journal);
        ViewController fresh({window, alerts, dialogs, runtime, desktop}, endpoint());
        fresh.setBtnStatus(c.fn, c.certs, c.effective);
        EXPECT_EQ(window.enabled[outlet::kBtnApplyCert], c.apply) << c.fn;
        EXPECT_EQ(window.enabled[outlet::kBtnRenewCert], c.renew) << c.fn;
        for (const char* b : {outlet::kBtnQrySvrCertInfo, outlet::kBtnQryClntCertInfo,
                              outlet::kBtnPwdHint, outlet::kBtnBrowsePfxFile}) {
            EXPECT_EQ(window.enabled[b], c.query) << c.fn << " " << b;
        }
        EXPECT_EQ(window.enabled[outlet::kBtnChgPfxPwd], c.change) << c.fn;
        EXPECT_EQ(window.enabled[outlet::kBtnDepCert], c.change) << c.fn;
        // The local query of an application digit 2 is skipped: no dialog for it.
        EXPECT_EQ(dialogs.isOpen(), c.effective > 0 && c.fn[0] != '2') << c.fn;
        take();
        alerts.answers = {1};
        fresh.invokeAutoPrcs(c.fn);
        EXPECT_EQ(said(), c.proposal.empty() ? std::vector<std::string>{}
                                             : std::vector<std::string>{c.proposal})
            << c.fn;
    }
}

TEST_F(Session, IdleCountdownLogoutAndKeepAlive) {
    alerts.answers = {0, 1};
    login();
    view.title = "Norvale證券憑證管理 V1.0";
    runtime.press();
    runtime.advance(275);
    EXPECT_EQ(view.title, "Norvale證券憑證管理 V1.0:25秒後將自動登出並關閉應用程式");
    runtime.press();
    EXPECT_EQ(view.title, "Norvale證券憑證管理 V1.0");
    EXPECT_EQ(runtime.quits, 0);
    runtime.advance(200);
    EXPECT_EQ(count("iAmAlive"), 1);  // 300 s after the login

    // A step during which the keep-alive and the idle check come due: they wait for it.
    runtime.press();
    runtime.nextStepSeconds = 150;
    take();
    vc.btnQrySvrCertInfoOnClick();
    const Journal during = take();
    EXPECT_EQ(runtime.deepest, 1);
    ASSERT_EQ(during.size(), 2u);
    EXPECT_EQ(during[0], "step " + std::string(kStepSvrQuery));
    EXPECT_EQ(during[1], "step " + std::string(kStepKeepAlive));
    EXPECT_EQ(count("iAmAlive"), 2);

    runtime.advance(301);
    EXPECT_EQ(runtime.quits, 1);
    EXPECT_EQ(count("doLogout"), 1);
    EXPECT_TRUE(said().empty());  // no question before the idle logout
}

TEST_F(Session, LoginPanelCarriesThePasswordAndFillsGeneratedNumbers) {
    view.texts[outlet::kTxtSecureLoginPwd] = "typed";
    view.checked[outlet::kChkShowPwdPlainText] = true;
    vc.chkShowPwdPlaintextOnClick();
    EXPECT_EQ(view.text(outlet::kTxtLoginPwd), "typed");
    EXPECT_TRUE(view.visible[outlet::kTxtLoginPwd]);
    EXPECT_FALSE(view.visible[outlet::kTxtSecureLoginPwd]);
    view.texts[outlet::kTxtLoginPwd] = "typed more";
    view.checked[outlet::kChkShowPwdPlainText] = false;
    vc.chkShowPwdPlaintextOnClick();
    EXPECT_EQ(view.text(outlet::kTxtSecureLoginPwd), "typed more");

    vc.btnCrtIdnoOnClick();
    EXPECT_EQ(view.text(outlet::kTxtUserIdNo).size(), 10u);
    EXPECT_EQ(view.text(outlet::kTxtSecureLoginPwd), view.text(outlet::kTxtUserIdNo));
}

// Where the idle watch counts down and logs out, just either side of each limit.
TEST(IdleWatchTest, CountsDownTheLastHalfMinuteAndLogsOutAfterFiveMinutes) {
    using Kind = IdleWatch::Verdict::Kind;
    const struct {
        double idle;
        Kind kind;
        int left;
    } cases[] = {{0, Kind::active, 0},         {270, Kind::active, 0},
                 {270.5, Kind::countdown, 29}, {275, Kind::countdown, 25},
                 {300, Kind::countdown, 0},    {300.5, Kind::logout, 0}};
    for (const auto& c : cases) {
        IdleWatch watch;
        EXPECT_EQ(watch.check(1000).kind, Kind::active);  // the first check starts the watch
        const auto verdict = watch.check(1000 + c.idle);
        EXPECT_EQ(verdict.kind, c.kind) << c.idle;
        EXPECT_EQ(verdict.secondsLeft, c.left) << c.idle;
        watch.noteActivity(1000 + c.idle);
        EXPECT_EQ(watch.check(1000 + c.idle + 1).kind, Kind::active) << c.idle;
    }
}

// Codes of the published scheme, written out here independently of the generator.
int schemeCode(char letter) {
    const std::string order = "ABCDEFGHJKLMNPQRSTUVXYWZIO";
    return 10 + static_cast<int>(order.find(letter));
}

TEST(IdNumberTest, EveryGeneratedNumberPassesTheCheck) {
    std::set<char> letters;
    std::mt19937 random(12345);
    for (int i = 0; i < 10000; ++i) {
        const std::string id = IdNumber::create(random(), random());
        ASSERT_EQ(id.size(), 10u);
        ASSERT_TRUE(id[0] >= 'A' && id[0] <= 'Z') << id;
        ASSERT_TRUE(id[1] == '1' || id[1] == '2') << id;
        const int code = schemeCode(id[0]);
        int sum = code / 10 + (code % 10) * 9 + (id[9] - '0');
        for (int d = 1; d <= 8; ++d) sum += (id[d] - '0') * (9 - d);
        ASSERT_EQ(sum % 10, 0) << id;
        letters.insert(id[0]);
    }
    EXPECT_EQ(letters.size(), 26u);
}

}  // namespace
