#pragma once

#include "app/ModalGate.h"
#include "ui/DialogHost.h"

// A dialog's host whose alerts and file choosers pass through the main window's gate, so
// that no timer work runs under them and answering them counts as the customer's activity.
class GatedDialogHost final : public DialogHost {
  public:
    GatedDialogHost(DialogHost& inner, ModalGate& gate) : inner_(inner), gate_(gate) {}

    void showAlert(const std::string& title, const std::string& informativeText,
                   const std::string& button) override;
    std::optional<std::string> choosePath(const PathPanel& panel) override;
    void endSheet(int sheetResult) override { inner_.endSheet(sheetResult); }

  private:
    DialogHost& inner_;
    ModalGate& gate_;
};
