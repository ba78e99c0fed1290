#pragma once

#include <string>

// The three browser buttons of the browser-selection window. The dialog keeps which are
// shown and selected; the window only draws them.
class DepCertWindowView {
  public:
    enum class Button { imgBtnSafari, imgBtnChrome, imgBtnFireFox };

    virtual ~DepCertWindowView() = default;
    // Shows the button with the icon of the application described at `appPath`.
    virtual void showBrowserButton(Button button, const std::string& appPath,
                                   const std::string& title) = 0;
    virtual void hideBrowserButton(Button button) = 0;
    // A selected button is drawn with its border, an unselected one without.
    virtual void setBrowserButtonSelected(Button button, bool selected) = 0;
    // The line under the buttons that names the browsers whose certificate stores also get
    // the certificate directly; empty hides it.
    virtual void setDirectImportNote(const std::string& note) = 0;
};
