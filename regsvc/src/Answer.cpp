#include "Answer.h"

#include "Codec.h"

std::string Answer::toXml() const {
    auto element = [](const std::string& name, const std::string& value) {
        return "<" + name + ">" + codec::xmlEscape(value) + "</" + name + ">";
    };
    std::string xml = "<?xml version=\"1.0\" encoding=\"Big5\"?><Root>";
    xml += element("rtnCode", rtnCode) + element("rtnMsg", rtnMsg);
    for (const auto& [name, value] : fields) xml += element(name, value);
    if (!certInfo.empty()) {
        xml += "<certInfo>";
        for (const auto& [name, value] : certInfo) xml += element(name, value);
        xml += "</certInfo>";
    }
    return xml + "</Root>";
}
