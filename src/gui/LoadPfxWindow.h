#pragma once

#include <memory>

#include "gui/SheetDialog.h"
#include "ui/LoadPfxWindowView.h"

namespace Ui {
class LoadPfxWindow;
}
class LoadPfxWindowController;

// An existing certificate file and its password.
class LoadPfxWindow final : public SheetDialog, public LoadPfxWindowView {
    Q_OBJECT

  public:
    LoadPfxWindow(QWidget& parent, QtAlerts& alerts, MainLoopQueue& queue);
    ~LoadPfxWindow() override;

    // Binds the buttons to `controller` and shows the sheet.
    void beginSheet(LoadPfxWindowController& controller, Done done);

    std::string text(Field field) const override;
    void setText(Field field, const std::string& text) override;

  private:
    std::unique_ptr<Ui::LoadPfxWindow> ui_;
};
