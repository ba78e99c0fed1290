#pragma once

#include <QDialog>

#include <functional>

#include "ui/DialogHost.h"

class MainLoopQueue;
class QtAlerts;

// A dialog shown as a sheet: window-modal on the main window, its host for alerts, file
// choosers and the end of the sheet. The dialog controller decides everything, the close
// button and Escape included, which go to its cancel action.
class SheetDialog : public QDialog, public DialogHost {
    Q_OBJECT

  public:
    using Done = std::function<void(int)>;

    SheetDialog(QWidget& parent, QtAlerts& alerts, MainLoopQueue& queue);

    void showAlert(const std::string& title, const std::string& informativeText,
                   const std::string& button) override;
    std::optional<std::string> choosePath(const PathPanel& panel) override;
    // Closes the dialog; `done` gets the result later, from the main loop.
    void endSheet(int sheetResult) override;

    // Escape and the window's close button.
    void reject() override;

  protected:
    // Shows the dialog; `cancel` is the controller's cancel action.
    void openSheet(std::function<void()> cancel, Done done);

    // The text of a field or label by its object name.
    std::string fieldText(const char* name) const;
    void setFieldText(const char* name, const std::string& text);

  private:
    QtAlerts& alerts_;
    MainLoopQueue& queue_;
    std::function<void()> cancel_;
    Done done_;
};
