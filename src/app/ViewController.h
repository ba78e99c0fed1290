#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "app/AlertPort.h"
#include "app/AppRuntime.h"
#include "app/GatedDialogHost.h"
#include "app/IdleWatch.h"
#include "app/MainWindowView.h"
#include "app/ModalGate.h"
#include "app/SheetPort.h"
#include "platform/BrowserStores.h"
#include "service/ServiceEndpoint.h"
#include "ui/ChgPfxPwdWindowController.h"
#include "ui/DepCertWindowController.h"
#include "ui/LoadPfxWindowController.h"
#include "ui/SavePfxWindowController.h"
#include "ui/UserAgreementWindowController.h"
#include "ui/ZOLTDGDataSource.h"

class CommonUtility;
class Desktop;
class ZOLTLib;

// The ports through which the main window's workflows reach the user and the desktop.
struct AppPorts {
    MainWindowView& view;
    AlertPort& alerts;
    SheetPort& sheets;
    AppRuntime& runtime;
    Desktop& desktop;
};

// The main window's controller: start-up, login and function status, application and
// renewal, certificate information and PFX selection, idle watch and login panel, browser
// deployment, messages. Written as sequential steps; every step that may block goes through
// AppRuntime::runBlocking, and dialogs continue in their sheet's completion handler.
// Implemented across one file per workflow.
class ViewController final {
  public:
    using SheetHandler = std::function<void(int)>;
    // A dialog's completion: the sheet result and, when it is 1, what the dialog chose.
    template <class Result>
    using ResultHandler = std::function<void(int, const Result&)>;
    using RandomSource = std::function<std::uint32_t()>;

    ViewController(AppPorts ports, ServiceEndpoint endpoint, RandomSource random = {});
    ~ViewController();
    ViewController(const ViewController&) = delete;
    ViewController& operator=(const ViewController&) = delete;

    // --- Start-up and login (startup.cpp, login.cpp) ---
    // Before the window first shows: every control disabled until the version check passed.
    void viewWillAppear();
    void viewDidLoad();
    void viewDidAppear();
    void doVersionCheck();
    void btnLoginOnClick();
    int doLogin();
    int doLogout();
    void setBtnStatus();
    void setBtnStatus(const std::string& fnStatus, int certCount, int effectCertCount);
    void invokeAutoPrcs(const std::string& fnStatus);
    void doAutoProcess();
    void setUserLogin(bool loggedIn) { userLogin_ = loggedIn; }
    bool isUserLogin() const { return userLogin_; }
    ZOLTLib& getZOLTlib();

    // --- Application and renewal (apply.cpp, renew.cpp) ---
    void btnApplyCertOnClick();
    void btnRenewOnClick();
    int doApplyCert(const std::string& cn);
    void showUserAgreement(SheetHandler handler);
    int doApplyCertSaveToPfx(const std::string& b64Cert, const std::string& b64PrivateKey,
                             std::optional<std::string>& pfxFilePath, std::string& pfxFilePwd,
                             std::string& errMsg);
    void backupCert(const std::string& pfxFilePath);
    // The save dialog for an issued certificate that has no file yet (no private key: the
    // key cache's); a confirmed save activates it, for an application or a renewal.
    void saveIssuedInDialog(const std::string& b64Cert, const std::string& b64PrivateKey,
                            int certId, bool renewal);
    int doRenewCert(const std::string& cn);
    int doRenewCertWithSign(const std::string& cn);
    int doRenewCert(const std::string& cn, const std::string& pfxFilePath,
                    const std::string& pfxFilePwd);
    int savePfxFileNorv(const std::string& b64Cert, const std::string& pfxFilePath,
                        const std::string& pfxFilePwd);

