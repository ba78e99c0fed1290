#pragma once

#include <optional>
#include <string>

#include "util/XmlDocument.h"

// A service answer once read: its document when it parsed, and its result code and message
// (absent when it did not parse, which every operation treats as a failure).
struct ServiceAnswer {
    std::optional<XmlDocument> doc;
    std::optional<std::string> rtnCode;
    std::optional<std::string> rtnMsg;

    bool ok() const { return rtnCode == "0"; }
    std::string message() const { return rtnMsg.value_or(""); }
};
