#include "ui/ZOLTDGDataSource.h"

void ZOLTDGDataSource::reset() {
    if (data_) data_->clear();
}

void ZOLTDGDataSource::addDataItem(StringMap row) {
    if (!data_) data_.emplace();
    data_->push_back(std::move(row));
}

std::size_t ZOLTDGDataSource::numberOfRowsInTableView() const {
    return data_ ? data_->size() : 0;
}

std::optional<std::string> ZOLTDGDataSource::objectValueForTableColumn(
    const std::string& columnIdentifier, std::size_t row) const {
    // A table only asks below the count, but a stale one must not read past the rows.
    if (row >= numberOfRowsInTableView()) return std::nullopt;
    const StringMap& cells = (*data_)[row];
    auto found = cells.find(columnIdentifier);
    if (found == cells.end()) return std::nullopt;
    return found->second;
}
