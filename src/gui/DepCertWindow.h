#pragma once

#include <array>
#include <memory>

#include "gui/SheetDialog.h"
#include "ui/DepCertWindowView.h"

namespace Ui {
class DepCertWindow;
}
class DepCertWindowController;
class Desktop;
class QToolButton;

// The browsers a certificate is installed into, one button each, shown with the name and
// icon of the browser's desktop entry. A selected button is drawn pressed in.
class DepCertWindow final : public SheetDialog, public DepCertWindowView {
    Q_OBJECT

  public:
    DepCertWindow(QWidget& parent, QtAlerts& alerts, MainLoopQueue& queue, const Desktop& desktop);
    ~DepCertWindow() override;

    // Binds the buttons to `controller` and shows the sheet.
    void beginSheet(DepCertWindowController& controller, Done done);

    void showBrowserButton(Button button, const std::string& appPath,
                           const std::string& title) override;
    void hideBrowserButton(Button button) override;
    void setBrowserButtonSelected(Button button, bool selected) override;
    void setDirectImportNote(const std::string& note) override;

  private:
    QToolButton& widget(Button button) const;
    QIcon iconFor(Button button, const std::string& appPath) const;

    std::unique_ptr<Ui::DepCertWindow> ui_;
    const Desktop& desktop_;
    std::array<bool, 3> selected_{};
};
