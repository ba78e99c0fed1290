#include "gui/MainWindow.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QSettings>

#include <algorithm>

#include "app/ViewController.h"
#include "gui/CertTableModel.h"
#include "gui/PathField.h"
#include "ui_MainWindow.h"

namespace {

// Tall enough for the longest certificate record without scrolling.
constexpr int kTableRows = 7;

void setUpTable(QTableView& table) {
    table.setModel(new CertTableModel(&table));
    table.verticalHeader()->hide();
    table.horizontalHeader()->setStretchLastSection(true);
    table.horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    table.setEditTriggers(QAbstractItemView::NoEditTriggers);
    table.setSelectionBehavior(QAbstractItemView::SelectRows);
    table.setSelectionMode(QAbstractItemView::SingleSelection);
    table.setWordWrap(false);
    table.setTabKeyNavigation(false);
    const int frame = 2 * table.frameWidth();
    table.setMinimumHeight(table.horizontalHeader()->sizeHint().height() +
                           kTableRows * table.verticalHeader()->defaultSectionSize() + frame);
}

}  // namespace

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent), ui_(std::make_unique<Ui::MainWindow>()) {
    ui_->setupUi(this);
    // The plain password field stands in for the hidden one only while the box is ticked.
    ui_->txtLoginPwd->hide();
    setUpTable(*ui_->tvSvrCertInfo);
    setUpTable(*ui_->tvClntCertInfo);
    ui_->txtUserIdNo->setFocus();
    // An ID number and a password of usual length show whole.
    const QFontMetrics metrics = ui_->txtUserIdNo->fontMetrics();
    const int fieldWidth =
        metrics.horizontalAdvance(QStringLiteral("A123456789")) + 6 * metrics.averageCharWidth();
    for (QLineEdit* field : {ui_->txtUserIdNo, ui_->txtSecureLoginPwd, ui_->txtLoginPwd}) {
        field->setMinimumWidth(fieldWidth);
    }
    resize(openingSize());
}

// Wide enough for both tables to show each row whole, a long serial number included, and
// never wider than the screen.
QSize MainWindow::openingSize() const {
    const QFontMetrics metrics = ui_->tvSvrCertInfo->fontMetrics();
    const int tableWidth = metrics.horizontalAdvance(QStringLiteral("憑證效期(起)")) +
                           metrics.horizontalAdvance(QString(40, QLatin1Char('0'))) +
                           8 * metrics.averageCharWidth();
    const int width = ui_->grpLogin->sizeHint().width() + tableWidth + 4 * metrics.height();
    QSize size(std::max(sizeHint().width(), width), sizeHint().height());
    if (const QScreen* screen = this->screen()) {
        size = size.boundedTo(screen->availableGeometry().size()).expandedTo(minimumSizeHint());
    }
    return size;
}

void MainWindow::rememberSizeIn(const QString& file) {
    sizeFile_ = file;
    const QSize kept = QSettings(file, QSettings::IniFormat).value("window/size").toSize();
    if (kept.isValid()) resize(kept.expandedTo(minimumSizeHint()));
}

MainWindow::~MainWindow() = default;

void MainWindow::bind(ViewController& controller) {
    using Action = void (ViewController::*)();
    const std::pair<QAbstractButton*, Action> actions[] = {
        {ui_->btnLogin, &ViewController::btnLoginOnClick},
        {ui_->btnCrtIdno, &ViewController::btnCrtIdnoOnClick},
        {ui_->btnApplyCert, &ViewController::btnApplyCertOnClick},
        {ui_->btnRenewCert, &ViewController::btnRenewOnClick},
        {ui_->btnQrySvrCertInfo, &ViewController::btnQrySvrCertInfoOnClick},
        {ui_->btnQryClntCertInfo, &ViewController::btnQryClntCertInfoOnClick},
        {ui_->btnChgPfxPwd, &ViewController::btnChgPfxPwdOnClick},
        {ui_->btnDepCert, &ViewController::btnDepCertOnClick},
        {ui_->btnPwdHint, &ViewController::btnPwdHintOnClick},
        {ui_->btnUsageLink, &ViewController::btnUsageLinkOnClick},
        {ui_->btnDownloadLink, &ViewController::btnDownloadLinkOnClick},
        {ui_->btnBrowsePfxFile, &ViewController::btnBrowsePfxFileOnClick},
        {ui_->chkShowPwdPlainText, &ViewController::chkShowPwdPlaintextOnClick},
    };
    for (const auto& [button, action] : actions) {
        connect(button, &QAbstractButton::clicked, this,
                [&controller, action = action] { (controller.*action)(); });
    }
    for (QLineEdit* field : {ui_->txtSecureLoginPwd, ui_->txtLoginPwd}) {
        connect(field, &QLineEdit::returnPressed, this, [&controller] {
            if (!controller.isUserLogin()) controller.btnLoginOnClick();
        });
    }
}

QWidget* MainWindow::outletWidget(const std::string& outlet) const {
    return findChild<QWidget*>(QString::fromStdString(outlet));
}

std::string MainWindow::text(const std::string& outlet) const {
    QWidget* widget = outletWidget(outlet);
    if (auto* field = qobject_cast<QLineEdit*>(widget)) return field->text().toStdString();
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text().toStdString();
    if (auto* label = qobject_cast<QLabel*>(widget)) return label->text().toStdString();
    return {};
}

void MainWindow::setText(const std::string& outlet, const std::string& text) {
    QWidget* widget = outletWidget(outlet);
    const QString value = QString::fromStdString(text);
    if (auto* field = qobject_cast<QLineEdit*>(widget)) {
        setLineEditText(*field, value);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(value);
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(value);
    }
}

bool MainWindow::isChecked(const std::string& outlet) const {
    auto* button = qobject_cast<QAbstractButton*>(outletWidget(outlet));
    return button && button->isChecked();
}

void MainWindow::setEnabled(const std::string& outlet, bool enabled) {
    if (QWidget* widget = outletWidget(outlet)) widget->setEnabled(enabled);
}

void MainWindow::setVisible(const std::string& outlet, bool visible) {
    if (QWidget* widget = outletWidget(outlet)) widget->setVisible(visible);
}

std::string MainWindow::windowTitle() const {
    return QMainWindow::windowTitle().toStdString();
}

void MainWindow::setWindowTitle(const std::string& title) {
    QMainWindow::setWindowTitle(QString::fromStdString(title));
}

void MainWindow::showTable(const std::string& outlet, const ZOLTDGDataSource& rows) {
    auto* table = qobject_cast<QTableView*>(outletWidget(outlet));
    if (!table) return;
    static_cast<CertTableModel*>(table->model())->bind(rows);
}

void MainWindow::showBusy(const QString& label) {
    busy_ = true;
    statusBar()->showMessage(label);
}

void MainWindow::clearBusy() {
    busy_ = false;
    statusBar()->clearMessage();
}

// Closing quits without a logout request, but not in the middle of a step: the step is
// bounded by its time-outs, and the workflow waiting for it still has to see its answer.
void MainWindow::closeEvent(QCloseEvent* event) {
    if (busy_) {
        event->ignore();
        return;
    }
    if (!sizeFile_.isEmpty()) {
        QSettings settings(sizeFile_, QSettings::IniFormat);
        settings.setValue("window/size", size());
    }
    QMainWindow::closeEvent(event);
}
