#include <gtest/gtest.h>

#include <algorithm>

#include "ui/DepCertWindowController.h"
#include "ui/DepCertWindowControllerDelegate.h"
#include "ui/DialogFakes.h"

namespace {

using Button = DepCertWindowView::Button;

// Draws nothing; keeps what is shown and selected, keyed by the button's index.
struct FakeBrowserView final : DepCertWindowView {
    void showBrowserButton(Button b, const std::string&, const std::string& title) override {
        titles[static_cast<int>(b)] = title;
    }
    void hideBrowserButton(Button b) override { titles.erase(static_cast<int>(b)); }
    void setBrowserButtonSelected(Button b, bool on) override {
        bordered[static_cast<int>(b)] = on;
    }
    std::map<int, std::string> titles;
    std::map<int, bool> bordered;
};

struct ChosenBrowsers final : DepCertWindowControllerDelegate {
    void getDepCertWindowData(const std::vector<StringMap>& browsersInfo) override {
        std::string names;
        for (const auto& record : browsersInfo) names += record.at("name") + " ";
        calls.push_back(names);
    }
    std::vector<std::string> calls;
};

StringMap browser(const std::string& bundleId, const std::string& name, const char* selected) {
    return {{"bundleId", bundleId}, {"name", name}, {"path", "/p/" + name}, {"selected", selected}};
}

TEST(DepCertWindow, ClicksFollowTheModeAndOkListsSafariChromeFirefox) {
    const auto safari = browser("com.apple.Safari", "Safari", "N");
    const auto chrome = browser("com.google.Chrome", "Chrome", "N");
    const auto firefoxOn = browser("org.mozilla.Firefox", "Firefox", "Y");
    const auto other = browser("com.example.Other", "Other", "Y");
    const Button sf = Button::imgBtnSafari, ch = Button::imgBtnChrome, ff = Button::imgBtnFireFox;
    const struct {
        std::string mode;
        std::vector<StringMap> browsers;
        std::vector<Button> clicks;
        std::size_t shown;
        std::string handedBack;  // "" when OK must report that nothing is selected
    } cases[] = {
        {"S", {safari, chrome}, {sf, ch}, 2, "Chrome "},
        {"S", {safari, chrome}, {ch, ch}, 2, "Chrome "},
        {"M", {firefoxOn, chrome, safari}, {ch, sf}, 3, "Safari Chrome Firefox "},
        {"M", {firefoxOn, chrome}, {ff}, 2, ""},
        // Any other mode keeps the initial selection; a hidden button does not react.
        {"X", {firefoxOn, chrome}, {ch, ff}, 2, "Firefox "},
        {"M", {chrome}, {sf}, 1, ""},
        {"M", {}, {}, 0, ""},
        {"M", {other}, {}, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode + " -> " + c.handedBack);
        ScriptedDialogHost host;
        ChosenBrowsers delegate;
        FakeBrowserView view;
        DepCertWindowController dialog(delegate, host, view);
        dialog.setSelectMode(c.mode);
        dialog.setBrowsersInfo(c.browsers);
        dialog.windowDidLoad();
        EXPECT_EQ(view.titles.size(), c.shown);
        for (auto click : c.clicks) dialog.imgBtnOnClick(click);
        dialog.btnOkOnClick();
        int borders = 0;
        for (const auto& [button, on] : view.bordered) borders += on;
        EXPECT_EQ(borders, std::count(c.handedBack.begin(), c.handedBack.end(), ' '));
        const bool none = c.handedBack.empty();
        EXPECT_EQ(host.errors, none ? std::vector<std::string>{"未選擇任何目的瀏覽器"}
                                    : std::vector<std::string>{});
        EXPECT_EQ(delegate.calls,
                  none ? std::vector<std::string>{} : std::vector<std::string>{c.handedBack});
        EXPECT_EQ(host.sheetResults, none ? std::vector<int>{} : std::vector<int>{1});
    }
}

}  // namespace
