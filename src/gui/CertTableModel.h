#pragma once

#include <QAbstractTableModel>

class ZOLTDGDataSource;

// A two-column table read straight from a data source: "Column1" the label, "Column2" the
// value. The rows belong to the controller and the model keeps no copy, so a reload is all
// it takes to show what the controller put there. The model reads them only while the event
// loop runs, when both live; the controller goes first once the loop has ended.
class CertTableModel final : public QAbstractTableModel {
    Q_OBJECT

  public:
    using QAbstractTableModel::QAbstractTableModel;

    // Shows `rows` from now on and reloads.
    void bind(const ZOLTDGDataSource& rows);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    const ZOLTDGDataSource* rows_ = nullptr;
};
