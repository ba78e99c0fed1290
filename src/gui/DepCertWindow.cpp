#include "gui/DepCertWindow.h"

#include <QPainter>

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

// Drawn rather than looked up, so that a browser without an icon, or a desktop without an
// icon theme, still gets a button that reads as a browser, sharp at any scale.
QIcon globeIcon(int side, qreal ratio) {
    QPixmap pixmap(QSize(side, side) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x2a, 0x6f, 0xb5), side / 18.0));
    const QRectF globe(side * 0.1, side * 0.1, side * 0.8, side * 0.8);
    painter.drawEllipse(globe);
    painter.drawEllipse(globe.adjusted(globe.width() * 0.28, 0, -globe.width() * 0.28, 0));
    const QPointF c = globe.center();
    painter.drawLine(QPointF(c.x(), globe.top()), QPointF(c.x(), globe.bottom()));
    painter.drawLine(QPointF(globe.left(), c.y()), QPointF(globe.right(), c.y()));
    for (qreal y : {0.25, 0.75}) {
        const qreal at = globe.top() + y * globe.height();
        const qreal half = globe.width() * 0.43;
        painter.drawLine(QPointF(c.x() - half, at), QPointF(c.x() + half, at));
    }
    return QIcon(pixmap);
}

}  // namespace

DepCertWindow::DepCertWindow(QWidget& parent, QtAlerts& alerts, MainLoopQueue& queue,
                             const Desktop& desktop)
    : SheetDialog(parent, alerts, queue),
      ui_(std::make_unique<Ui::DepCertWindow>()),
      desktop_(desktop) {
    ui_->setupUi(this);
    const int side = 3 * fontMetrics().height();
    for (Button button : kButtons) {
        widget(button).setIconSize({side, side});
        widget(button).setMinimumWidth(2 * side);
    }
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
    const int side = widget(button).iconSize().width();
    const QIcon fallback =
        QIcon::fromTheme(QStringLiteral("web-browser"), globeIcon(side, devicePixelRatioF()));
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

void DepCertWindow::setDirectImportNote(const std::string& note) {
    ui_->lblDirectImport->setText(QString::fromStdString(note));
    ui_->lblDirectImport->setVisible(!note.empty());
}
