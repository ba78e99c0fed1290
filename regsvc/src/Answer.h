#pragma once

#include <string>
#include <utility>
#include <vector>

// One service answer before it is encoded and sealed: Root with rtnCode, rtnMsg, the
// operation's leaves and, for issued certificates, a nested certInfo.
struct Answer {
    using Fields = std::vector<std::pair<std::string, std::string>>;

    std::string rtnCode = "0";
    std::string rtnMsg;
    Fields fields;
    Fields certInfo;
    std::string customerId;  // for the log line; never sent

    static Answer refuse(std::string code, std::string message) {
        Answer a;
        a.rtnCode = std::move(code);
        a.rtnMsg = std::move(message);
        return a;
    }
    std::string toXml() const;
};
