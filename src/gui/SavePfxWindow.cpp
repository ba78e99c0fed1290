#include "gui/SavePfxWindow.h"

#include "ui/SavePfxWindowController.h"
#include "ui_SavePfxWindow.h"

namespace {

const char* nameOf(SavePfxWindowView::Field field) {
    using Field = SavePfxWindowView::Field;
    switch (field) {
        case Field::lblPfxFilePath:
            return "lblPfxFilePath";
        case Field::lblPromptMsg:
            return "lblPromptMsg";
        case Field::txtPfxPwd:
            return "txtPfxPwd";
        case Field::txtPfxPwdCfm:
            return "txtPfxPwdCfm";
    }
    return "";
}

}  // namespace

SavePfxWindow::SavePfxWindow(QWidget& parent, QtAlerts& alerts, MainLoopQueue& queue)
    : SheetDialog(parent, alerts, queue), ui_(std::make_unique<Ui::SavePfxWindow>()) {
    ui_->setupUi(this);
    ui_->txtPfxPwd->setFocus();
}

SavePfxWindow::~SavePfxWindow() = default;

void SavePfxWindow::beginSheet(SavePfxWindowController& controller, Done done) {
    connect(ui_->btnBrowserFilePath, &QPushButton::clicked, this,
            [&controller] { controller.btnBrowserFilePathOnClick(); });
    connect(ui_->btnOK, &QPushButton::clicked, this, [&controller] { controller.btnOKOnClick(); });
    connect(ui_->btnCancel, &QPushButton::clicked, this, &SheetDialog::reject);
    openSheet([&controller] { controller.btnCancelOnClick(); }, std::move(done));
}

std::string SavePfxWindow::text(Field field) const {
    return fieldText(nameOf(field));
}

void SavePfxWindow::setText(Field field, const std::string& text) {
    setFieldText(nameOf(field), text);
}