    // --- Certificate information and PFX selection (certinfo.cpp, dialogs.cpp) ---
    void btnQrySvrCertInfoOnClick();
    void btnQryClntCertInfoOnClick();
    void btnChgPfxPwdOnClick();
    void btnBrowsePfxFileOnClick();
    int doQrySvrCertInfo(const std::string& cn);
    void renderSvrCertInfo(const StringMap& certInfo);
    int doQryClntCertInfo(const std::string& cn);
    void renderClntCertInfo(const StringMap& certInfo);
    void doSelectCert();
    int doChangePfxPwd(const std::string& cn);
    void setCurrentPfxFilePath(const std::optional<std::string>& path);
    void setCurrentPfxFilePwd(const std::optional<std::string>& password);
    // A confirmed save or load makes its file and password the session's current ones
    // before `handler` runs.
    void showSavePfxWindow(const std::string& b64Cert, const std::string& b64PrivateKey,
                           ResultHandler<SavePfxWindowResult> handler);
    void showLoadPfxWindow(const std::string& cn, const std::string& issuer,
                           const std::string& hexSerial, const std::string& certHash,
                           ResultHandler<LoadPfxWindowResult> handler);
    void showChgPfxPwdWindow(ResultHandler<ChgPfxPwdWindowResult> handler);
    void showDepCertWindow(ResultHandler<DepCertWindowResult> handler);

    // --- Idle watch, keep-alive and login panel (idle.cpp) ---
    void doIAmAlive();
    void registerEventMonitor();
    void checkIdle();
    void chkShowPwdPlaintextOnClick();
    void btnPwdHintOnClick();
    void btnUsageLinkOnClick();
    void btnDownloadLinkOnClick();
    void btnCrtIdnoOnClick();
    std::string createIdno();

    // --- Browser deployment (deploy.cpp, browserstores.cpp) ---
    void btnDepCertOnClick();
    int doDepCert(const std::string& cn);
    int doDepCertChooseBrowser();
    int deployTo(const std::string& path, const std::string& pwd,
                 const std::vector<StringMap>& browsersInfo);
    // Beside the deployment page: the PFX straight into the certificate stores of the
    // browsers in blocking steps, each verified and rid of the certificates the new one
    // supersedes, with one message of how every store fared.
    void importIntoBrowserStores(const std::string& pfxPath, const std::string& pfxPwd,
                                 const std::vector<StringMap>& browsersInfo);
    // One row per browser store in the local table: does it hold the service's certificate,
    // the local one, an older one or none; offers the step that brings the one behind up.
    void checkBrowserStores();

    // --- Messages (messages.cpp) ---
    void doAlert(const std::string& text);
    void doAlert(const std::string& title, const std::string& text);
    bool doConfirm(const std::string& text);
    bool doConfirm(const std::string& title, const std::string& text);
    void showErrMsg(int code);
    void showErrMsg(int code, const std::string& errMsg2);

    // --- State the window and the tests may read ---
    const std::string& currentFnStatus() const { return currentFnStatus_; }
    bool isWorkflowStarted() const { return workflowStarted_; }
    bool isDeploymentPending() const { return pendingDeployment_; }
    bool isQuitting() const { return gate_.isQuitting(); }
    std::optional<double> lastActivity() const { return idle_.lastActivity(); }
    const StringMap& applyCertInfo() const { return applyCertInfo_; }

