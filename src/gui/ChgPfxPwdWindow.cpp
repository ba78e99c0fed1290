#include "gui/ChgPfxPwdWindow.h"

#include "ui/ChgPfxPwdWindowController.h"
#include "ui_ChgPfxPwdWindow.h"

namespace {

const char* nameOf(ChgPfxPwdWindowView::Field field) {
    using Field = ChgPfxPwdWindowView::Field;
    switch (field) {
        case Field::lblPfxFilePath:
            return "lblPfxFilePath";
        case Field::lblPwdRulePrompt:
            return "lblPwdRulePrompt";
        case Field::txtOldPwd:
            return "txtOldPwd";
        case Field::txtNewPwd:
            return "txtNewPwd";
        case Field::txtNewPwdCfm:
            return "txtNewPwdCfm";
    }
    return "";
}

}  // namespace

ChgPfxPwdWindow::ChgPfxPwdWindow(QWidget& parent, QtAlerts& alerts, MainLoopQueue& queue)
    : SheetDialog(parent, alerts, queue), ui_(std::make_unique<Ui::ChgPfxPwdWindow>()) {
    ui_->setupUi(this);
    ui_->txtOldPwd->setFocus();
}

ChgPfxPwdWindow::~ChgPfxPwdWindow() = default;

void ChgPfxPwdWindow::beginSheet(ChgPfxPwdWindowController& controller, Done done) {
    connect(ui_->btnBrowseFile, &QPushButton::clicked, this,
            [&controller] { controller.btnBrowseFileOnClick(); });
    connect(ui_->btnOK, &QPushButton::clicked, this, [&controller] { controller.btnOkOnClick(); });
    connect(ui_->btnCancel, &QPushButton::clicked, this, &SheetDialog::reject);
    openSheet([&controller] { controller.btnCancelOnClick(); }, std::move(done));
}

std::string ChgPfxPwdWindow::text(Field field) const {
    return fieldText(nameOf(field));
}

void ChgPfxPwdWindow::setText(Field field, const std::string& text) {
    setFieldText(nameOf(field), text);
}
