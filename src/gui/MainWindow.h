#pragma once

#include <QMainWindow>

#include <memory>

#include "app/MainWindowView.h"

namespace Ui {
class MainWindow;
}
class ViewController;

// The main window: the login panel, the function buttons and the two certificate tables,
// each control named after its outlet. It only relays: clicks go to the controller, the
// controller's writes go to the widgets.
class MainWindow final : public QMainWindow, public MainWindowView {
    Q_OBJECT

  public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // The size the customer left the window at is kept in `file` and restored from it.
    void rememberSizeIn(const QString& file);

    // Every button, the check box and Return in the password fields act on `controller`.
    void bind(ViewController& controller);

    using QMainWindow::setEnabled;
    using QMainWindow::setVisible;
    using QMainWindow::setWindowTitle;

    std::string text(const std::string& outlet) const override;
    void setText(const std::string& outlet, const std::string& text) override;
    bool isChecked(const std::string& outlet) const override;
    void setEnabled(const std::string& outlet, bool enabled) override;
    void setVisible(const std::string& outlet, bool visible) override;
    std::string windowTitle() const override;
    void setWindowTitle(const std::string& title) override;
    void showTable(const std::string& outlet, const ZOLTDGDataSource& rows) override;

    // The status line names the step being waited for; while it does, the window stays open.
    void showBusy(const QString& label);
    void clearBusy();
    bool isBusy() const { return busy_; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QWidget* outletWidget(const std::string& outlet) const;
    QSize openingSize() const;

    std::unique_ptr<Ui::MainWindow> ui_;
    bool busy_ = false;
    QString sizeFile_;
};