  private:
    // What a step that calls the service hands back. `rc` stays non-zero for a step that
    // never ran because the application is ending.
    struct StepReply {
        int rc = 1;
        std::string errMsg;
    };
    struct CertInfoReply : StepReply {
        StringMap certInfo;
    };
    // Runs `work(lib)` as one blocking step and returns its result. The work runs off the
    // main thread: it is handed the service client, reads its inputs from the caller's
    // locals (named in its capture list) and sees nothing of this controller. A step asked
    // for while the application ends does not run and gives the result's default, which for
    // every result type used here means "nothing" or "failed" (hence no bare numbers).
    template <class Work>
    auto step(const char* label, Work work);
    // Runs one blocking step through the runtime; timer work that comes due meanwhile waits
    // until it has ended, so no two exchanges with the service ever overlap.
    void runStep(const char* label, const std::function<void()>& work);
    long runAlert(const Alert& alert);
    // Runs `work` as modal work the customer waits for (a step) or answers (a panel, a
    // prompt): timer work that comes due meanwhile is held and runs once right after.
    template <class Work>
    auto modally(Work&& work) {
        return gate_.modally(std::forward<Work>(work));
    }
    template <class Work>
    auto answered(Work&& work) {
        return gate_.answered(std::forward<Work>(work));
    }
    void noteActivity();
    void quit();
    std::optional<std::string> sysCfg(const std::string& key);
    int fetchFnStatus(std::string& fnStatus, int& certCount, int& effectCertCount);
    std::string cn();
    std::string idno() const;
    // A dialog's controller and the gated host it speaks through, made afresh per opening.
    template <class Controller>
    struct Dialog {
        std::unique_ptr<GatedDialogHost> host;
        std::unique_ptr<Controller> controller;
    };
    // A fresh controller on `window`, its host gated, made with `inputs` after its view.
    template <class Controller, class View, class... Inputs>
    Controller& makeDialog(Dialog<Controller>& dialog, SheetWindow<View> window,
                           const Inputs&... inputs);
    // `handler` takes the sheet result, or the sheet result and the dialog's result.
    template <class Controller, class Handler>
    void openSheet(Controller& controller, Handler handler);
    PfxPasswordRules passwordRules();
    // The stored PFX path and password of the user become the session's current ones; the
    // ID number becomes the password when nothing is stored.
    void takeStoredPfx();
    // Records the user's PFX file; on failure says so, since the next start would not find it.
    bool recordPfx(const std::string& pfxPath, const std::string& password);
    // Activates the issued certificate written at `pfxFilePath`; the service's code.
    int activate(int certId, const std::string& pfxFilePath);
    void reportActivation(int rc, const std::string& shownPath, const char* failed,
                          const char* done, const char* reminder);
    void renderTable(const char* outletName, ZOLTDGDataSource& ds, const StringMap& certInfo,
                     bool withState);
    static std::string formatDate(const CommonUtility& util, const std::string& value);
    std::vector<BrowserStore> browserStores() const;
    bool directImportOn();

    AppPorts ports_;
    ServiceEndpoint endpoint_;
    RandomSource random_;
    std::unique_ptr<ZOLTLib> lib_;

    // Process-wide workflow state
    bool userLogin_ = false;
    bool workflowStarted_ = false;
    bool pendingDeployment_ = false;
    IdleWatch idle_;

    // Modal work, the timer work waiting for it, and the sheets waiting their turn
    ModalGate gate_;

    std::string currentFnStatus_;
    StringMap applyCertInfo_;
    ZOLTDGDataSource svrCertInfoDs_;
    ZOLTDGDataSource clntCertInfoDs_;
    Dialog<SavePfxWindowController> savePfxFileController_;
    Dialog<LoadPfxWindowController> loadPfxFileController_;
    Dialog<ChgPfxPwdWindowController> chgPfxPwdController_;
    Dialog<DepCertWindowController> depCertController_;
    Dialog<UserAgreementWindowController> userAgreementWindowController_;
    StringMap clntCertInfo_;  // the local certificate as last shown
    std::optional<std::string> origWindowTitle_;
};

template <class Work>
auto ViewController::step(const char* label, Work work) {
    using Result = std::invoke_result_t<Work&, ZOLTLib&>;
    static_assert(!std::is_arithmetic_v<Result>,
                  "a number has no safe default for a step that never ran: return a StepReply");
    ZOLTLib& lib = getZOLTlib();
    if constexpr (std::is_void_v<Result>) {
        runStep(label, [&lib, &work] { work(lib); });
    } else {
        Result result{};
        runStep(label, [&lib, &work, &result] { result = work(lib); });
        return result;
    }
}
