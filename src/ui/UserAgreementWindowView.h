#pragma once

#include <string>

// The agreement window: the page, the agreement box and the Next button.
class UserAgreementWindowView {
  public:
    virtual ~UserAgreementWindowView() = default;
    // wvUserAgreement shows the application's resource of that name and type.
    virtual void loadAgreementPage(const std::string& resourceName, const std::string& type) = 0;
    // chkAgree; a mixed state reads as false.
    virtual bool isAgreeChecked() const = 0;
    virtual void setAgreeChecked(bool checked) = 0;
    virtual void setNextStepEnabled(bool enabled) = 0;
};
