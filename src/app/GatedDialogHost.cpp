#include "app/GatedDialogHost.h"

void GatedDialogHost::showAlert(const std::string& title, const std::string& informativeText,
                                const std::string& button) {
    gate_.answered([&] { inner_.showAlert(title, informativeText, button); });
}

std::optional<std::string> GatedDialogHost::choosePath(const PathPanel& panel) {
    return gate_.answered([&] { return inner_.choosePath(panel); });
}
