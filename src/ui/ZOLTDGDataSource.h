#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "util/Types.h"

// The rows of a table, each holding one value per column under the column's identifier.
// The certificate tables use "Column1" for the label and "Column2" for the value.
class ZOLTDGDataSource {
  public:
    void reset();
    void addDataItem(StringMap row);

    std::size_t numberOfRowsInTableView() const;
    // The cell's value; nothing when the row has no such column or does not exist.
    std::optional<std::string> objectValueForTableColumn(const std::string& columnIdentifier,
                                                         std::size_t row) const;

    // Absent until the first row is added.
    const std::optional<std::vector<StringMap>>& data() const { return data_; }
    void setData(std::optional<std::vector<StringMap>> data) { data_ = std::move(data); }

  private:
    std::optional<std::vector<StringMap>> data_;
};
