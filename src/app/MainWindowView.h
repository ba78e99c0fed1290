#pragma once

#include <string>

#include "ui/ZOLTDGDataSource.h"

// The main window as the workflows see it: controls addressed by their outlet names
// (Outlets.h). Implemented by the window toolkit; scripted in tests.
class MainWindowView {
  public:
    virtual ~MainWindowView() = default;

    // Text fields, labels and button titles.
    virtual std::string text(const std::string& outlet) const = 0;
    virtual void setText(const std::string& outlet, const std::string& text) = 0;
    virtual bool isChecked(const std::string& outlet) const = 0;
    virtual void setEnabled(const std::string& outlet, bool enabled) = 0;
    virtual void setVisible(const std::string& outlet, bool visible) = 0;

    virtual std::string windowTitle() const = 0;
    virtual void setWindowTitle(const std::string& title) = 0;

    // Binds a two-column table ("Column1" label, "Column2" value) to its rows and reloads it.
    // The rows outlive the window.
    virtual void showTable(const std::string& outlet, const ZOLTDGDataSource& rows) = 0;
};
