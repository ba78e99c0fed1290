#include "gui/DepCertWindow.h"

#include "platform/BundleIds.h"
#include "platform/Desktop.h"
#include "ui/DepCertWindowController.h"
#include "ui_DepCertWindow.h"

namespace {

using Button = DepCertWindowView::Button;
constexpr Button kButtons[] = {Button::imgBtnSafari, Button::imgBtnChrome, Button::imgBtnFireFox};

std::size_t indexOf(Button button) {
    return static_cast<std::size_t>(button);
}

const char* bundleIdOf(Button button) {
    switch (button) {
        case Button::imgBtnSafari:
            return bundle_id::kSafari;
        case Button::imgBtnChrome:
            return bundle_id::kChrome;
        case Button::imgBtnFireFox:
            return bundle_id::kFirefox;
    }
    return "";
}

}  // namespace

DepCertWindow::DepCertWindow(QWidget& parent, QtAlerts& alerts, MainLoopQueue& queue,
                             const Desktop& desktop)
    : SheetDialog(parent, alerts, queue),
      ui_(std::make_unique<Ui::DepCertWindow>()),
      desktop_(desktop) {
    ui_->setupUi(this);
    const int side = 3 * fontMetrics().height();
    for (Button button : kButtons) widget(button).setIconSize({side, side});
}

DepCertWindow::~DepCertWindow() = default;

QToolButton& DepCertWindow::widget(Button button) const {
    switch (button) {
        case Button::imgBtnSafari:
            return *ui_->imgBtnSafari;
        case Button::imgBtnChrome:
            return *ui_->imgBtnChrome;
        case Button::imgBtnFireFox:
            return *ui_->imgBtnFireFox;
    }
    return *ui_->imgBtnChrome;
}

void DepCertWindow::beginSheet(DepCertWindowController& controller, Done done) {
    for (Button button : kButtons) {
        connect(&widget(button), &QToolButton::clicked, this, [this, &controller, button] {
            // The click has toggled the button by itself; the controller decides instead.
            widget(button).setChecked(selected_[indexOf(button)]);
            controller.imgBtnOnClick(button);
        });
    }
    connect(ui_->btnOk, &QPushButton::clicked, this, [&controller] { controller.btnOkOnClick(); });
    connect(ui_->btnCancel, &QPushButton::clicked, this, &SheetDialog::reject);
    openSheet([&controller] { controller.btnCancelOnClick(); }, std::move(done));
}

// The desktop entry names the icon, by theme name or by file.
QIcon DepCertWindow::iconFor(Button button, const std::string& appPath) const {
    const QIcon fallback = QIcon::fromTheme(QStringLiteral("web-browser"));
    const auto app = desktop_.findApplication(bundleIdOf(button));
    if (!app || app->path != appPath || app->icon.empty()) return fallback;
    const QString icon = QString::fromStdString(app->icon);
    if (icon.startsWith('/')) return QIcon(icon);
    return QIcon::fromTheme(icon, fallback);
}

void DepCertWindow::showBrowserButton(Button button, const std::string& appPath,
                                      const std::string& title) {
    QToolButton& shown = widget(button);
    shown.setIcon(iconFor(button, appPath));
    shown.setText(QString::fromStdString(title));
    shown.setAccessibleName(shown.text());
    shown.show();
}

void DepCertWindow::hideBrowserButton(Button button) {
    widget(button).hide();
}

void DepCertWindow::setBrowserButtonSelected(Button button, bool selected) {
    selected_[indexOf(button)] = selected;
    widget(button).setChecked(selected);
}
