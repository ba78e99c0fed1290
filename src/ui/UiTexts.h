#pragma once

// Every text the dialogs show or hand to the window layer, each defined once.
namespace ui_text {

// The alert with which a dialog reports a failed check.
inline constexpr const char* kErrorTitle = "錯誤";
inline constexpr const char* kErrorButton = "確定";

// File choosers.
inline constexpr const char* kSavePfxPanelTitle = "憑證檔儲存路徑選擇";
inline constexpr const char* kLoadPfxPanelTitle = "請選擇憑證檔";
inline constexpr const char* kPfxFileType = "pfx";
inline constexpr const char* kDefaultPfxFileName = "cert.pfx";

// The agreement page the window layer shows, by resource name and type.
inline constexpr const char* kUserAgreementResource = "UserAgreement";
inline constexpr const char* kUserAgreementType = "html";

// PFX password rules, in the order they are checked.
inline constexpr const char* kPwdTooShort = "密碼長度不足";
inline constexpr const char* kPwdTooLong = "密碼長度超過限制";
inline constexpr const char* kPwdNeedsDigit = "憑證檔密碼必需包含數字";
inline constexpr const char* kPwdNeedsUpper = "憑證檔密碼必需包含大寫英文字母";
inline constexpr const char* kPwdNeedsLower = "憑證檔密碼必需包含小寫英文字母";
inline constexpr const char* kPwdNeedsSymbol = "憑證檔密碼必需包含特殊符號";

// Save dialog.
inline constexpr const char* kSavePathMissing = "憑證檔儲存路徑未指定!!";
inline constexpr const char* kPwdEmpty = "密碼空白!!";
inline constexpr const char* kPwdConfirmDiffers = "密碼與密碼確認值不同!!";
inline constexpr const char* kSaveFailed = "憑證檔儲存失敗，請檢查並確認您的憑證檔儲存資訊";

// Load dialog.
inline constexpr const char* kLoadPathMissing = "憑證儲存路徑未指定!!";
inline constexpr const char* kLoadWrongPwd =
    "憑證檔密碼錯誤或無法讀取憑證檔，請檢查或重新指定憑證路徑及密碼";
inline constexpr const char* kLoadNotPfx = "憑證檔格式錯誤或不是指定的憑證檔!!";
inline constexpr const char* kLoadWrongHash = "錯誤的憑證檔(憑證雜湊值錯誤)，請重新選擇憑證";
inline constexpr const char* kLoadWrongCn = "錯誤的憑證檔(CN錯誤)，請重新選擇憑證";
inline constexpr const char* kLoadWrongSerial = "錯誤的憑證檔(憑證序號錯誤)，請重新選擇憑證";
inline constexpr const char* kLoadWrongIssuer = "錯誤的憑證檔(憑證簽發者錯誤)，請重新選擇憑證";

// Why a PFX cannot be used: the second sentence after a dialog's or workflow's own message.
inline constexpr const char* kPfxMissing = "指定的路徑沒有憑證檔";
inline constexpr const char* kPfxNotPkcs12 = "此檔案不是憑證檔，可能是其他格式的憑證、金鑰或文字檔";
inline constexpr const char* kPfxDamaged = "憑證檔已損毀或不完整，請改用備份的憑證檔";
inline constexpr const char* kPfxWrongPassword = "憑證檔密碼錯誤，請確認密碼後再試一次";
inline constexpr const char* kPfxUnsupported =
    "憑證檔使用本機無法讀取的加密演算法，請以本程式重新匯出憑證檔";
inline constexpr const char* kPfxNoMatchingKey = "憑證檔中沒有私密金鑰，或私密金鑰與憑證不符";
inline constexpr const char* kPfxOtherCustomer = "憑證檔中的憑證屬於其他客戶";
inline constexpr const char* kPfxOtherCertificate = "憑證檔中的憑證不是此次要使用的憑證";
inline constexpr const char* kPfxNotReadBack = "寫入的憑證檔無法讀回驗證，原有的憑證檔未被更動";

// Change-password dialog.
inline constexpr const char* kChgPathMissing = "憑證儲存路徑未指定";
inline constexpr const char* kNewPwdConfirmDiffers = "新密碼與新密碼確認不同";
inline constexpr const char* kChgFailed =
    "密碼變更失敗，請檢查並確認您的憑證資訊及舊密碼正確後，再重新嘗試變更";
inline constexpr const char* kChgDoneLog = "change pwd complete";

// Browser selection dialog.
inline constexpr const char* kNoBrowserSelected = "未選擇任何目的瀏覽器";

// Under the browser buttons, followed by the browsers' names.
inline constexpr char kDirectImportNote[] = "同時直接匯入憑證至以下瀏覽器的憑證資料庫：";

}  // namespace ui_text
