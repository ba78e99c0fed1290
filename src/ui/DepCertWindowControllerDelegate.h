#pragma once

#include <vector>

#include "util/Types.h"

// Receives the browsers chosen in a confirmed browser-selection dialog.
class DepCertWindowControllerDelegate {
  public:
    virtual ~DepCertWindowControllerDelegate() = default;

    // Browser information records as the dialog was given them, in the order Safari,
    // Chrome, Firefox; never empty.
    virtual void getDepCertWindowData(const std::vector<StringMap>& browsersInfo) = 0;
};
