#include "gui/UserAgreementWindow.h"

#include <QFile>

#include "ui/UserAgreementWindowController.h"
#include "ui_UserAgreementWindow.h"

UserAgreementWindow::UserAgreementWindow(QWidget& parent, QtAlerts& alerts, MainLoopQueue& queue)
    : SheetDialog(parent, alerts, queue), ui_(std::make_unique<Ui::UserAgreementWindow>()) {
    ui_->setupUi(this);
    // Room for a page of text at any scale.
    const int line = fontMetrics().height();
    resize(36 * line, 28 * line);
    ui_->chkAgree->setFocus();
}

UserAgreementWindow::~UserAgreementWindow() = default;

void UserAgreementWindow::beginSheet(UserAgreementWindowController& controller, Done done) {
    connect(ui_->chkAgree, &QCheckBox::clicked, this,
            [&controller] { controller.chkUserAgreeOnClick(); });
    connect(ui_->btnNextStep, &QPushButton::clicked, this,
            [&controller] { controller.btnNextStepOnClick(); });
    connect(ui_->btnCancel, &QPushButton::clicked, this, &SheetDialog::reject);
    openSheet([&controller] { controller.btnCancelOnClick(); }, std::move(done));
}

void UserAgreementWindow::loadAgreementPage(const std::string& resourceName,
                                            const std::string& type) {
    QFile page(QStringLiteral(":/%1.%2").arg(QString::fromStdString(resourceName),
                                             QString::fromStdString(type)));
    if (page.open(QIODevice::ReadOnly)) {
        ui_->wvUserAgreement->setHtml(QString::fromUtf8(page.readAll()));
    } else {
        ui_->wvUserAgreement->setPlainText(QStringLiteral("無法載入使用者約定條款。"));
    }
}

bool UserAgreementWindow::isAgreeChecked() const {
    return ui_->chkAgree->checkState() == Qt::Checked;
}

void UserAgreementWindow::setAgreeChecked(bool checked) {
    ui_->chkAgree->setChecked(checked);
}

void UserAgreementWindow::setNextStepEnabled(bool enabled) {
    ui_->btnNextStep->setEnabled(enabled);
}
