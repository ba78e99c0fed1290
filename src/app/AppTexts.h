#pragma once

#include <string>

// Every message, question, title and button text of the main window, defined once.
namespace app_text {

// Alert titles and buttons
inline constexpr char kInfoTitle[] = "提示訊息";
inline constexpr char kConfirmTitle[] = "確認資訊";
inline constexpr char kOk[] = "好";
inline constexpr char kCancel[] = "取消";
inline constexpr char kConfirm[] = "確定";
inline constexpr char kUnknownError[] = "不明的錯誤(錯誤代碼 %s)";

// Window
inline constexpr char kWindowTitlePrefix[] = "Norvale證券憑證管理 V";
inline constexpr char kLogin[] = "登入";
inline constexpr char kLogout[] = "登出";
inline constexpr char kIdleCountdown[] = "%s:%s秒後將自動登出並關閉應用程式";

// Start-up
inline constexpr char kOutdated[] = "您目前使用的用戶端軟體版本過舊，將為您自動進行軟體更新";
inline constexpr char kDownloadFailed[] = "檔案下載失敗，請稍後再重新嘗試檔案更新";
inline constexpr char kDownloaded[] =
    "新版用戶端軟體安裝檔下載完成!!\n\n接下來請按照系統指引安裝新用戶端軟體";
inline constexpr char kInstallerFailed[] = "軟體更新失敗，無法啟動新用戶端軟體安裝程序";
// A version check that got no answer: the service is away, the client is not outdated.
inline constexpr char kServiceUnreachable[] =
    "目前無法連線至憑證註冊中心，請檢查您的網路連線後，稍後再重新嘗試";
inline constexpr char kRetry[] = "重試";
inline constexpr char kQuit[] = "結束";

// Login and function status
inline constexpr char kLogoutQuestion[] = "您確定要執行登出並關閉應用程式??";
inline constexpr char kIdEmpty[] = "身分證件號碼空白!!";
inline constexpr char kLoginFailed[] = "登入失敗";
inline constexpr char kLoginDone[] = "登入作業已完成";
inline constexpr char kNoFnStatus[] = "無法取得憑證導引資訊";
inline constexpr char kProposeApply[] = "直接開始憑證申請??";
inline constexpr char kProposeApplyUnfinished[] = "您的憑證申請操作未完成，繼續進行憑證申請??";
inline constexpr char kProposeRenew[] = "您的憑證即將到期, 直接進行憑證更新??";
inline constexpr char kProposeRenewUnfinished[] = "您的憑證更新操作尚未完成, 繼續進行憑證更新??";

// Application and renewal
inline constexpr char kSaveFailed[] = "憑證存檔失敗";
inline constexpr char kApplyFailed[] = "憑證申請失敗";
inline constexpr char kApplyDone[] = "憑證申請成功!!\n憑證已成功申請至預設路徑(%s)中!!";
inline constexpr char kApplyReminder[] =
    "提醒您，憑證申請後，憑證密碼預設為您的身分證字號(共１０碼)\n首位英文字母為大寫。"
    "若欲修改憑證密碼，請點選左側『憑證密碼變更』功能。";
// A save cancelled after the service has issued the certificate: it is not lost, its key
// stays in the key cache, and finishing the workflow later writes the file.
inline constexpr char kSaveCancelled[] =
    "使用者取消儲存憑證檔，憑證申請未完成\n"
    "您的憑證已核發，金鑰仍保存於本機；請稍後再點選『申請憑證』繼續完成，即可儲存憑證檔。";
inline constexpr char kRenewSaveCancelled[] =
    "使用者取消儲存憑證檔，憑證更新未完成\n"
    "您的新憑證已核發，金鑰仍保存於本機；請稍後再點選『更新憑證』繼續完成，即可儲存憑證檔。";
inline constexpr char kBackupOffer[] =
    "若要備份憑證，請點選確定按鈕，若無需備份憑證，請點選取消即可";
inline constexpr char kBackupFailed[] = "備份失敗";
inline constexpr char kBackupFileName[] = "Norvale.pfx";
inline constexpr char kRenewAgreementCancelled[] = "使用者按下取消鍵，無法進行憑證更新";
inline constexpr char kRenewNotAllowed[] = "您目前不允許進行憑證更新";
inline constexpr char kNoLastActiveCert[] =
    "讀取伺服器端將屆期憑證資訊失敗，請稍後再嘗試進行憑證更新";
inline constexpr char kRenewLoadCancelled[] = "使用者按下取消鍵，憑證更新取消";
inline constexpr char kRenewSaveFailed[] = "憑證檔儲存失敗，請檢查並確認您的憑證檔儲存資訊";
inline constexpr char kRenewFailed[] = "憑證更新失敗!!";
inline constexpr char kRenewDone[] = "憑證更新成功!!\n憑證已成功申請至預設路徑(%s)中!!";
inline constexpr char kRenewReminder[] =
    "提醒您，憑證更新後，憑證密碼預設為您的身分證字號(共１０碼)\n首位英文字母為大寫。"
    "若欲修改憑證密碼，請點選左側『憑證密碼變更』功能。";
// A properties store that could not be written: the certificate file itself is fine, but
// the next start would not find it without being told.
inline constexpr char kPropertiesFailed[] =
    "憑證檔已儲存，但無法記錄憑證檔路徑及密碼，下次查詢用戶端憑證時請重新指定憑證檔";

// Certificate information and PFX selection
inline constexpr char kClntQueryCancelled[] = "使用者按下取消鍵，無法查詢用戶端憑證資訊";
inline constexpr char kSelectCancelled[] = "使用者按下取消鍵，無法設定用戶端憑證資訊";
inline constexpr char kSelectDone[] = "設定用戶端憑證資訊成功";
inline constexpr char kCancelled[] = "使用者按下取消鍵";
inline constexpr char kPwdChanged[] = "密碼變更完成";
inline constexpr char kInstalled[] = "已完成安裝";
inline constexpr char kNotInstalled[] = "尚未安裝";

// Deployment
inline constexpr char kDeployExplain[] =
    "點選確定後，系統將自動開啟瀏覽器進行憑證匯入瀏覽器作業，待匯入完成後，"
    "將此程式與開啟之網頁關閉即可開始線上交易";
inline constexpr char kDeployFailed[] = "瀏覽器憑證安裝失敗";
inline constexpr char kDeployLoadCancelled[] = "使用者按下取消鍵，無法進行瀏覽器憑證安裝";

// The browsers' own certificate stores
inline constexpr char kPrimaryPasswordTitle[] = "輸入主要密碼";
inline constexpr char kPrimaryPassword[] = "%s的憑證資料庫設有主要密碼，請輸入主要密碼以匯入憑證";
inline constexpr char kBrowserStoreRow[] = "瀏覽器憑證";
inline constexpr char kOfferRedeploy[] = "是否立即重新執行瀏覽器憑證安裝??";
inline constexpr char kOfferReload[] = "是否立即重新指定憑證檔??";

// Login panel
inline constexpr char kPwdHint[] =
    "1. 提醒您，憑證申請、更新後，\n"
    "憑證密碼預設為您的身分證字號（共１０碼），\n"
    "首位英文字母為大寫，如您已修改過密碼，\n"
    "則以修改後密碼為準．\n"
    "\n"
    "2.若欲修改憑證密碼，請點選左側『憑證密碼變更』功能";

// Labels of the steps the customer waits for
inline constexpr char kStepVersion[] = "正在檢查用戶端版本…";
inline constexpr char kStepDownload[] = "正在下載新版用戶端軟體…";
inline constexpr char kStepConfig[] = "正在讀取系統設定…";
inline constexpr char kStepLogin[] = "正在登入…";
inline constexpr char kStepLogout[] = "正在登出…";
inline constexpr char kStepFnStatus[] = "正在取得憑證導引資訊…";
inline constexpr char kStepApply[] = "正在產生金鑰並申請憑證…";
inline constexpr char kStepRenew[] = "正在產生金鑰並更新憑證…";
inline constexpr char kStepExport[] = "正在儲存憑證檔…";
inline constexpr char kStepActivate[] = "正在啟用憑證…";
inline constexpr char kStepSvrQuery[] = "正在查詢伺服器端憑證資訊…";
inline constexpr char kStepClntQuery[] = "正在讀取用戶端憑證資訊…";
inline constexpr char kStepLastActive[] = "正在查詢有效憑證資訊…";
inline constexpr char kStepDeploy[] = "正在安裝憑證至瀏覽器…";
inline constexpr char kStepBrowserStores[] = "正在匯入憑證至瀏覽器憑證資料庫…";
inline constexpr char kStepKeepAlive[] = "正在維持連線…";

// The text with its first "%s" replaced by `value`.
inline std::string fill(const char* pattern, const std::string& value) {
    std::string text = pattern;
    if (auto at = text.find("%s"); at != std::string::npos) text.replace(at, 2, value);
    return text;
}

}  // namespace app_text
