#include "gui/CertTableModel.h"

#include "ui/ZOLTDGDataSource.h"

namespace {

const char* const kColumns[] = {"Column1", "Column2"};
const char* const kHeaders[] = {"項目", "內容"};

}  // namespace

void CertTableModel::bind(const ZOLTDGDataSource& rows) {
    beginResetModel();
    rows_ = &rows;
    endResetModel();
}

int CertTableModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !rows_) return 0;
    return static_cast<int>(rows_->numberOfRowsInTableView());
}

int CertTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant CertTableModel::data(const QModelIndex& index, int role) const {
    if (!rows_ || !index.isValid() || index.column() > 1) return {};
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
    const auto value = rows_->objectValueForTableColumn(kColumns[index.column()],
                                                        static_cast<std::size_t>(index.row()));
    return value ? QVariant(QString::fromStdString(*value)) : QVariant();
}

QVariant CertTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section > 1) {
        return {};
    }
    return QString::fromUtf8(kHeaders[section]);
}
