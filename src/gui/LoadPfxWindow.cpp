#include "gui/LoadPfxWindow.h"

#include "ui/LoadPfxWindowController.h"
#include "ui_LoadPfxWindow.h"

namespace {

const char* nameOf(LoadPfxWindowView::Field field) {
    using Field = LoadPfxWindowView::Field;
    switch (field) {
        case Field::lblPfxFilePath:
            return "lblPfxFilePath";
        case Field::txtPfxFilePwd:
            return "txtPfxFilePwd";
    }
    return "";
}

}  // namespace

LoadPfxWindow::LoadPfxWindow(QWidget& parent, QtAlerts& alerts, MainLoopQueue& queue)
    : SheetDialog(parent, alerts, queue), ui_(std::make_unique<Ui::LoadPfxWindow>()) {
    ui_->setupUi(this);
    ui_->txtPfxFilePwd->setFocus();
}

LoadPfxWindow::~LoadPfxWindow() = default;

void LoadPfxWindow::beginSheet(LoadPfxWindowController& controller, Done done) {
    connect(ui_->btnBrowseFile, &QPushButton::clicked, this,
            [&controller] { controller.btnBrowseFileOnClick(); });
    connect(ui_->btnOk, &QPushButton::clicked, this, [&controller] { controller.btnOkOnClick(); });
    connect(ui_->btnCancel, &QPushButton::clicked, this, &SheetDialog::reject);
    openSheet([&controller] { controller.btnCancelOnClick(); }, std::move(done));
}

std::string LoadPfxWindow::text(Field field) const {
    return fieldText(nameOf(field));
}

void LoadPfxWindow::setText(Field field, const std::string& text) {
    setFieldText(nameOf(field), text);
}
