#pragma once

#include <memory>

#include "gui/SheetDialog.h"
#include "ui/UserAgreementWindowView.h"

namespace Ui {
class UserAgreementWindow;
}
class UserAgreementWindowController;

// The user agreement, read-only, with the box that accepts it and the Next button.
class UserAgreementWindow final : public SheetDialog, public UserAgreementWindowView {
    Q_OBJECT

  public:
    UserAgreementWindow(QWidget& parent, QtAlerts& alerts, MainLoopQueue& queue);
    ~UserAgreementWindow() override;

    // Binds the box and the buttons to `controller` and shows the sheet.
    void beginSheet(UserAgreementWindowController& controller, Done done);

    // The page comes from the application's resources, ":/<name>.<type>".
    void loadAgreementPage(const std::string& resourceName, const std::string& type) override;
    bool isAgreeChecked() const override;
    void setAgreeChecked(bool checked) override;
    void setNextStepEnabled(bool enabled) override;

  private:
    std::unique_ptr<Ui::UserAgreementWindow> ui_;
};
