#pragma once

#include <memory>

#include "gui/SheetDialog.h"
#include "ui/ChgPfxPwdWindowView.h"

namespace Ui {
class ChgPfxPwdWindow;
}
class ChgPfxPwdWindowController;

// A certificate file's current password and the new one, twice.
class ChgPfxPwdWindow final : public SheetDialog, public ChgPfxPwdWindowView {
    Q_OBJECT

  public:
    ChgPfxPwdWindow(QWidget& parent, QtAlerts& alerts, MainLoopQueue& queue);
    ~ChgPfxPwdWindow() override;

    // Binds the buttons to `controller` and shows the sheet.
    void beginSheet(ChgPfxPwdWindowController& controller, Done done);

    std::string text(Field field) const override;
    void setText(Field field, const std::string& text) override;

  private:
    std::unique_ptr<Ui::ChgPfxPwdWindow> ui_;
};
