#pragma once

#include <memory>

#include "gui/SheetDialog.h"
#include "ui/SavePfxWindowView.h"

namespace Ui {
class SavePfxWindow;
}
class SavePfxWindowController;

// Where a new certificate is written and the password that protects it.
class SavePfxWindow final : public SheetDialog, public SavePfxWindowView {
    Q_OBJECT

  public:
    SavePfxWindow(QWidget& parent, QtAlerts& alerts, MainLoopQueue& queue);
    ~SavePfxWindow() override;

    // Binds the buttons to `controller` and shows the sheet.
    void beginSheet(SavePfxWindowController& controller, Done done);

    std::string text(Field field) const override;
    void setText(Field field, const std::string& text) override;

  private:
    std::unique_ptr<Ui::SavePfxWindow> ui_;
};
