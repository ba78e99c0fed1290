#pragma once

class DialogHost;
class UserAgreementWindowView;

// The user agreement shown before an application or a renewal: the customer may go on only
// after ticking the agreement box. Its only result is the sheet result.
class UserAgreementWindowController {
  public:
    UserAgreementWindowController(DialogHost& host, UserAgreementWindowView& view);

    // Once, when the window exists: shows the page, with the box unticked and Next disabled.
    void windowDidLoad();
    void chkUserAgreeOnClick();
    void btnNextStepOnClick();
    void btnCancelOnClick();

  private:
    void endSheet(int sheetResult);

    DialogHost& host_;
    UserAgreementWindowView& view_;
    bool ended_ = false;
};
