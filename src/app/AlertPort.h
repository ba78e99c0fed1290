#pragma once

#include <optional>
#include <string>
#include <vector>

// A message with buttons over the main window that blocks its caller until one is pressed.
struct Alert {
    std::string title;
    std::string text;
    std::vector<std::string> buttons;  // in order; the first is the default
    bool warning = false;              // shown with the toolkit's warning look
};

class AlertPort {
  public:
    virtual ~AlertPort() = default;
    // 1000 plus the index of the pressed button.
    virtual long runModalSheet(const Alert& alert) = 0;
    // A password typed into a masked field, blocking like an alert; nothing when cancelled.
    // The caller keeps it no longer than the one use it was asked for.
    virtual std::optional<std::string> askPassword(const std::string& title,
                                                   const std::string& text) = 0;
};
